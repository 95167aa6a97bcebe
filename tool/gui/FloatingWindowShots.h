// Pictures of a film's floating windows for the screenshots.
#pragma once
#include "kavrel/core/KWaveFilm.h"

class CWnd;

// Puts the caret on the loudest cadre, opens the instant spectrum and the
// phase portrait on pParent, draws both into <dir>/kavrel-view-spectrum.png
// and <dir>/kavrel-view-phase-portrait.png, and closes them again.
void ShootFilmFloatingWindows(CKWaveFilm& film, CWnd* pParent, const char* dir);
