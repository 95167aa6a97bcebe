// Our FFT beside FFTW's in-place complex double transform, in one run, and
// the analysis of a sonogram column pair as the film does it.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"

namespace {

// Transforms run in place again and again; the input is put back every
// so many runs, before the values grow out of range (sqrt N per run), at
// the same cost for both sides.
constexpr int nRunsPerRefill = 64;

std::vector<Z> RandomSignal(int N)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<Z> x(static_cast<size_t>(N));
    for (Z& v : x)
        v = Z{u(rng), u(rng)};
    return x;
}

template <void (CKFFT::*transform)(int)>
void BM_KFFT(benchmark::State& state)
{
    const int N = int(state.range(0));
    CKFFT fft;
    const std::vector<Z> x = RandomSignal(N);
    int n = 0;
    for (auto _ : state) {
        if (n-- == 0) {
            std::memcpy(fft.GetZ(), x.data(), x.size() * sizeof(Z));
            n = nRunsPerRefill;
        }
        (fft.*transform)(N);
        benchmark::DoNotOptimize(fft.GetZ()[0]);
    }
}

void BM_KFFT_fft(benchmark::State& state) { BM_KFFT<&CKFFT::fft>(state); }
void BM_KFFT_fft_literal(benchmark::State& state) { BM_KFFT<&CKFFT::fft_literal>(state); }

void BM_FFTW_dft_1d(benchmark::State& state)
{
    const int N = int(state.range(0));
    fftw_complex* z = fftw_alloc_complex(size_t(N));
    fftw_plan plan = fftw_plan_dft_1d(N, z, z, FFTW_FORWARD, FFTW_MEASURE);
    const std::vector<Z> x = RandomSignal(N);
    int n = 0;
    for (auto _ : state) {
        if (n-- == 0) {
            std::memcpy(z, x.data(), x.size() * sizeof(Z));
            n = nRunsPerRefill;
        }
        fftw_execute(plan);
        benchmark::DoNotOptimize(z[0][0]);
    }
    fftw_destroy_plan(plan);
    fftw_free(z);
}

BENCHMARK(BM_KFFT_fft)->Arg(1024)->Arg(4096)->Arg(65536);
BENCHMARK(BM_FFTW_dft_1d)->Arg(1024)->Arg(4096)->Arg(65536);
BENCHMARK(BM_KFFT_fft_literal)->Arg(1024)->Arg(4096)->Arg(65536);

// A few seconds of noise at 16 kHz in the temporary folder.
std::string WriteNoiseWav()
{
    const char* dir = std::getenv("TMPDIR");
    const std::string path = std::string(dir && *dir ? dir : "/tmp") + "/bench_fft_noise.wav";
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> u(-20000, 20000);
    const unsigned nSamples = 48000, rate = 16000, dataBytes = 2 * nSamples;
    std::vector<unsigned char> b;
    auto id = [&](const char* s) { b.insert(b.end(), s, s + 4); };
    auto u32 = [&](unsigned v) { for (int i = 0; i < 4; ++i) b.push_back((unsigned char)(v >> (8 * i))); };
    auto u16 = [&](unsigned v) { b.push_back((unsigned char)v); b.push_back((unsigned char)(v >> 8)); };
    id("RIFF"); u32(36 + dataBytes); id("WAVE");
    id("fmt "); u32(16); u16(1); u16(1); u32(rate); u32(2 * rate); u16(2); u16(16);
    id("data"); u32(dataBytes);
    for (unsigned i = 0; i < nSamples; ++i)
        u16((unsigned short)(short)u(rng));
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    return path;
}

// Two cadres of a sonogram column pair: one transform for both, then each
// cadre's level in dB and phase derivative, as the sonogram keeps them.
void BM_SonogramColumnPair(benchmark::State& state)
{
    const int nFFT = 1024;
    const std::string path = WriteNoiseWav();
    CKFFT fft;
    CKSpectrum s1, s2;
    for (CKSpectrum* s : {&s1, &s2}) {
        if (!s->Wave.OpenKWaveFile(path.c_str(), "bench")) {
            state.SkipWithError("cannot open the noise file");
            return;
        }
        s->SetNFFT(nFFT);
        s->SetSigmaF(40.0);
    }
    s1.Wave.PositKWaveWindowOnSample(20000);
    s2.Wave.PositKWaveWindowOnSample(20160);
    std::vector<float> dB1(nFFT / 2), dB2(nFFT / 2), phase1(nFFT / 2), phase2(nFFT / 2);
    for (auto _ : state) {
        fft.CalculateWithWeighting(&s1, &s2);
        s1.CalculateAmpl_dB_(dB1.data());
        s1.Calculate_dPhaze_dOmega(phase1.data());
        s2.CalculateAmpl_dB_(dB2.data());
        s2.Calculate_dPhaze_dOmega(phase2.data());
        benchmark::DoNotOptimize(dB1.data());
        benchmark::DoNotOptimize(phase2.data());
    }
    state.counters["cadres/s"] = benchmark::Counter(2.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    std::remove(path.c_str());
}

BENCHMARK(BM_SonogramColumnPair);

} // namespace

BENCHMARK_MAIN();
