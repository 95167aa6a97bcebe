// A film over a generated sound for the tests of its floating windows (the
// instant spectrum and the phase portrait).
#pragma once
#include <numbers>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/ui/CSurface.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"
#include "testsupport/Signals.h"

namespace floating_test {

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

using ktest::Glide;
using ktest::Partials;

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
