// The document's commands that write a new sound: refusals of a stereo
// sound before any dialog, the dialogs' fields, the files written (rate,
// length, synthesis of a text-only and a micro-harmonic object), and the
// memory messages, after which no output is left behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>

#include "framework/base/Mmio.h"
#include "framework/base/ProgressService.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "kavrel/views/KDialogSetSigmaFr.h"
#include "tembrix/KResampling.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixIds.h"
#include "tembrix/tests/TembrixWindowsFixture.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace {

constexpr unsigned kRate = 16000;

struct Wave {
    unsigned channels = 0, rate = 0, bits = 0;
    std::vector<short> samples;
};
// The fmt and data chunks of a written file.
Wave ReadWave(const std::string& path)
{
    Wave w;
    const kavrel_test::Bytes b = kavrel_test::ReadAll(path);
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t size;
        std::memcpy(&size, &b[at + 4], 4);
        if (!std::memcmp(&b[at], "fmt ", 4)) {
            w.channels = b[at + 10] | b[at + 11] << 8;
            std::memcpy(&w.rate, &b[at + 12], 4);
            w.bits = b[at + 22] | b[at + 23] << 8;
        } else if (!std::memcmp(&b[at], "data", 4)) {
            w.samples.resize(size / 2);
            std::memcpy(w.samples.data(), &b[at + 8], w.samples.size() * 2);
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

// The largest magnitude among the samples.
short Peak(const std::vector<short>& samples)
{
    short peak = 0;
    for (short v : samples)
        peak = std::max<short>(peak, short(std::abs(v)));
    return peak;
}

struct ResampleDocTest : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    CScriptedProgressService progress;
    std::deque<ktest::DialogAnswer> dialogs;
    DialogDriver oldDriver;
    std::vector<int> samples = ktest::Partials({300.0, 1100.0}, 5000, 3 * long(kRate), kRate);

    void SetUp() override
    {
        ktest::EnsureQtApplication();
        oldDriver = ktest::AnswerDialogsInTurn(dialogs, {CKDialogSetSigmaFr::IDD});
    }
    void TearDown() override
    {
        SetDialogDriver(oldDriver);
        kresample::SetAllocationRefusal({});
    }
    std::unique_ptr<CTembrixDoc> NewDoc(unsigned channels = 1)
    {
        const std::string wav = dir / "sound.wav";
        std::vector<int> interleaved;
        for (int s : samples)
            for (unsigned c = 0; c < channels; ++c)
                interleaved.push_back(s);
        kavrel_test::WriteAll(wav, wavbytes::pcm16(channels, kRate, interleaved));
        return tembrix_test::NewDocumentOver(ui, wav, dir / "doc.tbx");
    }
    // What the command writes with its save dialog answered dir/name.
    Wave Written(CTembrixDoc& doc, void (CTembrixDoc::*command)(), const char* name)
    {
        const std::string out = dir / name;
        ui.QueueFile(out.c_str());
        (doc.*command)();
        return ReadWave(out);
    }
    // The workshop's drafts (TBX…) in the temporary folder.
    static int drafts()
    {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
            n += e.path().filename().string().rfind("TBX", 0) == 0;
        return n;
    }
    bool Shown(const char* text) const
    {
        for (const auto& m : ui.m_messages)
            if (m.sText == text)
                return true;
        return false;
    }
};

} // namespace

TEST_F(ResampleDocTest, StereoSoundIsRefusedBeforeAnyDialog)
{
    auto doc = NewDoc(2);
    ASSERT_TRUE(doc);
    const size_t fileDialogs = ui.m_fileDialogs.size();
    doc->OnUpsample(ID_UPSAMPLE_2);
    doc->OnUpsample(ID_UPSAMPLE_4);
    doc->OnDownsample();
    ASSERT_EQ(ui.m_messages.size(), 3u);
    for (const auto& m : ui.m_messages)
        EXPECT_STREQ(m.sText, "Эта операция работает только для монофонических сигналов");
    doc->OnReverseCadres();
    doc->OnSynthesis();
    ASSERT_EQ(ui.m_messages.size(), 5u);
    for (size_t k = 3; k < 5; ++k)
        EXPECT_STREQ(ui.m_messages[k].sText,
                     "Эта функция синтеза нового звукового файла с учетом свойств выдоленных сонообъектов работает "
                     "только с монофоническими (одноканальными) звуковыми файлами.");
    EXPECT_EQ(ui.m_fileDialogs.size(), fileDialogs);
}

