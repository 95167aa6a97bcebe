// The fundamental frequency by autocorrelation: each frame's windowed
// autocorrelation divided by the window's own gives candidate periods with
// their strengths (and one candidate for "unvoiced"), and a path search
// over all frames picks one candidate a frame, paying for octave jumps and
// for voicing changes. Frames are given by their centres; the path depends
// on every frame it covers, so a view that shows a stretch runs the path
// over that stretch with some frames to spare on either side.
#pragma once
#include <vector>

#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSampleSource.h"

struct KPitchParams {
    double dFloor = 75;               // Hz; also sets the window: 3 periods of it (6 with the Gaussian)
    double dCeiling = 600;            // Hz
    double dSilenceThreshold = 0.03;  // of the sound's absolute peak: quieter frames are unvoiced
    double dVoicingThreshold = 0.45;  // the unvoiced candidate's strength in loud frames
    double dOctaveCost = 0.01;        // per octave down: favours the higher of near-equal candidates
    double dOctaveJumpCost = 0.35;    // per octave between neighbouring voiced frames
    double dVoicedUnvoicedCost = 0.14;// per change between voiced and unvoiced
    int nMaxCandidates = 15;          // including the unvoiced one
    bool bGaussian = false;           // Gaussian window of six periods instead of Hann of three
};

struct KPitchCandidate {
    double dFrequency = 0;            // Hz; 0 is the unvoiced candidate
    double dStrength = 0;             // the normalised autocorrelation (for unvoiced: its own figure)
};

struct KPitchCandidates {
    std::vector<KPitchCandidate> v;   // v[0] is the unvoiced candidate
};

struct KPitchFrame {
    double dTime = 0;                 // seconds, the frame's centre
    double dF0 = 0;                   // Hz; 0 where unvoiced
    double dStrength = 0;             // the chosen candidate's strength
};

// One frame's candidates. Holds its work buffers: one per thread.
class CKPitchAnalysis {
public:
    // peak: KSourceAbsolutePeak of the whole sound.
    CKPitchAnalysis(const KPitchParams& params, double rate, double peak);
    ~CKPitchAnalysis();
    CKPitchAnalysis(const CKPitchAnalysis&) = delete;
    CKPitchAnalysis& operator=(const CKPitchAnalysis&) = delete;

    // The window's length in samples; a frame centred on sample c reads
    // samples c - WindowLength()/2 .. c - WindowLength()/2 + WindowLength() - 1.
    long WindowLength() const { return m_nWindow; }
    long FirstSampleOfFrame(double centreSample) const;
    // The candidates of the frame whose window are the WindowLength() samples given.
    void Candidates(const float* window, KPitchCandidates& out);
    // The same, reading the window from the source.
    void Candidates(const KSampleSource& source, double centreSample, KPitchCandidates& out);

private:
    KPitchParams m_p;
    CKFFT m_fft;
    double m_rate, m_peak;
    long m_nWindow = 0;
    int m_nfft = 0;
    long m_minLag = 0, m_maxLag = 0;
    std::vector<double> m_window, m_windowAC;
    std::vector<float> m_read;
    std::vector<double> m_r;
};

// The path through frames `step` seconds apart: the frequency and strength
// chosen in each (dTime is left to the caller).
std::vector<KPitchFrame> KPitchPath(const std::vector<KPitchCandidates>& frames, const KPitchParams& params,
                                    double step);

// The pitch of frames centred on the given times (ascending, seconds), from
// the whole source: candidates on every core, then one path. `cancelled`,
// when given, is asked now and then; true stops with what there is so far
// left out (an empty result).
std::vector<KPitchFrame> KTrackPitch(const KSampleSource& source, const std::vector<double>& times,
                                     const KPitchParams& params, bool (*cancelled)(void*) = nullptr,
                                     void* context = nullptr);
