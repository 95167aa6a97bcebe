// The sonogram at NFFT 1024 over a ten-minute 44.1 kHz signal: a full
// repaint of a 1920-column window with every column to compute, split into
// its transforms, its levels and phase derivatives and its pixels; the
// same with the pitch and formant overlays; and the batch export of the
// whole film beside the limit our FFT sets.
#include <numbers>
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "kavrel/core/KFFT.h"
#include "kavrel/core/KWave.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "bench/BenchProcess.h"
#include "bench/BenchSounds.h"
#include "kavrel/views/KWaveFilmPicture.h"
#include "kavrel/views/KTrackOverlays.h"
#include "kavrel/views/KWaveFilmView.h"

namespace {

constexpr int kColumns = 1920;

// Voiced-like sound: a 140 Hz harmonic series whose pitch wanders, in noise.
std::string makeLongWav()
{
    return kbench::CachedSound("bench-sonogram-10min", 44100, [] {
        return kbench::NoisySound(600, 1, 500, [pitch = kbench::Pitch()](double t) mutable {
            return kbench::Harmonics(pitch.Step(140 + 30 * std::sin(2 * std::numbers::pi * 0.7 * t)), 12, 2000);
        });
    });
}

struct Film {
    CKWaveFilm film;
    Film() { OpenKWaveFilmOnWholeFile(film, makeLongWav().c_str(), "bench", 1024); }
};

Film& TheFilm()
{
    static Film f;
    return f;
}

class BenchView : public CKWaveFilmView {
public:
    using CKWaveFilmView::CalculateSpectra;
};

// A view of 1920 columns in a window, at the start of the film.
struct Window {
    BenchView view;
    CKWaveFilmHint hint{&TheFilm().film};
    Window()
    {
        view.Create(nullptr, CRect(0, 0, kColumns, 512 + 16));
        view.OnUpdate(nullptr, HintNewFilm, &hint);
    }
    void AllStale()
    {
        for (int s = 0; s < view.nColumns; ++s)
            view.spectraColumnMap.pArray[s] = view.bitmapColumnMap.pArray[s] = CKWaveFilmView::SlotDisplayTypeChanged;
    }
};

// The display types a repaint is timed at, each its own run.
void EveryDisplayType(benchmark::internal::Benchmark* b)
{
    b->ArgName("type");
    for (int type : {CKWaveFilm::DisplayAmplitudeGrey, CKWaveFilm::DisplayPhaseAmplGrowth,
                     CKWaveFilm::DisplayPhaseFreqGrowth, CKWaveFilm::DisplayAmplitudeColour,
                     CKWaveFilm::DisplayHarmonogram})
        b->Arg(type);
}

void BM_FullRepaint(benchmark::State& state)
{
    TheFilm().film.displayFlags = int(state.range(0));
    Window w;
    const long long before = CKFFT::KFFT_nTransforms;
    for (auto _ : state) {
        w.AllStale();
        w.view.Invalidate(FALSE);
        w.view.UpdateWindow();
    }
    state.counters["transforms"] = double(CKFFT::KFFT_nTransforms - before) / double(state.iterations());
}
BENCHMARK(BM_FullRepaint)->Apply(EveryDisplayType)->Unit(benchmark::kMillisecond);

// The three parts of a pair-type repaint, each over the same 1920 cadres.
void BM_Part_Transforms(benchmark::State& state)
{
    CKWaveFilm& film = TheFilm().film;
    for (auto _ : state) {
        for (long c = 0; c < kColumns; c += 2) {
            film.pS0->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c));
            film.pS1->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(c + 1));
            film.FFT.CalculateWithWeighting(film.pS0, film.pS1);
        }
    }
}
BENCHMARK(BM_Part_Transforms)->Unit(benchmark::kMillisecond);