TEST_F(ResampleDocTest, DoublingAndQuadruplingWriteTheRateAndWholeBlocks)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const long N = long(samples.size()), blocks = (N - 80) / 160;
    for (int factor : {2, 4}) {
        const std::string out = dir / ("up" + std::to_string(factor) + ".wav");
        ui.QueueFile(out.c_str());
        doc->OnUpsample(factor == 2 ? ID_UPSAMPLE_2 : ID_UPSAMPLE_4);
        const FileDialogRequest& rq = ui.m_fileDialogs.back();
        EXPECT_STREQ(rq.sFileName, doc->sDocFolder + "sound_UpSampling x " + std::to_string(factor).c_str());
        EXPECT_STREQ(rq.sTitle, "Задание нового имени выходного нормированного файла-сигнала (в формате WAV)");
        const Wave w = ReadWave(out);
        EXPECT_EQ(w.rate, kRate * unsigned(factor));
        EXPECT_EQ(w.channels, 1u);
        ASSERT_EQ(long(w.samples.size()), blocks * 160 * factor);
        // Every factor-th output is an input sample, one behind, at 1/1.175.
        for (long n = 1; n < blocks * 160; n += 97)
            EXPECT_EQ(w.samples[size_t(factor * n)], short(std::trunc(samples[size_t(n - 1)] / 1.175))) << n;
    }
    EXPECT_GT(progress.m_nOpened, 0);
    EXPECT_FALSE(progress.m_bOpen);
}

TEST_F(ResampleDocTest, DownsamplingDialogFollowsTheFactorAndTheFileHasTheNewRate)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    dialogs.push_back([](CDialog& d) {
        EXPECT_STREQ(d.GetDlgItemText(3053), "Старая частота АЦП = 16000");
        EXPECT_STREQ(d.GetDlgItemText(3054), "Новая частота АЦП = 8000");
        d.PressSpin(3052, true);
        EXPECT_STREQ(d.GetDlgItemText(3054), "Новая частота АЦП = 5333");
        EXPECT_STREQ(d.GetDlgItemText(3051), "3");
        d.ClickDlgButton(IDOK);
    });
    const Wave w = Written(*doc, &CTembrixDoc::OnDownsample, "down.wav");
    EXPECT_STREQ(ui.m_fileDialogs.back().sTitle, "Задание нового имени выходного файла-сигнала (в формате WAV)");
    EXPECT_EQ(w.rate, kRate / 3);
    EXPECT_EQ(long(w.samples.size()), (long(samples.size()) + 2) / 3);
}

TEST_F(ResampleDocTest, MemoryMessagesNameTheBufferAndLeaveNoOutput)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const std::string out = dir / "nomem.wav";
    const struct {
        UINT nID;
        int nBuffer;
    } cases[] = {{ID_UPSAMPLE_2, 1743}, {ID_UPSAMPLE_2, 1755}, {ID_UPSAMPLE_2, 1756}, {ID_UPSAMPLE_4, 1744},
                 {ID_UPSAMPLE_4, 1745}, {ID_UPSAMPLE_4, 1746}, {ID_DOWNSAMPLE, 2249}, {ID_DOWNSAMPLE, 2264}};
    for (const auto& c : cases) {
        kresample::SetAllocationRefusal([&](int b) { return b == c.nBuffer; });
        ui.m_messages.clear();
        ui.QueueFile(out.c_str());
        if (c.nID == ID_DOWNSAMPLE) {
            dialogs.push_back([](CDialog& d) { d.ClickDlgButton(IDOK); });
            doc->OnDownsample();
        } else {
            doc->OnUpsample(c.nID);
        }
        ASSERT_EQ(ui.m_messages.size(), 1u) << c.nBuffer;
        EXPECT_STREQ(ui.m_messages[0].sText,
                     ("Не хватило памяти для рассчетов.\nПроцесс прерван.\n" + std::to_string(c.nBuffer)).c_str());
        EXPECT_FALSE(std::filesystem::exists(out)) << c.nBuffer;
    }
}

TEST_F(ResampleDocTest, ReversalDialogStepsTheCountAndTheFileHasTheSoundsLength)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    dialogs.push_back([](CDialog& d) {
        EXPECT_STREQ(d.GetDlgItemText(3065), "Останется только каждый 1 кадр");
        d.PressSpin(3067, false); // not below 1
        d.PressSpin(3067, true);
        d.PressSpin(3067, true);
        EXPECT_STREQ(d.GetDlgItemText(3065), "Останется только каждый 3 кадр");
        d.PressSpin(3067, false);
        EXPECT_STREQ(d.GetDlgItemText(3065), "Останется только каждый 2 кадр");
        d.ClickDlgButton(3070);
        d.ClickDlgButton(IDOK);
    });
    const Wave w = Written(*doc, &CTembrixDoc::OnReverseCadres, "reversed.wav");
    EXPECT_STREQ(ui.m_fileDialogs.back().sFileName, "sound_Reversed_cadres");
    ASSERT_EQ(w.samples.size(), samples.size());
    EXPECT_GE(Peak(w.samples), 32765);
}

