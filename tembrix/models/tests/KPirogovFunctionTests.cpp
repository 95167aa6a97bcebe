#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/base/ScriptedUserInteraction.h"
#include "tembrix/models/KPirogovFunction.h"
#include "tembrix/models/tests/ModelTestSupport.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"

namespace {

// One second of 1000 Hz, then one second of 2500 Hz, at 22050 Hz.
std::vector<int> ToneChange()
{
    std::vector<int> x = ktest::Sine(1000, 10000, 22050, 22050);
    const std::vector<int> y = ktest::Sine(2500, 10000, 22050, 22050);
    x.insert(x.end(), y.begin(), y.end());
    return x;
}

std::string Text(const kavrel_test::Bytes& b)
{
    return std::string(b.begin(), b.end());
}

} // namespace

TEST(PirogovBands, CentresAndHalfWidths)
{
    const KPirogovBands bands;
    const double fc[30] = {25,   31,   39,   50,   62,   79,   100,  125,   158,   200,   251,   317,   400,   503,   634,
                           800,  1007, 1269, 1600, 2015, 2539, 3200, 4031, 5079, 6400, 8063, 10159, 12800, 16126, 20318};
    for (int t = 0; t < 30; ++t)
        EXPECT_EQ(bands.fc[t], fc[t]) << t;
    EXPECT_EQ(bands.b[0], 3);
    EXPECT_EQ(bands.b[1], 4);
    EXPECT_EQ(bands.b[2], 5.5);
    EXPECT_EQ(bands.b[28], 2096);
    EXPECT_NEAR(bands.b[29], 2096 * 1.2599210498948732, 1e-9);
    // Each band's weight is a normal density: it integrates to one and peaks at its centre.
    for (int t : {0, 9, 21}) {
        double area = 0;
        for (double f = 0; f < 8000; f += 0.25)
            area += bands.Weight(t, f) * 0.25;
        EXPECT_NEAR(area, 1, 1e-6) << t;
        EXPECT_DOUBLE_EQ(bands.Weight(t, fc[t]), 1 / (std::sqrt(2 * std::numbers::pi) * bands.b[t]));
    }
}

TEST(PirogovBands, RangeByTheLinesFrequencies)
{
    const KPirogovBands bands;
    int lo = 0, hi = 0;
    // Lines 13 and 185 at 22050 Hz: 279.9 Hz and 3983.5 Hz, so 317 … 3200 Hz.
    PirogovBandRange(bands, 13 * 22050 / 1024.0, 185 * 22050 / 1024.0, lo, hi);
    EXPECT_EQ(lo, 11);
    EXPECT_EQ(hi, 21);
    // A centre on a line's frequency belongs to the range.
    PirogovBandRange(bands, 400, 400, lo, hi);
    EXPECT_EQ(lo, 12);
    EXPECT_EQ(hi, 12);
    // Nothing between two centres: an empty range.
    PirogovBandRange(bands, 401, 502, lo, hi);
    EXPECT_GT(lo, hi);
    PirogovBandRange(bands, 21000, 22000, lo, hi);
    EXPECT_GT(lo, hi);
}

TEST(PirogovFunction, FrameValueSumsTheBandLevelDifferences)
{
    double Ep[30], Ef[30];
    for (int t = 0; t < 30; ++t) {
        Ef[t] = 3.0 * (t + 1);
        Ep[t] = t % 2 ? 10 * Ef[t] : Ef[t] / 100; // +10 dB or −20 dB
    }
    // Bands 11..21: six odd ones at 10 dB, five even ones at 20 dB.
    EXPECT_NEAR(PirogovFrameValue(Ep, Ef, 3, 11, 21), 6 * 10 + 5 * 20, 1e-9);
    EXPECT_EQ(PirogovFrameValue(Ep, Ef, 3, 12, 11), 0);
    const double zero[30] = {};
    EXPECT_EQ(PirogovFrameValue(zero, zero, 1, 0, 29), 0);
}

TEST(PirogovFunction, DefaultsOfA22050HzFilm)
{
    ktest::FilmOnFile f("defaults", 22050, ToneChange());
    ASSERT_TRUE(f.bOpen);
    ASSERT_EQ(f.film.GetCadreStepInSamples(), 102);
    EXPECT_EQ(PirogovDefaultCadresPerFrame(f.film), 7); // 22050 / (102·30) = 7.2
    EXPECT_EQ(PirogovDefaultLowLine(f.film), 13);
    EXPECT_EQ(PirogovDefaultHighLine(f.film), 185);
    // At 8000 Hz the 4000 Hz line would be 512, past the last line.
    ktest::FilmOnFile g("narrow", 8000, ktest::Sine(500, 1000, 8000, 8000));
    ASSERT_TRUE(g.bOpen);
    EXPECT_EQ(PirogovDefaultLowLine(g.film), 38);
    EXPECT_EQ(PirogovDefaultHighLine(g.film), 511);
}

