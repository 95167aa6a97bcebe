// The tracer's windows on a document of three steady partials: the marks
// of the upper screen, the tool under the mouse, the lower screen's
// residual and rebuilt signal, the tool size and the screens' playback.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <array>
#include <set>
#include <string>

#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CControls.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"
#include "glissar/DialogSetToolsSize.h"
#include "glissar/GlissarFrame.h"
#include "glissar/GlissarIds.h"
#include "glissar/KDialogPlayOriginalOrSynthetic.h"
#include "glissar/KFloatWaveFilmView.h"
#include "glissar/KLocalMaxAmplView.h"
#include "kavrel/views/DialogAdjustSpectraVisualLevels.h"
#include "framework/ui/CSurface.h"
#include "testsupport/CompanionPrograms.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"
#include "testsupport/TracerObjects.h"

namespace {

constexpr unsigned kRate = 22050;
// Partials on bins 60, 120 and 180 of a 1024-point transform.
const std::vector<double> kFreqs = {60 * 22050.0 / 1024, 120 * 22050.0 / 1024, 180 * 22050.0 / 1024};

// A profile of each test's own: ctest runs the tests side by side, and one
// of them keeps the relative visibility in the profile.
class CTracerTestApp : public CWinApp {
public:
    CTracerTestApp()
        : CWinApp((std::string("GlissarWindowsTest-") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
                      .c_str())
    {
    }
};

struct GlissarWindows : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    CTracerTestApp app;
    std::vector<int> samples = ktest::Partials(kFreqs, 6000, long(kRate), kRate);
    tracertest::TracerObject object;
    CGlissarDoc* doc = nullptr;
    CGlissarFrame* frame = nullptr;

    void SetUp() override
    {
        ktest::EnsureQtApplication();
        CVirtualAudio::Use();
        InstallGlissarDocHooks();
        object = tracertest::MakeTracerObject(dir, samples, kRate, 10, 150);
        auto* single = new CSingleDocTemplate(IDR_GLISSAR_MAINFRAME, RUNTIME_CLASS(CGlissarDoc), RUNTIME_CLASS(CGlissarFrame),
                                              RUNTIME_CLASS(CKLocalMaxAmplView));
        ASSERT_NO_FATAL_FAILURE(ktest::OpenInMainFrame(app, single, object.gsr, doc, frame));
        frame->MoveWindow(0, 0, 700, 900);
        QApplication::processEvents();
    }
    void TearDown() override
    {
        if (doc)
            doc->SetModifiedFlag(FALSE);
        app.CloseAllDocuments(FALSE);
        QApplication::processEvents();
    }

    int B() const { return doc->GetNBins(); }
    CKLocalMaxAmplView* upper() const { return frame->UpperView(); }
    CKFloatWaveFilmView* lower() const { return frame->LowerView(); }
    // A cadre inside the margins, and the maximum nearest to bin k there.
    long midCadre() const { return doc->pWaveFilm.GetNCadres() / 2; }
    int maxNear(long c, int k) const { return doc->FindNearestLocalMax(k, c) >= 0 ? doc->FindNearestLocalMax(k, c) : k; }
    COLORREF upperPixel(long c, int k)
    {
        upper()->Invalidate(FALSE);
        upper()->UpdateWindow();
        return upper()->GetSurface()->GetPixel(int(c - upper()->GetScrollPosition().x), B() - 1 - k);
    }
    CPoint pointOf(long c, int k) const
    {
        const CPoint pos = upper()->GetScrollPosition();
        return CPoint(int(c - pos.x), B() - 1 - k - pos.y);
    }
    // The lower screen's level of bin k in cadre c, as it would be painted.
    float lowerLevel(long c, int k)
    {
        CKFloatWaveFilmView* v = lower();
        v->ForgetColumns();
        v->Invalidate(FALSE);
        v->UpdateWindow();
        return v->amplBuffer.pArray[size_t(c % v->nColumns) * size_t(v->nLines) + size_t(k)];
    }
    bool floatWaveIsSilent() const
    {
        const float* y = const_cast<CGlissarDoc*>(doc)->pFloatWave.GetFloatWaveBuffer();
        return std::all_of(y, y + doc->pFloatWave.GetFloatWaveLength(), [](float v) { return v == 0.0f; });
    }
};

} // namespace

