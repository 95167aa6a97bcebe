// The sonogram of a stretch of cadres exactly as CKWaveFilmView computes
// and colours it, without a window: one column per cadre, one row per
// spectral line (row 0 the highest line), at the film's own levels and
// display type. The batch export and the benchmarks draw through it.
#pragma once
#include <cstdint>
#include <functional>

#include "kavrel/core/KWaveFilm.h"

// Rows of the picture for the film's NFFT (the view's nLines).
int KWaveFilmPictureHeight(const CKWaveFilm& film);

// Fills pixels (0x00RRGGBB, stride pixels a row) with cadres [c0, c1),
// computed in bands of nBand columns as a window that wide would. The
// progress callback hears the cadres done so far. False when the caches
// cannot be had.
bool RenderKWaveFilmPicture(CKWaveFilm& film, long c0, long c1, std::uint32_t* pixels, long stride,
                            int nBand = 1024, const std::function<void(long)>& progress = {});
