// A film over a generated sound for the tests of its floating windows (the
// instant spectrum and the phase portrait).
#pragma once
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/ui/CSurface.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/core/tests/WavBytes.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"

namespace floating_test {

constexpr double kPi = 3.14159265358979323846;

struct FilmOnFile {
    FilmOnFile(const std::string& name, const std::vector<int>& samples, unsigned rate, int nFFT)
    {
        path = wavbytes::writeFile(name, wavbytes::pcm16(1, rate, samples));
        bOpen = OpenKWaveFilmOnWholeFile(film, path.c_str(), name.c_str(), nFFT);
    }
    ~FilmOnFile()
    {
        DestroyKWaveFilmFloatingWindows(film);
        film.CloseKWaveFile();
        std::remove(path.c_str());
    }
    std::string path;
    bool bOpen = false;
    CKWaveFilm film;
};

// Sum of sinusoids of the given frequencies, each of this amplitude.
inline std::vector<int> Partials(const std::vector<double>& freqs, double amplitude, long n, double fs)
{
    std::vector<int> x(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        double v = 0;
        for (double f : freqs)
            v += amplitude * std::sin(2 * kPi * f * double(i) / fs);
        x[size_t(i)] = int(std::lround(v));
    }
    return x;
}

// Frequency moving linearly from f0 to f1 over the n samples.
inline std::vector<int> Glide(double f0, double f1, double amplitude, long n, double fs)
{
    std::vector<int> x(static_cast<size_t>(n));
    const double T = double(n) / fs;
    for (long i = 0; i < n; ++i) {
        const double t = double(i) / fs;
        x[size_t(i)] = int(std::lround(amplitude * std::sin(2 * kPi * (f0 * t + (f1 - f0) * t * t / (2 * T)))));
    }
    return x;
}

inline COLORREF Pixel(CWnd* pWnd, int x, int y)
{
    return pWnd->GetSurface()->GetPixel(x, y);
}

// Paints whatever is invalid now.
inline void Paint(CWnd* pWnd)
{
    pWnd->Invalidate(FALSE);
    pWnd->UpdateWindow();
}

} // namespace floating_test
