// The analyser's document: the stretch it takes, its spectrum against a
// transform computed the slow way, the display range of the delays, the
// synthetic file against its documented layout, and the lists of maxima
// and minima.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>

#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/FileDialogs.h"
#include "testsupport/ReverbObjects.h"
#include "testsupport/Signals.h"

namespace {

const char* const kTooLong =
    "Выделенный сегмент слишком велик для анализа реверберации. Он будет сокращен до допустимых значений.";

// A signal that never repeats within the stretch, so a cut shows where it was made.
std::vector<int> Scramble(int count)
{
    std::vector<int> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        v[size_t(i)] = int((long long)i * 7919 % 20011) - 10005;
    return v;
}

// X[k] of the mean-removed, zero-padded stretch, summed term by term.
std::complex<double> SlowBin(const std::vector<int>& x, int first, int n, int k)
{
    double mean = 0;
    for (int i = 0; i < n; ++i)
        mean += x[size_t(first + i)];
    mean /= n;
    std::complex<double> s = 0;
    for (int i = 0; i < n; ++i)
        s += (x[size_t(first + i)] - mean) * std::polar(1.0, -2 * std::numbers::pi * double(k) * i / 65536);
    return s;
}

std::string Text(const kavrel_test::Bytes& b)
{
    return std::string(b.begin(), b.end());
}

} // namespace

TEST(VornelStretch, TakesUpTo65536SamplesAndCutsALongerSpanWithTheMessage)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const std::vector<int> x = Scramble(70000);
    {
        const auto obj = reverbtest::MakeReverbObject(dir, x, 22050, 100, 100 + 65536, "a.wav", "a.vrn");
        auto doc = reverbtest::OpenReverbDoc(obj.vrn);
        ASSERT_TRUE(doc);
        EXPECT_TRUE(ui.m_messages.empty());
        EXPECT_EQ(doc->GetNSamplesUsed(), 65536);
        EXPECT_TRUE(doc->bSpectrumReady);
    }
    const auto obj = reverbtest::MakeReverbObject(dir, x, 22050, 100, 100 + 65537, "b.wav", "b.vrn");
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, kTooLong);
    EXPECT_EQ(doc->GetNSamplesUsed(), 65536);
    EXPECT_EQ(doc->pSamples[0], x[100]);
    EXPECT_EQ(doc->pSamples[65535], x[100 + 65535]);
    EXPECT_TRUE(doc->bSpectrumReady);
}

TEST(VornelStretch, AReversedSpanGivesASilentSpectrumInsteadOfDividingByZero)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const auto obj = reverbtest::MakeReverbObject(dir, Scramble(5000), 22050, 3000, 2000);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->GetNSamplesUsed(), 0);
    for (int i = 0; i < CVornelDoc::nBins; ++i)
        ASSERT_TRUE(std::isfinite(doc->pAmpl_dB[i]) && std::isfinite(doc->p_dPhaze_dOmega[i])) << i;
}

TEST(VornelSpectrum, MatchesTheSlowTransformOfTheMeanRemovedStretch)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const double Fs = 16000;
    std::vector<int> x = ktest::Sine(700, 8000, 4000, Fs);
    for (int& v : x)
        v += 3000; // an offset the analysis takes away
    const int first = 500, n = 1500;
    const auto obj = reverbtest::MakeReverbObject(dir, x, unsigned(Fs), first, first + n);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    for (int k : {2, 7, 2867, 2868, 9000, 32767}) {
        const std::complex<double> a = SlowBin(x, first, n, k), b = SlowBin(x, first, n, k - 1);
        const double dB = 10 * std::log10(std::norm(a) + 1e-100);
        const double dPhaze = std::arg(a * std::conj(b)) * 65536 / (2 * std::numbers::pi * Fs);
        EXPECT_NEAR(doc->pAmpl_dB[k], dB, 1e-6) << k;
        EXPECT_NEAR(doc->p_dPhaze_dOmega[k], dPhaze, 1e-9) << k;
    }
    // Bin 0 holds what is left of the mean: nothing.
    EXPECT_LT(doc->pAmpl_dB[0], -150);
}

TEST(VornelSpectrum, AConstantStretchIsSilentOnceTheMeanIsRemoved)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const auto obj = reverbtest::MakeReverbObject(dir, std::vector<int>(3000, 1234), 22050, 10, 2900);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    for (int i = 0; i < CVornelDoc::nBins; ++i)
        ASSERT_DOUBLE_EQ(doc->pAmpl_dB[i], -1000.0) << i;
}

