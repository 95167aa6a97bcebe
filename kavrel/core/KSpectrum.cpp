#include "kavrel/core/KSpectrum.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "framework/base/UserServices.h"
#include "kavrel/core/KFastAtan.h"

namespace {

constexpr int nMaxFFT = 65536;

// Grows an array to n elements when it holds fewer, with the message that
// names it if that fails.
template <typename Array>
void Provide(Array& array, int n, const char* message)
{
    if (array.nSize < n && !array.SetSize(n))
        AfxMessageBox(message);
}

// A bin's power, |z|².
template <typename Complex>
double Power(const Complex& c)
{
    return c.re * c.re + c.im * c.im;
}

// A line as the spectrum z now stands: filled again only when z has changed
// since the line's property was taken.
template <typename Fill>
double* Fresh(CKArrayDouble& line, KSPECTRUM_PROPERTY& property, const KSPECTRUM_PROPERTY& z, Fill fill)
{
    if (!(property == z)) {
        fill();
        property = z;
    }
    return line.pArray;
}

} // namespace

int CKSpectrum::SetNFFT(int n)
{
    int N = 4;
    while (N < n && N < nMaxFFT)
        N *= 4;
    // Arrays only grow. Checking each array's own size (rather than only a
    // growing NFFT) lets a later call retry one whose allocation failed.
    const int h = N / 2;
    Provide(z, h, "Не хватило памяти для массива z\n\nв функции - CKSpectrum::SetNFFT");
    Provide(Gauss, h + 1, "Не хватило памяти для массива Gauss\n\nв функции - CKSpectrum::SetNFFT");
    Provide(CurveBehaviour, h + 1, "Не хватило памяти для массива CurveBehaviour\n\nв функции - CKSpectrum::SetNFFT");
    Provide(AmplPower, h + 1, "Не хватило памяти для массива AmplPower\n\nв функции - CKSpectrum::SetNFFT");
    Provide(AmplLine, h + 1, "Не хватило памяти для массива AmplLine\n\nв функции - CKSpectrum::SetNFFT");
    Provide(Ampl_dB, h + 1, "Не хватило памяти для массива Ampl_dB\n\nв функции - CKSpectrum::SetNFFT");
    Provide(dPhaze_dOmega, h + 1, "Не хватило памяти для массива dPhaze_dOmega\n\nв функции - CKSpectrum::SetNFFT");
    nFFT = N;
    Wave.SetKWaveWindowWidthInSamples(N);
    return N;
}

int CKSpectrum::SetSigmaF(double sigmaF)
{
    SigmaF = sigmaF;
    const double Fs = GetFs();
    const double sigmaT = 1.0 / (2.0 * std::numbers::pi * SigmaF);
    const int h = nFFT / 2;

    // The window is cut at seven standard deviations, and at the half
    // length. Clamped as a double first: a zero or absurd SigmaF or rate
    // must not reach an integer conversion out of range.
    double nValid = std::trunc(7.0 * sigmaT * Fs);
    if (!(nValid >= 0.0))
        nValid = 0.0;
    nValidGaussSamples = int(std::min(nValid, double(h)));

    const int nLast = std::min(h, Gauss.nSize - 1);
    const double norm = sigmaT * std::sqrt(2.0 * std::numbers::pi);
    for (int i = 0; i <= nLast; ++i)
        Gauss.pArray[i] = (i <= nValidGaussSamples) ? std::exp(-double(i) * i / (2.0 * sigmaT * sigmaT * Fs * Fs)) / norm
                                                     : 0.0;

    // The length that holds the whole non-zero window, as advice. A window
    // of one or two samples still wants the shortest length the transform
    // computes.
    const int nNeeded = 2 * (nValidGaussSamples + 1);
    if (nNeeded <= 4)
        return 16;
    int N = 16;
    while (N < nNeeded)
        N *= 4;
    return N;
}

int CKSpectrum::SetSigmaT(double sigmaT)
{
    return SetSigmaF(1.0 / (2.0 * std::numbers::pi * sigmaT));
}

double CKSpectrum::GetSigmaT() const
{
    return 1.0 / (2.0 * std::numbers::pi * SigmaF);
}

