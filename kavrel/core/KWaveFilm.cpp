#include "kavrel/core/KWaveFilm.h"

#include <numbers>
#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/base/ProgressService.h"
#include "framework/base/TempFile.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KWindowHooks.h"

const float CKWaveFilm::kPowerUnreadable = float(20.0 * std::log10(std::pow(2.0, -16.0)));

namespace {
} // namespace

CKWaveFilm::CKWaveFilm()
    : pS0(new CKSpectrum), pS1(new CKSpectrum), pS2(new CKSpectrum), pS3(new CKSpectrum)
{
    OpenNewPowerFile("KPi");
}

CKWaveFilm::~CKWaveFilm()
{
    const KWindowHooks& hooks = KGetWindowHooks();
    if (pKWaveSpectrumView && hooks.DestroySpectrumView)
        hooks.DestroySpectrumView(pKWaveSpectrumView);
    pKWaveSpectrumView = nullptr;
    if (pKWaveSpectrumPhasePortraitView && hooks.DestroyPhasePortraitView)
        hooks.DestroyPhasePortraitView(pKWaveSpectrumPhasePortraitView);
    pKWaveSpectrumPhasePortraitView = nullptr;
    ClosePowerFile();
    delete pS0;
    delete pS1;
    delete pS2;
    delete pS3;
}

// ---- geometry -------------------------------------------------------------

long CKWaveFilm::NCadresOfSpan(long a, long b, long step)
{
    long n = step > 0 ? (std::max(a, b) - std::min(a, b)) / step : 0;
    if (n & 1)
        --n;
    return n < 2 ? 2 : n;
}

long CKWaveFilm::SetFirstAndLastSample(long a, long b)
{
    ZeroCadreSamplePosition = std::min(a, b);
    NCadres = NCadresOfSpan(a, b, CadreStepInSamples);
    InternalWaveFilmStatus |= StatusGeometry;
    return NCadres;
}

double CKWaveFilm::GetSigmaT() const
{
    return 1.0 / (2 * std::numbers::pi * SigmaFr);
}

double CKWaveFilm::GetCadreStepInSeconds() const
{
    return double(CadreStepInSamples) / double(GetKWaveFrADC());
}

long CKWaveFilm::GetCadreNumberFromSample(long s) const
{
    if (CadreStepInSamples <= 0)
        return 0;
    return (CadreStepInSamples / 2 + s - ZeroCadreSamplePosition) / CadreStepInSamples;
}

long CKWaveFilm::GetCadreNumberFromTimeInSeconds(double t) const
{
    return GetCadreNumberFromSample(long(t * double(GetKWaveFrADC())));
}

double CKWaveFilm::GetTimeInSecondsFromSample(long s) const
{
    return double(s) / double(GetKWaveFrADC());
}

double CKWaveFilm::GetTimeInSecondsFromCadre(long c) const
{
    return GetTimeInSecondsFromSample(GetSampleFromCadreNumber(c));
}

double CKWaveFilm::GetFreqInHertzFromSpectrumSample(int k) const
{
    return double(k) / double(nFFT) * double(GetKWaveFrADC());
}

int CKWaveFilm::PositKWaveWindowOnCadre(long c)
{
    return PositKWaveWindowOnSample(GetSampleFromCadreNumber(c));
}

int CKWaveFilm::GetNGaussCadresNeighbours() const
{
    return int(6 * GetSigmaT() / (double(CadreStepInSamples) / double(GetKWaveFrADC())) + 0.5);
}

int CKWaveFilm::GetNGaussFreqLineNeighbours() const
{
    return int(6 * SigmaFr / (double(GetKWaveFrADC()) / double(nFFT)) + 0.5);
}

// ---- spectral parameters --------------------------------------------------

void CKWaveFilm::ConfigureSpectra()
{
    InternalWaveFilmStatus |= StatusSpectra;
    for (CKSpectrum* s : {pS0, pS1}) {
        s->SetNFFT(nFFT);
        s->SetSigmaF(SigmaFr);
    }
    for (CKSpectrum* s : {pS2, pS3}) {
        s->SetNFFT(nFFT);
        s->SetSigmaF(4 * SigmaFr);
    }
}

