// The workshop's windows in one process: start-up, the main frame's
// toolbar, menus and status panes, the painted background, the document's
// frame of three columns, the sound-object strip and the start of the
// companion programs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "framework/base/ProcessLauncher.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDC.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CSurface.h"
#include "kavrel/views/DialogPhoneObjectProperties.h"
#include "kavrel/views/KDialogSetSigmaFr.h"
#include "kavrel/views/KProgressDlg.h"
#include "framework/base/ProgressService.h"
#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tembrix/KCompanionPrograms.h"
#include "tembrix/KDialogPhoneObjectSetContent.h"
#include "tembrix/KMainFrame.h"
#include "tembrix/TembrixApp.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFormulas.h"
#include "tembrix/TembrixFrame.h"
#include "tembrix/TembrixIds.h"
#include "tembrix/TembrixView.h"
#include "testsupport/ByteFiles.h"
#include "framework/ui/KPrinting.h"
#include "testsupport/PdfPages.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

#include "tembrix/tests/TembrixWindowsFixture.h"

using namespace tembrix_test;

TEST_F(TembrixWindows, StartsMaximisedAndEmptyWithTheTemplateTheProfileAndTheToolbar)
{
    EXPECT_STREQ(app->m_pszRegistryKey, "Kavrel");
    // The power file of a document is computed under the progress window.
    EXPECT_NE(dynamic_cast<CKProgressService*>(&ProgressService()), nullptr);
    const auto& templates = app->GetDocTemplates();
    ASSERT_EQ(templates.size(), 1u);
    EXPECT_TRUE(templates.front()->GetDocuments().empty());
    EXPECT_TRUE(main->GetWidget()->isMaximized());
    EXPECT_TRUE(main->GetChildFrames().empty());

    for (int i = 0; i < 20; ++i)
        app->AddToRecentFileList((dir / ("f" + std::to_string(i) + ".tbx")).c_str());
    EXPECT_EQ(app->GetRecentFileList().size(), 16u);

    // Every button of the workshop's own commands has its picture.
    for (int i = 0; i < main->m_wndToolBar.GetCount(); ++i) {
        const UINT id = main->m_wndToolBar.GetItemID(i);
        if (id >= 34000 && id < 35000)
            EXPECT_TRUE(KHasToolBarButtonImage(id)) << id;
    }
    EXPECT_STREQ(main->m_wndToolBar.GetButtonTip(main->m_wndToolBar.CommandToIndex(ID_NEW_PHONE_OBJECT)),
                 "Создать новый фонообъект");

    main->m_wndStatusBar.OnUpdateCmdUI(main, TRUE);
    EXPECT_STREQ(main->m_wndStatusBar.GetPaneText(1), "частота");
    EXPECT_STREQ(main->m_wndStatusBar.GetPaneText(2), "время");

    // Without a document the menu has no "Операции", and no voice model yet.
    const auto menu = main->GetShownMenu();
    EXPECT_NE(FindItem(menu, ID_FILE_NEW), nullptr);
    EXPECT_EQ(FindItem(menu, ID_FILE_SAVE), nullptr);
    main->m_wndToolBar.OnUpdateCmdUI(main, TRUE);
    EXPECT_TRUE(main->m_wndToolBar.IsButtonEnabled(main->m_wndToolBar.CommandToIndex(ID_RECORD_SOUND)));
    EXPECT_TRUE(main->m_wndToolBar.IsButtonEnabled(main->m_wndToolBar.CommandToIndex(ID_CREATE_VOICE_SIGNAL)));
}

