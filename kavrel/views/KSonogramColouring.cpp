#include "kavrel/views/KSonogramColouring.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr double kLn10Over10 = 0.230258509299404568;

double clamped(double a, double D, double U)
{
    return std::min(std::max(a, D), U);
}

constexpr int kGreyRun = 512;

// Greys of n lines of levels A: the first `scaled` on their own scales
// (down, up), the rest on (Dc, Uc); the integer part within 0 .. 255, as
// KColourByte takes it. Built for the processors with wider vectors too.
[[gnu::target_clones("avx2", "default")]] void GreyRun(const float* A, const float* down, const float* up,
                                                        int scaled, double Dc, double Uc, int n, bool inverse,
                                                        unsigned char* out)
{
    for (int k = 0; k < n; ++k) {
        const double D = k < scaled ? double(down[k]) : Dc;
        const double U = k < scaled ? double(up[k]) : Uc;
        const double a = std::min(std::max(double(A[k]), D), U);
        const double v = 255 * (inverse ? a - D : U - a) / (U - D);
        out[k] = static_cast<unsigned char>(!(v > 0) ? 0.0 : (v >= 255 ? 255.0 : v));
    }
}

// A grey pixel (blue, green, red, 0) in one store.
void putGrey(unsigned char* p, unsigned char g)
{
    const std::uint32_t v = std::uint32_t(g) * 0x010101u;
    std::memcpy(p, &v, 4);
}

} // namespace

void KSonogramColourWeights(const CKWaveFilm& film, int nLines, double* red, double* green, double* blue)
{
    KSonogramColourWeights(
        nLines, [&](int k) { return film.GetFreqInHertzFromSpectrumSample(k); }, red, green, blue);
}

bool KFillSonogramColumn(const CKWaveFilm& film, const KSonogramColumn& column, unsigned char* pixels,
                         std::ptrdiff_t stride)
{
    const int flags = film.displayFlags;
    const int type = flags & CKWaveFilm::DisplayTypeMask;
    if (type != CKWaveFilm::DisplayAmplitudeGrey && type != CKWaveFilm::DisplayAmplitudeColour &&
        type != CKWaveFilm::DisplayPhaseAmplGrowth && type != CKWaveFilm::DisplayPhaseFreqGrowth &&
        type != CKWaveFilm::DisplayHarmonogram)
        return false;
    const bool inverse = (flags & CKWaveFilm::DisplayInverse) != 0;
    const int nLines = column.nLines;
    const float* A = column.level;
    const int nLevels = std::min(film.validDownLevel.nSize, film.validUpLevel.nSize);
    auto put = [&](int k, double b, double g, double r) {
        unsigned char* p = pixels + k * stride;
        p[0] = KColourByte(b);
        p[1] = KColourByte(g);
        p[2] = KColourByte(r);
        p[3] = 0;
    };
    // The line's scale: the harmonogram's bounds, the film's valid levels,
    // or 100 dB below the zero level for lines beyond them.
    auto scale = [&](int k, double& D, double& U) {
        if (type == CKWaveFilm::DisplayHarmonogram) {
            D = film.harmonogramDown;
            U = film.harmonogramUp;
        } else if (k < nLevels) {
            D = film.validDownLevel.pArray[k];
            U = film.validUpLevel.pArray[k];
        } else {
            U = film.GetZeroSpectrumPowerLevel_dB();
            D = U - 100;
        }
    };

    if (type == CKWaveFilm::DisplayAmplitudeGrey || type == CKWaveFilm::DisplayHarmonogram) {
        // The commonest picture, and a whole window of it on every scroll:
        // the greys of a run of lines into a row of their own (a loop the
        // compiler vectorises), then stored down the column.
        const bool harmonogram = type == CKWaveFilm::DisplayHarmonogram;
        const int nScaled = harmonogram ? 0 : std::min(nLines, nLevels);
        double Dc, Uc;
        scale(nLines, Dc, Uc); // the scale of every line past the valid levels
        unsigned char grey[kGreyRun];
        for (int k0 = 0; k0 < nLines; k0 += kGreyRun) {
            const int n = std::min(kGreyRun, nLines - k0);
            const int scaled = std::clamp(nScaled - k0, 0, n);
            GreyRun(A + k0, film.validDownLevel.pArray + k0, film.validUpLevel.pArray + k0, scaled, Dc, Uc, n, inverse,
                    grey);
            for (int i = 0; i < n; ++i)
                putGrey(pixels + (k0 + i) * stride, grey[i]);
        }
        return true;
    }
    if (type == CKWaveFilm::DisplayAmplitudeColour) {
        double R = 0, G = 0, B = 0;
        for (int k = 1; k < nLines && k < column.nWeights; ++k) {
            const double p = std::exp(kLn10Over10 * double(A[k])); // 10^(A/10)
            R += p * column.red[k];
            G += p * column.green[k];
            B += p * column.blue[k];
        }
        const double M = std::max({R, G, B});
        // A column with nothing on the musical scale is drawn grey.
        double r = 1, gr = 1, b = 1;
        if (M > 0 && std::isfinite(M)) {
            r = R / M;
            gr = G / M;
            b = B / M;
        }
        for (int k = 0; k < nLines; ++k) {
            double D, U;
            scale(k, D, U);
            const double a = clamped(A[k], D, U);
            const double v = 255 * (a - D) / (U - D);
            put(k, b * v, gr * v, r * v);
        }
        return true;
    }

    // The phase types: grey amplitude tinted by the sign of a derivative,
    // over time for the amplitude growth, over frequency for the other.
    const float* T = column.phase;
    float N = film.phaseLimitNeg, P = film.phaseLimitPos;
    if (type == CKWaveFilm::DisplayPhaseFreqGrowth) {
        column.scratch[0] = 0;
        for (int k = 1; k < nLines; ++k)
            column.scratch[k] = column.phase[k] - column.phase[k - 1];
        T = column.scratch;
        N = film.phaseFreqLimitNeg;
        P = film.phaseFreqLimitPos;
    }
    for (int k = 0; k < nLines; ++k) {
        double D, U;
        scale(k, D, U);
        const double a = clamped(A[k], D, U);
        double t = T[k];
        if (inverse) {
            const double g = 255 * (a - D) / (U - D);
            double blue = g, green = g, red = g;
            if (t > 0) {
                if (t > P) t = P;
                blue = red = g * (1 - t / P);
            } else if (t < 0) {
                if (t < N) t = N;
                blue = green = g * (1 - t / N);
            }
            put(k, blue, green, red);
        } else {
            const double g = 255 * (U - a) / (U - D);
            double blue = g, green = g, red = g;
            if (t > 0) {
                if (t > P) t = P;
                green = g + t * (255 - g) / P;
            } else if (t < 0) {
                if (t < N) t = N;
                red = g + t * (255 - g) / N;
            }
            put(k, blue, green, red);
        }
    }
    return true;
}