void CKWaveFilm::SetNFFTandOptimumCadreParams(int n)
{
    SetNewSpectrumValidLevel(n);
    const double fs = double(GetKWaveFrADC());
    CadreStepInSamples = (nFFT / 2) / 5;
    SigmaFr = 1.0 / (2 * std::numbers::pi * double(CadreStepInSamples) / fs);
    if (CadreStepInSamples <= 0) {
        CString text;
        text.Format("Не удалось установить оптимальные физические параметры сонофильма.\n\nДиагностика ситуации:\n"
                    "nFFT = %i\nSigmaFr = %g\nCadreStepInSamples = %i",
                    nFFT, SigmaFr, int(CadreStepInSamples));
        AfxMessageBox(text, MB_OK);
        CadreStepInSamples += 1;
        // σT is to equal one step: with the step mended, so is SigmaFr
        // (computed from a zero step it would be infinite).
        SigmaFr = 1.0 / (2 * std::numbers::pi * double(CadreStepInSamples) / fs);
    }
    ConfigureSpectra();
    SetKCaretFrequency(KCaretFrequency);
}

void CKWaveFilm::SetSigmaFrCadreStepAndChannel(int n, long step, double sigmaFr, int channel)
{
    SetNewSpectrumValidLevel(n);
    CadreStepInSamples = step;
    SigmaFr = sigmaFr;
    nChannel = channel;
    SetKWaveWindowWidthInSamples(2 * CadreStepInSamples);
    ConfigureSpectra();
    for (CKSpectrum* s : {pS0, pS1, pS2, pS3})
        s->Wave.nChannel = nChannel;
    SetKCaretFrequency(KCaretFrequency);
}

void CKWaveFilm::SetNFFTandLeaveCadreParamsUnchangable(int n)
{
    SetNewSpectrumValidLevel(n);
    ConfigureSpectra();
    SetKCaretFrequency(KCaretFrequency);
}

void CKWaveFilm::SetNewSpectrumValidLevel(int n)
{
    const int old = nFFT;
    if (n == old || n < 2)
        return;
    const int newLines = n / 2, oldLines = old / 2;
    if (old == 0) {
        nFFT = n;
        validUpLevel.SetSize(newLines);
        validDownLevel.SetSize(newLines);
        float up = float(GetZeroSpectrumPowerLevel_dB());
        for (int i = 0; i < validUpLevel.nSize; ++i)
            validUpLevel.pArray[i] = up;
        for (int i = 0; i < validDownLevel.nSize; ++i)
            validDownLevel.pArray[i] = up - 100;
        return;
    }
    std::vector<float> up(static_cast<size_t>(newLines)), down(static_cast<size_t>(newLines));
    // Lines are read only within the old arrays, should a size ever come
    // that is not a power-of-four multiple of the old one.
    auto oldUp = [&](int i) { return validUpLevel.pArray[std::min(i, validUpLevel.nSize - 1)]; };
    auto oldDown = [&](int i) { return validDownLevel.pArray[std::min(i, validDownLevel.nSize - 1)]; };
    if (validUpLevel.nSize > 0 && validDownLevel.nSize > 0 && oldLines > 0) {
        if (n > old) {
            const int r = n / old;
            for (int i = 0; i < newLines; ++i) {
                up[size_t(i)] = oldUp(i / r);
                down[size_t(i)] = oldDown(i / r);
            }
        } else {
            const int r = old / n;
            for (int i = 0; i < newLines; ++i) {
                float u = oldUp(i * r), d = oldDown(i * r);
                for (int k = 1; k < r; ++k) {
                    u = std::max(u, oldUp(i * r + k));
                    d = std::max(d, oldDown(i * r + k));
                }
                up[size_t(i)] = u;
                down[size_t(i)] = d;
            }
        }
    }
    nFFT = n;
    if (!validUpLevel.SetSize(newLines) || !validDownLevel.SetSize(newLines))
        return;
    std::copy(up.begin(), up.end(), validUpLevel.pArray);
    std::copy(down.begin(), down.end(), validDownLevel.pArray);
}

// ---- valid levels -----------------------------------------------------------

double CKWaveFilm::GetZeroSpectrumPowerLevel_dB() const
{
    return 20 * std::log10(double(GetKWaveFrADC()) * 32767);
}