void CKSpectrum::Fix_z_Property()
{
    zProperty.SigmaF = SigmaF;
    zProperty.nWindowSamplePosition = Wave.GetKWaveWindowSamplePosition();
    zProperty.nFFT = nFFT;
    ++zProperty.nTransform;
}

int CKSpectrum::nBinsFor(int nSize) const
{
    const int h = nFFT / 2;
    return (z.pArray && z.nSize >= h && nSize >= h) ? h : 0;
}

void CKSpectrum::CalculateAmplPower()
{
    const int h = nBinsFor(AmplPower.nSize);
    for (int i = 0; i < h; ++i)
        AmplPower.pArray[i] = Power(z.pArray[i]);
}

double* CKSpectrum::GetAmplPower()
{
    return Fresh(AmplPower, AmplPowerProperty, zProperty, [this] { CalculateAmplPower(); });
}

double* CKSpectrum::GetAmplLine()
{
    return Fresh(AmplLine, AmplLineProperty, zProperty, [this] {
        const int h = nBinsFor(AmplLine.nSize);
        for (int i = 0; i < h; ++i)
            AmplLine.pArray[i] = std::sqrt(Power(z.pArray[i]));
    });
}

double* CKSpectrum::GetAmpl_dB()
{
    return Fresh(Ampl_dB, Ampl_dBProperty, zProperty, [this] {
        // A zero bin gives minus infinity here, unlike CalculateAmpl_dB_.
        const int h = nBinsFor(Ampl_dB.nSize);
        for (int i = 0; i < h; ++i)
            Ampl_dB.pArray[i] = 10.0 * std::log10(Power(z.pArray[i]));
    });
}

double* CKSpectrum::Get_dPhaze_dOmega()
{
    return Fresh(dPhaze_dOmega, dPhaze_dOmegaProperty, zProperty, [this] {
        if (nBinsFor(dPhaze_dOmega.nSize) > 0)
            Calculate_dPhaze_dOmega(dPhaze_dOmega.pArray);
    });
}

void CKSpectrum::CalculateCurveBehaviour()
{
    const double* P = AmplPower.pArray;
    unsigned char* B = CurveBehaviour.pArray;
    const int h = std::min(nBinsFor(AmplPower.nSize), nBinsFor(CurveBehaviour.nSize));
    if (h < 1)
        return;
    B[0] = CURVE_UNDECIDED;
    B[h - 1] = CURVE_UNDECIDED;
    for (int i = 1; i <= h - 2; ++i) {
        if (P[i + 1] < P[i]) {
            B[i] = (P[i] > P[i - 1]) ? CURVE_MAXIMUM : CURVE_RISES_DOWN;
        } else if (P[i + 1] > P[i]) {
            if (P[i] >= P[i - 1])
                B[i] = CURVE_RISES_UP;
            else // a local minimum: toward the higher of its two sides
                B[i] = (P[i + 1] < P[i - 1]) ? CURVE_RISES_DOWN : CURVE_RISES_UP;
        } else if (P[i] > P[i - 1]) {
            B[i] = CURVE_RISES_UP;
        } else if (P[i] < P[i - 1]) {
            B[i] = CURVE_RISES_DOWN;
        } else {
            // A plateau: what came before it decides.
            B[i] = CURVE_UNDECIDED;
            for (int j = i - 2; j >= 0; --j)
                if (P[j] != P[i - 1]) {
                    B[i] = (P[i - 1] > P[j]) ? CURVE_RISES_UP : CURVE_RISES_DOWN;
                    break;
                }
        }
    }
}

unsigned char* CKSpectrum::GetCurveBehaviour()
{
    GetAmplPower();
    if (!(CurveBehaviourProperty == zProperty)) {
        CalculateCurveBehaviour();
        CurveBehaviourProperty = zProperty;
    }
    return CurveBehaviour.pArray;
}