TEST_F(ResampleDocTest, SynthesisAppliesATextObjectAndTheTracesOfAMicroHarmonicOne)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const long w = doc->WaveFilm.GetCadreStepInSamples();
    auto add = [&](long c0, long c1, int type, double dB) {
        doc->WaveFilm.SetSelectedFragmentAbsCadres(c0, c1);
        dialogs.push_back([type](CDialog& d) {
            d.ClickDlgButton(type == 0 ? IDC_SET_CONTENT_TYPE_TEXT : IDC_SET_CONTENT_TYPE_MICRO);
            d.ClickDlgButton(IDOK);
        });
        doc->NewPhoneObject();
        CKPhoneObject* po = doc->GetPhoneObject(doc->PhoneObjectList.GetCount() - 1);
        po->dLevelChange_dB = dB;
        return po;
    };
    const CKPhoneObject* text = add(20, 60, 0, 20 * std::log10(2.0));
    const CKPhoneObject* micro = add(80, 100, 1, 20 * std::log10(0.5));
    // The tracer's traces of the micro-harmonic object.
    const long span = micro->nLastSample - micro->nFirstSample + 1;
    std::vector<float> traces(static_cast<size_t>(span));
    for (long k = 0; k < span; ++k)
        traces[size_t(k)] = float(2000 * std::sin(0.05 * double(k)));
    kavrel_test::WriteAll(micro->sPhoneObjectFloatWaveFilePathName.GetString(),
                          kavrel_test::Bytes(reinterpret_cast<const unsigned char*>(traces.data()),
                                             reinterpret_cast<const unsigned char*>(traces.data() + span)));

    const Wave wv = Written(*doc, &CTembrixDoc::OnSynthesis, "synthetic.wav");
    EXPECT_TRUE(ui.m_messages.empty());
    EXPECT_STREQ(ui.m_fileDialogs.back().sFileName, "sound_Synthetic");
    const long N = long(samples.size()), padded = (N + 1023) / 1024 * 1024;
    ASSERT_EQ(long(wv.samples.size()), padded);

    // The expected sum: the text object doubles its middle with soft edges of
    // the film's time deviation; the traces are added at half their level less.
    const double s = double(kRate) * doc->WaveFilm.pS0->GetSigmaT();
    const long C = text->nLastSample - text->nFirstSample + 1;
    std::vector<double> y(samples.begin(), samples.end());
    for (long k = 0; k < C; ++k) {
        double e = 1;
        if (k < 5 * w)
            e *= std::exp(-double(5 * w - 1 - k) * double(5 * w - 1 - k) / (2 * s * s));
        if (k >= C - 5 * w)
            e *= std::exp(-double(k - (C - 5 * w)) * double(k - (C - 5 * w)) / (2 * s * s));
        y[size_t(text->nFirstSample + k)] += e * samples[size_t(text->nFirstSample + k)];
    }
    for (long k = 0; k < span; ++k)
        y[size_t(micro->nFirstSample + k)] -= 0.5 * traces[size_t(k)];
    double peak = 0;
    for (double v : y)
        peak = std::max(peak, std::abs(v));
    for (long k = 0; k < N; ++k)
        ASSERT_NEAR(wv.samples[size_t(k)], std::trunc(32766 / peak * y[size_t(k)]), 1.0) << k;
    for (long k = N; k < padded; ++k)
        EXPECT_EQ(wv.samples[size_t(k)], 0);
}

TEST_F(ResampleDocTest, CocktailAsksForItsAdditionsAndWritesTheFilmsLength)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    dialogs.push_back([](CDialog& d) {
        EXPECT_STREQ(d.GetDlgItemText(3083), "1");
        d.PressSpin(3084, true);
        d.ClickDlgButton(IDOK);
    });
    const Wave w = Written(*doc, &CTembrixDoc::OnSoundCocktail, "cocktail.wav");
    EXPECT_EQ(w.rate, kRate);
    EXPECT_EQ(long(w.samples.size()), doc->WaveFilm.GetLengthInSamples());
    EXPECT_GE(Peak(w.samples), 32765);
}

