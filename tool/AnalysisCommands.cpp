// spectrum and power: the signal core's analysis, one line per bin or cadre.
#include <numbers>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"
#include "kavrel/core/KWaveFilm.h"
#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"

namespace {

// Options after the positional arguments: --nfft N, --sigmaf HZ.
bool parseOptions(const ToolArgs& args, size_t from, long& nfft, double* sigmaf)
{
    for (size_t i = from; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return false;
        if (args[i] == "--nfft") {
            if (!ParseLong(args[i + 1], nfft) || !KIsTransformSize(nfft, 16)) {
                std::fprintf(stderr, "NFFT должно быть одним из 16, 64, 256, 1024, 4096, 16384, 65536\n");
                return false;
            }
        } else if (sigmaf && args[i] == "--sigmaf") {
            // The frequency-resolution dialog's range: beyond it the Gaussian
            // is no window at all and the levels are not numbers.
            if (!ParseNumber(args[i + 1], *sigmaf) || *sigmaf < 0.001 || *sigmaf > 1000000) {
                std::fprintf(stderr, "SigmaF должно быть числом от 0.001 до 1000000 (Гц)\n");
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

static int RunSpectrum(const ToolArgs& given)
{
    long sample = 0, nfft = 1024;
    double sigmaf = 0;
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    if (args.size() < 2 || !ParseLong(args[1], sample) || !parseOptions(args, 2, nfft, &sigmaf)) {
        std::fprintf(stderr, "Использование: kavrel spectrum FILE.wav SAMPLE [--nfft N] [--sigmaf HZ] [--format tsv|json]\n");
        return 2;
    }
    CKSpectrum s;
    if (!s.Wave.OpenKWaveFile(args[0], FileTitleOf(args[0])))
        return 1;
    const double fs = double(s.Wave.GetKWaveFrADC());
    if (sigmaf == 0) {
        // The film's optimum: σT equal to one cadre step of (NFFT/2)/5 samples.
        long step = (nfft / 2) / 5;
        sigmaf = fs / (2 * std::numbers::pi * double(step));
    }
    CKFFT fft;
    s.SetNFFT(int(nfft));
    s.SetSigmaF(sigmaf);
    s.Wave.PositKWaveWindowOnSample(sample);
    fft.CalculateWithWeighting(&s);
    const double* level = s.GetAmpl_dB();
    const double* dphase = s.Get_dPhaze_dOmega();
    CToolReport report(format);
    report.Table("lines", {"line", "frequency", "dB", "dphase"}, nullptr, " ");
    for (int k = 0; k < nfft / 2; ++k) {
        report.Cell("%d", k);
        report.Cell("%.6f", s.GetFrequencyInHertzFromFrequencyInSample(k));
        if (std::isinf(level[k]))
            report.Cell("%s", level[k] < 0 ? "-inf" : "inf");
        else
            report.Cell("%.6f", level[k]);
        report.Cell("%.9g", dphase[k]);
        report.EndRow();
    }
    report.Finish();
    return 0;
}

static const ToolCommandRegistration kSpectrumCommand({3, "spectrum",
                                                      "kavrel spectrum FILE.wav SAMPLE [--nfft N] [--sigmaf HZ] "
                                                      "[--format tsv|json]",
                                                      RunSpectrum});

static int RunPowerOfOne(const ToolArgs& given)
{
    long nfft = 1024;
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    if (args.empty() || !parseOptions(args, 1, nfft, nullptr)) {
        std::fprintf(stderr, "Использование: kavrel power FILE.wav... [--nfft N] [--format tsv|json]\n");
        return 2;
    }
    CKWaveFilm film;
    if (!film.OpenKWaveFile(args[0], FileTitleOf(args[0])))
        return 1;
    film.SetNFFTandOptimumCadreParams(int(nfft));
    film.SetFirstAndLastSample(0, film.GetKWaveSizeInSamples());
    if (!film.PowerCreate())
        return 1;
    const long n = film.GetNCadres();
    const float* levels = film.PowerPositBufferOnCadre(0, n);
    CToolReport report(format);
    report.Table("cadres", {"cadre", "time", "dB"}, nullptr, " ");
    for (long c = 0; c < n; ++c) {
        report.Cell("%ld", c);
        report.Cell("%.6f", film.GetTimeInSecondsFromCadre(c));
        report.Cell("%.4f", double(levels[c]));
        report.EndRow();
    }
    report.Finish();
    return 0;
}

static int RunPower(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    return RunForEachToolFile(SplitToolFiles(given, {"--nfft", "--format"}), format, RunPowerOfOne);
}

static const ToolCommandRegistration kPowerCommand({4, "power", "kavrel power FILE.wav... [--nfft N] [--format tsv|json]",
                                                   RunPower});