void CKWaveFilm::SetDefaultsSpectrumAmplValidUpAndDownLevel_dB()
{
    const float up = float(GetZeroSpectrumPowerLevel_dB());
    int n = std::min(validUpLevel.nSize, validDownLevel.nSize);
    for (int i = 0; i < n; ++i) {
        validUpLevel.pArray[i] = up;
        validDownLevel.pArray[i] = up - 100;
    }
    RepaintSpectrumView();
}

void CKWaveFilm::MoveSpectrumAmplValidUpLevel_dB(double d)
{
    int n = std::min(validUpLevel.nSize, validDownLevel.nSize);
    for (int i = 0; i < n; ++i) {
        validUpLevel.pArray[i] = float(validUpLevel.pArray[i] + d);
        if (validUpLevel.pArray[i] <= validDownLevel.pArray[i])
            validDownLevel.pArray[i] = validUpLevel.pArray[i] - 1;
    }
    RepaintSpectrumView();
}

void CKWaveFilm::MoveSpectrumAmplValidDownLevel_dB(double d)
{
    int n = std::min(validUpLevel.nSize, validDownLevel.nSize);
    for (int i = 0; i < n; ++i) {
        validDownLevel.pArray[i] = float(validDownLevel.pArray[i] + d);
        if (validDownLevel.pArray[i] >= validUpLevel.pArray[i])
            validUpLevel.pArray[i] = validDownLevel.pArray[i] + 1;
    }
    RepaintSpectrumView();
}

// The spectrum window draws the levels beside the spectrum.
void CKWaveFilm::RepaintSpectrumView()
{
    const KWindowHooks& hooks = KGetWindowHooks();
    if (pKWaveSpectrumView && hooks.RepaintSpectrumView)
        hooks.RepaintSpectrumView(pKWaveSpectrumView);
}

// ---- selection and caret ----------------------------------------------------

void CKWaveFilm::SetSelectedFragmentAbsCadre(long c)
{
    c = std::clamp(c, 0L, std::max(NCadres - 1, 0L));
    long middle = (SelectedFragmentAbsCadre0 + SelectedFragmentAbsCadre1) / 2;
    if (c < middle)
        SelectedFragmentAbsCadre0 = c;
    else
        SelectedFragmentAbsCadre1 = c;
}

void CKWaveFilm::SetSelectedFragmentAbsCadres(long a, long b)
{
    const long last = std::max(NCadres - 1, 0L);
    a = std::clamp(a, 0L, last);
    b = std::clamp(b, 0L, last);
    SelectedFragmentAbsCadre0 = std::min(a, b);
    SelectedFragmentAbsCadre1 = std::max(a, b);
}

void CKWaveFilm::PlaySelectedFragment()
{
    PlayKWave(GetSelectedFragmentT0(), GetSelectedFragmentT1());
}

void CKWaveFilm::PlayKWaveFilmFromCadreToCadre(long c0, long c1)
{
    PlayKWave(GetSampleFromCadreNumber(c0), GetSampleFromCadreNumber(c1));
}

long CKWaveFilm::SetKCaretSample(long s)
{
    const long last = ZeroCadreSamplePosition + NCadres * CadreStepInSamples;
    KCaretSample = std::clamp(s, 0L, std::max(last, 0L));
    PositKWaveWindowOnSample(KCaretSample);
    // The floating windows all show the caret's neighbourhood.
    const KWindowHooks& hooks = KGetWindowHooks();
    if (pKWaveView && hooks.RepaintWaveView)
        hooks.RepaintWaveView(pKWaveView);
    RepaintSpectrumView();
    if (pKWaveSpectrumPhasePortraitView && hooks.RepaintPhasePortraitView)
        hooks.RepaintPhasePortraitView(pKWaveSpectrumPhasePortraitView);
    return KCaretSample;
}

long CKWaveFilm::SetKCaretCadre(long c)
{
    SetKCaretSample(GetSampleFromCadreNumber(c));
    return GetKCaretCadre();
}

double CKWaveFilm::SetKCaretFrequency(double f)
{
    const double top = nFFT > 0 ? double(GetKWaveFrADC()) / nFFT * (nFFT / 2 - 1) : 0.0;
    KCaretFrequency = std::clamp(f, 0.0, std::max(top, 0.0));
    return KCaretFrequency;
}
