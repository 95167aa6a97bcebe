// The analysis pass against the formulas computed the plain way, cadre by
// cadre: dB levels by the library's logarithm, InitiateTraceStatusForCadre on
// them, EstimateTracePeak on every maximum, visibility by 20·log10 in single
// precision. The status bytes are stored in files and must agree exactly; the
// peak parameters within the documented tolerances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "glissar/doc/KTracePeak.h"
#include "testsupport/Signals.h"
#include "testsupport/TracerObjects.h"

namespace {

using Doc = CGlissarDoc;

struct Analysis {
    std::vector<unsigned char> status;
    std::vector<float> AF, DP;
};

Analysis stored(Doc& doc)
{
    const size_t n = size_t(doc.GetNBins()) * size_t(doc.pWaveFilm.GetNCadres());
    return {std::vector<unsigned char>(doc.GetTraceStatus(0), doc.GetTraceStatus(0) + n),
            std::vector<float>(doc.pSpectraParam_A_F, doc.pSpectraParam_A_F + n),
            std::vector<float>(doc.pSpectraParam_D_P, doc.pSpectraParam_D_P + n)};
}

// Runs on the document's own frames and status array (overwritten).
Analysis plainAnalysis(Doc& doc)
{
    CKWaveFilm& film = doc.pWaveFilm;
    const int N = film.GetNFFT(), B = N / 2;
    const long C = film.GetNCadres(), M = doc.GetCadreMargin();
    const int K = doc.GetBinMargin();
    const KTRACE_PEAK_CONSTANTS pc = MakeTracePeakConstants(double(film.GetKWaveFrADC()), N, film.GetSigmaFr());
    Analysis a{{}, std::vector<float>(size_t(B) * size_t(C)), std::vector<float>(size_t(B) * size_t(C))};
    std::vector<double> v(static_cast<size_t>(B));
    for (long c = M; c < C - M; c += 2) {
        film.pS0->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c));
        film.pS1->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c + 1));
        film.FFT.CalculateWithWeighting(film.pS0, film.pS1);
        for (int half = 0; half < 2; ++half) {
            CKSpectrum* S = half == 0 ? film.pS0 : film.pS1;
            const long cadre = c + half;
            S->CalculateAmpl_dB_(v.data());
            doc.InitiateTraceStatusForCadre(cadre, v.data());
            const unsigned char* st = doc.GetTraceStatus(cadre);
            const Z* z = S->GetZ();
            for (int k = K; k < B - K; ++k) {
                if (!(st[k] & Doc::TRACE_LOCAL_MAX))
                    continue;
                const KTRACE_PEAK p = EstimateTracePeak(v[size_t(k - 1)], v[size_t(k)], v[size_t(k + 1)], z[k - 1],
                                                        z[k], z[k + 1], k, pc);
                const size_t i = size_t(cadre * B + k);
                a.AF[i] = float(p.A);
                a.AF[i - 1] = float(p.omega);
                a.DP[i] = float(p.D);
                a.DP[i - 1] = float(p.P);
            }
        }
    }
    const float* down = film.validDownLevel.pArray;
    for (long c = 0; c < C; ++c) {
        unsigned char* st = doc.GetTraceStatus(c);
        for (int k = 0; k < B; ++k) {
            if (c < M || c >= C - M || k < K || k >= B - K)
                st[k] = 0;
            else if (st[k] & Doc::TRACE_LOCAL_MAX)
                st[k] = 20.0f * std::log10(a.AF[size_t(c * B + k)]) >= down[k] ? st[k] | Doc::TRACE_VISIBLE
                                                                                : st[k] & ~Doc::TRACE_VISIBLE;
        }
    }
    a.status = stored(doc).status;
    return a;
}

struct Deviations {
    double A = 0, omega = 0, P = 0, betaOverW2 = 0;
    long maxima = 0, visible = 0;
};

