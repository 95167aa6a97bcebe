// Rate changes and cadre reversal as plain functions: the interpolators'
// outputs against their filter formulas and their response to a stepped
// sweep, the decimator's length, its low-pass and its sums, and the grains
// of a ramp laid back in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "tembrix/KResampling.h"
#include "testsupport/Signals.h"

using namespace kresample;

namespace {

constexpr double kPi = std::numbers::pi;

// A signal read from the start, block after block, as the raw frames of a file.
struct Stream {
    std::vector<short> s;
    size_t pos = 0;
    long operator()(short* dst, long n)
    {
        long k = 0;
        for (; k < n && pos < s.size(); ++k)
            dst[k] = s[pos++];
        return k;
    }
};
std::vector<short> Shorts(const std::vector<int>& v)
{
    return {v.begin(), v.end()};
}
WindowReader Windowed(const std::vector<short>& s)
{
    return [&s](short* dst, long first, long n) {
        for (long k = 0; k < n; ++k) {
            const long i = first + k;
            dst[k] = i >= 0 && i < long(s.size()) ? s[size_t(i)] : 0;
        }
        return true;
    };
}
BlockWriter Into(std::vector<short>& out)
{
    return [&out](const short* p, long n) {
        out.insert(out.end(), p, p + n);
        return true;
    };
}
short Trunc(double v)
{
    return short(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

// The half-way tap for offset l / 2 (l odd) and the quarter-step prototype at t.
double HalfTap(int l)
{
    const int k = (std::abs(l) - 1) / 2;
    const double a = 0.01 * 0.25;
    return (k % 2 ? -1 : 1) * std::exp(-2 * kPi * kPi * a * a * l * l) / (std::abs(l) * kPi / 2) / 1.175 / 32767;
}
double QuarterTap(int t)
{
    if (t == 0)
        return 1 / (1.175 * 32767);
    const double a = 0.01 * 0.125, u = kPi * t / 4;
    return std::sin(u) / u * std::exp(-2 * kPi * kPi * a * a * t * t) / 1.175 / 32767;
}

using Upsampler = Outcome (*)(long, const SequentialReader&, const BlockWriter&, const Progress&);

// What an upsampler makes of the samples; empty when it does not finish.
std::vector<short> Through(Upsampler up, const std::vector<short>& in)
{
    Stream s{in};
    std::vector<short> out;
    if (up(long(in.size()), std::ref(s), Into(out), {}).kind != Outcome::Done)
        return {};
    return out;
}

// An impulse of A at n0 among 400 silent samples, through the upsampler.
std::vector<short> ImpulseThrough(Upsampler up, int n0, int A)
{
    std::vector<short> in(400, 0);
    in[size_t(n0)] = short(A);
    return Through(up, in);
}

// The first 320 input samples of an impulse of A at n0 upsampled by factor:
// output group n stands for input n − 1 (at 1/1.175) and the points after
// it, each the impulse through tap at its distance t = factor·(n0 − (n − 1)) − phase.
void ExpectImpulse(const std::vector<short>& out, int factor, int n0, int A, double (*tap)(int t))
{
    for (int n = 0; n < 320; ++n) {
        const int before = n - 1;
        EXPECT_EQ(out[size_t(factor * n)], Trunc(before == n0 ? A / 1.175 : 0.0)) << n;
        for (int ph = 1; ph < factor; ++ph) {
            const int t = factor * (n0 - before) - ph;
            EXPECT_EQ(out[size_t(factor * n + ph)], Trunc(32767 * tap(t) * A)) << n << " phase " << ph;
        }
    }
}

// A tone of f Hz sampled at fs, upsampled by factor, stands one input sample
// behind at 1/1.175 of its size, within 1 %; margin outputs left out at each end.
void ExpectTone(const std::vector<short>& y, int factor, size_t margin, double fs, double f, double amp)
{
    for (size_t m = margin; m + margin < y.size(); ++m) {
        const double t = (double(m) / factor - 1) / fs;
        EXPECT_NEAR(y[m], amp * std::sin(2 * kPi * f * t) / 1.175, 0.01 * amp) << m;
    }
}

} // namespace

TEST(Interpolators, DoublingGivesTheSampleThenTheFilteredHalfWayPointAndLeavesTheLastStretch)
{
    // 400 samples: blocks while 160 unread samples remain, so two blocks, 640 outputs.
    // An impulse among the primed samples and one read later.
    for (const int n0 : {40, 150}) {
        const int A = 20000;
        const std::vector<short> out = ImpulseThrough(UpsampleByTwo, n0, A);
        ASSERT_EQ(out.size(), 640u);
        // l: twice the distance from the half-way point.
        ExpectImpulse(out, 2, n0, A, [](int l) { return std::abs(l) < 160 ? HalfTap(l) : 0.0; });
    }
    EXPECT_EQ(HalfSampleFilter().size(), 160u);

    // A tone well inside the band comes back at its half-way points, 1/1.175 of its size.
    const double fs = 16000, f = 1000, amp = 12000;
    const std::vector<short> y = Through(UpsampleByTwo, Shorts(ktest::Sine(f, amp, 4000, fs)));
    ASSERT_EQ(y.size(), 2u * 160 * 24); // 3920 samples in whole blocks after the 80 primed
    ExpectTone(y, 2, 400, fs, f, amp);
}

TEST(Interpolators, QuadruplingGivesThreeFilteredQuarterPointsAfterEachSample)
{
    for (const int n0 : {10, 200}) {
        const int A = 15000;
        const std::vector<short> out = ImpulseThrough(UpsampleByFour, n0, A);
        ASSERT_EQ(out.size(), 1280u);
        // t: in quarter samples from the interpolated point.
        ExpectImpulse(out, 4, n0, A, [](int t) { return t >= -320 && t < 320 ? QuarterTap(t) : 0.0; });
    }

    const double fs = 8000, f = 700, amp = 10000;
    const std::vector<short> y = Through(UpsampleByFour, Shorts(ktest::Sine(f, amp, 2000, fs)));
    ASSERT_FALSE(y.empty());
    ExpectTone(y, 4, 800, fs, f, amp);
}

TEST(Interpolators, ShortSignalGivesNothingAndRefusedBuffersAreNamed)
{
    Stream s{std::vector<short>(239, 1000)};
    std::vector<short> out;
    EXPECT_EQ(UpsampleByTwo(239, std::ref(s), Into(out)).kind, Outcome::Done);
    EXPECT_TRUE(out.empty());

    for (int buffer : {BufferCoefficients, BufferPhase1, BufferPhase2, BufferPhase3, BufferSamples, BufferResult}) {
        SetAllocationRefusal([buffer](int b) { return b == buffer; });
        Stream t{std::vector<short>(1000, 1)};
        const Outcome o = UpsampleByFour(1000, std::ref(t), Into(out));
        EXPECT_EQ(o.kind, Outcome::NoMemory);
        EXPECT_EQ(o.nBuffer, buffer);
    }
    SetAllocationRefusal({});
    Stream t{std::vector<short>(1000, 1)};
    EXPECT_EQ(UpsampleByTwo(1000, std::ref(t), [](const short*, long) { return false; }).kind, Outcome::WriteFailed);
}

TEST(Decimator, KeepsTonesBelowTheNewNyquistAndRemovesThoseAbove)
{
    EXPECT_EQ(DecimationFilter(2).size(), 3183u);

    const double fs = 44100;
    const long N = 20000;
    const std::vector<short> low = Shorts(ktest::Sine(3000, 10000, N, fs));
    std::vector<short> out;
    ASSERT_EQ(Downsample(N, 3, Windowed(low), Into(out)).kind, Outcome::Done);
    ASSERT_EQ(out.size(), size_t((N + 2) / 3));
    // Far from both ends each output is the tone at sample 3k.
    for (size_t k = 2000; k + 2000 < out.size(); ++k)
        EXPECT_NEAR(out[k], 10000 * std::sin(2 * kPi * 3000 * 3.0 * double(k) / fs), 30) << k;

    // The first output is the filter centred on sample 0: half its taps see zeros.
    const int fcM = 3;
    const double fc = 0.5 / fcM, g = kPi * 0.002 * fc;
    const long H = long(5 / (2 * kPi * 0.002 * fc));
    double v0 = 0;
    for (long i = 0; i <= H; ++i) {
        const double c = i == 0 ? 1.0 : std::sin(2 * kPi * fc * i) / (2 * kPi * fc * i) * std::exp(-2 * g * g * i * i);
        v0 += c / fcM * low[size_t(i)];
    }
    EXPECT_EQ(out[0], Trunc(v0));

    const std::vector<short> high = Shorts(ktest::Sine(12000, 10000, N, fs));
    std::vector<short> gone;
    ASSERT_EQ(Downsample(N, 3, Windowed(high), Into(gone)).kind, Outcome::Done);
    for (size_t k = 2000; k + 2000 < gone.size(); ++k)
        EXPECT_LE(std::abs(gone[k]), 3) << k;
}

TEST(CadreReversal, GrainsAreGaussianWindowedAndTurnedBackInPlace)
{
    // A ramp of 60 cadres of 20 samples; keeping every 100th cadre leaves the grain of cadre 6 alone.
    const long w = 20, C = 60, N = C * w, G = 10 * w;
    const std::vector<short> ramp = Shorts(ktest::Ramp(int(N)));
    ReversalParams p{N, w, C, 0, 100, true};
    std::vector<float> R;
    ASSERT_EQ(ReverseCadres(p, Windowed(ramp), R).kind, Outcome::Done);
    ASSERT_EQ(R.size(), size_t(N));
    const long t = 6 * w, start = t - G / 2;
    for (long s = 0; s < N; ++s) {
        const long i = s - start;
        if (i < 0 || i >= G) {
            EXPECT_EQ(R[size_t(s)], 0.0f) << s;
            continue;
        }
        const double g = std::exp(-double(i - G / 2) * double(i - G / 2) / (2.0 * w * w));
        const double backwards = double(start + G - 1 - i + 1); // ramp value at the mirrored sample
        EXPECT_NEAR(R[size_t(s)], g * backwards, 1e-3 * backwards) << s;
    }

    // Every cadre, forwards: the overlapping grains sum to about 2.5 times the signal.
    const std::vector<short> level(size_t(N), 1000);
    p.nKeepEvery = 1;
    p.bReverse = false;
    ASSERT_EQ(ReverseCadres(p, Windowed(level), R).kind, Outcome::Done);
    for (long s = 12 * w; s < N - 12 * w; ++s)
        EXPECT_NEAR(R[size_t(s)], 1000 * std::sqrt(2 * kPi), 1.0) << s;

    // Fewer than 13 cadres: no grain at all.
    p.nCadres = 12;
    ASSERT_EQ(ReverseCadres(p, Windowed(level), R).kind, Outcome::Done);
    EXPECT_TRUE(std::all_of(R.begin(), R.end(), [](float v) { return v == 0.0f; }));
}

TEST(Decimator, EachOutputIsThePlainSumOfTheFilterOverItsWindow)
{
    // Noise over several output blocks, ending inside a block and inside a
    // group of outputs worked on together.
    std::vector<short> x(7 * 1024 + 333);
    unsigned r = 12345;
    for (short& v : x) {
        r = r * 1103515245u + 12345u;
        v = short(int(r >> 16) - 32768);
    }
    for (const int M : {2, 3, 7}) {
        const std::vector<double> c = DecimationFilter(M);
        const long L = long(c.size()), H = L / 2, N = long(x.size());
        std::vector<short> out;
        ASSERT_EQ(Downsample(N, M, Windowed(x), Into(out)).kind, Outcome::Done);
        ASSERT_EQ(long(out.size()), (N + M - 1) / M);
        for (long k = 0; k < long(out.size()); ++k) {
            double v = 0;
            for (long j = 0; j < L; ++j) {
                const long i = k * M - H + j;
                v += c[size_t(j)] * (i >= 0 && i < N ? x[size_t(i)] : 0);
            }
            ASSERT_EQ(out[size_t(k)], ToSample(v)) << "M " << M << " output " << k;
        }
    }
}

namespace {

// The amplitude of the tone of frequency f (cycles per sample) in y, from a
// Hann-windowed transform at exactly that frequency.
double ToneAmplitude(const std::vector<short>& y, size_t from, size_t n, double f)
{
    double re = 0, im = 0, wsum = 0;
    for (size_t k = 0; k < n; ++k) {
        const double w = 0.5 - 0.5 * std::cos(2 * kPi * double(k) / double(n));
        re += w * y[from + k] * std::cos(2 * kPi * f * double(from + k));
        im += w * y[from + k] * std::sin(2 * kPi * f * double(from + k));
        wsum += w;
    }
    return 2 * std::hypot(re, im) / wsum;
}

} // namespace

TEST(Interpolators, PassBandIsFlatAtTheDocumentedScaleAndImagesAreAttenuated)
{
    // A stepped sweep of tones across the input band: in the pass band each
    // comes out at 1/1.175 of its size; the images the rate change leaves
    // (at fs − f, and for ×4 also at fs + f and 2fs − f) are measured.
    const double A = 10000;
    const long N = 24000;
    for (const int factor : {2, 4}) {
        double worstPass = 0, worstImage_dB = -1000;
        for (int step = 1; step <= 45; ++step) {
            const double f = step / 100.0; // cycles per input sample, up to 0.45
            Stream s{Shorts(ktest::Sine(f * 16000, A, N, 16000))};
            std::vector<short> y;
            ASSERT_EQ((factor == 2 ? UpsampleByTwo : UpsampleByFour)(N, std::ref(s), Into(y), {}).kind,
                      Outcome::Done);
            const size_t from = 2000 * size_t(factor), n = 16000 * size_t(factor);
            ASSERT_GE(y.size(), from + n);
            const double gain = ToneAmplitude(y, from, n, f / factor) / A;
            std::vector<double> images = {(1 - f) / factor};
            if (factor == 4)
                images.insert(images.end(), {(1 + f) / factor, (2 - f) / factor});
            double image = 0;
            for (double fi : images)
                image = std::max(image, ToneAmplitude(y, from, n, fi) / A);
            const double image_dB = 20 * std::log10(std::max(image, 1e-12) / gain);
            if (f <= 0.40) {
                worstPass = std::max(worstPass, std::abs(gain * kInterpolatorGain - 1));
                worstImage_dB = std::max(worstImage_dB, image_dB);
            }
        }
        std::printf("x%d: pass band (f <= 0.40 fs) within %.4f of 1/1.175; images at most %.1f dB\n", factor,
                    worstPass, worstImage_dB);
        EXPECT_LT(worstPass, 0.001) << factor;
        EXPECT_LT(worstImage_dB, -60) << factor;
    }
}
