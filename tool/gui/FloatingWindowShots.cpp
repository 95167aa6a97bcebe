#include "tool/gui/FloatingWindowShots.h"

#include <cmath>
#include <vector>

#include "framework/ui/KWndPicture.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"
#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"
#include "kavrel/views/KWaveSpectrumView.h"

namespace {

// The cadre whose step of samples holds the most energy: a vowel in speech.
long LoudestCadre(CKWaveFilm& film)
{
    const long step = film.GetCadreStepInSamples();
    std::vector<short> x(size_t(std::max(step, 1L)));
    long best = 0;
    double bestEnergy = -1;
    for (long c = 0; c < film.GetNCadres(); ++c) {
        film.FillKWaveBufFromSampleNSamples(x.data(), film.GetSampleFromCadreNumber(c) - step / 2, step);
        double energy = 0;
        for (short v : x)
            energy += double(v) * v;
        if (energy > bestEnergy) {
            bestEnergy = energy;
            best = c;
        }
    }
    return best;
}

} // namespace

void ShootFilmFloatingWindows(CKWaveFilm& film, CWnd* pParent, const char* dir)
{
    film.SetKCaretCadre(LoudestCadre(film));
    film.SetKCaretFrequency(1000);
    if (film.CreateKWaveSpectrumView(pParent)) {
        CKWaveSpectrumView* p = film.pKWaveSpectrumView;
        // With the lines of 6 dB per octave, as a phonetician compares a voice with them.
        p->bHideSlopeLines = false;
        p->Invalidate(FALSE);
        p->UpdateWindow();
        KSaveWindowPicture(p, CString(dir) + "/kavrel-view-spectrum.png");
    }
    if (film.CreateKWaveSpectrumPhasePortraitView(pParent)) {
        CKWaveSpectrumPhasePortraitView* p = film.pKWaveSpectrumPhasePortraitView;
        p->Invalidate(FALSE);
        p->UpdateWindow();
        KSaveWindowPicture(p, CString(dir) + "/kavrel-view-phase-portrait.png");
    }
    DestroyKWaveFilmFloatingWindows(film);
}