TEST_F(GlissarWindows, UpperScreenMarksEachMaximumByItsStatusAndHidesPendingOnes)
{
    const long c = midCadre();
    const int k = maxNear(c, 120);
    ASSERT_EQ(doc->GetTraceStatus(c)[k], CGlissarDoc::TRACE_LOCAL_MAX | CGlissarDoc::TRACE_VISIBLE);
    const COLORREF plain = upperPixel(c, k);
    EXPECT_NE(plain, KTraceMarkColours::Visible); // marks wait for "Показывать следы"

    doc->OnShowTraces();
    EXPECT_EQ(upperPixel(c, k), KTraceMarkColours::Visible);
    EXPECT_EQ(upper()->GetSurface()->GetPixel(int(c - upper()->GetScrollPosition().x), B() - k), KTraceMarkColours::Visible);
    doc->OnAddAllVisibleTraces();
    EXPECT_EQ(upperPixel(c, k), KTraceMarkColours::VisibleInSynthesis);

    // A pending request is not drawn: the sonogram shows through.
    doc->bQuickEditing = true;
    doc->nToolsSize = 1;
    doc->bAddTraces = false;
    upper()->OnLButtonDown(MK_LBUTTON, pointOf(c, k));
    EXPECT_NE(doc->GetTraceStatus(c)[k] & CGlissarDoc::TRACE_REMOVE_REQUEST, 0);
    EXPECT_EQ(upperPixel(c, k), plain);
    upper()->OnLButtonUp(0, pointOf(c, k));
    EXPECT_EQ(upperPixel(c, k), KTraceMarkColours::Visible);

    // On black, and not at all when editing is off.
    doc->OnShowOnlyTraces();
    EXPECT_FALSE(doc->bShowTraces);
    EXPECT_EQ(upperPixel(c, k), KTraceMarkColours::Visible);
    EXPECT_EQ(upperPixel(c, k + 4 < B() ? k + 4 : k - 4), RGB(0, 0, 0));
    doc->OnEditTraces();
    EXPECT_EQ(upperPixel(c, k), plain);
}

TEST_F(GlissarWindows, QuickEditingChangesTheSignalOnlyWhenTheButtonIsReleased)
{
    const long c = midCadre();
    const int k = maxNear(c, 60);
    doc->nToolsSize = 3; // 7 cadres
    ASSERT_TRUE(doc->bQuickEditing);
    upper()->OnLButtonDown(MK_LBUTTON, pointOf(c, k));
    upper()->OnMouseMove(MK_LBUTTON, pointOf(c + 3, k));
    EXPECT_TRUE(floatWaveIsSilent());
    EXPECT_NE(doc->GetTraceStatus(c + 3)[maxNear(c + 3, k)] & CGlissarDoc::TRACE_ADD_REQUEST, 0);
    upper()->OnLButtonUp(0, pointOf(c + 3, k));
    EXPECT_FALSE(floatWaveIsSilent());
    EXPECT_NE(doc->GetTraceStatus(c)[k] & CGlissarDoc::TRACE_IN_SYNTHESIS, 0);
    // Moving without the button marks nothing more.
    doc->OnRemoveAllTraces();
    upper()->OnMouseMove(0, pointOf(c, k));
    EXPECT_EQ(doc->GetTraceStatus(c)[k] & (CGlissarDoc::TRACE_ADD_REQUEST | CGlissarDoc::TRACE_IN_SYNTHESIS), 0);

    // Without quick editing the signal follows the press at once.
    doc->bQuickEditing = false;
    upper()->OnLButtonDown(MK_LBUTTON, pointOf(c, k));
    EXPECT_FALSE(floatWaveIsSilent());
    upper()->OnLButtonUp(0, pointOf(c, k));

    // With editing off the mouse sets the caret as in any sonogram.
    doc->OnRemoveAllTraces();
    doc->OnEditTraces();
    upper()->OnLButtonDown(0, pointOf(c - 20, k));
    upper()->OnLButtonUp(0, pointOf(c - 20, k));
    EXPECT_EQ(doc->pWaveFilm.GetKCaretCadre(), c - 20);
    EXPECT_TRUE(floatWaveIsSilent());
}

TEST_F(GlissarWindows, LowerScreenShowsTheResidualOrTheRebuiltSignal)
{
    const long c = midCadre();
    const int k = maxNear(c, 180);
    const float original = lowerLevel(c, k);
    EXPECT_GT(original, -100.0f);
    // Cadre 0's window reaches before the object: drawn as silence.
    EXPECT_EQ(lowerLevel(0, k), -10000.0f);

    doc->OnAddAllVisibleTraces();
    EXPECT_LT(lowerLevel(c, k), original - 40.0f);
    frame->SendMessage(WM_COMMAND, ID_GLISSAR_SHOW_ONLY_MARKED);
    EXPECT_TRUE(lower()->bShowOnlyMarkedTraces);
    EXPECT_NEAR(lowerLevel(c, k), original, 0.5f);
}

