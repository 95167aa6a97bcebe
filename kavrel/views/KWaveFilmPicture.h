// The sonogram of a stretch of cadres exactly as CKWaveFilmView computes
// and colours it, without a window: one column per cadre, one row per
// spectral line (row 0 the highest line), at the film's own levels and
// display type. The batch export and the benchmarks draw through it.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "kavrel/core/KWaveFilm.h"

// The cores this process may run on (its affinity), not the machine's.
int KUsableCores();

// Rows of the picture for the film's NFFT (the view's nLines).
int KWaveFilmPictureHeight(const CKWaveFilm& film);

// Bytes a pixel of the film's picture needs: 1 where every pixel is grey
// (the amplitude-grey type and the harmonogram), 3 (red, green, blue)
// otherwise.
int KWaveFilmPictureChannels(const CKWaveFilm& film);

// The first cadre drawn into column x of a picture `width` columns wide
// over cadres [c0, c1): each column merges the cadres up to the next one's.
long KWaveFilmPictureColumnStart(long c0, long c1, long width, long x);

// Columns [xa, xb) of the picture of cadres [c0, c1) drawn `width`
// columns wide (at most c1 - c0), in `channels` bytes a pixel: column xa
// of row r at out + r * stride. Where a column stands for several cadres,
// each line shows the cadre loudest in it (the largest level, or
// harmonogram ratio, wins). The films are one sound opened alike, one per
// thread: the columns are shared out among them. progress hears the
// cadres done so far, on the calling thread. False when the caches cannot
// be had or the columns are not the picture's.
bool RenderKWaveFilmPictureBytes(const std::vector<CKWaveFilm*>& films, long c0, long c1, long width, long xa,
                                 long xb, unsigned char* out, int channels, size_t stride,
                                 const std::function<void(long)>& progress = {});
