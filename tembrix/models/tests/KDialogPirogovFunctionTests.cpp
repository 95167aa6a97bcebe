#include <gtest/gtest.h>

#include <functional>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CSurface.h"
#include "tembrix/models/KDialogPirogovFunction.h"
#include "tembrix/models/tests/ModelTestSupport.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"

namespace {

class PirogovDialog : public ::testing::Test {
protected:
    void SetUp() override { ktest::EnsureQtApplication(); }

    INT_PTR run(CKWaveFilm& film, const std::function<void(CKDialogPirogovFunction&)>& script)
    {
        CKDialogPirogovFunction dlg(&film);
        DialogDriver old = SetDialogDriver([&](CDialog& d) { script(static_cast<CKDialogPirogovFunction&>(d)); });
        const INT_PTR r = dlg.DoModal();
        SetDialogDriver(old);
        return r;
    }

    // Two tones, 1000 Hz then 2500 Hz, one second each.
    static std::vector<int> Tones()
    {
        std::vector<int> x = ktest::Sine(1000, 10000, 22050, 22050);
        const std::vector<int> y = ktest::Sine(2500, 10000, 22050, 22050);
        x.insert(x.end(), y.begin(), y.end());
        return x;
    }

    CScriptedUserInteraction ui;
};

} // namespace

TEST_F(PirogovDialog, StartsFromThirtyFramesASecondAndTheSpeechBand)
{
    ktest::FilmOnFile f("dlg", 22050, Tones());
    ASSERT_TRUE(f.bOpen);
    run(f.film, [&](CKDialogPirogovFunction& d) {
        // 22050 / (102·7) Hz; the lines' frequencies in whole hertz.
        ktest::ExpectTexts(d, {{3056, "7"},
                               {3061, "13"},
                               {3058, "185"},
                               {3054, "Частота фреймов = 30.882353 Гц"},
                               {3060, "Частота = 3983.000000 Гц"},
                               {3063, "Частота = 279.000000 Гц"}});

        // The upper arrow raises a value, the lower one lowers it, within its range.
        d.PressSpin(3059, true);
        EXPECT_EQ(d.nHighLine, 186);
        EXPECT_EQ(d.GetDlgItemText(3058), CString("186"));
        EXPECT_EQ(d.GetDlgItemText(3060), CString("Частота = 4005.000000 Гц"));
        d.PressSpin(3057, false);
        EXPECT_EQ(d.nCadresPerFrame, 6);
        EXPECT_EQ(d.GetDlgItemText(3054), CString("Частота фреймов = 36.029411 Гц"));
        for (int k = 0; k < 20; ++k)
            d.PressSpin(3062, false);
        EXPECT_EQ(d.nLowLine, 0);
        EXPECT_EQ(d.GetDlgItemText(3063), CString("Частота = 0.000000 Гц"));
        d.nHighLine = 2;
        d.PressSpin(3059, false);
        d.PressSpin(3059, false);
        EXPECT_EQ(d.nHighLine, 1);
        d.nCadresPerFrame = 1;
        d.PressSpin(3057, false);
        EXPECT_EQ(d.nCadresPerFrame, 1);
        d.ClickDlgButton(IDCANCEL);
    });
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST_F(PirogovDialog, WritesTheReportAndDrawsTheDistribution)
{
    ktest::FilmOnFile f("speech", 22050, Tones());
    ASSERT_TRUE(f.bOpen);
    f.film.SetSelectedFragmentAbsCadres(100, 300);
    const std::string path = f.dir / "p.xls";
    ui.QueueFile(path.c_str());
    run(f.film, [&](CKDialogPirogovFunction& d) {
        d.ClickDlgButton(3064);
        EXPECT_EQ(d.sPathName, CString(path.c_str()));
        CSurface* s = d.Histogram.GetSurface();
        ASSERT_NE(s, nullptr);
        // The tallest bar reaches the top; every bar stands on the bottom row.
        int bars = 0;
        for (int x = 0; x < s->Width(); ++x)
            bars += s->GetPixel(x, s->Height() - 1) == CKPirogovHistogram::kBar;
        EXPECT_GT(bars, 0);
        bool top = false;
        for (int x = 0; x < s->Width(); ++x)
            top = top || s->GetPixel(x, 0) == CKPirogovHistogram::kBar;
        EXPECT_TRUE(top);
        EXPECT_EQ(d.Histogram.n, 201 - 14 + 1);
        EXPECT_EQ(d.GetDlgItemText(3066).Left(8), CString("n = 188;"));
        d.ClickDlgButton(IDOK);
    });
    EXPECT_TRUE(ui.m_messages.empty());
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    const FileDialogRequest& q = ui.m_fileDialogs[0];
    // Title, first and last sample of the selection: cadres 100 and 300 of 102 samples.
    EXPECT_EQ(q.sFileName, CString("speech_10200_30600"));
    EXPECT_EQ(q.sDefaultExt, CString("xls"));
    EXPECT_EQ(q.sFilter, CString("Worksheet Files (*.xls)|*.xls|*.xls|All Files (*.*)|*.*||"));
    EXPECT_EQ(q.nFlags, DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_GT(kavrel_test::ReadAll(path).size(), 3000u);
}

TEST_F(PirogovDialog, RefusesBadFieldsAndOtherFftSizes)
{
    ktest::FilmOnFile f("wide", 22050, Tones(), 4096);
    ASSERT_TRUE(f.bOpen);
    f.film.SetSelectedFragmentAbsCadres(10, 100);
    const std::string path = f.dir / "w.xls";
    ui.QueueFile(path.c_str());
    run(f.film, [&](CKDialogPirogovFunction& d) {
        d.SetDlgItemText(3056, "0");
        d.ClickDlgButton(3064);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(ui.m_messages[0].sText, CString("Введите целое число от 1 до 100000."));
        EXPECT_TRUE(ui.m_fileDialogs.empty());
        d.SetDlgItemText(3056, "3");
        d.ClickDlgButton(3064);
        d.ClickDlgButton(IDOK);
    });
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[1].sText, CString("Размерность FFT должна быть ТОЛЬКО 1024."));
    EXPECT_TRUE(kavrel_test::ReadAll(path).empty());
}
