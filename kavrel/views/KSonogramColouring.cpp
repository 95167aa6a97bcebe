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
        // the lines with a scale of their own first, then those on one scale,
        // each pixel one store.
        const bool harmonogram = type == CKWaveFilm::DisplayHarmonogram;
        const int nScaled = harmonogram ? 0 : std::min(nLines, nLevels);
        const float* down = film.validDownLevel.pArray;
        const float* up = film.validUpLevel.pArray;
        double Dc, Uc;
        scale(nLines, Dc, Uc); // the scale of every line past the valid levels
        auto run = [&](auto grey) {
            int k = 0;
            for (; k < nScaled; ++k)
                putGrey(pixels + k * stride, grey(double(A[k]), double(down[k]), double(up[k])));
            for (; k < nLines; ++k)
                putGrey(pixels + k * stride, grey(double(A[k]), Dc, Uc));
        };
        if (inverse)
            run([](double a, double D, double U) { return KColourByte(255 * (clamped(a, D, U) - D) / (U - D)); });
        else
            run([](double a, double D, double U) { return KColourByte(255 * (U - clamped(a, D, U)) / (U - D)); });
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
