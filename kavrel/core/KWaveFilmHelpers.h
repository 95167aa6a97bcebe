// Film operations that the sonogram, its viewer and the batch export share:
// a film over a whole file, ready to draw.
#pragma once
#include "kavrel/core/KWaveFilm.h"

// Opens the film and the readers of its four spectra on the file, sets NFFT
// with the optimum cadre parameters and spans the film over every sample.
// False (the reader has shown why) when the file cannot be opened.
bool OpenKWaveFilmOnWholeFile(CKWaveFilm& film, const CString& sPath, const CString& sTitle, int nFFT);

// The resolution a SigmaFr field shows and its OK reads back: a float's six
// significant digits. A new document's film takes its optimum so, in the
// workshop through the dialog and in the batch tool through this.
double SigmaFrAsShown(double sigmaFr);