TEST(VornelSpectrum, ARangeNarrowerThan2PiIsShown2PiWideAboutItsMidpoint)
{
    double hi = 1.5, lo = 0.5;
    WidenPhazeRangeTo2Pi(hi, lo);
    EXPECT_DOUBLE_EQ(hi, 1.0 + std::numbers::pi);
    EXPECT_DOUBLE_EQ(lo, 1.0 - std::numbers::pi);
    hi = 10, lo = 2;
    WidenPhazeRangeTo2Pi(hi, lo);
    EXPECT_EQ(hi, 10);
    EXPECT_EQ(lo, 2);

    // The analysis applies it to the extremes of its own delays.
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const auto obj = reverbtest::MakeReverbObject(dir, Scramble(3000), 22050, 0, 2999);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    const double* v = doc->p_dPhaze_dOmega;
    const double vmax = *std::max_element(v, v + CVornelDoc::nBins), vmin = *std::min_element(v, v + CVornelDoc::nBins);
    ASSERT_LT(vmax - vmin, 2 * std::numbers::pi);
    EXPECT_NEAR(doc->dPhazeMax, (vmax + vmin) / 2 + std::numbers::pi, 1e-12);
    EXPECT_NEAR(doc->dPhazeMin, (vmax + vmin) / 2 - std::numbers::pi, 1e-12);
}

TEST(VornelSpectrum, ExtremaAndRisesOfACurve)
{
    const double v[] = {5, 1, 3, 3, 2, 4, 0, 9};
    EXPECT_EQ(FindStrictExtrema(v, 8, true), (std::vector<int>{5}));    // the plateau 3, 3 is no maximum
    EXPECT_EQ(FindStrictExtrema(v, 8, false), (std::vector<int>{1, 4, 6}));
    double d = -1;
    int i = -1;
    FindLargestRise(v, 8, d, i);
    EXPECT_EQ(d, 9);
    EXPECT_EQ(i, 7);
    const double w[] = {0, 2, 1, 3, 0};
    FindLargestRise(w, 5, d, i);
    EXPECT_EQ(i, 1); // the earlier of two equal rises
    const double falling[] = {3, 2, 1};
    FindLargestRise(falling, 3, d, i);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(i, 0);
}

TEST(VornelLists, MaximaOfAToneHoldItsBinFrequencyInTheDocumentedForm)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    // Bin 1486 at 44100 Hz, exactly: 65536 samples hold a whole number of periods.
    const double f = 1486 * 44100.0 / 65536;
    // A little of a noise-like signal gives every bin a level of its own.
    std::vector<int> x = ktest::Sine(f, 10000, 70000, 44100);
    const std::vector<int> noise = Scramble(70000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] += noise[i] / 1000;
    const auto obj = reverbtest::MakeReverbObject(dir, x, 44100, 0, 65536);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);

    const std::string maxima = dir / "_max.xls", minima = dir / "_min.xls";
    ui.QueueFile(maxima.c_str());
    doc->OnSaveMaxima();
    ui.QueueFile(minima.c_str());
    doc->OnSaveMinima();
    ASSERT_EQ(ui.m_fileDialogs.size(), 2u);
    EXPECT_FALSE(ui.m_fileDialogs[0].bOpen);
    EXPECT_EQ(ui.m_fileDialogs[0].sDefaultExt, "xls");
    EXPECT_EQ(ui.m_fileDialogs[0].sFileName, "_max");
    EXPECT_EQ(ui.m_fileDialogs[1].sFileName, "_min");
    EXPECT_EQ(ui.m_fileDialogs[0].nFlags, DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));

    // "Максимумы в звуковом файле = " in Windows-1251, then the path.
    const std::string head = "\xCC\xE0\xEA\xF1\xE8\xEC\xF3\xEC\xFB \xE2 \xE7\xE2\xF3\xEA\xEE\xE2\xEE\xEC "
                             "\xF4\xE0\xE9\xEB\xE5 = " + obj.wav + "\n";
    const std::string text = Text(kavrel_test::ReadAll(maxima));
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find("\n999.948\n"), std::string::npos);
    const std::string minText = Text(kavrel_test::ReadAll(minima));
    EXPECT_EQ(minText.substr(0, 9), "\xCC\xE8\xED\xE8\xEC\xF3\xEC\xFB "); // "Минимумы "

    // Every further line is the frequency of a bin, "%.3f".
    for (const std::string* t : {&text, &minText}) {
        std::istringstream in(t->substr(t->find('\n') + 1));
        std::string line;
        int lines = 0;
        while (std::getline(in, line)) {
            ++lines;
            ASSERT_TRUE(std::regex_match(line, std::regex("[0-9]+\\.[0-9]{3}"))) << line;
            const double bin = std::round(std::stod(line) * 65536 / 44100);
            char expected[32];
            std::snprintf(expected, sizeof expected, "%.3f", double(float(bin * 44100 / 65536)));
            ASSERT_EQ(line, expected);
        }
        EXPECT_GT(lines, 100);
    }

    // Cancelling writes nothing; an uncreatable file says nothing.
    ui.QueueFile("");
    doc->OnSaveMaxima();
    ui.QueueFile((dir / "no folder/_max.xls").c_str());
    doc->OnSaveMaxima();
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(VornelSynthetic, Is65536SamplesPeakNormalisedBehindTheDocumentedHeader)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const unsigned Fs = 22050;
    const int k0 = 3000;
    const auto obj = reverbtest::MakeReverbObject(dir, ktest::Sine(k0 * 22050.0 / 65536, 9000, 5000, Fs), Fs, 100, 4100);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    const std::vector<double> dB(doc->pAmpl_dB, doc->pAmpl_dB + CVornelDoc::nBins);

    const std::string out = dir / "synth.wav";
    ui.QueueFile(out.c_str());
    doc->OnCreateSyntheticWave();
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    EXPECT_TRUE(ktest::AsksToSave(ui.m_fileDialogs[0],
                                  KSaveFileRequest("wav", "sound", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                                                   "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||",
                                                   "В какой файл будем записывать синтезированный звук?")));
    EXPECT_EQ(doc->sSyntheticWaveFilePathName, out.c_str());
    EXPECT_GT(ui.m_nWaitCursorShown, 0);

    const kavrel_test::Bytes bytes = kavrel_test::ReadAll(out);
    ASSERT_EQ(bytes.size(), 46u + 131072u);
    using kavrel_test::Le32;
    const kavrel_test::Bytes header = kavrel_test::Cat({"RIFF", Le32(131110), "WAVE", "fmt ", Le32(18), {1, 0, 1, 0},
                                                        Le32(Fs), Le32(2 * Fs), {2, 0, 16, 0, 0, 0}, "data",
                                                        Le32(131072)});
    EXPECT_EQ(kavrel_test::Bytes(bytes.begin(), bytes.begin() + 46), header);
    std::vector<int> s(65536);
    int peak = 0;
    for (size_t k = 0; k < s.size(); ++k) {
        s[k] = int(short(bytes[46 + 2 * k] | (bytes[47 + 2 * k] << 8)));
        peak = std::max(peak, std::abs(s[k]));
    }
    EXPECT_EQ(peak, 32765);
    // The tone's amplitude stands out in the synthetic signal's spectrum as in the measured one.
    auto at = [&](int k) {
        std::complex<double> a = 0;
        for (size_t i = 0; i < s.size(); ++i)
            a += double(s[i]) * std::polar(1.0, -2 * std::numbers::pi * double(k) * double(i) / 65536);
        return std::abs(a);
    };
    EXPECT_GT(at(k0), 100 * at(k0 + 5000));
    // The views go on showing the measured spectrum.
    EXPECT_EQ(std::vector<double>(doc->pAmpl_dB, doc->pAmpl_dB + CVornelDoc::nBins), dB);

    // A file that cannot be made is reported; cancel does nothing.
    ui.QueueFile((dir / "no folder/s.wav").c_str());
    doc->OnCreateSyntheticWave();
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Не удалось открыть новый синтезируемый звуковой файл.");
    ui.QueueFile("");
    doc->OnCreateSyntheticWave();
    EXPECT_EQ(ui.m_messages.size(), 1u);
}

