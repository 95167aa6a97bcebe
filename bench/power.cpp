// PowerCreate over a ten-minute 44.1 kHz mono signal.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "framework/base/CFile.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveWriteToFile.h"

namespace {

std::string makeLongWav()
{
    std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/bench-power-10min.wav";
    if (::access(path.c_str(), R_OK) == 0)
        return path;
    CKWaveWriteToFile w;
    w.Create(path.c_str(), 44100, 1);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0, 3000);
    std::vector<short> block(44100);
    for (int second = 0; second < 600; ++second) {
        for (short& s : block)
            s = short(std::max(-32768.0, std::min(32767.0, noise(rng))));
        w.Write(block.data(), int(block.size() * 2));
    }
    w.Close();
    return path;
}

void BM_PowerCreate10Minutes(benchmark::State& state)
{
    const std::string path = makeLongWav();
    CKWaveFilm film;
    film.OpenKWaveFile(path.c_str(), "bench");
    film.SetNFFTandOptimumCadreParams(1024);
    film.SetFirstAndLastSample(0, film.GetKWaveSizeInSamples());
    for (auto _ : state) {
        bool ok = film.PowerCreate();
        benchmark::DoNotOptimize(ok);
    }
    state.counters["cadres"] = double(film.GetNCadres());
    state.counters["cadres/s"] = benchmark::Counter(double(film.GetNCadres()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PowerCreate10Minutes)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