TEST_F(TembrixWindows, BackgroundIsTheFieldTheTitleAndTheThinBrightLineOverTheWideOnes)
{
    const int W = 900, H = 600;
    CSurface surface(W, H);
    CDC dc(&surface);
    CKMainFrameClient::PaintBackground(&dc, W, H);
    EXPECT_EQ(surface.GetPixel(2, H / 3), RGB(0, 0, 127));
    EXPECT_EQ(surface.GetPixel(W / 10, H / 10), RGB(0, 0, 127));
    // Every point of the curve carries the bright pen drawn last.
    for (const auto& [x, y] : BackgroundSinusoid(W, H))
        ASSERT_EQ(surface.GetPixel(x, y), RGB(0, 255, 0)) << x << "," << y;
    // The wide dark pen shows beside the thin one where the curve is flat.
    const auto curve = BackgroundSinusoid(W, H);
    const auto [xEnd, yEnd] = curve.back();
    EXPECT_TRUE(surface.GetPixel(xEnd - 1, yEnd + 2) == RGB(0, 127, 127) ||
                surface.GetPixel(xEnd - 1, yEnd - 2) == RGB(0, 127, 127));
    const KBackgroundMetrics m = BackgroundMetrics(W, H);
    int yellow = 0;
    for (int x = m.xTitle - W / 4; x < m.xTitle + W / 4; ++x)
        for (int y = m.yTitleBottom - m.nFontBHeight; y < m.yTitleBottom; ++y)
            yellow += surface.GetPixel(x, y) == RGB(255, 255, 0);
    EXPECT_GT(yellow, 200);

    // The main frame's client shows that picture at its own size.
    const CRect client = [&] { CRect r; main->m_wndClient.GetClientRect(&r); return r; }();
    EXPECT_GT(client.Width(), 100);
}

TEST_F(TembrixWindows, StripRowGrowsToTheLevelsInUseUpToFiveThenScrollsAndKeepsTheUsersDrag)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    main->MoveWindow(0, 0, 1000, 800);
    Pump();
    CTembrixFrame* frame = Frame();
    auto row = [&](int r) {
        int cur = 0, min = 0;
        frame->m_wndSplitter.GetRowInfo(r, cur, min);
        return cur;
    };
    const int rows = row(0) + row(1) + row(2);
    // Objects over one span go on levels 0, 1, 2 ...
    for (int level = 0; level < 3; ++level)
        ASSERT_NE(AddObject(doc, 10, 60, 0), nullptr);
    EXPECT_GE(row(2), StripHeight(2)) << "three levels shown whole";
    EXPECT_EQ(row(0), 80);
    for (int level = 3; level < 7; ++level)
        ASSERT_NE(AddObject(doc, 10, 60, 0), nullptr);
    ASSERT_EQ(doc->nMaxLevel, 6);
    // Five levels fit; the other two are reached by scrolling.
    EXPECT_GE(row(2), StripHeight(4));
    EXPECT_LT(row(2), StripHeight(5));
    EXPECT_EQ(row(0) + row(1) + row(2), rows);
    EXPECT_GT(Strip()->GetTotalSize().cy, row(2));
    // The user's own size stands from then on.
    const int bar = row(0) + CSplitterWnd::cxSplitter + 300;
    frame->m_wndSplitter.DragRowBar(1, bar);
    const int dragged = row(1);
    EXPECT_EQ(dragged, 300);
    main->MoveWindow(0, 0, 1000, 820);
    Pump();
    EXPECT_EQ(row(1), dragged);
}