TEST(PirogovFunction, PeaksWhereTheSpectrumChanges)
{
    CScriptedUserInteraction ui;
    ktest::FilmOnFile f("change", 22050, ToneChange());
    ASSERT_TRUE(f.bOpen);
    const long N = f.film.GetNCadres();
    std::vector<float> times, values;
    ASSERT_TRUE(ComputePirogovFunction(f.film, 0, N - 1, 7, 11, 21, times, values));
    ASSERT_EQ(long(values.size()), N - 14 + 1);
    EXPECT_FLOAT_EQ(times[0], float(f.film.GetTimeInSecondsFromCadre(7)));
    const size_t top = size_t(std::max_element(values.begin(), values.end()) - values.begin());
    // Within the frame's K cadres of the change at 1 s.
    EXPECT_NEAR(times[top], 1.0, 7 * 102 / 22050.0);
    // A steady tone far from the change gives a small value.
    EXPECT_LT(values[20], values[top] / 20);

    // One value from exactly 2K cadres, none from fewer.
    ASSERT_TRUE(ComputePirogovFunction(f.film, 100, 113, 7, 11, 21, times, values));
    EXPECT_EQ(values.size(), 1u);
    ASSERT_TRUE(ComputePirogovFunction(f.film, 100, 112, 7, 11, 21, times, values));
    EXPECT_TRUE(values.empty());
    // K = 1: the window's only weight is sin(0), every value is the same.
    ASSERT_TRUE(ComputePirogovFunction(f.film, 0, 200, 1, 11, 21, times, values));
    EXPECT_EQ(values.size(), 200u);
    EXPECT_EQ(std::count(values.begin(), values.end(), 0.0f), 200);
}

// Over a selection far longer than the frame, starting inside the film:
// every value as the definition gives it from the spectra of all the
// selection's cadres, and every one of them, with its time, in the report.
TEST(PirogovFunction, LongSelectionFollowsTheDefinitionIntoTheReport)
{
    CScriptedUserInteraction ui;
    ktest::FilmOnFile f("glide", 22050, ktest::Glide(300, 3500, 8000, 30 * 22050, 22050));
    ASSERT_TRUE(f.bOpen);
    const long s0 = 37, s1 = f.film.GetNCadres() - 20, N = s1 - s0 + 1;
    const int K = 5, tLow = 11, tHigh = 21;

    std::vector<double> S(size_t(N) * 512);
    for (long j = 0; j < N; ++j) {
        f.film.pS0->Wave.PositKWaveWindowOnSample(f.film.GetSampleFromCadreNumber(s0 + j));
        f.film.FFT.CalculateWithWeighting(f.film.pS0);
        std::copy(f.film.pS0->GetAmplPower(), f.film.pS0->GetAmplPower() + 512, S.begin() + j * 512);
    }
    const KPirogovBands bands;
    double W[30][512];
    for (int t = 0; t < 30; ++t)
        for (int m = 0; m < 512; ++m)
            W[t][m] = bands.Weight(t, m * 22050 / 1024.0);
    std::vector<double> expected;
    for (long c = K; c <= N - K; ++c) {
        double v = 0;
        for (int t = tLow; t <= tHigh; ++t) {
            double Ep = 0, Ef = 0;
            for (int i = 0; i < K; ++i) {
                const double w = std::sin(std::numbers::pi * i / K);
                for (int m = 0; m < 512; ++m) {
                    Ep += w * S[size_t(c - i) * 512 + m] * W[t][m];
                    Ef += w * S[size_t(c + i) * 512 + m] * W[t][m];
                }
            }
            v += std::fabs(10 * std::log10(Ep / K + 1e-30) - 10 * std::log10(Ef / K + 1e-30));
        }
        expected.push_back(v);
    }

    std::vector<float> times, values;
    ASSERT_TRUE(ComputePirogovFunction(f.film, s0, s1, K, tLow, tHigh, times, values));
    ASSERT_EQ(values.size(), expected.size());
    for (size_t k = 0; k < values.size(); ++k) {
        ASSERT_NEAR(values[k], expected[k], 1e-5 * (1 + expected[k])) << k;
        ASSERT_EQ(times[k], float(f.film.GetTimeInSecondsFromCadre(s0 + K + long(k)))) << k;
    }

    // Lines 13 and 185 give bands 11..21 at 22050 Hz. The function's block
    // runs to well over 100 KB.
    f.film.SetSelectedFragmentAbsCadres(s0, s1);
    const std::string path = f.dir / "long.xls";
    ASSERT_TRUE(CreatePirogovFunctionFile(f.film, K, 13, 185, path.c_str()));
    const std::string text = Text(kavrel_test::ReadAll(path));
    const std::string title = "\n\xC2\xF0\xE5\xEC\xFF (\xF1)\t\xD4\xCF"; // "Время (с)\tФП"
    const size_t at = text.find(title);
    ASSERT_NE(at, std::string::npos);
    std::string lines;
    char line[64];
    for (size_t k = 0; k < values.size(); ++k) {
        std::snprintf(line, sizeof line, "\n%f\t%f", double(times[k]), double(values[k]));
        lines += line;
    }
    ASSERT_GT(lines.size(), 100000u);
    EXPECT_TRUE(text.substr(at + title.size()) == lines);
}

