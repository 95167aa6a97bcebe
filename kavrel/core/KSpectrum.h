// CKSpectrum: one short-time spectrum of a WAV file. It owns the wave whose
// window supplies the NFFT samples around the analysis point, the Gaussian
// window set by its frequency resolution, the complex spectrum that CKFFT
// writes, and per-bin arrays derived from it, computed only when asked for
// and kept until the spectrum changes.
#pragma once
#include "kavrel/core/KArrays.h"
#include "kavrel/core/KWave.h"

// The parameters for which an array was last computed. The initial values
// match no real spectrum. nTransform tells apart two transforms with the
// same parameters: another channel, a reopened file, or new float samples
// at the same position all give another z.
struct KSPECTRUM_PROPERTY {
    double SigmaF = -1.0;
    long nWindowSamplePosition = -1000000;
    int nFFT = -1000;
    long long nTransform = -1;

    friend bool operator==(const KSPECTRUM_PROPERTY&, const KSPECTRUM_PROPERTY&) = default;
};

class CKSpectrum {
public:
    CKSpectrum() = default;
    virtual ~CKSpectrum() = default;
    CKSpectrum(const CKSpectrum&) = delete;
    CKSpectrum& operator=(const CKSpectrum&) = delete;

    // Rounds n up to 4, 16, 64, ... 65536 and returns it; arrays grow with
    // it but never shrink. The Gaussian is not rebuilt: call SetSigmaF next.
    int SetNFFT(int n);
    int GetNFFT() const { return nFFT; }

    // Stores sigmaF (Hz), rebuilds the Gaussian and returns the NFFT that
    // would hold the whole non-zero window (advice only).
    int SetSigmaF(double sigmaF);
    int SetSigmaT(double sigmaT);
    double GetSigmaF() const { return SigmaF; }
    double GetSigmaT() const;
    int GetnValidGaussSamples() const { return nValidGaussSamples; }
    double* GetGauss() { return Gauss.pArray; }
    Z* GetZ() { return z.pArray; }

    // Marks z as about to hold a new spectrum, of the current window
    // position, SigmaF and NFFT: every derived array is computed anew.
    void Fix_z_Property();

    // Derived arrays, brought up to date with z first.
    double* GetAmplPower();
    double* GetAmplLine();
    double* GetAmpl_dB();
    double* Get_dPhaze_dOmega();
    unsigned char* GetCurveBehaviour();

    // Into the caller's arrays of NFFT/2 values, not cached.
    void CalculateAmpl_dB_(float* out);
    void CalculateAmpl_dB_(double* out);
    void Calculate_dPhaze_dOmega(float* out);
    void Calculate_dPhaze_dOmega(double* out);

    // The nearest local maximum of the power curve in the direction the
    // curve rises, or -1. Reads CurveBehaviour as it stands.
    int GetNearestFreqSampleWithLocalMaxAmpl(int k);
    int GetNearestFreqSampleWithLocalMaxAmpl(double f);

    double GetFrequencyInHertzFromFrequencyInSample(int k);
    int GetFrequencyInSampleFromFrequencyInHertz(double f);
    // The level of a bin that holds a full-scale sinusoid.
    double GetZeroSpectrumPowerLevel_in_dB();

    // Shape codes of the power curve.
    enum : unsigned char {
        CURVE_UNDECIDED = 0,
        CURVE_MAXIMUM = 1,
        CURVE_RISES_UP = 2,   // higher ground toward higher bins
        CURVE_RISES_DOWN = 4, // higher ground toward lower bins
    };

    CKWave Wave;
    KSPECTRUM_PROPERTY AmplLineProperty;
    KSPECTRUM_PROPERTY AmplPowerProperty;
    KSPECTRUM_PROPERTY Ampl_dBProperty;
    KSPECTRUM_PROPERTY dPhaze_dOmegaProperty;
    KSPECTRUM_PROPERTY zProperty;
    KSPECTRUM_PROPERTY CurveBehaviourProperty;
    CKArrayZ z;
    int nFFT = 0;
    int nValidGaussSamples = 0;
    double SigmaF = 0.0;
    CKArrayDouble Gauss;
    CKArrayDouble AmplPower;
    CKArrayDouble AmplLine;
    CKArrayDouble Ampl_dB;
    CKArrayDouble dPhaze_dOmega;
    CKArrayBYTE CurveBehaviour;

private:
    double GetFs() const { return double(Wave.GetKWaveFrADC()); }
    // Bins that both z and an array of nSize elements can hold.
    int nBinsFor(int nSize) const;
    void CalculateAmplPower();
    void CalculateCurveBehaviour();
};