TEST_F(TembrixWindows, DocumentFrameIsThreeColumnsWithOnlyTheThirdOpenAndItsCommandsFollowTheFilm)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CTembrixFrame* frame = Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->IsMaximized());
    for (int c = 0; c < 3; ++c) {
        EXPECT_NE(frame->PowerView(c), nullptr);
        EXPECT_NE(frame->SonogramView(c), nullptr);
        EXPECT_NE(frame->StripView(c), nullptr);
    }
    int cur = 0, min = 0;
    frame->m_wndSplitter.GetRowInfo(0, cur, min);
    EXPECT_EQ(cur, 80);
    frame->m_wndSplitter.GetRowInfo(1, cur, min);
    EXPECT_EQ(cur, 512); // the strip below takes what is left
    frame->m_wndSplitter.GetColumnInfo(0, cur, min);
    EXPECT_EQ(cur, 0);
    EXPECT_EQ(frame->GetActiveView(), frame->PowerView(0));

    auto state = [&](UINT id) {
        const auto menu = main->GetShownMenu();
        const KShownMenuItem* it = FindItem(menu, id);
        return it ? *it : KShownMenuItem{};
    };
    // "Создать новый фонообъект" and the oscillogram live on the toolbar only.
    CToolBar& bar = main->m_wndToolBar;
    auto button = [&](UINT id) {
        bar.OnUpdateCmdUI(main, TRUE);
        return bar.CommandToIndex(id);
    };
    EXPECT_FALSE(bar.IsButtonEnabled(button(ID_NEW_PHONE_OBJECT))); // no selection yet
    EXPECT_FALSE(bar.IsButtonEnabled(button(ID_PLAY_SELECTED_FRAGMENT)));
    EXPECT_FALSE(state(ID_DIFFERENTIATE).bEnabled);    // never
    EXPECT_TRUE(state(ID_CREATE_VOICE_SIGNAL).bEnabled); // the model needs no document
    EXPECT_FALSE(state(ID_PIROGOV_FUNCTION).bEnabled);  // nor selection yet
    EXPECT_TRUE(state(ID_FILM_GREY).bChecked);
    EXPECT_FALSE(state(ID_FILM_COLOUR).bChecked);
    EXPECT_FALSE(state(ID_PAPER_COLOURS).bChecked);
    EXPECT_FALSE(bar.IsButtonChecked(button(ID_SHOW_OSCILLOGRAM)));

    doc->WaveFilm.SetSelectedFragmentAbsCadres(10, 40);
    EXPECT_TRUE(state(ID_PIROGOV_FUNCTION).bEnabled);
    EXPECT_TRUE(bar.IsButtonEnabled(button(ID_NEW_PHONE_OBJECT)));
    EXPECT_TRUE(bar.IsButtonEnabled(button(ID_PLAY_SELECTED_FRAGMENT)));
    EXPECT_TRUE(main->ChooseMenuCommand(ID_FILM_COLOUR));
    EXPECT_EQ(doc->WaveFilm.displayFlags, 256);
    EXPECT_TRUE(state(ID_FILM_COLOUR).bChecked);
    EXPECT_TRUE(main->ChooseMenuCommand(ID_FILM_PHASE_FREQ));
    EXPECT_EQ(doc->WaveFilm.displayFlags, 36);
    EXPECT_TRUE(main->ChooseMenuCommand(ID_PAPER_COLOURS));
    EXPECT_EQ(doc->WaveFilm.lightBackground, 1);
    EXPECT_TRUE(state(ID_PAPER_COLOURS).bChecked);
    EXPECT_TRUE(doc->IsModified());
    main->SendMessage(WM_COMMAND, ID_SHOW_OSCILLOGRAM);
    EXPECT_TRUE(bar.IsButtonChecked(button(ID_SHOW_OSCILLOGRAM)));
    main->SendMessage(WM_COMMAND, ID_SHOW_OSCILLOGRAM);
    EXPECT_FALSE(bar.IsButtonChecked(button(ID_SHOW_OSCILLOGRAM)));

    // Keys: the caret moves by cadres and by spectral lines.
    const long caret = doc->WaveFilm.GetKCaretCadre();
    EXPECT_TRUE(main->TranslateAccelerator(VK_RIGHT, true, false, false));
    Pump();
    EXPECT_EQ(doc->WaveFilm.GetKCaretCadre(), caret + 10);
    const double f = doc->WaveFilm.GetKCaretFrequency();
    EXPECT_TRUE(main->TranslateAccelerator(VK_UP, false, false, false));
    Pump();
    EXPECT_NEAR(doc->WaveFilm.GetKCaretFrequency(), f + double(kRate) / 1024, 1e-9);

    // Status panes: the caret frequency, then the selection's length.
    doc->WaveFilm.SetKCaretFrequency(440);
    doc->WaveFilm.SetSelectedFragmentAbsCadres(10, 10);
    main->m_wndStatusBar.OnUpdateCmdUI(main, TRUE);
    const CString freq = FormatCaretFrequency(doc->WaveFilm.GetKCaretFrequency());
    EXPECT_STREQ(main->m_wndStatusBar.GetPaneText(1), freq);
    UINT id = 0, style = 0;
    int width = 0;
    main->m_wndStatusBar.GetPaneInfo(1, id, style, width);
    EXPECT_EQ(width, main->m_wndStatusBar.GetTextWidth(freq));
    const long step = doc->WaveFilm.GetCadreStepInSamples();
    doc->WaveFilm.SetSelectedFragmentAbsCadres(10, 110);
    main->m_wndStatusBar.OnUpdateCmdUI(main, TRUE);
    EXPECT_STREQ(main->m_wndStatusBar.GetPaneText(2), FormatSeconds(100.0 * step / kRate));
}

