// The resamplers' FFT: its bins against the transform summed term by term,
// also of spaced 16-bit samples, the round trip, the filter sums against the plain sums, and the split of
// the blocks between the two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <vector>

#include "tembrix/KFastCorrelation.h"
#include "testsupport/Signals.h"

using namespace kresample;

namespace {

std::vector<double> NoiseDoubles(long n, unsigned seed)
{
    const std::vector<int> v = ktest::Noise(n, seed);
    return {v.begin(), v.end()};
}

} // namespace

TEST(RealFFT, BinsAreTheTransformSummedTermByTermAndComeBackTimesHalfTheSize)
{
    for (const long n : {16L, 64L, 2048L}) {
        const std::vector<double> x = NoiseDoubles(n, unsigned(n));
        CKRealFFT fft(n);
        ASSERT_EQ(fft.Bins(), n / 2 + 1);
        std::vector<double> re(size_t(fft.Bins())), im(size_t(fft.Bins()));
        fft.Forward(x.data(), re.data(), im.data());
        // Full-scale noise: each bin is a sum of n terms up to 32768.
        const double tol = 1e-12 * 32768 * double(n);
        for (long k = 0; k <= n / 2; ++k) {
            long double sr = 0, si = 0;
            for (long t = 0; t < n; ++t) {
                const long double a = -2 * std::numbers::pi_v<long double> * ((k * t) % n) / n;
                sr += x[size_t(t)] * std::cos(a);
                si += x[size_t(t)] * std::sin(a);
            }
            EXPECT_NEAR(re[size_t(k)], double(sr), tol) << n << " bin " << k;
            EXPECT_NEAR(im[size_t(k)], double(si), tol) << n << " bin " << k;
        }
        // Samples taken every third from 16-bit values: the same bins.
        std::vector<short> spaced(size_t(3 * n), short(1234));
        for (long t = 0; t < n; ++t)
            spaced[size_t(3 * t)] = short(x[size_t(t)]);
        std::vector<double> re3(re.size()), im3(im.size());
        fft.Forward(spaced.data(), 3, re3.data(), im3.data());
        EXPECT_EQ(re3, re) << n;
        EXPECT_EQ(im3, im) << n;

        std::vector<double> back(static_cast<size_t>(n));
        fft.Inverse(re.data(), im.data(), back.data());
        for (long t = 0; t < n; ++t)
            EXPECT_NEAR(back[size_t(t)], x[size_t(t)] * double(n / 2), tol) << n << " sample " << t;
    }
}

TEST(RealFFT, FilterSumsAreThePlainSumsOverEveryValidOffset)
{
    // An odd filter length, a block that ends in zeros, and two filters summed in one inverse.
    const long n = 1024, taps = 301;
    const std::vector<double> u = NoiseDoubles(n, 7), v = NoiseDoubles(n, 8);
    std::vector<double> c(static_cast<size_t>(taps)), d(static_cast<size_t>(taps));
    for (long i = 0; i < taps; ++i) {
        c[size_t(i)] = std::sin(0.05 * double(i)) / 300;
        d[size_t(i)] = std::exp(-double(i) / 50) / 100;
    }
    CKRealFFT fft(n);
    const CKFilterSpectrum C = FilterSpectrum(fft, c.data(), taps), D = FilterSpectrum(fft, d.data(), taps);
    std::vector<double> uRe(static_cast<size_t>(fft.Bins())), uIm(uRe), vRe(uRe), vIm(uRe), aRe(uRe.size(), 0.0), aIm(aRe);
    std::vector<double> y(static_cast<size_t>(n));
    fft.Forward(u.data(), uRe.data(), uIm.data());
    fft.Forward(v.data(), vRe.data(), vIm.data());
    AddProduct(fft.Bins(), uRe.data(), uIm.data(), C, aRe.data(), aIm.data());
    AddProduct(fft.Bins(), vRe.data(), vIm.data(), D, aRe.data(), aIm.data());
    fft.Inverse(aRe.data(), aIm.data(), y.data());
    for (long t = 0; t + taps <= n; ++t) {
        double plain = 0;
        for (long i = 0; i < taps; ++i)
            plain += c[size_t(i)] * u[size_t(t + i)] + d[size_t(i)] * v[size_t(t + i)];
        ASSERT_NEAR(y[size_t(t)], plain, 1e-9) << t;
    }
}

TEST(InHalves, EveryIndexIsWorkedOnOnceAndASingleOneAtOnce)
{
    for (const long n : {0L, 1L, 2L, 7L, 1000L}) {
        std::vector<std::atomic<int>> seen(static_cast<size_t>(n));
        std::atomic<int> calls{0}, firstHalf{0};
        InHalves(n, [&](int half, long from, long to) {
            ++calls;
            if (half == 0)
                ++firstHalf;
            for (long i = from; i < to; ++i)
                ++seen[size_t(i)];
        });
        EXPECT_EQ(calls, n < 2 ? 1 : 2) << n;
        EXPECT_EQ(firstHalf, 1) << n;
        for (long i = 0; i < n; ++i)
            EXPECT_EQ(seen[size_t(i)], 1) << n << " index " << i;
    }
}