// Analyses the document both ways and compares; the largest deviations.
Deviations compareAnalyses(Doc& doc, const std::string& what)
{
    EXPECT_TRUE(doc.CalculateAllSpectra(true)) << what;
    const Analysis fast = stored(doc);
    const Analysis plain = plainAnalysis(doc);
    Deviations d;
    const int B = doc.GetNBins();
    const double Fs = double(doc.pWaveFilm.GetKWaveFrADC());
    const double W2 = std::pow(2 * std::numbers::pi * doc.pWaveFilm.GetSigmaFr(), 2);
    long differing = 0;
    for (size_t i = 0; i < plain.status.size(); ++i) {
        if (fast.status[i] != plain.status[i]) {
            if (++differing <= 5)
                ADD_FAILURE() << what << ": status of cadre " << i / size_t(B) << " bin " << i % size_t(B) << " is "
                              << int(fast.status[i]) << ", should be " << int(plain.status[i]);
            continue;
        }
        if (!(plain.status[i] & Doc::TRACE_LOCAL_MAX))
            continue;
        ++d.maxima;
        d.visible += (plain.status[i] & Doc::TRACE_VISIBLE) != 0;
        d.A = std::max(d.A, double(std::fabs(fast.AF[i] - plain.AF[i])) / plain.AF[i]);
        d.omega = std::max(d.omega, double(std::fabs(fast.AF[i - 1] - plain.AF[i - 1])) / plain.AF[i - 1]);
        d.P = std::max(d.P, double(std::fabs(fast.DP[i - 1] - plain.DP[i - 1])));
        // β relative to W2, or to itself where it is larger.
        d.betaOverW2 = std::max(d.betaOverW2, std::fabs(double(fast.DP[i]) - plain.DP[i]) * 2 * Fs * Fs /
                                                  std::max(W2, std::fabs(double(plain.DP[i])) * 2 * Fs * Fs));
    }
    EXPECT_EQ(differing, 0) << what;
    std::printf("%-28s %6ld maxima (%ld visible): A %.1e, omega %.1e, P %.1e rad, beta/W2 %.1e\n", what.c_str(),
                d.maxima, d.visible, d.A, d.omega, d.P, d.betaOverW2);
    EXPECT_GT(d.maxima, 0) << what;
    EXPECT_LE(d.A, 1e-6) << what;
    EXPECT_LE(d.omega, 1e-6) << what;
    EXPECT_LE(d.P, 1e-6) << what;
    EXPECT_LE(d.betaOverW2, 1e-6) << what;
    return d;
}

std::unique_ptr<Doc> openOnFile(const ktest::ScratchDir& dir, const std::string& wav, int nFFT, long c0, long c1)
{
    const std::string gsr = dir / ("object_" + std::to_string(nFFT) + "_" + std::to_string(c0) + ".gsr");
    const std::string kfw = dir / ("object_" + std::to_string(nFFT) + "_" + std::to_string(c0) + ".kfw");
    CKWaveFilm film;
    if (!OpenKWaveFilmOnWholeFile(film, wav.c_str(), "object", nFFT))
        return nullptr;
    film.SetSelectedFragmentAbsCadres(c0, c1 < 0 ? film.GetNCadres() - 1 : c1);
    CKPhoneObject po;
    po.nType = 1;
    po.nIndex = 1;
    po.nFirstSample = int(film.GetSelectedFragmentSample0());
    po.nLastSample = int(film.GetSelectedFragmentSample1());
    po.sPhoneObjectDocFilePathName = gsr.c_str();
    po.sPhoneObjectFloatWaveFilePathName = kfw.c_str();
    if (!WriteNewPhoneObjectFiles(&po, &film))
        return nullptr;
    return tracertest::OpenTracerDoc(gsr);
}