TEST_F(TembrixWindows, TheStripPrintsOnePageWithItsDrawingOnIt)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CTembrixFrame* frame = Frame();
    ASSERT_NE(frame, nullptr);
    ktest::ScratchDir pages;
    const std::string pdf = pages / "strip.pdf";
    KSetPrintToFile(pdf.c_str());
    frame->StripView(2)->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
    KSetPrintToFile("");
    EXPECT_EQ(ktest::PdfPageCount(pdf), 1);
    // The strip's green field and its ruler reach the paper.
    EXPECT_FALSE(ktest::PdfInk(ktest::PdfPage(pdf, 1, 48)).IsRectEmpty());
}

TEST_F(TembrixWindows, ObjectWindowsLieOnTheirLevelsSelectTheirSpanAndGoWhenDeleted)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CTembrixView* strip = Strip();
    EXPECT_EQ(strip->nTotalHeight, 24); // only the ruler
    CKPhoneObject* a = AddObject(doc, 10, 40, 0);
    CKPhoneObject* b = AddObject(doc, 20, 60, 1);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(strip->nTotalHeight, 96);
    ASSERT_EQ(strip->PhoneObjectWndList.size(), 2u);
    CKPhoneObjectWnd* wb = WindowOf(b);
    ASSERT_NE(wb, nullptr);
    CRect r;
    wb->GetWindowRect(&r);
    EXPECT_EQ(r.Width(), 40);
    EXPECT_EQ(r.Height(), 24);
    EXPECT_EQ(strip->PhoneObjectRect(b), CRect(20, 60, 60, 84));
    wb->Invalidate(TRUE);
    wb->UpdateWindow();
    EXPECT_EQ(wb->GetSurface()->GetPixel(30, 18), RGB(0, 0, 255));

    // A click on the object selects its span in every view.
    doc->WaveFilm.SetSelectedFragmentAbsCadres(0, 0);
    wb->OnLButtonDown(MK_LBUTTON, CPoint(3, 3));
    EXPECT_EQ(doc->WaveFilm.GetSelectedFragmentAbsCadre0(), 20);
    EXPECT_EQ(doc->WaveFilm.GetSelectedFragmentAbsCadre1(), 60);
    EXPECT_EQ(strip->nBandFirstCadre, 20);
    EXPECT_EQ(strip->nBandLastCadre, 60);

    // Deleting asks first; No keeps it.
    ui.QueueAnswer(IDNO);
    wb->SendMessage(WM_COMMAND, ID_DELETE_PHONE_OBJECT);
    Pump();
    EXPECT_EQ(doc->PhoneObjectList.GetCount(), 2);
    ui.QueueAnswer(IDYES);
    wb->SendMessage(WM_COMMAND, ID_DELETE_PHONE_OBJECT);
    Pump();
    EXPECT_EQ(doc->PhoneObjectList.GetCount(), 1);
    EXPECT_EQ(strip->PhoneObjectWndList.size(), 1u);
    EXPECT_TRUE(HasMessage("Вы действительно хотите удалить этот сонообъект?"));
    EXPECT_EQ(doc->nMaxLevel, 1);

    // The strip's menu: the ruler in whole seconds while checked.
    EXPECT_FALSE(strip->bClockLabels);
    strip->SendMessage(WM_COMMAND, ID_RULER_IN_SECONDS);
    EXPECT_TRUE(strip->bClockLabels);
}