TEST(PirogovStatistics, UniformValuesFillEveryBin)
{
    std::vector<float> v(100);
    for (int i = 0; i < 100; ++i)
        v[size_t(i)] = float(99 - i);
    const KPirogovStatistics st = ComputePirogovStatistics(v);
    EXPECT_EQ(st.n, 100);
    EXPECT_EQ(st.min, 0);
    EXPECT_EQ(st.max, 99);
    for (int b = 0; b < 100; ++b)
        ASSERT_EQ(st.histogram[b], 1) << b;
    EXPECT_DOUBLE_EQ(st.mean, 49.5);
    // Σ(v − 49.5)² = 100·(100² − 1)/12, over n − 1.
    EXPECT_NEAR(st.deviation, std::sqrt(100 * 9999 / 12.0 / 99), 1e-12);
    EXPECT_NEAR(st.variation, st.deviation / 49.5, 1e-12);
    EXPECT_NEAR(st.entropy, std::log2(100.0) / 100, 1e-12);
    // x = i·100/100 = i exactly: the i-th smallest value.
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(st.percentiles[i], i) << i;
    EXPECT_EQ(st.percentiles[100], 99);
}

TEST(PirogovStatistics, PercentilesInterpolateAndStopAtTheLastValue)
{
    // Ten values 0, 10, … 90: x = i/10, q = 10·x up to the last value.
    std::vector<float> v;
    for (int k = 9; k >= 0; --k)
        v.push_back(float(10 * k));
    const KPirogovStatistics st = ComputePirogovStatistics(v);
    EXPECT_NEAR(st.percentiles[0], 0, 1e-12);
    EXPECT_NEAR(st.percentiles[15], 15, 1e-12);
    EXPECT_NEAR(st.percentiles[37], 37, 1e-12);
    EXPECT_NEAR(st.percentiles[90], 90, 1e-12);
    EXPECT_NEAR(st.percentiles[95], 90, 1e-12); // s[k + 1] stands for the last value
    EXPECT_EQ(st.percentiles[100], 90);
}

TEST(PirogovStatistics, TwoClustersAndDegenerateSets)
{
    std::vector<float> v(60, 2.0f);
    v.insert(v.end(), 40, 7.0f);
    KPirogovStatistics st = ComputePirogovStatistics(v);
    EXPECT_EQ(st.histogram[0], 60);
    EXPECT_EQ(st.histogram[99], 40);
    EXPECT_NEAR(st.entropy, -(0.6 * std::log2(0.6) + 0.4 * std::log2(0.4)) / 100, 1e-12);
    EXPECT_DOUBLE_EQ(st.mean, 4.0);

    // All equal: one bin, no spread, no entropy.
    st = ComputePirogovStatistics(std::vector<float>(5, 3.5f));
    EXPECT_EQ(st.histogram[0], 5);
    EXPECT_EQ(st.deviation, 0);
    EXPECT_EQ(st.entropy, 0);
    EXPECT_EQ(st.percentiles[50], 3.5);
    // One value: no deviation to divide by n − 1; zeros: no coefficient of variation.
    st = ComputePirogovStatistics({4.0f});
    EXPECT_EQ(st.n, 1);
    EXPECT_EQ(st.deviation, 0);
    st = ComputePirogovStatistics(std::vector<float>(3, 0.0f));
    EXPECT_EQ(st.variation, 0);
    EXPECT_FALSE(std::isnan(st.variation));
}

// The report of a tone change on file, and the messages it shows.
struct PirogovReport : ::testing::Test {
    CScriptedUserInteraction ui;
    ktest::FilmOnFile f{"report", 22050, ToneChange()};
    void SetUp() override { ASSERT_TRUE(f.bOpen); }
};

