// PowerCreate over a ten-minute 44.1 kHz mono signal.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/base/CFile.h"
#include "kavrel/core/KWaveFilm.h"
#include "bench/BenchSounds.h"

namespace {

std::string makeLongWav()
{
    return kbench::CachedSound("bench-power-10min", 44100, [] { return kbench::NoisySound(600, 1, 3000); });
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
