// The workshop as a phonetician uses it through a day: objects deleted while
// other columns show them, a second document in the same folder, documents
// opened by relative names, printing from whatever pane has the focus, and
// the buttons of a program started empty.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "framework/base/ProcessLauncher.h"
#include "framework/ui/CControlBars.h"
#include "framework/ui/CSurface.h"
#include "framework/ui/KPrinting.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "kavrel/views/KFilmViewState.h"
#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tembrix/tests/TembrixWindowsFixture.h"
#include "testsupport/PdfPages.h"

using namespace tembrix_test;

namespace {

bool StartsWithSlash(const CString& s)
{
    return !s.IsEmpty() && s.GetString()[0] == '/';
}

} // namespace

TEST_F(TembrixWindows, DeletingAnObjectTakesItsWindowOutOfEveryColumn)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CKPhoneObject* a = AddObject(doc, 10, 40, 0);
    CKPhoneObject* b = AddObject(doc, 20, 60, 0);
    ASSERT_TRUE(a && b);
    for (int c = 0; c < 3; ++c)
        ASSERT_EQ(Frame()->StripView(c)->PhoneObjectWndList.size(), 2u) << c;

    ui.QueueAnswer(IDYES);
    WindowOf(a)->SendMessage(WM_COMMAND, ID_DELETE_PHONE_OBJECT);
    Pump();
    ASSERT_EQ(doc->PhoneObjectList.GetCount(), 1);
    // Opened afterwards, blinking and repainted, no column holds the deleted object.
    Frame()->m_wndSplitter.SetColumnInfo(0, 300, 0);
    Frame()->m_wndSplitter.RecalcLayout();
    for (int c = 0; c < 3; ++c) {
        CTembrixView* strip = Frame()->StripView(c);
        strip->OnTimer(CKFilmViewState::nBlinkTimer);
        strip->Invalidate(TRUE);
        strip->UpdateWindow();
        ASSERT_EQ(strip->PhoneObjectWndList.size(), 1u) << c;
        EXPECT_EQ(strip->PhoneObjectWndList.front()->pPhoneObject, b) << c;
    }
}

TEST_F(TembrixWindows, LongObjectsHaveWindowsOnlyAsWideAsTheStripShows)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    const long n = doc->WaveFilm.GetNCadres();
    CKPhoneObject* whole = AddObject(doc, 0, n - 1, 1);
    ASSERT_NE(whole, nullptr);
    CTembrixView* strip = Strip();
    CRect client, r;
    strip->GetClientRect(&client);
    strip->MoveWindow(0, 0, 120, client.Height(), TRUE);
    Pump();
    strip->ScrollToPosition(CPoint(60, 0));
    strip->OnHScroll(SB_THUMBPOSITION, 60, nullptr);
    Pump();
    CKPhoneObjectWnd* w = WindowOf(whole);
    w->GetWindowRect(&r);
    strip->GetClientRect(&client);
    ASSERT_GT(n, client.Width() + 60);
    EXPECT_LE(r.Width(), client.Width() + 8);
    EXPECT_EQ(w->nHiddenLeft, 60 - 4);
    // The colour of the object fills what is shown; its left edge scrolled away.
    w->Invalidate(TRUE);
    w->UpdateWindow();
    EXPECT_EQ(w->GetSurface()->GetPixel(10, 12), RGB(0, 0, 255));
}

TEST_F(TembrixWindows, ToolbarButtonsComeBackOnceADocumentIsOpenAfterAnEmptyStart)
{
    const UINT always[] = {ID_SHOW_OSCILLOGRAM, ID_SYNC_OSCILLOGRAM_BY_MARKER, ID_FILM_GREY, ID_FILM_GREY_INVERSE,
                           ID_FILM_COLOUR, ID_FILM_PHASE_AMPL, ID_FILM_PHASE_FREQ, ID_SHOW_INSTANT_SPECTRUM,
                           ID_SHOW_PHASE_PORTRAIT};
    CToolBar& bar = main->m_wndToolBar;
    auto enabled = [&](UINT id) {
        const int i = bar.CommandToIndex(id);
        EXPECT_GE(i, 0) << id;
        return i >= 0 && bar.IsButtonEnabled(i);
    };
    main->OnIdleUpdateCmdUI();
    for (UINT id : always)
        EXPECT_FALSE(enabled(id)) << id; // nothing to show yet
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    main->OnIdleUpdateCmdUI();
    for (UINT id : always)
        EXPECT_TRUE(enabled(id)) << id;
    // Those that need a selection wait for one.
    EXPECT_FALSE(enabled(ID_PLAY_SELECTED_FRAGMENT));
    EXPECT_FALSE(enabled(ID_NEW_PHONE_OBJECT));
    doc->WaveFilm.SetSelectedFragmentAbsCadres(10, 30);
    main->OnIdleUpdateCmdUI();
    EXPECT_TRUE(enabled(ID_PLAY_SELECTED_FRAGMENT));
    EXPECT_TRUE(enabled(ID_NEW_PHONE_OBJECT));
}

