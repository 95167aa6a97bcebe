// CKWaveFilm: a WAV file cut into cadres (analysis frames) a fixed number
// of samples apart, each analysed by a Gaussian-windowed FFT; with the
// selection, the caret, the display state and the per-cadre power file.
#pragma once
#include "framework/base/CArchive.h"
#include "framework/base/CFile.h"
#include "kavrel/core/KArrays.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"
#include "kavrel/core/KWave.h"

class CKWaveSpectrumView;
class CKWaveSpectrumPhasePortraitView;
class CWnd;

class CKWaveFilm : public CKWave {
public:
    CKWaveFilm();
    ~CKWaveFilm();

    // Geometry and conversions.
    long SetFirstAndLastSample(long a, long b);
    // The cadres a film over samples a..b has at a step: an even number, at least 2.
    static long NCadresOfSpan(long a, long b, long step);
    long GetZeroCadreSamplePosition() const { return ZeroCadreSamplePosition; }
    long GetCadreStepInSamples() const { return CadreStepInSamples; }
    long GetNCadres() const { return NCadres; }
    int GetNFFT() const { return nFFT; }
    double GetSigmaFr() const { return SigmaFr; }
    double GetSigmaT() const;
    long GetLengthInSamples() const { return NCadres * CadreStepInSamples; }
    double GetCadreStepInSeconds() const;
    double GetOneCadreTimeDistance() const { return GetCadreStepInSeconds(); }
    long GetSampleFromCadreNumber(long c) const { return c * CadreStepInSamples + ZeroCadreSamplePosition; }
    long GetCadreNumberFromSample(long s) const;
    long GetCadreNumberFromTimeInSeconds(double t) const;
    double GetTimeInSecondsFromSample(long s) const;
    double GetTimeInSecondsFromCadre(long c) const;
    double GetFreqInHertzFromSpectrumSample(int k) const;
    int PositKWaveWindowOnCadre(long c);
    int GetNGaussCadresNeighbours() const;
    int GetNGaussFreqLineNeighbours() const;

    // Spectral parameters.
    void SetNFFTandOptimumCadreParams(int n);
    void SetNFFTandLeaveCadreParamsUnchangable(int n);
    void SetNewSpectrumValidLevel(int n);
    // The SigmaFr dialog on this film; on OK its NFFT, step, SigmaFr and
    // channel become the film's. Returns the dialog's result (1 for OK).
    // Defined with the dialogs: the core itself never opens it.
    int DialogSetSigmaFr();
    // What the SigmaFr dialog's OK gives the film: NFFT (levels carried
    // over), cadre step, SigmaFr and the analysed channel of all readers.
    void SetSigmaFrCadreStepAndChannel(int n, long step, double sigmaFr, int channel);

    // Valid levels, dB.
    double GetZeroSpectrumPowerLevel_dB() const;
    void SetDefaultsSpectrumAmplValidUpAndDownLevel_dB();
    void MoveSpectrumAmplValidUpLevel_dB(double d);
    void MoveSpectrumAmplValidDownLevel_dB(double d);

    // Selection.
    void SetSelectedFragmentAbsCadre(long c);
    void SetSelectedFragmentAbsCadres(long a, long b);
    void PlaySelectedFragment();
    void PlayKWaveFilmFromCadreToCadre(long c0, long c1);
    long GetSelectedFragmentAbsCadre0() const { return SelectedFragmentAbsCadre0; }
    long GetSelectedFragmentAbsCadre1() const { return SelectedFragmentAbsCadre1; }
    long GetSelectedFragmentSample0() const { return GetSampleFromCadreNumber(SelectedFragmentAbsCadre0); }
    long GetSelectedFragmentSample1() const { return GetSampleFromCadreNumber(SelectedFragmentAbsCadre1); }
    double GetSelectedFragmentT0() const { return GetTimeInSecondsFromSample(GetSelectedFragmentSample0()); }
    double GetSelectedFragmentT1() const { return GetTimeInSecondsFromSample(GetSelectedFragmentSample1()); }

    // Caret.
    long SetKCaretSample(long s);
    long SetKCaretCadre(long c);
    long GetKCaretSample() const { return KCaretSample; }
    long GetKCaretCadre() const { return GetCadreNumberFromSample(KCaretSample); }
    double GetKCaretTime() const { return GetTimeInSecondsFromSample(KCaretSample); }
    double SetKCaretFrequency(double f);
    double GetKCaretFrequency() const { return KCaretFrequency; }

    int GetInternalWaveFilmStatus() const { return InternalWaveFilmStatus; }
    bool IsInternalStatusOK() const { return InternalWaveFilmStatus == StatusReady; }
    // The cursor-text dialog on tooltipFlags, stored on OK (defined with the dialogs).
    void SetHowToShowTooltip();
    // The floating instant spectrum and phase portrait of this film, made on
    // pParent and kept in pKWaveSpectrumView and pKWaveSpectrumPhasePortraitView;
    // a window that exists already is shown again. Defined with the views.
    bool CreateKWaveSpectrumView(CWnd* pParent);
    bool CreateKWaveSpectrumPhasePortraitView(CWnd* pParent);

