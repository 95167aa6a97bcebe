// A film over a generated sound for the tests of its floating windows (the
// instant spectrum and the phase portrait).
#pragma once
#include <numbers>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
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

// The tests of one floating window: a film of generated samples, then the
// window that the film makes with its caret on sample 8000, painted.
class FloatingWindowTest : public ::testing::Test {
protected:
    CKWaveFilm& OpenFilm(const char* name, const std::vector<int>& samples, unsigned rate, int nFFT)
    {
        file = std::make_unique<FilmOnFile>(name, samples, rate, nFFT);
        EXPECT_TRUE(file->bOpen);
        return file->film;
    }
    // create is the film's maker of the window, window where the film keeps it.
    template <class V> V* OpenWindowAtCaret(bool (CKWaveFilm::*create)(CWnd*), V* CKWaveFilm::*window)
    {
        file->film.SetKCaretSample(8000);
        EXPECT_TRUE((file->film.*create)(nullptr));
        V* v = file->film.*window;
        Paint(v);
        return v;
    }

    std::unique_ptr<FilmOnFile> file;
};

} // namespace floating_test
