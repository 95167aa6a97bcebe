// Formants by linear prediction: the sound resampled to twice the highest
// formant looked for, pre-emphasised, each frame weighted by a Gaussian
// window and fitted by Burg's method; the predictor's roots give the
// formants' frequencies and bandwidths.
#pragma once
#include <vector>

#include "kavrel/core/KSampleSource.h"

struct KFormantParams {
    double dMaxFormant = 5500;        // Hz: the resampled rate is twice this
    int nFormants = 5;                // the predictor's order is twice this
    double dWindowLength = 0.025;     // seconds: the Gaussian window is twice as long
    double dPreEmphasisFrom = 50;     // Hz
};

struct KFormant {
    double dFrequency = 0;            // Hz
    double dBandwidth = 0;            // Hz
};

struct KFormantFrame {
    double dTime = 0;                 // seconds, the frame's centre
    double dLevel = -1e300;           // dB of the window-weighted samples' mean square (16-bit scale)
    std::vector<KFormant> formants;   // ascending frequency, at most nFormants
};

// Frames of one sound. The resampled sound is a fixed grid of samples
// 1/(2 dMaxFormant) apart from time 0; each of its samples is computed the
// same way however much of it is asked for, so a view's stretch and the
// batch tool's whole file give the same numbers.
class CKFormantAnalysis {
public:
    CKFormantAnalysis(const KFormantParams& params, double rate);
    ~CKFormantAnalysis();
    CKFormantAnalysis(const CKFormantAnalysis&) = delete;
    CKFormantAnalysis& operator=(const CKFormantAnalysis&) = delete;

    double ResampledRate() const { return m_rate2; }
    // The resampled (not yet pre-emphasised) grid's samples first .. first+n-1
    // from the source.
    void Resample(const KSampleSource& source, long first, long n, std::vector<float>& out) const;
    // The same in two steps, for callers that read once and resample on
    // several threads: the input samples that grid samples first .. first+n-1
    // need, and those grid samples from them (in holds inFirst onwards).
    void InputSpan(long first, long n, long& inFirst, long& inCount) const;
    void ResampleFrom(const float* in, long inFirst, long first, long n, float* out) const;
    // Grid samples a frame centred at time t reads: first .. first+count-1.
    void FrameSpan(double t, long& first, long& count) const;
    // The formants of the frame centred at time t, from the grid samples
    // `grid` that begin at grid sample gridFirst and cover FrameSpan(t).
    void Frame(const float* grid, long gridFirst, double t, KFormantFrame& out);

private:
    KFormantParams m_p;
    double m_rate, m_rate2;
    double m_ratio = 1, m_halfWidth = 0;  // input samples per grid sample; the kernel's half width in input samples
    long m_phases = 0, m_phaseStep = 0;   // the ratio as m_phaseStep/m_phases, when it is one
    long m_reach = 0;                     // input samples either side of a grid sample's own
    std::vector<double> m_kernel;         // the weights of each phase, or the kernel at 1/512 input sample
    double m_emphasis = 0;
    long m_nWindow = 0;
    std::vector<double> m_window;
    std::vector<double> m_x, m_coefficients, m_work1, m_work2, m_work3;
};

// The formants of frames centred on the given times (ascending, seconds),
// the whole source resampled once and the frames shared by every core.
std::vector<KFormantFrame> KTrackFormants(const KSampleSource& source, const std::vector<double>& times,
                                          const KFormantParams& params, bool (*cancelled)(void*) = nullptr,
                                          void* context = nullptr);
