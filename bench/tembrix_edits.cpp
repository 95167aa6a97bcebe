// The workshop's signal operations on long recordings, run as `kavrel edit`
// and `kavrel synthesize` processes: time, real-time factor and the largest
// resident memory of the process (from wait4). The resamplers and the
// levelling each beside sox doing the same to the same ten minutes, the two
// alternately in one run (kavrel_s, peer_s, ratio); the decimator also
// alone, in memory. The process's own resident memory before any work is
// reported as `kavrel film`.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchProcess.h"
#include "bench/BenchSounds.h"
#include "tembrix/KResampling.h"

namespace {

// Speech-like harmonics over noise at 44.1 kHz, written once per length.
std::vector<short> recording(int seconds)
{
    return kbench::NoisySound(seconds, 5, 300, [pitch = kbench::Pitch()](double t) mutable {
        const double phase = pitch.Step(150 + 60 * std::sin(2 * std::numbers::pi * t / 3.1));
        const double level = 0.2 + 0.8 * std::fabs(std::sin(2 * std::numbers::pi * t / 11));
        return level * kbench::Harmonics(phase, 12, 2500);
    });
}

std::string recordingFile(int seconds)
{
    return kbench::CachedSound("bench-edits-" + std::to_string(seconds) + "s", 44100, [seconds] { return recording(seconds); });
}

// Runs a command that writes `out` (removed before each run, as the tool
// never replaces a file) and reports its time and memory.
void timeCommand(benchmark::State& state, const std::string& command, const std::string& out, double audioSeconds)
{
    const kbench::Run last = kbench::TimeCommand(state, command, out);
    if (last.status != 0)
        return;
    state.counters["x_realtime"] = audioSeconds / last.seconds;
    state.counters["maxrss_MB"] = last.maxRssMB;
}

const auto q = kbench::Quoted;

const std::string kKavrel = q(KAVREL_TOOL);

void BM_KavrelFilmAlone_10min(benchmark::State& state)
{
    const std::string wav = recordingFile(600);
    timeCommand(state, kKavrel + " film " + q(wav), kbench::TempDir() + "/bench-edits-none", 600);
}

void BM_DecimateByTwo_60s_InMemory(benchmark::State& state)
{
    const std::vector<short> x = recording(60);
    const kresample::WindowReader read = [&x](short* dst, long first, long n) {
        for (long k = 0; k < n; ++k) {
            const long i = first + k;
            dst[k] = i >= 0 && i < long(x.size()) ? x[size_t(i)] : 0;
        }
        return true;
    };
    long written = 0;
    for (auto _ : state) {
        written = 0;
        kresample::Downsample(long(x.size()), 2, read, [&](const short*, long n) {
            written += n;
            return true;
        });
    }
    // Seconds of sound decimated per second: the real-time factor.
    state.counters["audio_s_per_s"] =
        benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["outputs"] = double(written);
}

// kavrel edit OPERATION beside sox making the same rate or level from the
// same file: sox's output options (a rate) and its effect (norm).
void BM_KavrelBesideSox_10min(benchmark::State& state, const std::string& operation, const std::string& soxOptions,
                              const std::string& soxEffect)
{
    if (!kbench::PeerPresent(state, "sox --version", "sox"))
        return;
    const std::string wav = recordingFile(600);
    const std::string out = kbench::TempDir() + "/bench-edits-out.wav", peer = kbench::TempDir() + "/bench-edits-sox.wav";
    kbench::ComparePeer(state, {kKavrel + " edit " + q(wav) + " " + q(out) + " " + operation, out},
                        {"sox " + q(wav) + " " + soxOptions + " " + q(peer) + " " + soxEffect, peer});
}

void BM_KavrelSynthesize_10min(benchmark::State& state)
{
    const std::string wav = recordingFile(600), tbx = kbench::TempDir() + "/bench-edits-600s.tbx";
    const std::string out = kbench::TempDir() + "/bench-edits-syn.wav";
    // Text objects over most of the film, one of them 8 minutes long.
    if (::access(tbx.c_str(), R_OK) != 0 &&
        kbench::RunProcess(kKavrel + " make-document " + q(wav) + " " + q(tbx) +
                   " --object 100 75000 0 long --level-change 6 --object 80000 85000 0 soft --level-change -12"
                   " --object 86000 90000 0 loud --level-change 3")
                .status != 0) {
        state.SkipWithError("make-document failed");
        return;
    }
    timeCommand(state, kKavrel + " synthesize " + q(tbx) + " " + q(out), out, 600);
}

} // namespace

BENCHMARK(BM_KavrelFilmAlone_10min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DecimateByTwo_60s_InMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
// sox's own rate and norm effects at their defaults; 44100 / 7 = 6300.
BENCHMARK_CAPTURE(BM_KavrelBesideSox_10min, down2, "down --factor 2", "-r 22050", "")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_KavrelBesideSox_10min, down7, "down --factor 7", "-r 6300", "")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_KavrelBesideSox_10min, up2, "up2", "-r 88200", "")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_KavrelBesideSox_10min, up4, "up4", "-r 176400", "")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_KavrelBesideSox_10min, level, "level", "", "norm")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KavrelSynthesize_10min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
