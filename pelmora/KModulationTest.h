// CKModulationTest: one hearing test of amplitude or frequency modulation
// of a pure tone (or the unmodulated reference tone of a carrier): its
// stimulus file, its current modulation level and the two bounds of the
// level search.
#pragma once
#include <ctime>
#include <vector>

#include "framework/base/CString.h"
#include "pelmora/KWaveWriteToFile.h"

enum : int { KMODULATION_NONE = 0, KMODULATION_AM = 1, KMODULATION_FM = 2 };

class CKModulationTest {
public:
    static constexpr long nFrADC = 48000;
    static constexpr long nStimulusSamples = 480000; // 10 s
    static constexpr double dModulationRate = 7.0;    // Hz
    static constexpr double dMinLevel = 1e-13;
    static constexpr double dMaxLevel = 0.9999999999999;

    CKModulationTest() = default;
    // The stimulus file goes with the test.
    ~CKModulationTest();
    CKModulationTest(const CKModulationTest&) = delete;
    CKModulationTest& operator=(const CKModulationTest&) = delete;

    // Type, carrier, initial level and step factor; the file name follows
    // from the type and the carrier.
    void SetTest(int nType, int nCarrierHz, double dInitialM, double dStep);

    // Writes the stimulus at the current level into sFilePath.
    bool GenerateStimulus();
    // After lower or upper changed: the next level, clamped, and its stimulus.
    bool NextLevel();
    // Back to no bound known; the level stays.
    void ResetBounds();

    // Sample i of a stimulus, truncated towards zero.
    static short StimulusSample(int nType, double fc, double m, long i);
    static void MakeStimulus(int nType, double fc, double m, std::vector<short>& samples);

    // The level measures: depth in dB (AM) or swing in cents (FM).
    double Level() const;
    double HalfWidth() const;
    // (upper - lower) / (upper + lower): 1 while nothing is known.
    double RelativeError() const;
    // "AM", "FM" or "NM".
    const char* TypeName() const;

    int i_m = 0;
    int i_nm = 0;
    CString sError;
    CString sFilePath;
    int nModulationType = KMODULATION_NONE;
    int nCarrier = 0;
    double dStepFactor = 1;
    double m = 0.05;
    double lower = 0;
    double upper = 1;
    CKWaveWriteToFile Writer;
    std::tm LastTrialTime{}; // local time of the last trial of this test
};

// The level measures of a modulation m.
double AMDepthInDecibels(double m);
double FMSwingInCents(double m);
// The folder stimulus files are written to: the current one when it can be
// written to, otherwise the system's temporary folder.
CString KStimulusFolder();
