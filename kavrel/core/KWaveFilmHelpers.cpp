#include "kavrel/core/KWaveFilmHelpers.h"

#include <cstdlib>

#include <cstdio>

#include <cfloat>

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

double SigmaFrAsShown(double sigmaFr)
{
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.*g", FLT_DIG, double(float(sigmaFr)));
    return float(std::strtod(shown, nullptr));
}
