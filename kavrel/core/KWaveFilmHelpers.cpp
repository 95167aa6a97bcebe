#include "kavrel/core/KWaveFilmHelpers.h"

bool OpenKWaveFilmOnWholeFile(CKWaveFilm& film, const CString& sPath, const CString& sTitle, int nFFT)
{
    if (!film.OpenKWaveFile(sPath, sTitle))
        return false;
    for (CKSpectrum* s : {film.pS0, film.pS1, film.pS2, film.pS3}) {
        if (!s->Wave.OpenKWaveFile(sPath, sTitle))
            return false;
    }
    film.SetNFFTandOptimumCadreParams(nFFT);
    film.SetKWaveWindowWidthInSamples(2 * film.GetCadreStepInSamples());
    film.SetFirstAndLastSample(0, film.GetKWaveSizeInSamples());
    return true;
}