TEST_F(GlissarWindows, NewVisibleLevelsReachTheTracesThroughTheRecalculationMessage)
{
    const long c = midCadre();
    const int k = maxNear(c, 60);
    ASSERT_NE(doc->GetTraceStatus(c)[k] & CGlissarDoc::TRACE_VISIBLE, 0);
    // The levels dialog raised the floor above every maximum, then asked
    // the sonogram to draw again.
    for (int i = 0; i < doc->pWaveFilm.validDownLevel.nSize; ++i)
        doc->pWaveFilm.validDownLevel.pArray[i] = 500.0f;
    upper()->SendMessage(CKWaveFilmView::WM_RECALCULATE_PICTURE);
    EXPECT_EQ(doc->GetTraceStatus(c)[k] & CGlissarDoc::TRACE_VISIBLE, 0);
    EXPECT_TRUE(doc->IsDirtyRegionEmpty()); // the views were told
    EXPECT_TRUE(floatWaveIsSilent());       // visibility never changes the signal
}

TEST_F(GlissarWindows, RelativeVisibilityFromTheLevelsDialogKeepsOnlyMaximaNearTheCadresStrongest)
{
    // Whatever the test leaves, the next tracer starts with the rule off.
    struct Reset {
        ~Reset() { KStoreRelativeVisibility(KRelativeVisibility{}); }
    } reset;
    const int K = doc->GetBinMargin();
    auto visible = [&](long c) {
        std::vector<int> bins;
        const unsigned char* st = doc->GetTraceStatus(c);
        for (int k = K; k < B() - K; ++k)
            if (st[k] & CGlissarDoc::TRACE_VISIBLE)
                bins.push_back(k);
        return bins;
    };
    // Levels low enough to let the rounding noise between the partials through,
    // as the default levels do on real speech.
    for (int i = 0; i < doc->pWaveFilm.validDownLevel.nSize; ++i)
        doc->pWaveFilm.validDownLevel.pArray[i] = -1000.0f;
    upper()->SendMessage(CKWaveFilmView::WM_RECALCULATE_PICTURE);
    const long c = midCadre();
    const std::vector<int> before = visible(c);
    ASSERT_GT(before.size(), 3 * kFreqs.size());
    auto levelsDialog = [&](const std::function<void(CDialog&)>& script) {
        DialogDriver old = SetDialogDriver([&](CDialog& d) { script(d); });
        CDialogAdjustSpectraVisualLevels dlg(upper());
        const INT_PTR r = dlg.DoModal();
        SetDialogDriver(old);
        return r;
    };
    EXPECT_EQ(levelsDialog([&](CDialog& d) {
        EXPECT_FALSE(d.GetDlgItem(5130)->GetWidget()->isHidden());
        EXPECT_FALSE(d.IsDlgButtonChecked(5130));
        d.SetDlgItemText(5131, "20");
        d.ClickDlgButton(5130); // applied at once
        EXPECT_LT(visible(c).size(), before.size());
        d.ClickDlgButton(IDOK);
    }),
              IDOK);
    // Exactly the maxima within 20 dB of the cadre's strongest stay.
    const float* AF = doc->pSpectraParam_A_F + c * B();
    float strongest = 0;
    for (int k : before)
        strongest = std::max(strongest, AF[k]);
    std::vector<int> expected;
    for (int k : before)
        if (20 * std::log10(AF[k] / strongest) >= -20)
            expected.push_back(k);
    EXPECT_EQ(visible(c), expected);
    EXPECT_EQ(expected.size(), kFreqs.size());
    EXPECT_EQ(app.GetProfileInt("Glissar", "RelativeVisibility", 0), 1);
    EXPECT_EQ(app.GetProfileInt("Glissar", "RelativeVisibility_dB", 0), 20);
    // Cancel takes a change back.
    levelsDialog([&](CDialog& d) {
        EXPECT_TRUE(d.IsDlgButtonChecked(5130));
        d.ClickDlgButton(5130);
        EXPECT_EQ(visible(c), before);
        d.ClickDlgButton(IDCANCEL);
    });
    EXPECT_EQ(visible(c), expected);
    EXPECT_TRUE(floatWaveIsSilent()); // visibility never changes the signal
}

