// Synthetic vowels with known truth, for the pitch and formant tracks: the
// harmonics of a fundamental (1/k in amplitude, every one below 0.45 of the
// rate) through a cascade of two-pole resonators, each pole pair exactly at
// its formant's frequency and bandwidth.
#pragma once
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace ktest {

struct Resonance {
    double frequency, bandwidth;
};

struct VoiceRecipe {
    std::function<double(double)> f0;      // Hz at time t (s); <= 0: silence there
    double jitter = 0;                      // each period's frequency off by up to this fraction
    std::vector<Resonance> formants;
    double peak = 12000;                    // the largest |sample|
};

struct Voice {
    std::vector<float> samples;
    std::vector<double> f0;                 // the instantaneous fundamental of each sample (0: silence)

    // The mean fundamental over t ± half seconds, 0 if any of it is silent.
    double MeanF0(double t, double half, double fs) const
    {
        const long a = std::lround((t - half) * fs), b = std::lround((t + half) * fs);
        if (a < 0 || b >= long(f0.size()))
            return 0;
        double s = 0;
        for (long i = a; i <= b; ++i) {
            if (f0[size_t(i)] <= 0)
                return 0;
            s += f0[size_t(i)];
        }
        return s / double(b - a + 1);
    }

    // Whether there is no voice from time a to time b (s).
    bool Silent(double a, double b, double fs) const
    {
        for (long i = std::max(0L, std::lround(a * fs)); i <= std::lround(b * fs) && i < long(f0.size()); ++i)
            if (f0[size_t(i)] > 0)
                return false;
        return true;
    }
};

inline Voice MakeVoice(const VoiceRecipe& recipe, double seconds, double fs, unsigned seed = 1)
{
    const long n = std::lround(seconds * fs);
    Voice v;
    v.samples.assign(size_t(n), 0.f);
    v.f0.assign(size_t(n), 0.0);
    std::vector<double> x(size_t(n), 0.0);
    double phase = 0, factor = 1;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) & 0xFFFF) / 32767.5 - 1;
    };
    for (long i = 0; i < n; ++i) {
        const double f = recipe.f0(double(i) / fs);
        if (f <= 0) {
            phase = 0;
            continue;
        }
        const double fi = f * factor;
        v.f0[size_t(i)] = fi;
        double s = 0;
        for (int k = 1; k * fi < 0.45 * fs; ++k)
            s += std::cos(k * phase) / k;
        x[size_t(i)] = s;
        phase += 2 * std::numbers::pi * fi / fs;
        if (phase >= 2 * std::numbers::pi) {
            phase -= 2 * std::numbers::pi;
            factor = 1 + recipe.jitter * next();
        }
    }
    for (const Resonance& r : recipe.formants) {
        const double c = -std::exp(-2 * std::numbers::pi * r.bandwidth / fs);
        const double b = 2 * std::exp(-std::numbers::pi * r.bandwidth / fs) * std::cos(2 * std::numbers::pi * r.frequency / fs);
        const double a = 1 - b - c;
        double y1 = 0, y2 = 0;
        for (double& s : x) {
            const double y = a * s + b * y1 + c * y2;
            y2 = y1;
            y1 = y;
            s = y;
        }
    }
    double m = 0;
    for (double s : x)
        m = std::max(m, std::fabs(s));
    for (long i = 0; i < n; ++i)
        v.samples[size_t(i)] = m > 0 ? float(x[size_t(i)] / m * recipe.peak) : 0.f;
    return v;
}

} // namespace ktest
