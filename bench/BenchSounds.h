// Sounds the benchmarks run on: made once and kept in the temporary folder
// ($TMPDIR, else /tmp), so that a rerun measures the work and not the making.
#pragma once
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "kavrel/core/KWaveWriteToFile.h"

namespace kbench {

inline std::string TempDir()
{
    const char* d = std::getenv("TMPDIR");
    return d && *d ? d : "/tmp";
}

// <temp>/<name>.wav, 16-bit mono at rate, written from make() when it is not there yet.
inline std::string CachedSound(const std::string& name, long rate, const std::function<std::vector<short>()>& make)
{
    const std::string path = TempDir() + "/" + name + ".wav";
    if (::access(path.c_str(), R_OK) == 0)
        return path;
    const std::vector<short> x = make();
    CKWaveWriteToFile w;
    w.Create(path.c_str(), rate, 1);
    w.Write(x.data(), int(x.size() * 2));
    w.Close();
    return path;
}

constexpr double kRate = 44100;

// seconds of sound at 44.1 kHz: gaussian noise of deviation sigma from a
// generator seeded with seed, plus voice(t) at each sample's time t in
// seconds (none for bare noise), rounded and clipped to 16 bits.
inline std::vector<short> NoisySound(int seconds, unsigned seed, double sigma,
                                     const std::function<double(double t)>& voice = {})
{
    std::vector<short> x(static_cast<size_t>(seconds * long(kRate)));
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, sigma);
    for (size_t i = 0; i < x.size(); ++i) {
        double v = noise(rng);
        if (voice)
            v += voice(double(i) / kRate);
        x[i] = short(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return x;
}

// A pitch followed sample by sample: the phase of the fundamental at 44.1 kHz.
struct Pitch {
    double phase = 0;
    // Advances one sample at f0 Hz; the new phase.
    double Step(double f0) { return phase += 2 * std::numbers::pi * f0 / kRate; }
};

// The harmonic series at this phase of the fundamental: count partials of
// level/h each. sin((h+1)x) = 2 cos x sin hx - sin (h-1)x: one sine and one
// cosine a sample.
inline double Harmonics(double phase, int count, double level)
{
    const double c2 = 2 * std::cos(phase);
    double prev = 0, cur = std::sin(phase), v = 0;
    for (int h = 1; h <= count; ++h) {
        v += level / h * cur;
        const double next = c2 * cur - prev;
        prev = cur;
        cur = next;
    }
    return v;
}

} // namespace kbench