TEST_F(TembrixWindows, DoubleClickStartsTheCompanionOfTheTypeWithTheQuotedPath)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CKPhoneObject* text = AddObject(doc, 10, 40, 0);
    CKPhoneObject* single = AddObject(doc, 10, 40, 2);
    CKPhoneObject* voice = AddObject(doc, 10, 40, 3);
    ASSERT_TRUE(text && single && voice);

    WindowOf(single)->OnLButtonDblClk(0, CPoint(2, 2));
    EXPECT_TRUE(HasMessage("Не запрограммировано."));

    // The text-only object shows its properties; OK marks the document.
    doc->SetModifiedFlag(false);
    UINT shown = 0;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        shown = d.GetTemplateID();
        d.SetDlgItemText(5056, "новое имя");
        d.ClickDlgButton(IDOK);
    });
    WindowOf(text)->OnLButtonDblClk(0, CPoint(2, 2));
    SetDialogDriver(old);
    EXPECT_EQ(shown, UINT(CDialogPhoneObjectProperties::IDD));
    EXPECT_STREQ(text->sName, "новое имя");
    EXPECT_TRUE(doc->IsModified());

    // The voice program, found on PATH, gets the path with its blanks and quotes as one argument.
    const std::string bin = dir / "bin";
    std::filesystem::create_directories(bin);
    const std::string out = dir / "args.txt";
    {
        std::ofstream script(bin + "/vocrin");
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << out << "'\n";
    }
    std::filesystem::permissions(bin + "/vocrin", std::filesystem::perms::owner_all);
    voice->sPhoneObjectDocFilePathName = (dir / "мой \"объект\" 1.ocn").c_str();
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    WindowOf(voice)->OnLButtonDblClk(0, CPoint(2, 2));
    for (int i = 0; i < 100 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string expectedArg = dir / "мой \"объект\" 1.ocn";
    EXPECT_EQ(kavrel_test::ReadAll(out), kavrel_test::Cat({std::string_view(expectedArg), "\n"}));
    EXPECT_GT(WindowOf(voice)->nProcessId, 0);

    // Without it: the failure message names the program.
    setenv("PATH", (dir / "nothing").c_str(), 1);
    WindowOf(voice)->OnLButtonDblClk(0, CPoint(2, 2));
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_TRUE(HasMessage("Не удается запустить приложение Vocrin.exe"));

    // The command lines, and the tracer found in the workshop's own folder before PATH.
    EXPECT_STREQ(CompanionCommandLine("Glissar.exe", "/a b/\"c\".gsr"), "Glissar.exe \"/a b/\\\"c\\\".gsr\"");
    EXPECT_STREQ(CompanionProgramOfType(1), "Glissar.exe");
    EXPECT_STREQ(CompanionProgramOfType(4), "Vornel.exe");
    {
        std::ofstream fake(bin + "/glissar");
        fake << "#!/bin/sh\n";
    }
    std::filesystem::permissions(bin + "/glissar", std::filesystem::perms::owner_all);
    std::vector<std::string> folders = KProgramSearchFolders();
    folders.insert(folders.begin() + 1, bin);
    EXPECT_EQ(KFindProgram("Glissar.exe", folders), std::string(KAVREL_BINARY_DIR "/bin/glissar"));
}