TEST(VornelDocument, RefusesFileNewAndAMissingSoundAndKeepsItsFlags)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    CVornelDoc fresh;
    EXPECT_FALSE(fresh.OnNewDocument());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText,
              "Это подчиненная программа.\nОна запускается автоматически только из программы Tembrix.exe !");
    EXPECT_TRUE(fresh.bWholeSpectrumInWindow);
    EXPECT_TRUE(fresh.bShowNumbers);
    EXPECT_FALSE(fresh.bSpectrumReady);

    const auto obj = reverbtest::MakeReverbObject(dir, Scramble(3000), 22050, 0, 2000);
    auto doc = reverbtest::OpenReverbDoc(obj.vrn);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pPhoneObject->nType, 4);
    EXPECT_EQ(doc->pPhoneObject->nLastSample, 2000);
    EXPECT_EQ(doc->GetFs(), 22050);
    doc->OnWholeSpectrumInWindow();
    doc->OnShowNumbers();
    EXPECT_FALSE(doc->bWholeSpectrumInWindow);
    EXPECT_FALSE(doc->bShowNumbers);

    // A document that cannot be written says so in the workshop's words.
    ui.m_messages.clear();
    const auto lost = reverbtest::MakeReverbObject(dir, Scramble(3000), 22050, 0, 2000, "c.wav", "no folder/c.vrn");
    EXPECT_TRUE(lost.vrn.empty());
    ASSERT_FALSE(ui.m_messages.empty());
    EXPECT_EQ(ui.m_messages.back().sText,
              "Error:\n\nCVornelDoc::SaveNewEmptyDocFile ( CKPhoneObject *pNew_PO, CKWaveFilm *pWF )");

    std::remove(obj.wav.c_str());
    ui.QueueAnswer(IDOK); // the reader's message
    ui.QueueAnswer(IDNO); // not looking for the sound elsewhere
    EXPECT_FALSE(reverbtest::OpenReverbDoc(obj.vrn));
}