TEST_F(GlissarWindows, ToolSizeDialogSetsTheIndexAndWaitsForEditing)
{
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemAs<CComboBox>(IDC_TOOLS_SIZE_COMBO)->GetCount(), 6);
        EXPECT_EQ(d.GetDlgItemAs<CComboBox>(IDC_TOOLS_SIZE_COMBO)->GetCurSel(), 2);
        d.ChooseComboItem(IDC_TOOLS_SIZE_COMBO, 5);
        d.ClickDlgButton(IDOK);
    });
    frame->SendMessage(WM_COMMAND, ID_GLISSAR_TOOLS_SIZE);
    SetDialogDriver(old);
    EXPECT_EQ(doc->nToolsSize, 5);

    CCmdUI state(ID_GLISSAR_TOOLS_SIZE);
    frame->OnUpdateToolsSize(&state);
    EXPECT_TRUE(state.m_bEnabled);
    doc->OnEditTraces();
    frame->OnUpdateToolsSize(&state);
    EXPECT_FALSE(state.m_bEnabled);
}

TEST_F(GlissarWindows, EditingCursorFollowsTheToolAndEveryCombinationLooksItsOwn)
{
    std::set<std::array<std::string, 32>> pictures;
    for (int add = 0; add < 2; ++add)
        for (int follow = 0; follow < 2; ++follow)
            for (int size = 0; size < 6; ++size) {
                const KGlissarCursorPicture p = DrawGlissarCursor(add, follow, size);
                pictures.insert(p.Rows);
                EXPECT_EQ(p.Rows[size_t(p.yHotSpot)][size_t(p.xHotSpot)], '#');
            }
    EXPECT_EQ(pictures.size(), 24u);

    doc->bAddTraces = false;
    doc->bFollowMaxima = true;
    doc->nToolsSize = 4;
    ASSERT_NE(upper()->GetToolCursor(), nullptr);
    EXPECT_EQ(upper()->GetToolCursor(), LoadCursorResource(IDC_GLISSAR_CURSOR_FIRST + GlissarCursorIndex(false, true, 4)));
    EXPECT_TRUE(upper()->OnSetCursor(upper(), HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), upper()->GetToolCursor());
    doc->OnEditTraces();
    upper()->OnSetCursor(upper(), HTCLIENT, WM_MOUSEMOVE);
    EXPECT_NE(GetCursor(), LoadCursorResource(IDC_GLISSAR_CURSOR_FIRST + GlissarCursorIndex(false, true, 4)));
}

TEST_F(GlissarWindows, LowerScreenAfterRemovingAllTracesPlaysTheOriginal)
{
    doc->OnAddAllVisibleTraces();
    doc->OnRemoveAllTraces();
    ASSERT_FALSE(doc->bShowOnlyMarkedTraces);
    CKDialogPlayOriginalOrSynthetic dlg(doc, frame);
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        auto& p = static_cast<CKDialogPlayOriginalOrSynthetic&>(d);
        EXPECT_EQ(p.IsDlgButtonChecked(IDC_PLAY_GAIN_FIRST), BST_CHECKED); // opens at +0 dB
        p.ClickDlgButton(IDC_PLAY_SYNTHETIC);
        for (int i = 0; i < 200 && p.IsPlaying(); ++i) {
            CVirtualAudio::AdvanceClockByFrames(kRate, long(kRate / 10));
            QApplication::processEvents();
        }
        p.ClickDlgButton(IDCANCEL);
    });
    dlg.DoModal();
    SetDialogDriver(old);
    QApplication::processEvents();

    const long s0 = doc->pWaveFilm.GetSampleFromCadreNumber(0);
    const long s1 = doc->pWaveFilm.GetSampleFromCadreNumber(doc->pWaveFilm.GetNCadres());
    const auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    std::vector<short> expected;
    for (long s = std::max(s0, 0L); s < s1; ++s)
        expected.push_back(short(samples[size_t(s)]));
    EXPECT_EQ(streams[0].Samples16(), expected);
}

TEST(GlissarLowerScreenSound, ResidualAndRebuiltSamplesAreTruncatedTowardsZero)
{
    const short original[4] = {100, -100, 7, 32767};
    const float rebuilt[3] = {0.75f, -0.75f, -40000.5f};
    short out[4];
    FillLowerScreenSamples(original, rebuilt, 3, 0, 4, false, out);
    EXPECT_EQ(out[0], 99);  // 99.25
    EXPECT_EQ(out[1], -99); // -99.25
    EXPECT_EQ(out[2], short(40007 - 65536)); // low 16 bits of 40007
    EXPECT_EQ(out[3], 0);   // past the rebuilt signal
    FillLowerScreenSamples(original, rebuilt, 3, 1, 2, true, out);
    EXPECT_EQ(out[0], 0);   // -0.75
    EXPECT_EQ(out[1], short(-40000 + 65536));
}