TEST_F(ResampleDocTest, ReversalAndSynthesisNameTheirMissingWorkFileAndReversalItsBuffers)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const std::string out = dir / "none.wav";
    const auto reverse = [&] {
        dialogs.push_back([](CDialog& d) { d.ClickDlgButton(IDOK); });
        ui.QueueFile(out.c_str());
        doc->OnReverseCadres();
    };
    for (int buffer : {kresample::BufferReversalResult, kresample::BufferReversalGrain}) {
        kresample::SetAllocationRefusal([buffer](int b) { return b == buffer; });
        reverse();
    }
    kresample::SetAllocationRefusal({});

    const std::string oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", (dir / "no such folder").c_str(), 1);
    reverse();
    ui.QueueFile(out.c_str());
    doc->OnSynthesis();
    setenv("TMPDIR", oldTmp.c_str(), 1);

    ASSERT_EQ(ui.m_messages.size(), 4u);
    EXPECT_STREQ(ui.m_messages[0].sText, "Не хватило памяти для p_float_wave_signal !\nОперация не выполнена.");
    EXPECT_STREQ(ui.m_messages[1].sText, "Не хватило памяти для p_short_wave_window !\nОперация не выполнена.");
    EXPECT_STREQ(ui.m_messages[2].sText, "Не удалось создать имя временной папки для записи в нее черновика "
                                         "синтезированного звукового файла.");
    EXPECT_STREQ(ui.m_messages[3].sText,
                 "Не удалось имя временной папки для записи в нее черновика синтезированного звукового файла.");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ResampleDocTest, StoppingThePowerFileOfANewSoundCreatesNoDocument)
{
    progress.m_nCancelAfter = 3;
    EXPECT_EQ(NewDoc(), nullptr);
    EXPECT_EQ(progress.m_nOpened, 1);
    EXPECT_FALSE(progress.m_bOpen);
    EXPECT_TRUE(ui.m_messages.empty()); // stopped, not failed
    EXPECT_EQ(ui.m_fileDialogs.size(), 1u) << "the document's own file was asked for";
    EXPECT_FALSE(std::filesystem::exists(dir / "doc.tbx"));
}

TEST_F(ResampleDocTest, StoppedPartWayLeavesNeitherOutputNorDraftOfAnyOperation)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    doc->WaveFilm.SetSelectedFragmentAbsCadres(100, 300); // for the segment edit
    const int before = drafts();
    // "Прервать" at the first report of every indicator from now on (a
    // short sound gives some of them only a few).
    progress.m_nCancelAfter = 1;
    const auto ok = [](CDialog& d) { d.ClickDlgButton(IDOK); };
    struct Operation {
        const char* name;
        std::function<void()> run;
        bool dialog;
        bool asksForTheFile = true; // the cocktail asks only once its sound is made
    };
    const std::vector<Operation> operations = {
        {"up2", [&] { doc->OnUpsample(ID_UPSAMPLE_2); }, false},
        {"down", [&] { doc->OnDownsample(); }, true},
        {"reversed", [&] { doc->OnReverseCadres(); }, true},
        {"synthesis", [&] { doc->OnSynthesis(); }, false},
        {"segment", [&] { doc->OnDeleteOrKeepSegment(); }, true},
        {"side", [&] { doc->OnDeleteBeforeCaret(); }, true},
        {"levelled", [&] { doc->OnLevelPower(); }, true},
        {"cocktail", [&] { doc->OnSoundCocktail(); }, true, false},
    };
    for (const Operation& o : operations) {
        const size_t messages = ui.m_messages.size();
        const int opened = progress.m_nOpened;
        const std::string out = dir / (std::string(o.name) + ".wav");
        if (o.dialog)
            dialogs.push_back(ok);
        if (o.asksForTheFile)
            ui.QueueFile(out.c_str());
        o.run();
        EXPECT_GT(progress.m_nOpened, opened) << o.name;
        EXPECT_FALSE(progress.m_bOpen) << o.name;
        ASSERT_EQ(ui.m_messages.size(), messages + 1) << o.name;
        EXPECT_STREQ(ui.m_messages.back().sText, "Операция прервана. Файл не создан.") << o.name;
        EXPECT_FALSE(std::filesystem::exists(out)) << o.name;
        EXPECT_EQ(drafts(), before) << o.name;
    }
    // Without the press the same command writes its file.
    progress.m_nCancelAfter = -1;
    EXPECT_FALSE(Written(*doc, &CTembrixDoc::OnSynthesis, "after.wav").samples.empty());
}

TEST_F(ResampleDocTest, FailedWriteIsReportedAndTheDraftStaysOnlyThen)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const int before = drafts();
    const std::string out = dir / "failed.wav";
    const char* const failure = "Не удалось записать все данные в синтезируемый звуковой файл.";

    KFailMmioCall(KMmioCall::Write, MMIOERR_CANNOTWRITE, 1); // the samples after the format record
    ui.QueueFile(out.c_str());
    doc->OnUpsample(ID_UPSAMPLE_2);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_STREQ(ui.m_messages[0].sText, failure);
    EXPECT_FALSE(std::filesystem::exists(out));

    KFailMmioCall(KMmioCall::Write, MMIOERR_CANNOTWRITE, 1);
    ui.QueueFile(out.c_str());
    doc->OnSynthesis();
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_STREQ(ui.m_messages[1].sText, failure);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(drafts(), before + 1);

    KClearMmioFailures();
    ui.QueueFile(out.c_str());
    doc->OnSynthesis();
    EXPECT_EQ(ui.m_messages.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(drafts(), before + 1);
}
