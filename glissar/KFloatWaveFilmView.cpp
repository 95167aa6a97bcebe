#include "glissar/KFloatWaveFilmView.h"

#include <algorithm>
#include <optional>

#include "framework/base/UserServices.h"
#include "glissar/doc/GlissarDoc.h"

IMPLEMENT_DYNCREATE(CKFloatWaveFilmView, CKWaveFilmView)

CKFloatWaveFilmView::CKFloatWaveFilmView()
    : pFrame0(std::make_unique<float[]>(nMaxFFT)), pFrame1(std::make_unique<float[]>(nMaxFFT))
{
}

CKFloatWaveFilmView::~CKFloatWaveFilmView() = default;

CGlissarDoc* CKFloatWaveFilmView::GetGlissarDoc() const
{
    return dynamic_cast<CGlissarDoc*>(GetDocument());
}

void CKFloatWaveFilmView::ForgetColumns()
{
    for (int s = 0; s < nColumns; ++s)
        spectraColumnMap.pArray[s] = bitmapColumnMap.pArray[s] = SlotAfterResize;
}

bool CKFloatWaveFilmView::fillFrame(long c, int nFFT, float* pFrame)
{
    CKWaveFilm& film = *pWaveFilm;
    CKFloatWave& wave = GetGlissarDoc()->pFloatWave;
    const long sample = film.GetSampleFromCadreNumber(c);
    const bool bFits = wave.PositFloatWaveWindowOnSample(sample - film.GetZeroCadreSamplePosition());
    const float* y = wave.GetFloatWaveWindow();
    if (bShowOnlyMarkedTraces) {
        std::copy(y, y + nFFT, pFrame);
    } else {
        film.PositKWaveWindowOnSample(sample);
        const short* x = film.GetKWaveWindow();
        for (int i = 0; i < nFFT; ++i)
            pFrame[i] = float(x[i]) - y[i];
    }
    return bFits;
}

void CKFloatWaveFilmView::CalculateSpectra()
{
    CGlissarDoc* doc = GetGlissarDoc();
    if (!doc || !pWaveFilm || !pWaveFilm->IsInternalStatusOK() || nColumns <= 0 || nLines <= 0 ||
        !doc->pFloatWave.HasFloatWaveBuffer())
        return;
    CKWaveFilm& film = *pWaveFilm;
    const int nFFT = film.GetNFFT();
    if (nFFT > nMaxFFT || nFFT / 2 > nLines)
        return;
    const int nBins = nFFT / 2;
    // A sound object shorter than a transform has no cadre to show.
    const bool bWide = doc->pFloatWave.SetFloatWaveWindowWidthInSamples(nFFT);
    film.SetKWaveWindowWidthInSamples(nFFT);
    const long nCadres = film.GetNCadres();
    const long x0 = GetScrollPosition().x;
    for (long c = x0; c < x0 + nColumns; c += 2) {
        int s0, s1;
        if (!ClaimPairSlots(c, s0, s1))
            continue;
        float* a[2] = {amplBuffer.pArray + size_t(s0) * nLines, amplBuffer.pArray + size_t(s1) * nLines};
        float* p[2] = {phaseBuffer.pArray + size_t(s0) * nLines, phaseBuffer.pArray + size_t(s1) * nLines};
        if (c >= nCadres || !bWide) {
            for (int k = 0; k < 2; ++k) {
                std::fill(a[k], a[k] + nLines, c >= nCadres ? 0.0f : -10000.0f);
                std::fill(p[k], p[k] + nLines, 0.0f);
            }
            continue;
        }
        bool bFits[2] = {fillFrame(c, nFFT, pFrame0.get()), false};
        if (c + 1 < nCadres)
            bFits[1] = fillFrame(c + 1, nFFT, pFrame1.get());
        else
            std::fill(pFrame1.get(), pFrame1.get() + nFFT, 0.0f);
        film.FFT.CalculateWithWeighting(film.pS0, pFrame0.get(), film.pS1, pFrame1.get());
        CKSpectrum* spectra[2] = {film.pS0, film.pS1};
        for (int k = 0; k < 2; ++k) {
            if (bFits[k]) {
                spectra[k]->CalculateAmpl_dB_(a[k]);
                spectra[k]->Calculate_dPhaze_dOmega(p[k]);
            } else {
                // A window past either end of the object is drawn as silence.
                std::fill(a[k], a[k] + nBins, -10000.0f);
                std::fill(p[k], p[k] + nBins, 0.0f);
            }
        }
    }
}

void CKFloatWaveFilmView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint)
{
    CKWaveFilmView::OnUpdate(pSender, lHint, pHint);
    if (lHint != HintCadreRectangle || !pWaveFilm || nColumns <= 0)
        return;
    const auto* h = dynamic_cast<CGlissarTraceRectHint*>(pHint);
    if (!h)
        return;
    for (int s = 0; s < nColumns; ++s)
        spectraColumnMap.pArray[s] = SlotAfterResize;
    std::optional<CWaitCursor> wait;
    if (h->rect.right - h->rect.left > 10)
        wait.emplace();
    CalculateSpectra();
    const long n = pWaveFilm->GetNGaussCadresNeighbours();
    const long x = GetScrollPosition().x;
    CRect r(int(h->rect.left - n - x), 0, int(h->rect.right + n - x), pWaveFilm->GetNFFT());
    InvalidateRect(&r, TRUE);
}
