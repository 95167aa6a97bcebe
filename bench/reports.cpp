// Reports and the workshop on an hour-long 44.1 kHz recording, each as a
// process of its own so that its largest resident set is its own:
// - the Pirogov statistics of the whole film, as `kavrel pirogov`;
// - the workshop opening an analysis of the hour with 200 sound objects
//   until its window is fully drawn (this benchmark run again as the
//   workshop, see main), with the time from the open request to the drawn
//   window as the child measured it beside the whole process's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numbers>
#include <string>
#include <unistd.h>

#include "bench/BenchProcess.h"
#include "bench/BenchSounds.h"
#include "framework/ui/CWnd.h"
#include "tembrix/TembrixApp.h"
#include "tembrix/TembrixDoc.h"

namespace {

constexpr int kHour = 3600;
constexpr int kObjects = 200;
const char* const kOpenChild = "--open-and-draw";

// Speech-like: 20 harmonics of a pitch wandering 100 → 250 Hz, in 2-second
// phrases with pauses, over faint noise.
std::string hourRecording()
{
    return kbench::CachedSound("bench-reports-3600s", 44100, [] {
        return kbench::NoisySound(kHour, 17, 10, [pitch = kbench::Pitch()](double t) mutable {
            const double phase = pitch.Step(175 + 75 * std::sin(2 * std::numbers::pi * t / 7.3));
            return std::fmod(t, 2.5) < 2.0 ? kbench::Harmonics(phase, 20, 4000) : 0.0;
        });
    });
}

long filmCadres(long samples)
{
    // NFFT 1024 at 44.1 kHz: a step of 102 samples, an even number of cadres.
    const long n = samples / 102;
    return n - n % 2;
}

// The analysis of the hour with 200 text and single-harmonic objects on four
// levels of overlapping stretches, made by `kavrel make-document`.
std::string hourDocument(benchmark::State& state)
{
    const std::string wav = hourRecording();
    const std::string tbx = kbench::TempDir() + "/bench-reports-3600s.tbx";
    if (::access(tbx.c_str(), R_OK) == 0)
        return tbx;
    const long cadres = filmCadres(long(kHour) * 44100);
    const long stride = cadres / (kObjects / 4 + 1);
    std::string command = std::string(KAVREL_TOOL) + " make-document " + kbench::Quoted(wav) + " " + kbench::Quoted(tbx);
    for (int k = 0; k < kObjects; ++k) {
        const long c0 = (k / 4) * stride + (k % 4) * stride / 8;
        command += " --object " + std::to_string(c0) + " " + std::to_string(c0 + stride) + " " +
                   (k % 3 == 0 ? "2" : "0") + " obj" + std::to_string(k + 1);
    }
    if (kbench::RunProcess(command).status != 0) {
        state.SkipWithError("make-document failed");
        return {};
    }
    return tbx;
}

void BM_PirogovWholeHour(benchmark::State& state)
{
    const std::string wav = hourRecording(), out = kbench::TempDir() + "/bench-reports-pirogov.xls";
    const std::string command = std::string(KAVREL_TOOL) + " pirogov " + kbench::Quoted(wav) + " --select 0 " +
                                std::to_string(filmCadres(long(kHour) * 44100) - 1) + " " + kbench::Quoted(out);
    const kbench::Run last = kbench::TimeCommand(state, command, out);
    if (last.status == 0)
        state.counters["maxrss_MB"] = last.maxRssMB;
}

void BM_WorkshopOpensHourWith200Objects(benchmark::State& state)
{
    const std::string tbx = hourDocument(state);
    if (tbx.empty())
        return;
    const std::string timing = kbench::TempDir() + "/bench-reports-open.txt";
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        state.SkipWithError("cannot find this program");
        return;
    }
    const std::string command = kbench::Quoted(self) + " " + kOpenChild + " " + kbench::Quoted(tbx) + " " +
                                kbench::Quoted(timing);
    kbench::Run last;
    double opened = 0;
    for (auto _ : state) {
        std::remove(timing.c_str());
        last = kbench::RunProcess(command);
        std::ifstream in(timing);
        if (last.status != 0 || !(in >> opened)) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        state.SetIterationTime(last.seconds);
    }
    state.counters["open_to_drawn_s"] = opened;
    state.counters["maxrss_MB"] = last.maxRssMB;
}

// The child: the workshop's application opens the document as File Open
// does, and every pane is painted at once; the seconds from the request to
// the drawn window go into the timing file.
int openAndDraw(const char* tbx, const char* timing)
{
    CTembrixApp app;
    if (!app.InitInstance())
        return 1;
    QWidget* window = app.m_pMainWnd->GetWidget();
    QApplication::processEvents();
    const auto t0 = std::chrono::steady_clock::now();
    auto* doc = dynamic_cast<CTembrixDoc*>(app.OpenDocumentFile(tbx));
    QApplication::processEvents();
    window->repaint();
    QApplication::processEvents();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const bool ok = doc && doc->PhoneObjectList.GetCount() == kObjects;
    app.CloseAllDocuments(FALSE);
    app.ExitInstance();
    if (!ok)
        return 1;
    std::ofstream(timing) << seconds << "\n";
    return 0;
}

} // namespace

BENCHMARK(BM_PirogovWholeHour)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WorkshopOpensHourWith200Objects)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // The window draws into its picture: no display is needed. The
    // offscreen screen is a desktop's 1920 × 1080, where the maximised
    // workshop shows as many cadres as it would to a user.
    if (!std::getenv("QT_QPA_PLATFORM")) {
        const std::string screen = kbench::TempDir() + "/bench-reports-screen.json";
        std::ofstream(screen) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, )"
                                 R"("height": 1080, "logicalDpi": 96, "logicalBpp": 32}]})";
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
    }
    setenv("KAVREL_AUDIO", "virtual", 1);
    // The workshop's recent-file list goes beside the bench's files, not into the user's.
    setenv("XDG_CONFIG_HOME", (kbench::TempDir() + "/bench-reports-config").c_str(), 1);
    if (argc == 4 && std::strcmp(argv[1], kOpenChild) == 0) {
        int one = 1;
        QApplication qapp(one, argv);
        return openAndDraw(argv[2], argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
