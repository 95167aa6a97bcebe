// How the sonogram turns a column's levels into colours: plain functions of
// the numbers, with no window, so that the mapping is read and tested on
// its own. The view keeps the caches and calls these for every stale column.
#pragma once
#include <cstddef>

#include "kavrel/core/KWaveFilm.h"

// The integer part of a colour value, within 0 .. 255 (the formulas keep
// v there; anything else, a NaN included, is pinned to an end). Inline:
// every pixel of the sonogram passes through it.
inline unsigned char KColourByte(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= 255)
        return 255;
    return static_cast<unsigned char>(v);
}

// The colour bands of the amplitude-colour type over the musical scale, per
// spectral line (line 0 and lines without a frequency weigh nothing): red
// below, green around and blue above 440 Hz, each a raised cosine 84
// semitones wide. freqOfLine(k) is the line's frequency in Hz.
template <typename FreqOfLine>
void KSonogramColourWeights(int nLines, FreqOfLine freqOfLine, double* red, double* green, double* blue);
// The same for the lines of a film.
void KSonogramColourWeights(const CKWaveFilm& film, int nLines, double* red, double* green, double* blue);

// One column of the sonogram.
struct KSonogramColumn {
    const float* level = nullptr;  // nLines levels in dB (the harmonogram: its ratio)
    const float* phase = nullptr;  // nLines phase derivatives over frequency
    float* scratch = nullptr;      // nLines floats the phase-frequency type works in
    int nLines = 0;
    // Colour weights of the amplitude-colour type, nWeights lines of them.
    const double* red = nullptr;
    const double* green = nullptr;
    const double* blue = nullptr;
    int nWeights = 0;
};

// Writes the column's pixels in the film's display type, levels and phase
// limits: line k to the four bytes (blue, green, red, 0) at
// pixels + k * stride. Types that draw nothing (ФИОТ, mixed bits) leave the
// pixels alone and return false.
bool KFillSonogramColumn(const CKWaveFilm& film, const KSonogramColumn& column, unsigned char* pixels,
                         std::ptrdiff_t stride);

// ---------------------------------------------------------------------------

#include <cmath>
#include <numbers>

// w(s, centre): a raised cosine over semitones s from 440 Hz.
inline double KSemitoneWindow(double s, double centre)
{
    return 1 + std::cos((std::numbers::pi / 2) * (s - centre) / 21);
}

template <typename FreqOfLine>
void KSonogramColourWeights(int nLines, FreqOfLine freqOfLine, double* red, double* green, double* blue)
{
    const double ln2 = std::log(2.0);
    for (int k = 0; k < nLines; ++k)
        red[k] = green[k] = blue[k] = 0;
    for (int k = 1; k < nLines; ++k) {
        const double f = freqOfLine(k);
        if (!(f > 0))
            continue;
        const double s = 12 * std::log2(f / 440);
        const double norm = 3 / (42 * ln2 * f);
        if (f > 440 * std::pow(2.0, -6.75) && f < 440 * std::pow(2.0, 0.25))
            red[k] = 2 * KSemitoneWindow(s, -39) * norm;
        if (f > 440 * std::pow(2.0, -3.25) && f < 440 * std::pow(2.0, 3.75))
            green[k] = KSemitoneWindow(s, 3) * norm;
        if (f > 440 * std::pow(2.0, 0.25) && f < 440 * std::pow(2.0, 7.25))
            blue[k] = 8 * KSemitoneWindow(s, 45) * norm;
    }
}