void BM_Part_LevelsAndPhaseDerivatives(benchmark::State& state)
{
    CKWaveFilm& film = TheFilm().film;
    std::vector<float> level(512), dphase(512);
    for (auto _ : state) {
        for (long c = 0; c < kColumns; c += 2) {
            for (CKSpectrum* s : {film.pS0, film.pS1}) {
                s->CalculateAmpl_dB_(level.data());
                s->Calculate_dPhaze_dOmega(dphase.data());
            }
        }
        benchmark::DoNotOptimize(level.data());
    }
}
BENCHMARK(BM_Part_LevelsAndPhaseDerivatives)->Unit(benchmark::kMillisecond);

void BM_Part_Pixels(benchmark::State& state)
{
    TheFilm().film.displayFlags = int(state.range(0));
    Window w;
    for (auto _ : state) {
        w.view.MarkPictureStale();
        w.view.CalculateBitmap();
    }
}
BENCHMARK(BM_Part_Pixels)->Apply(EveryDisplayType)->Unit(benchmark::kMillisecond);

// A repaint with nothing to compute: the two blits of the ring picture.
void BM_Part_Blit(benchmark::State& state)
{
    TheFilm().film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey;
    Window w;
    for (auto _ : state) {
        w.view.Invalidate(FALSE);
        w.view.UpdateWindow();
    }
}
BENCHMARK(BM_Part_Blit)->Unit(benchmark::kMillisecond);

// The pitch and formant overlays (both on) over the same 1920 cadres.
// Warm: every cadre's tracks kept, a full repaint (spectra and pixels
// anew) or a repaint of the kept picture, each with the path through the
// kept candidates and the drawing. Cold: the tracks of the whole window
// analysed anew each time (what the first paint after turning them on
// costs). Scroll: 64 new cadres a repaint, as a drag to the right brings.
struct TracksWindow : Window {
    std::shared_ptr<CKTrackOverlays> overlays = std::make_shared<CKTrackOverlays>();
    // which: 1 the pitch, 2 the formants, 3 both.
    explicit TracksWindow(long which = 3)
    {
        overlays->bPitch = (which & 1) != 0;
        overlays->bFormants = (which & 2) != 0;
        view.OnUpdate(nullptr, HintTracks, overlays.get());
        view.Invalidate(FALSE);
        view.UpdateWindow();
    }
};

void BM_FullRepaintWithTracks(benchmark::State& state)
{
    TheFilm().film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey;
    TracksWindow w;
    for (auto _ : state) {
        w.AllStale();
        w.view.Invalidate(FALSE);
        w.view.UpdateWindow();
    }
}
BENCHMARK(BM_FullRepaintWithTracks)->Unit(benchmark::kMillisecond);

void BM_Part_BlitWithTracks(benchmark::State& state)
{
    TheFilm().film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey;
    TracksWindow w(state.range(0));
    for (auto _ : state) {
        w.view.Invalidate(FALSE);
        w.view.UpdateWindow();
    }
}
BENCHMARK(BM_Part_BlitWithTracks)->ArgName("tracks")->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_TracksCold(benchmark::State& state)
{
    TheFilm().film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey;
    TracksWindow w(state.range(0));
    for (auto _ : state) {
        w.overlays->Cache.Clear();
        w.view.Invalidate(FALSE);
        w.view.UpdateWindow();
    }
}
BENCHMARK(BM_TracksCold)->ArgName("tracks")->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_TracksScroll64(benchmark::State& state)
{
    TheFilm().film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey;
    TracksWindow w;
    long x = 0;
    for (auto _ : state) {
        x += 64;
        w.view.ScrollToPosition(CPoint(int(x), w.view.GetScrollPosition().y));
        w.view.UpdateWindow();
    }
}
BENCHMARK(BM_TracksScroll64)->Unit(benchmark::kMillisecond)->Iterations(200);