TEST(TembrixSetContent, TextOnlyRestsTheLevelControlsAndKeepsTheValue)
{
    ktest::EnsureQtApplication();
    CScriptedUserInteraction ui;
    CKDialogPhoneObjectSetContent dlg;
    dlg.nType = 1;
    dlg.dLevelChange_dB = -3.5;
    CString shown, afterText, afterOther;
    bool spinWhileText = true, amplifyWhileText = true, amplifyAgain = false;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        shown = d.GetDlgItem(IDC_SET_CONTENT_LEVEL_TEXT)->GetWindowText();
        d.ClickDlgButton(IDC_SET_CONTENT_TYPE_TEXT);
        afterText = d.GetDlgItem(IDC_SET_CONTENT_LEVEL_TEXT)->GetWindowText();
        spinWhileText = d.GetDlgItem(IDC_SET_CONTENT_SPIN)->IsWindowEnabled();
        amplifyWhileText = d.GetDlgItem(IDC_SET_CONTENT_AMPLIFY)->IsWindowEnabled();
        d.ClickDlgButton(IDC_SET_CONTENT_TYPE_VOICE);
        amplifyAgain = d.GetDlgItem(IDC_SET_CONTENT_AMPLIFY)->IsWindowEnabled();
        d.ClickDlgButton(IDC_SET_CONTENT_AMPLIFY);
        afterOther = d.GetDlgItem(IDC_SET_CONTENT_LEVEL_TEXT)->GetWindowText();
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    SetDialogDriver(old);
    EXPECT_STREQ(shown, "-3.5 дБ");
    EXPECT_STREQ(afterText, "");
    EXPECT_FALSE(spinWhileText);
    EXPECT_FALSE(amplifyWhileText);
    EXPECT_TRUE(amplifyAgain);
    EXPECT_STREQ(afterOther, "110.0 дБ");
    EXPECT_EQ(dlg.nType, 3);
    EXPECT_DOUBLE_EQ(dlg.dLevelChange_dB, 110.0);
}