TEST(GlissarAnalysis, SpeechOfTheDemoSoundAgreesWithThePlainFormulas)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    const std::string wav = std::string(KAVREL_SOURCE_DIR) + "/demo/demo.wav";
    for (int nFFT : {256, 1024, 4096}) {
        auto doc = openOnFile(dir, wav, nFFT, 0, -1);
        ASSERT_TRUE(doc) << nFFT;
        compareAnalyses(*doc, "demo.wav, NFFT " + std::to_string(nFFT));
    }
    // An object over a stretch, with the film's levels raised so that some
    // maxima fall below them.
    auto doc = openOnFile(dir, wav, 1024, 40, 300);
    ASSERT_TRUE(doc);
    for (int k = 0; k < int(doc->pWaveFilm.validDownLevel.nSize); ++k)
        doc->pWaveFilm.validDownLevel.pArray[k] += 30;
    const Deviations d = compareAnalyses(*doc, "demo.wav, raised levels");
    EXPECT_LT(d.visible, d.maxima);
}

TEST(GlissarAnalysis, TestSignalsAgreeWithThePlainFormulas)
{
    CScriptedUserInteraction ui;
    constexpr unsigned kRate = 16000;
    std::mt19937 rng(3);
    std::normal_distribution<double> gauss(0, 3000);
    std::vector<int> noise(16000), quiet(16000), clipped = ktest::Sine(700, 60000, 16000, kRate);
    for (int& s : noise)
        s = int(std::lround(gauss(rng)));
    // One-bit noise: whole stretches of equal levels between its maxima.
    for (size_t i = 0; i < quiet.size(); ++i)
        quiet[i] = (i * 7919 % 97) < 3 ? 1 : 0;
    for (int& s : clipped)
        s = std::clamp(s, -32768, 32767);
    std::vector<int> silenceThenTone(16000, 0);
    const std::vector<int> tone = ktest::Sine(1000, 8000, 8000, kRate);
    std::copy(tone.begin(), tone.end(), silenceThenTone.begin() + 8000);
    const struct {
        const char* name;
        std::vector<int> x;
    } signals[] = {
        {"steady tone", ktest::Sine(1003.9, 8000, 16000, kRate)},
        {"tone on a bin", ktest::Sine(1000, 8000, 16000, kRate)},
        {"glide", ktest::Glide(1500, 5500, 8000, 16000, kRate)},
        {"three partials", ktest::Partials({440, 1250, 2600}, 3000, 16000, kRate)},
        {"noise", noise},
        {"sparse clicks", quiet},
        {"clipped tone", clipped},
        {"silence, then a tone", silenceThenTone},
    };
    for (const auto& s : signals) {
        ktest::ScratchDir dir;
        const tracertest::TracerObject obj = tracertest::MakeTracerObject(dir, s.x, kRate, 10, 140);
        auto doc = tracertest::OpenTracerDoc(obj.gsr);
        ASSERT_TRUE(doc) << s.name;
        compareAnalyses(*doc, s.name);
    }
}

// The classification rules on dB levels, as the document states them.
std::vector<unsigned char> statusByTheRules(const std::vector<double>& v)
{
    const size_t B = v.size();
    std::vector<unsigned char> st(B, 0);
    for (size_t k = 1; k + 1 < B; ++k) {
        const double p = v[k - 1], x = v[k], n = v[k + 1];
        if (n < x)
            st[k] = x > p ? Doc::TRACE_LOCAL_MAX : Doc::TRACE_SLOPE_DOWN;
        else if (n > x)
            st[k] = x < p && n < p ? Doc::TRACE_SLOPE_DOWN : Doc::TRACE_SLOPE_UP;
        else if (x != p)
            st[k] = x > p ? Doc::TRACE_SLOPE_UP : Doc::TRACE_SLOPE_DOWN;
        else
            for (size_t j = k - 1; j-- > 0;)
                if (v[j] != p) {
                    st[k] = p > v[j] ? Doc::TRACE_SLOPE_UP : Doc::TRACE_SLOPE_DOWN;
                    break;
                }
    }
    return st;
}

