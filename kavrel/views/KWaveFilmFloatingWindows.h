// The film's floating windows (instant spectrum, phase portrait) are made by
// the film itself (CKWaveFilm::CreateKWaveSpectrumView and
// CreateKWaveSpectrumPhasePortraitView); a document destroys them before
// the film, while the window system is still there.
#pragma once
#include "kavrel/core/KWaveFilm.h"

void DestroyKWaveFilmFloatingWindows(CKWaveFilm& film);
