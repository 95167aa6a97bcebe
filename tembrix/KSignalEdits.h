// The signal edits of the workshop as plain computations over the analysed
// wave: delete or keep a segment (roughly, or crossfaded with a periodic
// Hann window), delete what lies on one side of the marker (raw frames),
// and level the power with a windowed automatic gain control. Each writes
// through the WAV output steps it is given and leaves the wave unchanged.
#pragma once
#include <functional>
#include <vector>

#include "framework/base/Types.h"
#include "framework/base/WaveFormat.h"

class CKWave;
class CKWaveOutputSteps;

// How an edit ended. Memory: a buffer could not be had (nothing written yet).
enum class KEditOutcome { Written, Memory, Failed };

// The periodic Hann window of length n: (1 - cos(2 pi k / n)) / 2.
std::vector<double> KPeriodicHann(long n);
// A product's value as a 16-bit sample: truncated toward zero and held
// inside the 16-bit range.
short KToSample16(double v);

// Deletes (nWhat 0) or keeps (1) samples s0..s1 of the analysed channel,
// in blocks of w samples; nQuality 1 crossfades over 2w samples. The
// output is 16-bit mono at the wave's rate.
KEditOutcome KWriteSegmentEdit(CKWave& wave, long w, long s0, long s1, int nWhat, int nQuality,
                               CKWaveOutputSteps& out);
WAVEFORMATEX KSegmentEditFormat(const WAVEFORMATEX& source);

// Deletes the frames left (nSide 0) or right (1) of the caret sample c,
// copying the source's raw frames w at a time; the output has the source's
// format.
KEditOutcome KWriteSideDeletion(CKWave& wave, long c, int nSide, long w, CKWaveOutputSteps& out);

// Power levelling.
struct KAGCSettings {
    int nNewMaxAmplitude = 32767;
    double dAGCFrameRate = 7.0;
    double dMaxFrameGain_dB = 30.0;
};
// The hop of the gain windows in frames: Fs / rate, rounded.
long long KAGCHop(double dFs, double dFrameRate);
// A window's level correction: its peak P (of the mean-free samples over
// full scale) is brought to a, but by no more than Gmax; 0 for silence.
double KAGCGain(double P, double a, double Gmax);
// Adds the levelled signal of N frames of C interleaved 16-bit samples into
// Y (N*C values, zeros at first), with windows of 2h frames every h frames.
// frames(u, n, buf) gives n frames from frame u. Windows reach no further
// than the file, so a file shorter than a window is levelled by the tail
// and head passes alone. False when a buffer could not be had.
// settled(f), when given, is told that frames h..f − 1 of Y are final (the
// head pass still adds to the first h frames at the end).
using KReadFrames = std::function<void(long long u, long long n, short* buf)>;
bool KLevelPower(const KReadFrames& frames, long long N, int C, long long h, double a, double Gmax, float* Y,
                 const std::function<void(long long f)>& settled = {});
// The levelling of the whole wave into the output: the temporary mapped
// file of the result, the passes, the writing. Messages are shown here.
KEditOutcome KWriteLevelledPower(CKWave& wave, const KAGCSettings& settings, CKWaveOutputSteps& out);