// The AVX-512, AVX2 and plain versions (those the processor has), over
// lengths that leave every kind of remainder, on levels with many equal
// neighbours and runs.
TEST(GlissarAnalysis, ClassificationByPowerFollowsTheRulesOnDecibels)
{
    CScriptedUserInteraction ui;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> level(0, 3), run(0, 5);
    // The rules above against the document's own, once.
    {
        ktest::ScratchDir dir;
        const auto obj = tracertest::MakeTracerObject(dir, ktest::Sine(1000, 8000, 16000, 16000), 16000, 10, 140);
        auto doc = tracertest::OpenTracerDoc(obj.gsr);
        ASSERT_TRUE(doc);
        std::vector<double> v(size_t(doc->GetNBins()));
        for (double& x : v)
            x = level(rng);
        doc->InitiateTraceStatusForCadre(20, v.data());
        EXPECT_EQ(std::vector<unsigned char>(doc->GetTraceStatus(20), doc->GetTraceStatus(20) + v.size()),
                  statusByTheRules(v));
    }
    for (int B : {3, 4, 9, 10, 11, 12, 16, 17, 23, 64, 513}) {
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<double> q(static_cast<size_t>(B));
            for (size_t i = 0; i < q.size();) {
                const double power = std::pow(10.0, level(rng) + (trial % 2 ? 0.1 * level(rng) : 0));
                for (int r = run(rng) + 1; r > 0 && i < q.size(); --r)
                    q[i++] = power;
            }
            std::vector<double> dB(q.size());
            for (size_t i = 0; i < q.size(); ++i)
                dB[i] = 10.0 * std::log10(q[i]);
            const std::vector<unsigned char> expected = statusByTheRules(dB);
            for (int widest : {512, 256, 128}) {
                std::vector<unsigned char> st(q.size(), 0xff);
                ASSERT_TRUE(ClassifyTraceBinsByPower(q.data(), B, st.data(), widest)) << B;
                ASSERT_EQ(st, expected) << B << " " << trial << " " << widest;
            }
        }
    }
}

// Powers further apart than the classification's tie ratio keep their order
// in dB; equal ones are equal there. That is what lets it compare powers.
TEST(GlissarAnalysis, PowersApartByTheTieRatioKeepTheirOrderInDecibels)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> exponent(-100, 300);
    for (int i = 0; i < 200000; ++i) {
        const double a = std::pow(10.0, exponent(rng));
        const double b = std::nextafter(a * (1 + 1e-9), DBL_MAX);
        ASSERT_LT(10.0 * std::log10(a), 10.0 * std::log10(b)) << a;
    }
    // The classification gives up exactly where the dB levels could tie.
    std::vector<double> q(40, 1.0);
    for (size_t i = 0; i < q.size(); ++i)
        q[i] = 1e6 + double(i % 3) * 1e5;
    std::vector<unsigned char> st(q.size());
    for (int widest : {512, 256, 128}) {
        EXPECT_TRUE(ClassifyTraceBinsByPower(q.data(), int(q.size()), st.data(), widest));
        for (size_t i : {size_t(5), size_t(14), size_t(30), size_t(37)}) {
            std::vector<double> tied = q;
            tied[i] = std::nextafter(q[i - 1], DBL_MAX);
            EXPECT_FALSE(ClassifyTraceBinsByPower(tied.data(), int(q.size()), st.data(), widest)) << i;
            // Two bins apart as well: a valley compares its neighbours.
            tied = q;
            tied[i] = q[i - 2] * (1 + 1e-12);
            tied[i - 1] = 1;
            EXPECT_FALSE(ClassifyTraceBinsByPower(tied.data(), int(q.size()), st.data(), widest)) << i;
        }
        std::vector<double> nan = q;
        nan[20] = NAN;
        EXPECT_FALSE(ClassifyTraceBinsByPower(nan.data(), int(q.size()), st.data(), widest));
    }
}

} // namespace
