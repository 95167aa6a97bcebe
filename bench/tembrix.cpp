// The workshop opening an analysis of a 10-minute 44.1 kHz recording with
// 200 sound objects on several levels, until its window is fully drawn: the
// film read back, the power file computed under its progress window, the
// power curve, sonogram and object strip painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "framework/base/ProgressService.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWnd.h"
#include "bench/BenchSounds.h"
#include "tembrix/KMainFrame.h"
#include "tembrix/TembrixApp.h"
#include "tembrix/TembrixDoc.h"

namespace {

// A voice-like sound: 20 harmonics of a pitch wandering 100 → 250 Hz over
// faint noise, in 2-second phrases with pauses between them.
std::string makeRecording(int seconds)
{
    return kbench::CachedSound("bench-tembrix-" + std::to_string(seconds) + "s", 44100, [seconds] {
        return kbench::NoisySound(seconds, 11, 10, [pitch = kbench::Pitch()](double t) mutable {
            const double phase = pitch.Step(175 + 75 * std::sin(2 * std::numbers::pi * t / 7.3));
            const bool voiced = std::fmod(t, 2.5) < 2.0;
            return voiced ? kbench::Harmonics(phase, 20, 4000) : 0.0;
        });
    });
}

// The analysis with 200 text objects, made by the document's own New and
// New-object steps: four levels of overlapping stretches along the film.
std::string makeDocument(int seconds, int objects)
{
    const std::string wav = makeRecording(seconds);
    const std::string tbx = kbench::TempDir() + "/bench-tembrix-" + std::to_string(seconds) + "s.tbx";
    if (::access(tbx.c_str(), R_OK) == 0)
        return tbx;
    CTembrixDoc doc;
    doc.WaveFilm.OpenKWaveFile(wav.c_str(), "bench-tembrix");
    doc.OpenNewSoundInSpectrumFrames();
    if (!doc.CompleteNewFilm())
        return {};
    doc.KeepNewDocumentAt(tbx.c_str(), "bench-tembrix.tbx");
    const long cadres = doc.WaveFilm.GetNCadres();
    const long stride = cadres / (objects / 4 + 1);
    for (int k = 0; k < objects; ++k) {
        const long c0 = (k / 4) * stride + (k % 4) * stride / 8;
        doc.WaveFilm.SetSelectedFragmentAbsCadres(c0, c0 + stride);
        CKPhoneObject* po = doc.CreatePhoneObjectOnSelection();
        if (!po)
            return {};
        po->sName.Format("Объект %d", k + 1);
        po->nType = k % 3 == 0 ? 2 : 0; // types that bring no files of their own
        doc.AddDescribedPhoneObject(po);
    }
    doc.OnSaveDocument(tbx.c_str());
    return tbx;
}

void BM_OpenTenMinutesWith200ObjectsToADrawnWindow(benchmark::State& state)
{
    const std::string tbx = makeDocument(600, 200);
    if (tbx.empty()) {
        state.SkipWithError("the document was not made");
        return;
    }
    CTembrixApp app;
    if (!app.InitInstance()) {
        state.SkipWithError("the workshop did not start");
        return;
    }
    QWidget* window = app.m_pMainWnd->GetWidget();
    window->resize(1600, 1000);
    QApplication::processEvents();
    long cadres = 0, objects = 0;
    for (auto _ : state) {
        CDocument* doc = app.OpenDocumentFile(tbx.c_str());
        QApplication::processEvents();
        window->repaint(); // every pane painted now, not at the next idle time
        QApplication::processEvents();
        state.PauseTiming();
        if (auto* t = dynamic_cast<CTembrixDoc*>(doc)) {
            cadres = t->WaveFilm.GetNCadres();
            objects = t->PhoneObjectList.GetCount();
        }
        app.CloseAllDocuments(FALSE);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["cadres"] = double(cadres);
    state.counters["objects"] = double(objects);
    app.ExitInstance();
}
BENCHMARK(BM_OpenTenMinutesWith200ObjectsToADrawnWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // The window draws into its picture: no display is needed.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The workshop's recent-file list goes beside the bench's files, not into the user's.
    setenv("XDG_CONFIG_HOME", (kbench::TempDir() + "/bench-tembrix-config").c_str(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
