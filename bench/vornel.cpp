// The reverberation analyser: opening an object of 65536 samples (reading
// the document and the stretch, the 65536-point transform, dB and
// dPhase/dOmega), and one repaint of both whole-spectrum panes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/core/KWaveWriteToFile.h"
#include "vornel/VornelAmplView.h"
#include "vornel/VornelFrame.h"
#include "vornel/VornelIds.h"
#include "vornel/VornelPhazeView.h"
#include "vornel/VornelView.h"
#include "vornel/doc/VornelDoc.h"

namespace {

std::string tempDir()
{
    const char* d = std::getenv("TMPDIR");
    return d && *d ? d : "/tmp";
}

// A room's answer to a click at 44.1 kHz: decaying noise with a few modes,
// 65536 samples from the object's first sample.
std::string makeObject()
{
    const std::string wav = tempDir() + "/bench-vornel.wav";
    const std::string vrn = tempDir() + "/bench-vornel.vrn";
    const long n = 70000;
    std::vector<short> x(static_cast<size_t>(n));
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0, 3000);
    for (long i = 0; i < n; ++i) {
        const double t = double(i) / 44100;
        double v = noise(rng) * std::exp(-t / 0.3);
        for (double f : {180.0, 430.0, 1210.0})
            v += 4000 * std::exp(-t / 0.8) * std::sin(2 * std::numbers::pi * f * t);
        x[size_t(i)] = short(std::lround(std::max(-32768.0, std::min(32767.0, v))));
    }
    CKWaveWriteToFile w;
    w.Create(wav.c_str(), 44100, 1);
    w.Write(x.data(), int(x.size() * 2));
    w.Close();
    CKWaveFilm film;
    OpenKWaveFilmOnWholeFile(film, wav.c_str(), "bench-vornel", 1024);
    film.SetSelectedFragmentAbsCadres(0, 1);
    CKPhoneObject po;
    po.nType = 4;
    po.nFirstSample = 1000;
    po.nLastSample = 1000 + 65536;
    po.sPhoneObjectDocFilePathName = vrn.c_str();
    std::remove(vrn.c_str());
    CVornelDoc::SaveNewEmptyDocFile(&po, &film);
    return vrn;
}

void BM_OpenObjectOf65536Samples(benchmark::State& state)
{
    const std::string vrn = makeObject();
    for (auto _ : state) {
        CVornelDoc doc;
        const BOOL ok = doc.OnOpenDocument(vrn.c_str());
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_OpenObjectOf65536Samples)->Unit(benchmark::kMillisecond);

// Both panes of one column, 960 x 180 and 960 x 500, the whole spectrum in each.
void BM_RepaintWholeSpectrumPanes(benchmark::State& state)
{
    const std::string vrn = makeObject();
    CWinApp app("VornelBench");
    app.AddDocTemplate(new CSingleDocTemplate(IDR_VORNEL_MAINFRAME, RUNTIME_CLASS(CVornelDoc),
                                              RUNTIME_CLASS(CVornelFrame), RUNTIME_CLASS(CVornelView)));
    auto* doc = dynamic_cast<CVornelDoc*>(app.OpenDocumentFile(vrn.c_str()));
    auto* frame = dynamic_cast<CVornelFrame*>(app.m_pMainWnd);
    if (!doc || !frame) {
        state.SkipWithError("the document did not open");
        return;
    }
    frame->MoveWindow(0, 0, 1000, 800);
    frame->m_wndSplitter.SetColumnInfo(0, 960, 10);
    frame->m_wndSplitter.SetRowInfo(0, 180, 10);
    frame->m_wndSplitter.RecalcLayout();
    QApplication::processEvents();
    for (auto _ : state) {
        for (CVornelView* v : {static_cast<CVornelView*>(frame->AmplView(0)),
                               static_cast<CVornelView*>(frame->PhazeView(0))}) {
            v->Invalidate(TRUE);
            v->UpdateWindow();
        }
    }
    app.CloseAllDocuments(FALSE);
}
BENCHMARK(BM_RepaintWholeSpectrumPanes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qapp(argc, argv);
    CScriptedUserInteraction ui;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
