#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CSurface.h"
#include "tembrix/models/KDialogCreateVoiceSignal.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/TempFiles.h"

namespace {

constexpr COLORREF kGreenBack = 0x3F7F3F, kLightRed = 0x7F7FFF, kLightGreen = 0x7FFF7F, kYellow = 0x00FFFF;

class VoiceDialog : public ::testing::Test {
protected:
    void SetUp() override { ktest::EnsureQtApplication(); }

    INT_PTR run(const std::function<void(CKDialogCreateVoiceSignal&)>& script)
    {
        CKDialogCreateVoiceSignal dlg;
        DialogDriver old = SetDialogDriver([&](CDialog& d) { script(static_cast<CKDialogCreateVoiceSignal&>(d)); });
        const INT_PTR r = dlg.DoModal();
        SetDialogDriver(old);
        return r;
    }

    static COLORREF Pixel(CKVoiceModel& w, int x, int y)
    {
        w.Invalidate();
        w.UpdateWindow();
        return w.GetSurface()->GetPixel(x, y);
    }

    // Whether a pixel of this colour lies within r pixels of (x, y).
    static bool Near(CKVoiceModel& w, int x, int y, COLORREF colour, int r = 2)
    {
        const CSurface* s = w.GetSurface();
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const int px = x + dx, py = y + dy;
                if (px >= 0 && py >= 0 && px < s->Width() && py < s->Height() && s->GetPixel(px, py) == colour)
                    return true;
            }
        return false;
    }

    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
};

} // namespace

TEST_F(VoiceDialog, OpensWithTheFieldsAndDrawsTheDefaultModel)
{
    const INT_PTR r = run([&](CKDialogCreateVoiceSignal& d) {
        ktest::ExpectTexts(d, {{3075, "100"}, {3076, "0.3"}, {3080, "0.1"}, {3082, "-200"}, {3084, "0"}, {3091, "0"}});
        EXPECT_FALSE(d.IsDlgButtonChecked(3081));
        CKVoiceModel& w = d.VoiceModel;
        ASSERT_NE(w.GetSurface(), nullptr);
        EXPECT_EQ(w.GetDlgCtrlID(), 1);
        EXPECT_EQ(w.GetWindowText(), CString("MyKVoiceModelWindowName"));
        CRect frame, model;
        d.GetDlgItem(3074)->GetWindowRect(&frame);
        w.GetWindowRect(&model);
        EXPECT_EQ(model, frame);

        const int W = w.GetSurface()->Width(), H = w.GetSurface()->Height();
        EXPECT_EQ(Pixel(w, 1, H - 1), kGreenBack);
        // y(v) = (1 − v/A2)·H/2 and x(i) = i·W/c: the flow at the opening's end
        // in light red, the pulse's peak there in light green.
        auto x = [&](int i) { return i * W / w.c; };
        auto y = [&](double v) { return int((1 - v / 0.1) * H / 2); };
        EXPECT_TRUE(Near(w, x(800), y(w.Flow.pArray[800]), kLightRed));
        EXPECT_TRUE(Near(w, x(w.i1), y(0.04), kLightGreen));
        EXPECT_FALSE(Near(w, x(w.i1), y(-0.05), kLightGreen, 3));
        // The closure's mark: black from the base line down to −A2.
        EXPECT_EQ(Pixel(w, x(w.i2), H / 2 + H / 4), COLORREF(0));
        // Yellow: the phase labels under the base line and the residual at the top right.
        bool label = false, residual = false;
        for (int yy = H / 2 + 1; yy < H / 2 + 16; ++yy)
            label = label || Near(w, x(w.i2), yy, kYellow, 4);
        for (int yy = 1; yy < 16; ++yy)
            for (int xx = W - 60; xx < W; ++xx)
                residual = residual || w.GetSurface()->GetPixel(xx, yy) == kYellow;
        EXPECT_TRUE(label);
        EXPECT_TRUE(residual);
        EXPECT_EQ(w.ResidualText(), CString("Невязка = 0.00000"));
        d.ClickDlgButton(IDOK);
    });
    EXPECT_EQ(r, IDOK);
}

