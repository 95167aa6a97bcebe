// Rate changes and cadre reversal of a mono 16-bit signal, without windows:
// the ×2 and ×4 interpolators (Gaussian-windowed sinc phases), the decimator
// (Gaussian-windowed low-pass sinc, one output per M inputs), and the grains
// of every K-th cadre laid back in place, each optionally played backwards.
// The signal comes in through readers and goes out through a block writer,
// so the same code serves the document and the tests.
#pragma once
#include <functional>
#include <vector>

namespace kresample {

// Every filter value carries this extra attenuation, so that the passband's
// overshoot stays within 16 bits.
constexpr double kInterpolatorGain = 1.175;

// Reads up to n raw samples from where the last read stopped; returns how many came.
using SequentialReader = std::function<long(short* dst, long n)>;
// Reads n samples starting at `first`, zeros outside the signal; false on failure.
using WindowReader = std::function<bool(short* dst, long first, long n)>;
// Writes n samples; false when not all of them could be written.
using BlockWriter = std::function<bool(const short* src, long n)>;
// Told how far the work has come, in units of `total`.
using Progress = std::function<void(long done, long total)>;

struct Outcome {
    enum Kind { Done, NoMemory, WriteFailed } kind = Done;
    // The buffer that could not be allocated (the number the message names).
    int nBuffer = 0;
};

// The numbers that name each buffer in the memory message.
enum : int {
    BufferCoefficients = 1743,
    BufferPhase1 = 1744,
    BufferPhase2 = 1745,
    BufferPhase3 = 1746,
    BufferSamples = 1755,
    BufferResult = 1756,
    BufferDecimatorCoefficients = 2249,
    BufferDecimatorSamples = 2264,
};

// For tests: a predicate that makes the allocation of a numbered buffer fail.
void SetAllocationRefusal(std::function<bool(int nBuffer)> refuse);

// The interpolators' block length in input samples.
constexpr long kBlock = 160;
// The fewest samples from which the interpolators write anything: half a
// block of priming and one whole block.
constexpr long kShortestInterpolated = kBlock / 2 + kBlock;

// The 160-tap filter of the point half-way between two samples.
std::vector<double> HalfSampleFilter();
// The 640-tap prototype of the quarter-sample phases, index t + 320.
std::vector<double> QuarterSampleFilter();
// The decimator's filter for factor M (odd length, centre at the middle), divided by M.
std::vector<double> DecimationFilter(int M);

// 16 bits from a value already on the sample scale: toward zero, held to the 16-bit range.
short ToSample(double v);

Outcome UpsampleByTwo(long nSamples, const SequentialReader& read, const BlockWriter& write,
                      const Progress& progress = {});
Outcome UpsampleByFour(long nSamples, const SequentialReader& read, const BlockWriter& write,
                       const Progress& progress = {});
// ⌈nSamples / M⌉ outputs, each the filter centred on input sample k·M.
Outcome Downsample(long nSamples, int M, const WindowReader& read, const BlockWriter& write,
                   const Progress& progress = {});

struct ReversalParams {
    long nSamples = 0;      // N
    long nStep = 0;         // w, the cadre step
    long nCadres = 0;       // C
    long nZeroCadreSample = 0; // sample of cadre 0
    int nKeepEvery = 1;
    bool bReverse = false;
};
enum : int { BufferReversalResult = 1, BufferReversalGrain = 2 };
// The grains of every nKeepEvery-th cadre from 6 to C − 7, summed into N floats in `result`.
Outcome ReverseCadres(const ReversalParams& p, const WindowReader& read, std::vector<float>& result,
                      const Progress& progress = {});

} // namespace kresample