TEST_F(TembrixWindows, ASecondDocumentInTheFolderNeverWritesOverTheFirstsObjectFiles)
{
    CTembrixDoc* first = NewDocument();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(AddObject(first, 10, 40, 1), nullptr);
    const std::string gsr = dir / "sound_1.gsr", kfw = dir / "sound_1.kfw";
    const kavrel_test::Bytes gsrBytes = kavrel_test::ReadAll(gsr), kfwBytes = kavrel_test::ReadAll(kfw);
    ASSERT_FALSE(gsrBytes.empty());

    ui.QueueFile(wav.c_str());
    ui.QueueFile((dir / "other.tbx").c_str());
    main->SendMessage(WM_COMMAND, ID_FILE_NEW);
    Pump();
    CTembrixDoc* second = main->GetActiveTembrixDoc();
    ASSERT_TRUE(second && second != first);
    CKPhoneObject* po = AddObject(second, 50, 90, 1);
    ASSERT_NE(po, nullptr);
    EXPECT_EQ(po->nIndex, 2);
    EXPECT_EQ(std::string(po->sPhoneObjectDocFilePathName.GetString()), dir / "sound_2.gsr");
    EXPECT_EQ(second->nNextPhoneObjectIndex, 3);
    EXPECT_EQ(kavrel_test::ReadAll(gsr), gsrBytes);
    EXPECT_EQ(kavrel_test::ReadAll(kfw), kfwBytes);

    // Asked to write over a file that stands there, the writer refuses.
    CKPhoneObject clash;
    clash.nType = 1;
    clash.nIndex = 1;
    clash.nFirstSample = 0;
    clash.nLastSample = 100;
    SetNewPhoneObjectFilePathNames(&clash, CString(dir.path().c_str()) + "/", "sound");
    EXPECT_FALSE(WriteNewPhoneObjectFiles(&clash, &second->WaveFilm));
    EXPECT_TRUE(HasMessage("Файл уже существует и не будет перезаписан"));
    EXPECT_EQ(kavrel_test::ReadAll(gsr), gsrBytes);
}

TEST_F(TembrixWindows, ANamedNewDocumentIsWrittenAtOnceAndEveryPathItStoresIsWhole)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    // Written when named: closing it now loses nothing and asks nothing.
    EXPECT_TRUE(std::filesystem::exists(dir / "doc.tbx"));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(ui.m_messages.size(), 0u);
    app->CloseAllDocuments(FALSE);
    Pump();

    // Opened by a relative name, as `tembrix --open rel/doc.tbx` does.
    const std::filesystem::path folder(dir.path());
    ktest::ScopedCurrentFolder cwd(folder.parent_path().string());
    const std::string relative = folder.filename().string() + "/doc.tbx";
    ASSERT_NE(app->OpenDocumentFile(relative.c_str()), nullptr);
    Pump();
    doc = main->GetActiveTembrixDoc();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(std::string(doc->GetPathName().GetString()), dir / "doc.tbx");
    EXPECT_EQ(std::string(doc->sDocFolder.GetString()), dir.path() + "/");
    ASSERT_FALSE(app->GetRecentFileList().empty());
    EXPECT_EQ(std::string(app->GetRecentFileList().front().GetString()), dir / "doc.tbx");
    CKPhoneObject* po = AddObject(doc, 10, 40, 1);
    ASSERT_NE(po, nullptr);
    EXPECT_TRUE(StartsWithSlash(po->sPhoneObjectDocFilePathName)) << po->sPhoneObjectDocFilePathName.GetString();
    EXPECT_TRUE(StartsWithSlash(po->sPhoneObjectFloatWaveFilePathName));
}

