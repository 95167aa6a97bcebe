// Sonograms over generated sounds for the view's tests: a WAV file written
// byte by byte, a film over all of it and a view on the film in a window.
#pragma once
#include <numbers>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/CSurface.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KWaveFilmView.h"
#include "testsupport/Signals.h"

namespace sonogram_test {

// The tests' films: at 16000 Hz and NFFT 256 the film steps 25 samples and
// line k is k·62.5 Hz; the view has 200 columns by 128 lines, with the
// horizontal scroll bar under them.
constexpr unsigned kFs = 16000;
constexpr int kNFFT = 256;
constexpr int kWidth = 200;
constexpr int kHeight = 128 + 16;

// The view with its analysis reachable from the tests.
class TestView : public CKWaveFilmView {
public:
    using CKWaveFilmView::CalculateSpectra;
};

using ktest::Sine;
// Frequency rising linearly from f0 to f1 over the samples.
inline std::vector<int> Chirp(double f0, double f1, double amplitude, long n, double fs)
{
    return ktest::Glide(f0, f1, amplitude, n, fs);
}

struct Sonogram {
    CKWaveFilm film;
    std::unique_ptr<TestView> view = std::make_unique<TestView>();
    CKWaveFilmHint hint{&film};

    // A film of the whole sound at this NFFT and a view of cx x cy on it.
    bool Open(const std::string& name, const std::vector<int>& samples, unsigned rate, int nfft, int cx, int cy)
    {
        const std::string path = wavbytes::writeFile(name, wavbytes::pcm16(1, rate, samples));
        if (!OpenKWaveFilmOnWholeFile(film, path.c_str(), name.c_str(), nfft))
            return false;
        if (!view->Create(nullptr, CRect(0, 0, cx, cy)))
            return false;
        view->OnUpdate(nullptr, HintNewFilm, &hint);
        view->OnInitialUpdate();
        return true;
    }

    void Paint()
    {
        view->Invalidate(FALSE);
        view->UpdateWindow();
    }
    // Scrolled so that cadre x stands at the left edge, then painted.
    void PaintFrom(long x)
    {
        view->ScrollToPosition(CPoint(int(x), 0));
        Paint();
    }

    // The screen pixel (0x00BBGGRR) at a client point.
    COLORREF Screen(int x, int y) const { return view->GetSurface()->GetPixel(x, y); }

    // Picture pixel of a cadre and a spectral line, as blue, green, red.
    void Pixel(long cadre, int line, int& b, int& g, int& r) const
    {
        const unsigned p = view->PicturePixel(int(cadre % view->nColumns), line);
        b = int(p & 0xFF);
        g = int((p >> 8) & 0xFF);
        r = int((p >> 16) & 0xFF);
    }

    // The grey level of a picture pixel; -1 when it is coloured.
    int Grey(long cadre, int line) const
    {
        int b, g, r;
        Pixel(cadre, line, b, g, r);
        return b == g && g == r ? g : -1;
    }

    const float* Amplitudes(long cadre) const
    {
        return view->amplBuffer.pArray + size_t(cadre % view->nColumns) * size_t(view->nLines);
    }
};

} // namespace sonogram_test