    // Power level file.
    bool PowerCreate();
    bool PowerFileIsReady() const { return bPowerFileIsReady; }
    float* PowerPositBufferOnCadre(long c0, long n);
    float GetPowerInCadre(long c);

    // Persistence.
    void KSerialize(CArchive& ar);
    void InitializeFromSelectedFragmentAnotherKWaveFilm(CKWaveFilm* p);

    // Levels returned instead of data.
    static constexpr float kPowerNotReady = -400.0f;
    static constexpr float kPowerCadreOutOfRange = -300.0f;
    static constexpr float kPowerNoBuffer = -200.0f;
    static const float kPowerUnreadable; // 20 log10(2^-16)

    bool MoveCaretOnlyWithCtrl = true;
    CKSpectrum* pS0;
    CKSpectrum* pS1;
    CKSpectrum* pS2;
    CKSpectrum* pS3;
    CKFFT FFT;
    CKArrayFloat validDownLevel;
    CKArrayFloat validUpLevel;
    float phaseLimitNeg = -1e-25f;
    float phaseLimitPos = 1e-25f;
    float phaseFreqLimitNeg = -1e-28f;
    float phaseFreqLimitPos = 1e-28f;
    double harmonogramDown = 0.0;
    double harmonogramUp = 1.0;
    double auxRangeDown = 0.0;
    double auxRangeUp = 1000000.0;
    // What the sonogram shows: one display type, and the inversion bit.
    enum : int {
        DisplayAmplitudeGrey = 0x001,   // amplitude in greys
        DisplayPhaseAmplGrowth = 0x002, // phase, tinted where the amplitude grows
        DisplayPhaseFreqGrowth = 0x004, // phase, tinted where the frequency grows
        DisplayInverse = 0x020,         // the picture inverted
        DisplayHarmonogram = 0x040,     // harmonogram
        DisplayFiot = 0x080,            // ФИОТ: nothing is drawn
        DisplayAmplitudeColour = 0x100, // amplitude, hue by the column's balance
        DisplayTypeMask = 0x1C7         // the type bits without the inversion
    };
    int displayFlags = DisplayAmplitudeGrey;
    int lightBackground = 0;
    // What the cursor text shows: time (bits 0-1), frequency (2-4), power (5-6).
    enum : int {
        TooltipTimeAbsolute = 0x01,
        TooltipTimeRelative = 0x02,         // to the caret
        TooltipFrequencyAbsolute = 0x04,
        TooltipFrequencyRelative = 0x08,    // to the caret
        TooltipFrequencyDerivative = 0x10,  // Hz per second from the caret
        TooltipPowerAbsolute = 0x20,
        TooltipPowerRelative = 0x40,        // to the caret
        TooltipTimeBits = 0x03,
        TooltipFrequencyBits = 0x1C,
        TooltipPowerBits = 0x60
    };
    static constexpr int kDefaultTooltipFlags = TooltipTimeAbsolute | TooltipFrequencyAbsolute | TooltipPowerAbsolute;
    int tooltipFlags = kDefaultTooltipFlags;
    // Which halves of the analysis are set: both make a film that can be drawn.
    enum : unsigned char {
        StatusSpectra = 0x01,  // NFFT and SigmaFr given to the spectra
        StatusGeometry = 0x02, // first cadre and cadre count set
        StatusReady = StatusSpectra | StatusGeometry
    };
    unsigned char InternalWaveFilmStatus = 0;
    long ZeroCadreSamplePosition = 0;
    long CadreStepInSamples = 0;
    static constexpr long kMaxCadreStep = 1000000; // the SigmaFr dialog's largest step
    long NCadres = 0;
    double SigmaFr = 0.0;
    static constexpr double kMinSigmaFr = 0.001;     // the SigmaFr dialog's range, Hz
    static constexpr double kMaxSigmaFr = 1000000.0;
    int nFFT = 0;
    long SelectedFragmentAbsCadre0 = 0;
    long SelectedFragmentAbsCadre1 = 0;
    double KCaretFrequency = 0.0;
    long KCaretSample = 0;
    CKWaveSpectrumView* pKWaveSpectrumView = nullptr;
    CKWaveSpectrumPhasePortraitView* pKWaveSpectrumPhasePortraitView = nullptr;

    CString sPowerFilePathName;
    CKArrayFloat PowerBuffer;
    CFile PowerFile;
    CFileException PowerFileException;
    bool bPowerFileIsReady = false;
    long nPowerBufferFirstCadre = 0;

private:
    void ConfigureSpectra();
    bool OpenNewPowerFile(const char* prefix);
    int ReOpenPowerFile();
    void ClosePowerFile();
    void ShowPowerSeekOrReadError(bool seek);
    void RepaintSpectrumView();
};