TEST_F(TembrixWindows, PrintingFromAnyPaneGivesTheOpenColumnAsTheScreenShowsIt)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(AddObject(doc, 10, 400, 1), nullptr); // blue on the strip
    // After opening, the focus is on the power curve of a closed column.
    EXPECT_EQ(Frame()->GetActiveView(), static_cast<CView*>(Frame()->PowerView(0)));
    ktest::ScratchDir pages;
    const std::string pdf = pages / "column.pdf";
    PrintDirectTo(pdf);
    ASSERT_EQ(ktest::PdfPageCount(pdf), 1);
    const QImage page = ktest::PdfPage(pdf, 1, 96);
    ASSERT_FALSE(page.isNull());
    // Power curve, sonogram and strip one above the other: the picture is
    // about as tall as wide (80 + 512 + 40 over 1000), the object is blue.
    const CRect ink = ktest::PdfInk(page);
    EXPECT_GT(ink.Height(), ink.Width() / 2);
    bool blue = false;
    for (int y = ink.top; y < ink.bottom && !blue; ++y)
        for (int x = ink.left; x < ink.right && !blue; ++x) {
            const QRgb p = page.pixel(x, y);
            blue = qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
        }
    EXPECT_TRUE(blue);
}

TEST_F(TembrixWindows, MessageBoxesBearTheProgramsName)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CKPhoneObject* single = AddObject(doc, 10, 40, 2);
    ASSERT_NE(single, nullptr);
    WindowOf(single)->OnLButtonDblClk(0, CPoint(2, 2));
    ASSERT_FALSE(ui.m_messages.empty());
    EXPECT_STREQ(ui.m_messages.back().sText, "Не запрограммировано.");
    EXPECT_STREQ(ui.m_messages.back().sCaption, "Tembrix");
}

namespace {

// Stand-ins for the companion programs: each writes its name and its one
// argument as a line of the log, and ends.
std::string MakeCompanionStandIns(const ktest::ScratchDir& dir, const std::string& log)
{
    const std::string bin = dir / "companions";
    std::filesystem::create_directories(bin);
    for (const char* name : {"glissar", "vornel", "vocrin"}) {
        const std::string path = bin + "/" + name;
        {
            std::ofstream script(path);
            script << "#!/bin/sh\nprintf '%s %s|%s\\n' '" << name << "' \"$#\" \"$1\" >> '" << log << "'\n";
        }
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    return bin;
}

size_t LineCount(const std::string& path)
{
    std::ifstream in(path);
    size_t n = 0;
    for (std::string line; std::getline(in, line);)
        ++n;
    return n;
}

} // namespace

// A day in the workshop through its main window and its command handlers:
// a new document, 300 objects of every type on many levels, every third
// deleted through its context menu, a double click on each type, every
// signal operation once, save, close and open again to the same bytes, the
// three columns opened and scrolled, and a page printed.
TEST_F(TembrixWindows, AWorkingDayInTheWorkshop)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    const long n = doc->WaveFilm.GetNCadres();
    ASSERT_GT(n, 200);

    std::vector<CKPhoneObject*> objects;
    for (int i = 0; i < 300; ++i) {
        const long c0 = (i * 37L) % (n - 80), c1 = c0 + 20 + (i % 7) * 6;
        CKPhoneObject* po = AddObject(doc, c0, c1, i % 5);
        ASSERT_NE(po, nullptr) << i;
        objects.push_back(po);
    }
    EXPECT_GT(doc->nMaxLevel, 5);
    EXPECT_EQ(doc->nNextPhoneObjectIndex, 301);

