// The workshop's signal operations on long recordings, run as `kavrel edit`
// and `kavrel synthesize` processes: time, real-time factor and the largest
// resident memory of the process (from wait4). The decimator also alone, in
// memory, and beside sox resampling the same file in the same run. The
// process's own resident memory before any work is reported as `kavrel film`.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <vector>

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

struct Run {
    double seconds = 0;
    double maxRssMB = 0;
    int status = -1;
};

// A command line run by the shell's exec (no shell left in between), timed
// from fork to exit, with the child's largest resident set.
Run runProcess(const std::string& command)
{
    Run r;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", ("exec " + command + " >/dev/null 2>&1").c_str(), (char*)nullptr);
        ::_exit(127);
    }
    int status = 0;
    struct rusage ru{};
    ::wait4(pid, &status, 0, &ru);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.maxRssMB = double(ru.ru_maxrss) / 1024.0;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Runs a command that writes `out` (removed before each run, as the tool
// never replaces a file) and reports its time and memory.
void timeCommand(benchmark::State& state, const std::string& command, const std::string& out, double audioSeconds)
{
    Run last;
    for (auto _ : state) {
        std::remove(out.c_str());
        last = runProcess(command);
        if (last.status != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        state.SetIterationTime(last.seconds);
    }
    std::remove(out.c_str());
    state.counters["x_realtime"] = audioSeconds / last.seconds;
    state.counters["maxrss_MB"] = last.maxRssMB;
}

std::string q(const std::string& s)
{
    return "'" + s + "'";
}

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

void BM_KavrelEditDown2_60s(benchmark::State& state)
{
    const std::string wav = recordingFile(60), out = kbench::TempDir() + "/bench-edits-down.wav";
    timeCommand(state, kKavrel + " edit " + q(wav) + " " + q(out) + " down --factor 2", out, 60);
}

void BM_SoxRate22050_60s(benchmark::State& state)
{
    const std::string wav = recordingFile(60), out = kbench::TempDir() + "/bench-edits-sox.wav";
    if (runProcess("sox --version").status != 0) {
        state.SkipWithError("sox not found");
        return;
    }
    timeCommand(state, "sox " + q(wav) + " -r 22050 " + q(out), out, 60);
}

void BM_KavrelEdit_10min(benchmark::State& state, const std::string& operation)
{
    const std::string wav = recordingFile(600), out = kbench::TempDir() + "/bench-edits-out.wav";
    timeCommand(state, kKavrel + " edit " + q(wav) + " " + q(out) + " " + operation, out, 600);
}

void BM_KavrelSynthesize_10min(benchmark::State& state)
{
    const std::string wav = recordingFile(600), tbx = kbench::TempDir() + "/bench-edits-600s.tbx";
    const std::string out = kbench::TempDir() + "/bench-edits-syn.wav";
    // Text objects over most of the film, one of them 8 minutes long.
    if (::access(tbx.c_str(), R_OK) != 0 &&
        runProcess(kKavrel + " make-document " + q(wav) + " " + q(tbx) +
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
BENCHMARK(BM_KavrelEditDown2_60s)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SoxRate22050_60s)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_KavrelEdit_10min, up2, "up2")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_KavrelEdit_10min, up4, "up4")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_KavrelEdit_10min, level, "level")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_KavrelSynthesize_10min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
