// spectrum and power against the formulas computed here directly (a slow
// DFT, a plain peak scan) on a file that sox made.
#include <numbers>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"

namespace {

const std::string kTool = std::string(KAVREL_BINARY_DIR) + "/bin/kavrel";

using ktest::RunCommand;
using ktest::TempPath;

std::vector<int> soxSamples(const std::string& path)
{
    std::string raw = RunCommand("sox '" + path + "' -t raw -e signed-integer -b 16 -L -");
    std::vector<int> v;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        v.push_back(short(std::uint16_t(std::uint8_t(raw[i]) | (std::uint8_t(raw[i + 1]) << 8))));
    return v;
}

// A vowel-like signal: a 150 Hz pulse train through two resonances, with noise.
// Each test its own file: CTest runs them side by side.
std::string makeSignal(const std::string& name)
{
    std::string path = TempPath(name);
    RunCommand("sox -n -r 16000 -b 16 -c 1 '" + path +
        "' synth 0.6 square 150 sine 700 sine 1220 whitenoise : synth 0.6 sine 2500 vol 0.3 2>/dev/null");
    if (soxSamples(path).empty())
        RunCommand("sox -n -r 16000 -b 16 -c 1 '" + path + "' synth 0.6 square 150 vol 0.5");
    return path;
}

} // namespace

TEST(KavrelAnalysis, SpectrumMatchesADirectGaussianDft)
{
    const std::string path = makeSignal("analysis-spectrum.wav");
    const std::vector<int> x = soxSamples(path);
    ASSERT_GT(x.size(), 5000u);
    const long s = 4321;
    for (int N : {256, 1024}) {
        SCOPED_TRACE(N);
        const double fs = 16000, pi = std::numbers::pi;
        const double sigmaF = N == 1024 ? 40.0 : fs / (2 * pi * ((N / 2) / 5));
        const int h = N / 2;
        const double sigmaT = 1 / (2 * pi * sigmaF);
        const int valid = std::min(int(7 * sigmaT * fs), h);
        auto g = [&](int i) {
            return i > valid ? 0.0 : std::exp(-double(i) * i / (2 * sigmaT * sigmaT * fs * fs)) / (sigmaT * std::sqrt(2 * pi));
        };
        auto sample = [&](long i) { return i < 0 || i >= long(x.size()) ? 0.0 : double(x[size_t(i)]); };
        std::vector<std::complex<long double>> S(static_cast<size_t>(h));
        for (int k = 0; k < h; ++k) {
            std::complex<long double> acc = 0;
            for (int t = -h; t < h; ++t) {
                long double a = -2.0L * std::numbers::pi_v<long double> * k * t / N;
                acc += (long double)(sample(s + t) * g(std::abs(t))) * std::complex<long double>(std::cos(a), std::sin(a));
            }
            S[size_t(k)] = 2.0L * acc;
        }

        std::string cmd = kTool + " spectrum '" + path + "' " + std::to_string(s) + " --nfft " + std::to_string(N);
        if (N == 1024)
            cmd += " --sigmaf 40";
        std::istringstream out(RunCommand(cmd));
        int bin, lines = 0, compared = 0;
        double freq, level, dphase;
        const double peak = 20 * std::log10(std::abs(*std::max_element(S.begin(), S.end(), [](auto& a, auto& b) {
                                                return std::abs(a) < std::abs(b);
                                            })));
        while (out >> bin >> freq >> level >> dphase) {
            ++lines;
            ASSERT_LT(bin, h);
            EXPECT_DOUBLE_EQ(freq, bin * fs / N);
            double expect = 10 * std::log10(double(std::norm(S[size_t(bin)])));
            // Far below the peak, rounding in the sums dominates.
            if (expect > peak - 120) {
                EXPECT_NEAR(level, expect, 1e-6) << bin;
                ++compared;
            }
            if (bin > 0 && expect > peak - 60) {
                auto c = S[size_t(bin)] * std::conj(S[size_t(bin - 1)]);
                double want = N / (2 * pi * fs) * std::atan2(double(c.imag()), double(c.real()));
                EXPECT_NEAR(dphase, want, 1e-9 + 1e-6 * std::abs(want)) << bin;
            }
        }
        EXPECT_EQ(lines, h);
        EXPECT_GT(compared, h / 2);
    }
}

TEST(KavrelAnalysis, PowerMatchesAPeakScan)
{
    const std::string path = makeSignal("analysis-power.wav");
    const std::vector<int> x = soxSamples(path);
    const long step = (1024 / 2) / 5; // the optimum step for NFFT 1024
    long cadres = long(x.size()) / step;
    cadres -= cadres & 1;
    std::istringstream out(RunCommand(kTool + " power '" + path + "'"));
    long c, lines = 0;
    double t, level;
    while (out >> c >> t >> level) {
        ASSERT_EQ(c, lines);
        ++lines;
        EXPECT_NEAR(t, c * step / 16000.0, 1e-6);
        const long width = step + (step & 1), first = c * step - width / 2;
        int p = 1;
        for (long i = first; i < first + step; ++i) {
            if (i >= 0 && i < long(x.size()))
                p = std::max(p, std::abs(x[size_t(i)]));
        }
        if (p == 1)
            p = 2;
        EXPECT_NEAR(level, 20 * std::log10(p / 32768.0), 1e-4) << c;
    }
    EXPECT_EQ(lines, cadres);
}