namespace {

// Whether the process has ended (gone, or a zombie no one has reaped yet).
bool ProcessEnded(long pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// Sets an environment variable for as long as it lives.
struct ScopedEnv {
    std::string name, old;
    bool had;
    ScopedEnv(const char* n, const std::string& value) : name(n), had(std::getenv(n) != nullptr)
    {
        if (had)
            old = std::getenv(n);
        setenv(n, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (had)
            setenv(name.c_str(), old.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};

} // namespace

// The typical road: New on a sound, SigmaFr as offered, the document's name;
// a selection dragged on the strip; a new micro-harmonic object with its
// files; the real tracer started on it by a double click (it opens the
// object, saves it and exits as its script tells it); the analysis saved and
// opened again with the object in place.
TEST_F(TembrixWindows, TypicalRoadFromANewDocumentThroughTheTracerAndBack)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    const std::string tbx = dir / "doc.tbx";
    EXPECT_STREQ(doc->GetPathName(), tbx.c_str());

    // A drag on the strip, below its ruler, from cadre 40 to cadre 200.
    CTembrixView* strip = Strip();
    strip->OnLButtonDown(MK_LBUTTON, CPoint(40, 30));
    strip->OnMouseMove(MK_LBUTTON, CPoint(120, 30));
    strip->OnMouseMove(MK_LBUTTON, CPoint(200, 30));
    strip->OnLButtonUp(0, CPoint(200, 30));
    ASSERT_EQ(doc->WaveFilm.GetSelectedFragmentAbsCadre0(), 40);
    ASSERT_EQ(doc->WaveFilm.GetSelectedFragmentAbsCadre1(), 200);

    CKPhoneObject* po = nullptr;
    {
        DialogDriver old = SetDialogDriver([](CDialog& d) {
            EXPECT_EQ(d.GetTemplateID(), UINT(IDD_PHONE_OBJECT_SET_CONTENT));
            d.SetDlgItemText(IDC_SET_CONTENT_NAME, "фраза");
            d.ClickDlgButton(IDC_SET_CONTENT_TYPE_MICRO);
            d.ClickDlgButton(IDOK);
        });
        main->SendMessage(WM_COMMAND, ID_NEW_PHONE_OBJECT);
        SetDialogDriver(old);
        Pump();
        ASSERT_EQ(doc->PhoneObjectList.GetCount(), 1);
        po = doc->GetPhoneObject(0);
    }
    const std::string gsr = dir / "sound_1.gsr", kfw = dir / "sound_1.kfw";
    EXPECT_EQ(po->nLevel, 0);
    EXPECT_EQ(po->nIndex, 1);
    EXPECT_STREQ(po->sPhoneObjectDocFilePathName, gsr.c_str());
    ASSERT_TRUE(std::filesystem::exists(gsr));
    ASSERT_EQ(std::filesystem::file_size(kfw), size_t(4 * (po->nLastSample - po->nFirstSample + 1)));

    // The tracer, found beside the tests in the build's bin folder, saves the
    // object and exits: the .gsr and .kfw are written anew.
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(gsr, past);
    std::filesystem::last_write_time(kfw, past);
    const std::string script = dir / "glissar-script.txt";
    std::ofstream(script) << "command 57603\ncommand 57665\n";
    {
        ScopedEnv uiScript("KAVREL_UI_SCRIPT", script);
        ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
        ScopedEnv config("XDG_CONFIG_HOME", dir / "glissar-config");
        CKPhoneObjectWnd* w = WindowOf(po);
        ASSERT_NE(w, nullptr);
        w->OnLButtonDblClk(0, CPoint(2, 2));
        ASSERT_GT(w->nProcessId, 0);
        for (int i = 0; i < 600 && !ProcessEnded(w->nProcessId); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(ProcessEnded(w->nProcessId));
    }
    EXPECT_FALSE(HasMessage("Не удается запустить приложение"));
    EXPECT_GT(std::filesystem::last_write_time(gsr), past);
    EXPECT_GT(std::filesystem::last_write_time(kfw), past);

    // The analysis saved, closed and opened again: the object is in place.
    main->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    Pump();
    EXPECT_FALSE(doc->IsModified());
    app->CloseAllDocuments(FALSE);
    Pump();
    ASSERT_EQ(main->GetActiveTembrixDoc(), nullptr);
    ui.QueueFile(tbx.c_str());
    main->SendMessage(WM_COMMAND, ID_FILE_OPEN);
    Pump();
    CTembrixDoc* reopened = main->GetActiveTembrixDoc();
    ASSERT_NE(reopened, nullptr);
    ASSERT_EQ(reopened->PhoneObjectList.GetCount(), 1);
    const CKPhoneObject* back = reopened->GetPhoneObject(0);
    EXPECT_STREQ(back->sName, "фраза");
    EXPECT_EQ(back->nType, 1);
    EXPECT_EQ(back->nLevel, 0);
    EXPECT_STREQ(back->sPhoneObjectDocFilePathName, gsr.c_str());
    EXPECT_EQ(reopened->nNextPhoneObjectIndex, 2);
    ASSERT_EQ(Strip()->PhoneObjectWndList.size(), 1u);
    EXPECT_EQ(Strip()->PhoneObjectRect(back).left, 40);
    EXPECT_EQ(Strip()->PhoneObjectRect(back).right, 200);
}

// The strip draws the blinking caret and a dragged selection straight onto
// its picture: every stroke touches only the columns that change, never the
// whole strip (which a repaint would).
TEST_F(TembrixWindows, CaretBlinkAndSelectionDragTouchOnlyTheColumnsThatChange)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(AddObject(doc, 10, 60, 0));
    main->GetWidget()->resize(1200, 900);
    Pump();
    CTembrixView* strip = Strip();
    strip->Invalidate(TRUE);
    strip->UpdateWindow();
    Pump();
    CRect client;
    strip->GetClientRect(&client);
    CSurface* surface = strip->GetSurface();
    ASSERT_NE(surface, nullptr);
    const int width = surface->Width();
    ASSERT_GT(width, 400) << client.Width() << "x" << client.Height();
    std::vector<CRect> touched;
    surface->SetChangeListener([&](const CRect& r) {
        if (!r.IsRectEmpty())
            touched.push_back(r);
    });
    // The columns touched by the strokes since the last look.
    auto columns = [&] {
        std::vector<bool> hit(size_t(width), false);
        for (const CRect& r : touched)
            for (long x = std::max<long>(0, r.left); x < std::min<long>(width, r.right); ++x)
                hit[size_t(x)] = true;
        touched.clear();
        return int(std::count(hit.begin(), hit.end(), true));
    };

    for (int i = 0; i < 4; ++i) {
        strip->OnTimer(strip->nTimerID);
        Pump();
        // A line reports its column with a pixel of margin either side.
        EXPECT_LE(columns(), 3) << "blink " << i;
    }

    // A drag to the right in steps of 10 cadres, then back over the start:
    // the band's changed stretch and the caret's old and new column.
    strip->OnLButtonDown(MK_LBUTTON, CPoint(100, 30));
    Pump();
    EXPECT_LE(columns(), 2 * 3 + 2);
    for (int x = 110; x <= 300; x += 10) {
        strip->OnMouseMove(MK_LBUTTON, CPoint(x, 30));
        Pump();
        const int n = columns();
        EXPECT_GE(n, 10) << x;
        EXPECT_LE(n, 10 + 2 * 3) << x;
    }
    strip->OnMouseMove(MK_LBUTTON, CPoint(50, 30)); // the band turns over its anchor
    Pump();
    EXPECT_LE(columns(), 250 + 2 * 3);
    strip->OnLButtonUp(0, CPoint(50, 30));
    Pump();
    EXPECT_LE(columns(), 2 * 3);
    surface->SetChangeListener(nullptr);
    // What is drawn is the film's selection.
    EXPECT_EQ(strip->nBandFirstCadre, doc->WaveFilm.GetSelectedFragmentAbsCadre0());
    EXPECT_EQ(strip->nBandLastCadre, doc->WaveFilm.GetSelectedFragmentAbsCadre1());
}

// The strip's height follows the highest level used; a one-cadre object has
// a window of no width; a mouse move sets the caret by the Ctrl rule.
TEST_F(TembrixWindows, StripHeightOneCadreObjectAndTheCtrlRuleOfTheCaret)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    CTembrixView* strip = Strip();
    EXPECT_EQ(strip->nTotalHeight, 24);
    CKPhoneObject* first = AddObject(doc, 10, 40, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->nLevel, 0);
    EXPECT_EQ(strip->nTotalHeight, 60);

    const long step = doc->WaveFilm.GetCadreStepInSamples();
    CKPhoneObject one;
    one.nFirstSample = one.nLastSample = int(30 * step);
    one.nLevel = 2;
    EXPECT_EQ(strip->PhoneObjectRect(&one), CRect(30, 96, 30, 120));

    auto moveTo = [&](UINT keys, int x) {
        strip->OnMouseMove(keys, CPoint(x, 30));
        return doc->WaveFilm.GetKCaretCadre();
    };
    doc->WaveFilm.MoveCaretOnlyWithCtrl = false;
    EXPECT_EQ(moveTo(0, 70), 70);
    EXPECT_EQ(moveTo(MK_CONTROL, 90), 70);      // only Ctrl: the caret stays
    EXPECT_EQ(moveTo(MK_CONTROL | MK_SHIFT, 95), 95);
    doc->WaveFilm.MoveCaretOnlyWithCtrl = true;
    EXPECT_EQ(moveTo(0, 120), 95);
    EXPECT_EQ(moveTo(MK_SHIFT, 125), 95);
    EXPECT_EQ(moveTo(MK_CONTROL, 130), 130);
}
