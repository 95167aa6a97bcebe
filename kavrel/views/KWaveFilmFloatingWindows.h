// The film's floating windows (instant spectrum, phase portrait) are made by
// the film itself (CKWaveFilm::CreateKWaveSpectrumView and
// CreateKWaveSpectrumPhasePortraitView); a document destroys them before
// the film, while the window system is still there.
#pragma once
#include "kavrel/core/KWaveFilm.h"

class CMiniFrameWnd;

void DestroyKWaveFilmFloatingWindows(CKWaveFilm& film);

// The window wnd as every floating window of a film opens: "<name> - <the
// film's file title>", a popup of nWidth x nHeight with caption, close box
// and sizing frame, shown and centred on pParent; false when it cannot be made.
bool KCreateFilmFloatingWindow(CMiniFrameWnd& wnd, const char* name, CKWaveFilm* pFilm, int nWidth, int nHeight,
                               CWnd* pParent);
