// The tracer's analysis of a 3-second object beside the pair transform it is
// built on, one tool stroke of 31 cadres with its resynthesis, and the
// opening of a 10-second object, analysis included.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "framework/base/UserServices.h"
#include "glissar/doc/GlissarDoc.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "bench/BenchSounds.h"

namespace {

// A voice-like sound at 44.1 kHz: 30 harmonics of a pitch gliding 120 → 180 Hz
// falling 6 dB per octave, over a faint noise, as the analysis meets it in speech.
std::string makeVoice(int seconds)
{
    return kbench::CachedSound("bench-glissar-" + std::to_string(seconds) + "s", 44100, [seconds] {
        return kbench::NoisySound(seconds, 7, 10, [seconds, pitch = kbench::Pitch()](double t) mutable {
            return kbench::Harmonics(pitch.Step(120 + 60 * t / seconds), 30, 6000);
        });
    });
}

// The first document of an object over the whole sound, as the workshop writes it.
std::string makeObject(int seconds)
{
    const std::string wav = makeVoice(seconds);
    const std::string gsr = kbench::TempDir() + "/bench-glissar-" + std::to_string(seconds) + "s.gsr";
    const std::string kfw = kbench::TempDir() + "/bench-glissar-" + std::to_string(seconds) + "s.kfw";
    CKWaveFilm film;
    OpenKWaveFilmOnWholeFile(film, wav.c_str(), "bench", 1024);
    film.SetSelectedFragmentAbsCadres(0, film.GetNCadres() - 1);
    CKPhoneObject po;
    po.nType = 1;
    po.nFirstSample = int(film.GetSelectedFragmentSample0());
    po.nLastSample = int(film.GetSelectedFragmentSample1());
    po.sPhoneObjectDocFilePathName = gsr.c_str();
    po.sPhoneObjectFloatWaveFilePathName = kfw.c_str();
    WriteNewPhoneObjectFiles(&po, &film);
    return gsr;
}

std::unique_ptr<CGlissarDoc> openObject(const std::string& gsr)
{
    std::unique_ptr<CGlissarDoc> doc(new CGlissarDoc);
    if (!doc->OnOpenDocument(gsr.c_str()))
        return nullptr;
    return doc;
}

// The bare pair transform of the analysis: two windows, one FFT, both spectra.
void BM_PairTransform1024(benchmark::State& state)
{
    auto doc = openObject(makeObject(3));
    CKWaveFilm& film = doc->pWaveFilm;
    film.pS0->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(100));
    film.pS1->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(101));
    for (auto _ : state) {
        film.FFT.CalculateWithWeighting(film.pS0, film.pS1);
        benchmark::DoNotOptimize(film.pS0->GetZ()[1]);
    }
    state.counters["cadres/s"] = benchmark::Counter(2, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PairTransform1024);

void BM_CalculateAllSpectra3Seconds(benchmark::State& state)
{
    auto doc = openObject(makeObject(3));
    const long cadres = doc->pWaveFilm.GetNCadres() - 2 * doc->GetCadreMargin();
    for (auto _ : state) {
        bool ok = doc->CalculateAllSpectra(true);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["cadres/s"] = benchmark::Counter(double(cadres), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CalculateAllSpectra3Seconds)->Unit(benchmark::kMillisecond);

// One stroke of the widest tool on the fundamental, added then removed in turn.
void BM_ToolStroke31Cadres(benchmark::State& state)
{
    auto doc = openObject(makeObject(3));
    doc->nToolsSize = 5;
    doc->bQuickEditing = true;
    const long x = doc->pWaveFilm.GetNCadres() / 2;
    // The fifth harmonic, 750 Hz in the middle: inside the bin margin, unlike the fundamental.
    const int bin = int(750.0 / (44100.0 / 1024) + 0.5);
    int atoms = 0;
    for (auto _ : state) {
        doc->ToolButtonDown(x, bin);
        state.PauseTiming();
        atoms = 0;
        for (long c = 0; c < doc->pWaveFilm.GetNCadres(); ++c)
            for (int k = 0; k < doc->GetNBins(); ++k)
                atoms += (doc->GetTraceStatus(c)[k] & (CGlissarDoc::TRACE_ADD_REQUEST | CGlissarDoc::TRACE_REMOVE_REQUEST)) != 0;
        state.ResumeTiming();
        doc->ToolButtonUp();
        doc->bAddTraces = !doc->bAddTraces;
    }
    state.counters["atoms"] = atoms;
}
BENCHMARK(BM_ToolStroke31Cadres)->Unit(benchmark::kMicrosecond);

void BM_Open10SecondObject(benchmark::State& state)
{
    const std::string gsr = makeObject(10);
    for (auto _ : state) {
        auto doc = openObject(gsr);
        benchmark::DoNotOptimize(doc.get());
    }
}
BENCHMARK(BM_Open10SecondObject)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