void CKSpectrum::CalculateAmpl_dB_(float* out)
{
    // The sonogram asks for a whole window of these on every scroll: a
    // single-precision logarithm is enough for a single-precision result,
    // and only powers out of a float's range take the double one.
    constexpr float k10Log10Of2 = 3.01029995663981195f;
    const int h = nBinsFor(nFFT / 2);
    for (int i = 0; i < h; ++i) {
        const double p = Power(z.pArray[i]);
        out[i] = p > 1e-30 && p < 1e37 ? k10Log10Of2 * std::log2(float(p)) : float(10.0 * std::log10(p + 1e-100));
    }
}

void CKSpectrum::CalculateAmpl_dB_(double* out)
{
    const int h = nBinsFor(nFFT / 2);
    for (int i = 0; i < h; ++i)
        out[i] = 10.0 * std::log10(Power(z.pArray[i]) + 1e-100);
}

namespace {

// The phase step from bin i-1 to bin i, arg(z[i] conj z[i-1]), over the
// angular frequency step 2 pi Fs / NFFT.
template <typename T>
void PhaseDerivative(const Z* z, int h, int nFFT, double Fs, T* out)
{
    if (h < 1)
        return;
    const double scale = nFFT / (2.0 * std::numbers::pi * Fs);
    out[0] = T(0);
    for (int i = 1; i < h; ++i) {
        const double re = z[i].re * z[i - 1].re + z[i].im * z[i - 1].im;
        const double im = z[i].im * z[i - 1].re - z[i].re * z[i - 1].im;
        out[i] = T(scale * std::atan2(im, re));
    }
}

} // namespace

void CKSpectrum::Calculate_dPhaze_dOmega(float* out)
{
    // As above: the angle in single precision wherever a float holds the
    // products; a float result needs no more.
    const Z* zz = z.pArray;
    const int h = nBinsFor(nFFT / 2);
    if (h < 1)
        return;
    const float scale = float(nFFT / (2.0 * std::numbers::pi * GetFs()));
    out[0] = 0.0f;
    for (int i = 1; i < h; ++i) {
        const double re = zz[i].re * zz[i - 1].re + zz[i].im * zz[i - 1].im;
        const double im = zz[i].im * zz[i - 1].re - zz[i].re * zz[i - 1].im;
        const double a = std::fabs(re) + std::fabs(im);
        if (a > 1e-30 && a < 1e36)
            out[i] = scale * KFastAtan2(float(im), float(re));
        else
            out[i] = float(double(scale) * std::atan2(im, re));
    }
}

void CKSpectrum::Calculate_dPhaze_dOmega(double* out)
{
    PhaseDerivative(z.pArray, nBinsFor(nFFT / 2), nFFT, GetFs(), out);
}

int CKSpectrum::GetNearestFreqSampleWithLocalMaxAmpl(int k)
{
    const int h = nFFT / 2;
    const unsigned char* B = CurveBehaviour.pArray;
    if (h < 3 || !B || CurveBehaviour.nSize < h)
        return -1;
    k = std::clamp(k, 1, h - 2);
    if (B[k] == CURVE_MAXIMUM)
        return k;
    if (B[k] == CURVE_RISES_UP) {
        for (int j = k + 1; j < h; ++j)
            if (B[j] == CURVE_MAXIMUM)
                return j;
    } else if (B[k] == CURVE_RISES_DOWN) {
        for (int j = k - 1; j >= 1; --j)
            if (B[j] == CURVE_MAXIMUM)
                return j;
    }
    return -1;
}

int CKSpectrum::GetNearestFreqSampleWithLocalMaxAmpl(double f)
{
    return GetNearestFreqSampleWithLocalMaxAmpl(GetFrequencyInSampleFromFrequencyInHertz(f));
}

double CKSpectrum::GetFrequencyInHertzFromFrequencyInSample(int k)
{
    return double(k) / nFFT * GetFs();
}

int CKSpectrum::GetFrequencyInSampleFromFrequencyInHertz(double f)
{
    const double k = f / GetFs() * nFFT + 0.5;
    // Without a rate (no file) or with an absurd f, the bin is clamped
    // rather than converted out of range.
    if (std::isnan(k))
        return 0;
    return int(std::clamp(k, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

double CKSpectrum::GetZeroSpectrumPowerLevel_in_dB()
{
    return 20.0 * std::log10(GetFs() * 32767.0);
}