TEST_F(PirogovReport, FileInWindows1251)
{
    f.film.SetSelectedFragmentAbsCadres(10, 40);
    const std::string path = f.dir / "r.xls";
    KPirogovStatistics st;
    ASSERT_TRUE(CreatePirogovFunctionFile(f.film, 7, 13, 185, path.c_str(), &st));
    EXPECT_TRUE(ui.m_messages.empty());
    EXPECT_EQ(st.n, 31 - 14 + 1);
    const std::string text = Text(kavrel_test::ReadAll(path));
    // "Число помех", "Число испытаний" and "Среднее значение" in Windows-1251.
    const std::string head = "\n" + path + "\n\xD7\xE8\xF1\xEB\xEE \xEF\xEE\xEC\xE5\xF5\n\xD7\xE8\xF1\xEB\xEE "
                                           "\xE8\xF1\xEF\xFB\xF2\xE0\xED\xE8\xE9\t18\n\n\xD1\xF0\xE5\xE4\xED\xE5\xE5 "
                                           "\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\t";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    // Every part of the report, each line in its place.
    size_t lines = std::count(text.begin(), text.end(), '\n');
    EXPECT_EQ(lines, 1u + 1 + 1 + 2 + 3 + 2 + 101 + 2 + 100 + 2 + 1 + 1 + 18);
    char line[64];
    std::snprintf(line, sizeof line, "\n%d\t%f", 100, st.max);
    EXPECT_NE(text.find(line), std::string::npos);
    std::snprintf(line, sizeof line, "\n%f\t%f", st.min, st.histogram[0] / 18.0);
    EXPECT_NE(text.find(line), std::string::npos);
    // The function ends the file: its last line is the last frame's time.
    std::snprintf(line, sizeof line, "\n%f\t", double(float(f.film.GetTimeInSecondsFromCadre(10 + 24))));
    EXPECT_EQ(text.rfind('\n'), text.rfind(line));
    // "Фонетическая функция Пирогова" heads the function.
    EXPECT_NE(text.find("\n\n\xD4\xEE\xED\xE5\xF2\xE8\xF7\xE5\xF1\xEA\xE0\xFF \xF4\xF3\xED\xEA\xF6\xE8\xFF "
                        "\xCF\xE8\xF0\xEE\xE3\xEE\xE2\xE0\n" + path + "\n\xC2\xF0\xE5\xEC\xFF (\xF1)\t\xD4\xCF"),
              std::string::npos);
}

TEST_F(PirogovReport, EveryRefusalIsTold)
{
    f.film.SetSelectedFragmentAbsCadres(10, 20);

    const std::string nowhere = f.dir / "no/such/r.xls";
    EXPECT_FALSE(CreatePirogovFunctionFile(f.film, 7, 13, 185, nowhere.c_str()));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages.back().sText, CString(("Не удалось создать и открыть выходной файл:\n\n" + nowhere).c_str()));

    // Fewer than 2K cadres.
    const std::string shortPath = f.dir / "short.xls";
    EXPECT_FALSE(CreatePirogovFunctionFile(f.film, 7, 13, 185, shortPath.c_str()));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages.back().sText,
              CString("Выделенный фрагмент слишком короток: для функции Пирогова нужно не менее 14 кадров."));

    // Lines with no band centre between them.
    f.film.SetSelectedFragmentAbsCadres(10, 100);
    EXPECT_FALSE(CreatePirogovFunctionFile(f.film, 7, 185, 13, (f.dir / "empty-band.xls").c_str()));
    ASSERT_EQ(ui.m_messages.size(), 3u);
    EXPECT_EQ(ui.m_messages.back().sText,
              CString("Между нижней и верхней спектральными линиями нет ни одной третьоктавной полосы."));

    // Another FFT size: the message, and the file stays empty.
    ktest::FilmOnFile g("nfft4096", 22050, ToneChange(), 4096);
    ASSERT_TRUE(g.bOpen);
    g.film.SetSelectedFragmentAbsCadres(10, 100);
    const std::string p = g.dir / "n.xls";
    EXPECT_FALSE(CreatePirogovFunctionFile(g.film, 7, 13, 185, p.c_str()));
    ASSERT_EQ(ui.m_messages.size(), 4u);
    EXPECT_EQ(ui.m_messages.back().sText, CString("Размерность FFT должна быть ТОЛЬКО 1024."));
    EXPECT_TRUE(kavrel_test::ReadAll(p).empty());
}
