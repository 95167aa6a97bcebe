// The voice impulse model without its window: one period of the glottal
// volume acceleration (the piecewise pulse of opening, closing and return),
// its running-mean flow, and the 10-second jittered voice signal built
// period by period from it.
#pragma once
#include <vector>

#include "framework/base/CString.h"
#include "kavrel/core/KArrays.h"

// The model's parameter record: levels in dB relative to A2, phase ends as
// fractions of the period, deviations relative (0..1).
struct KVOICE_MODEL_PARAMS {
    double F0 = 100.0;
    double Noise_dB = -200.0;
    double ChestF = 30.0;
    double ChestA_dB = -200.0;
    double ChestPhase = 0.0; // added to the cosine's argument as it stands
    double T1 = 0.3;
    double T2 = 0.6;
    double T3 = 0.7;
    double A1 = 0.04;
    double A2 = 0.1;
    double dF0 = 0.0, dT1 = 0.0, dT2 = 0.0, dT3 = 0.0, dA1 = 0.0, dA2 = 0.0;
    double OpeningExponent = 0.0; // every build sets it to 1.2

    bool IsConsistent() const { return T1 <= T2 && T2 <= T3 && T3 <= 1 && A1 >= 0 && A2 >= 0; }
};

class CKVoicePulse {
public:
    static constexpr int kFs = 176400;                 // the model's sampling rate, Hz
    static constexpr int kSignalSamples = 10 * kFs;    // the generated file: 10 s
    static constexpr double kOpeningExponent = 1.2;

    CKVoicePulse();
    virtual ~CKVoicePulse() = default;

    // One period of R; false (the model unchanged) for an inconsistent record
    // or an impossible period, or when memory runs out (the user is told).
    bool BuildPulse(const KVOICE_MODEL_PARAMS& R, bool bCorrect = false);
    double GetResidual() const { return c > 0 ? Flow.pArray[c - 1] : 0.0; }

    KVOICE_MODEL_PARAMS Params;
    bool bCorrectByResidual = false; // stored only: the computations ignore it
    int c = 0;                       // period, samples
    int i1 = 0, i2 = 0, i3 = 0;      // ends of the opening, closing and return phases
    CKArrayDouble Pulse;             // volume acceleration, c values
    CKArrayDouble Flow;              // its running mean, c values
};

// A uniform value in 0..1, as the model draws its noise and jitter: the
// 15-bit value of the C library's generator over 32767.
double VoiceModelUniform();

// One period's record drawn from the means of R with their deviations:
// mean·(1 + (u − 0.5)·2·d) for F0, T1, T2, T3, A1, A2 in that order.
KVOICE_MODEL_PARAMS DrawJitteredParams(const KVOICE_MODEL_PARAMS& R);

// The 10-second signal as 16-bit samples, peak scaled to 32000: periods drawn
// from R and built in model (which is left holding the last one); noise and
// chest levels come from model's record as it stands on entry. Returns false
// (the user told) when memory runs out or no period could be built.
// nPeriods, when given, receives the lengths of the periods written.
bool GenerateVoiceSignal(CKVoicePulse& model, const KVOICE_MODEL_PARAMS& R, std::vector<short>& samples,
                         std::vector<int>* pPeriods = nullptr);

// The signal as a 16-bit mono PCM file at 176400 Hz, with the 18-byte format
// record. False (the user told, nothing left behind) on any failure.
bool WriteVoiceSignalFile(const CString& sPath, const std::vector<short>& samples);