// The FFT-bound limit: bare 1024-point transforms; one paired transform
// carries two cadres.
void BM_FFT1024(benchmark::State& state)
{
    CKFFT fft;
    Z* z = fft.GetZ();
    for (int i = 0; i < 1024; ++i)
        z[i] = Z{std::sin(0.1 * i), std::cos(0.37 * i)};
    for (auto _ : state) {
        fft.fft(1024);
        benchmark::DoNotOptimize(z[5].re);
    }
    state.counters["transforms/s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["cadres/s limit"] = benchmark::Counter(2, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FFT1024);

// What kavrel sonogram computes for the whole ten minutes (without the
// PNG encoding), on one core.
void BM_ExportWholeFilm(benchmark::State& state)
{
    CKWaveFilm& film = TheFilm().film;
    film.displayFlags = int(state.range(0));
    const long n = film.GetNCadres();
    const int lines = KWaveFilmPictureHeight(film), channels = KWaveFilmPictureChannels(film);
    std::vector<unsigned char> pixels(size_t(n) * size_t(lines) * size_t(channels));
    for (auto _ : state)
        RenderKWaveFilmPictureBytes({&film}, 0, n, n, 0, n, pixels.data(), channels, size_t(n) * size_t(channels));
    state.counters["cadres"] = double(n);
    state.counters["cadres/s"] = benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExportWholeFilm)
    ->ArgName("type")
    ->Arg(CKWaveFilm::DisplayAmplitudeGrey)
    ->Arg(CKWaveFilm::DisplayHarmonogram)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The whole command, picture written, beside Praat's To Spectrogram on the
// same frames (bench/praat/spectrogram.praat), alternately in one run.
void BM_KavrelSonogramBesidePraat_10min(benchmark::State& state)
{
    if (!kbench::PeerPresent(state, "praat --version", "praat"))
        return;
    const std::string wav = makeLongWav(), png = kbench::TempDir() + "/bench-sonogram-10min.png";
    kbench::ComparePeer(state,
                        {kbench::Quoted(KAVREL_TOOL) + " sonogram " + kbench::Quoted(wav) + " " + kbench::Quoted(png), png},
                        {"praat --run " + kbench::Quoted(std::string(KAVREL_BENCH_DIR) + "/praat/spectrogram.praat") + " " +
                             kbench::Quoted(wav),
                         ""});
}
BENCHMARK(BM_KavrelSonogramBesidePraat_10min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// An hour: six numbered tiles, or one picture 4000 columns wide; the
// memory stays that of one tile.
void BM_KavrelSonogram_60min(benchmark::State& state)
{
    const std::string wav = kbench::CachedSound("bench-sonogram-60min", 44100, [] {
        std::vector<short> x;
        const std::string ten = makeLongWav();
        CKWave w;
        w.OpenKWaveFile(ten.c_str(), "bench");
        std::vector<short> part(size_t(w.GetKWaveSizeInSamples()));
        w.FillKWaveBufFromSampleNSamples(part.data(), 0, long(part.size()));
        for (int k = 0; k < 6; ++k)
            x.insert(x.end(), part.begin(), part.end());
        return x;
    });
    const std::string base = kbench::TempDir() + "/bench-sonogram-60min";
    const bool narrow = state.range(0) > 0;
    const std::string options = narrow ? " --width " + std::to_string(state.range(0)) : "";
    // One run (the tool replaces no file: the tiles go first).
    kbench::RunProcess("rm -f " + kbench::Quoted(base) + "*.png");
    const kbench::Run r = kbench::TimeCommand(state,
                                              kbench::Quoted(KAVREL_TOOL) + " sonogram " + kbench::Quoted(wav) + " " +
                                                  kbench::Quoted(base + ".png") + options,
                                              "");
    kbench::RunProcess("rm -f " + kbench::Quoted(base) + "*.png");
    if (r.status == 0)
        state.counters["kavrel_MB"] = r.maxRssMB;
}
BENCHMARK(BM_KavrelSonogram_60min)->ArgName("width")->Arg(0)->Arg(4000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    // The repaints draw into a window's picture: no display is needed.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