TEST_F(VoiceDialog, ShowingTakesTheFieldsOrTellsWhatIsWrong)
{
    run([&](CKDialogCreateVoiceSignal& d) {
        d.SetDlgItemText(3075, "1000");
        d.SetDlgItemText(3078, "1");
        d.CheckDlgButton(3081, BST_CHECKED);
        d.ClickDlgButton(3073);
        EXPECT_TRUE(ui.m_messages.empty());
        EXPECT_EQ(d.VoiceModel.c, 176);
        EXPECT_TRUE(d.VoiceModel.bCorrectByResidual);
        EXPECT_EQ(d.Params.F0, 1000);
        EXPECT_EQ(d.Params.T3, 1);
        double sum = 0;
        for (int j = 1; j < 176; ++j)
            sum += d.VoiceModel.Pulse.pArray[j];
        CString expected;
        expected.Format("Невязка = %.5f", sum / 175);
        EXPECT_EQ(d.VoiceModel.ResidualText(), expected);

        // T1 after T2: told, and the window keeps its model.
        d.SetDlgItemText(3076, "0.65");
        d.ClickDlgButton(3073);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(ui.m_messages[0].sText, CString("Противоречивые входные параметры модели."));
        EXPECT_EQ(d.VoiceModel.c, 176);
        EXPECT_EQ(d.VoiceModel.Params.T1, 0.3);

        // Out of a field's range: the data exchange refuses before anything is built.
        d.SetDlgItemText(3076, "0.3");
        d.SetDlgItemText(3075, "5000");
        d.ClickDlgButton(3073);
        ASSERT_EQ(ui.m_messages.size(), 2u);
        EXPECT_EQ(ui.m_messages[1].sText, CString("Введите число от 1 до 1000."));
        EXPECT_EQ(d.VoiceModel.c, 176);
        d.ClickDlgButton(IDOK);
    });
}

TEST_F(VoiceDialog, CreatesTheFileFromTheRecordLastShown)
{
    const std::string path = dir / "voice.wav";
    ui.QueueFile(path.c_str());
    run([&](CKDialogCreateVoiceSignal& d) {
        // Typed but not shown: the file keeps the record of 100 Hz.
        d.SetDlgItemText(3075, "200");
        d.ClickDlgButton(3071);
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    const FileDialogRequest& q = ui.m_fileDialogs[0];
    EXPECT_FALSE(q.bOpen);
    EXPECT_EQ(q.sDefaultExt, CString("WAV"));
    EXPECT_EQ(q.sFileName, CString("_VoiceModel"));
    EXPECT_EQ(q.sFilter, CString("WAVE файлы (*.wav)|*.wav||"));
    EXPECT_EQ(q.sTitle, CString("Задание имени синтезируемого файла-сигнала (в формате WAV)"));
    EXPECT_EQ(q.nFlags, DWORD(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST));
    EXPECT_TRUE(ui.m_messages.empty());
    EXPECT_EQ(ui.m_messageBeeps.size(), 1u);
    EXPECT_GT(ui.m_nWaitCursorShown, 0);
    const kavrel_test::Bytes b = kavrel_test::ReadAll(path);
    ASSERT_EQ(b.size(), 3528046u);
    auto sample = [&](size_t k) { return short(b[46 + 2 * k] | (b[47 + 2 * k] << 8)); };
    // The closure, the deepest point of each period, 1764 samples apart.
    for (size_t p = 0; p < 3; ++p) {
        size_t deepest = p * 1764;
        for (size_t k = p * 1764; k < (p + 1) * 1764; ++k)
            if (sample(k) < sample(deepest))
                deepest = k;
        EXPECT_EQ(deepest, p * 1764 + 1058) << p;
    }
}

TEST_F(VoiceDialog, CancelledOrUnwritableFilesAreNotReportedAsWritten)
{
    ui.QueueFile("");
    ui.QueueFile((dir / "no/such/voice.wav").c_str());
    run([&](CKDialogCreateVoiceSignal& d) {
        d.ClickDlgButton(3071);
        EXPECT_TRUE(ui.m_messages.empty());
        d.ClickDlgButton(3071);
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, CString("Не удается открыть файл с генерируемым сигналом"));
    EXPECT_TRUE(ui.m_messageBeeps.empty());
}

TEST_F(VoiceDialog, AJitterAcrossThePhaseOrderIsToldOnceAndTheFileWritten)
{
    const std::string path = dir / "jitter.wav";
    ui.QueueFile(path.c_str());
    run([&](CKDialogCreateVoiceSignal& d) {
        d.SetDlgItemText(3076, "0.59");
        d.SetDlgItemText(3087, "0.1");
        d.ClickDlgButton(3073);
        EXPECT_TRUE(ui.m_messages.empty());
        d.ClickDlgButton(3071);
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText,
              CString("В процессе генерации сигнала встретились противоречивые входные параметры модели."));
    EXPECT_EQ(kavrel_test::ReadAll(path).size(), 3528046u);
    EXPECT_EQ(ui.m_messageBeeps.size(), 1u);
}