    // Every third goes through the strip's context menu, answered Yes.
    MenuDriver oldMenus = SetMenuDriver([](const KShownMenu&) { return UINT(ID_DELETE_PHONE_OBJECT); });
    std::vector<CKPhoneObject*> kept;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i % 3 != 0) {
            kept.push_back(objects[i]);
            continue;
        }
        CKPhoneObjectWnd* w = WindowOf(objects[i]);
        ASSERT_NE(w, nullptr) << i;
        ui.QueueAnswer(IDYES);
        w->OnContextMenu(w, CPoint(-1, -1));
        Pump();
    }
    SetMenuDriver(oldMenus);
    ASSERT_EQ(doc->PhoneObjectList.GetCount(), 200);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Frame()->StripView(c)->PhoneObjectWndList.size(), 200u) << c;

    // A double click on one object of each type; the companions get the path.
    const std::string log = dir / "companions.log";
    KSetProgramSearchFolders({MakeCompanionStandIns(dir, log)});
    std::vector<std::string> expected;
    for (int type = 0; type < 5; ++type) {
        CKPhoneObject* po = *std::find_if(kept.begin(), kept.end(), [type](CKPhoneObject* p) { return p->nType == type; });
        WindowOf(po)->OnLButtonDblClk(0, CPoint(2, 2));
        Pump();
        static const char* const kNames[5] = {nullptr, "glissar", nullptr, "vocrin", "vornel"};
        if (kNames[type])
            expected.push_back(std::string(kNames[type]) + " 1|" + po->sPhoneObjectDocFilePathName.GetString());
    }
    for (int i = 0; i < 200 && LineCount(log) < expected.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    KSetProgramSearchFolders({});
    std::vector<std::string> started;
    {
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            started.push_back(line);
    }
    std::sort(started.begin(), started.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(started, expected);
    EXPECT_TRUE(HasMessage("Не запрограммировано."));

    // Every signal operation once, each into a file of its own.
    const struct {
        UINT id;
        bool selection;
        const char* out;
    } operations[] = {{ID_DELETE_OR_KEEP_SEGMENT, true, "cut.wav"},   {ID_DELETE_OR_KEEP_BEFORE_CARET, false, "side.wav"},
                      {ID_LEVEL_POWER, false, "level.wav"},           {ID_UPSAMPLE_2, false, "up2.wav"},
                      {ID_UPSAMPLE_4, false, "up4.wav"},              {ID_DOWNSAMPLE, false, "down.wav"},
                      {ID_REVERSE_CADRES, false, "reversed.wav"},     {ID_SYNTHESIS, false, "synthesis.wav"},
                      {ID_SOUND_COCKTAIL, false, "cocktail.wav"},     {ID_SAVE_PROTOCOL, false, "protocol.doc"}};
    for (const auto& op : operations) {
        doc->WaveFilm.SetSelectedFragmentAbsCadres(op.selection ? 30 : 0, op.selection ? 90 : 0);
        doc->WaveFilm.SetKCaretCadre(n / 2);
        ui.QueueFile((dir / op.out).c_str());
        main->SendMessage(WM_COMMAND, op.id);
        Pump();
        EXPECT_TRUE(std::filesystem::exists(dir / op.out)) << op.out;
    }
    doc->WaveFilm.SetSelectedFragmentAbsCadres(30, 90);
    main->SendMessage(WM_COMMAND, ID_PIROGOV_FUNCTION);
    Pump();

    // Saved, closed and opened again: the same document, byte for byte.
    const std::string tbx = dir / "doc.tbx";
    main->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    Pump();
    const kavrel_test::Bytes saved = kavrel_test::ReadAll(tbx);
    app->CloseAllDocuments(FALSE);
    Pump();
    ui.QueueFile(tbx.c_str());
    main->SendMessage(WM_COMMAND, ID_FILE_OPEN);
    Pump();
    doc = main->GetActiveTembrixDoc();
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->PhoneObjectList.GetCount(), 200);
    ASSERT_TRUE(doc->OnSaveDocument((dir / "again.tbx").c_str()));
    EXPECT_EQ(kavrel_test::ReadAll(dir / "again.tbx"), saved);

    // All three columns open, each scrolled on its own, the caret blinking.
    CTembrixFrame* frame = Frame();
    frame->m_wndSplitter.SetColumnInfo(0, 300, 0);
    frame->m_wndSplitter.SetColumnInfo(1, 300, 0);
    frame->m_wndSplitter.RecalcLayout();
    Pump();
    for (int c = 0; c < 3; ++c) {
        CTembrixView* strip = frame->StripView(c);
        strip->ScrollToPosition(CPoint(40 * (c + 1), 0));
        strip->OnHScroll(SB_THUMBPOSITION, UINT(40 * (c + 1)), nullptr);
        strip->OnVScroll(SB_LINEDOWN, 0, nullptr);
        strip->OnTimer(CKFilmViewState::nBlinkTimer);
        frame->SonogramView(c)->OnHScroll(SB_LINERIGHT, 0, nullptr);
        Pump();
        EXPECT_EQ(strip->PhoneObjectWndList.size(), 200u);
    }

    // And the column printed.
    ktest::ScratchDir pages;
    const std::string pdf = pages / "day.pdf";
    PrintDirectTo(pdf);
    EXPECT_EQ(ktest::PdfPageCount(pdf), 1);
}

TEST_F(TembrixWindows, AMovedSoundCostsOneQuestionBeforeTheSearch)
{
    ASSERT_NE(NewDocument(), nullptr);
    app->CloseAllDocuments(FALSE);
    Pump();
    const std::string moved = dir / "moved.wav";
    std::filesystem::rename(wav, moved);
    ui.m_messages.clear();
    ui.QueueAnswer(IDYES);
    ui.QueueFile(moved.c_str());
    CDocument* opened = app->OpenDocumentFile((dir / "doc.tbx").c_str());
    Pump();
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_NE(std::string(ui.m_messages[0].sText.GetString()).find("Будете пытаться найти звуковой файл"),
              std::string::npos);
    EXPECT_STREQ(dynamic_cast<CTembrixDoc*>(opened)->WaveFilm.GetKWaveFilePathName(), moved.c_str());
}
