// Test signals as 16-bit sample values, computed from their formulas.
#pragma once
#include <cmath>
#include <numbers>
#include <vector>

namespace ktest {

// amplitude sin(2 pi f n / fs), rounded, n = 0 .. count-1.
inline std::vector<int> Sine(double f, double amplitude, long count, double fs)
{
    std::vector<int> x(static_cast<size_t>(count));
    for (long n = 0; n < count; ++n)
        x[size_t(n)] = int(std::lround(amplitude * std::sin(2 * std::numbers::pi * f * double(n) / fs)));
    return x;
}

// Sum of sinusoids of the given frequencies, each of this amplitude.
inline std::vector<int> Partials(const std::vector<double>& freqs, double amplitude, long count, double fs)
{
    std::vector<int> x(static_cast<size_t>(count));
    for (long n = 0; n < count; ++n) {
        double v = 0;
        for (double f : freqs)
            v += amplitude * std::sin(2 * std::numbers::pi * f * double(n) / fs);
        x[size_t(n)] = int(std::lround(v));
    }
    return x;
}

// Frequency moving linearly from f0 to f1 over the count samples.
inline std::vector<int> Glide(double f0, double f1, double amplitude, long count, double fs)
{
    std::vector<int> x(static_cast<size_t>(count));
    const double T = double(count) / fs;
    for (long n = 0; n < count; ++n) {
        const double t = double(n) / fs;
        x[size_t(n)] = int(std::lround(amplitude * std::sin(2 * std::numbers::pi * (f0 * t + (f1 - f0) * t * t / (2 * T)))));
    }
    return x;
}

// start, start + 1, ...
inline std::vector<int> Ramp(int count, int start = 1)
{
    std::vector<int> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        v[size_t(i)] = start + i;
    return v;
}

// Full-scale 16-bit noise from a linear congruential generator: the same
// values on every machine.
inline std::vector<int> Noise(long count, unsigned seed = 12345)
{
    std::vector<int> x(static_cast<size_t>(count));
    for (int& v : x) {
        seed = seed * 1103515245u + 12345u;
        v = int(seed >> 16) - 32768;
    }
    return x;
}

} // namespace ktest
