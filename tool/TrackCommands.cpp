// pitch and formants: the fundamental frequency and the formants frame by
// frame, on the frames the workshop's overlays show (the cadres of a new
// document's film) or on frames a chosen step apart.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "kavrel/core/KFilmTracks.h"
#include "kavrel/core/KFormants.h"
#include "kavrel/core/KPitch.h"
#include "kavrel/core/KSampleSource.h"
#include "kavrel/core/KWaveFilm.h"
#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"

namespace {

const char* const kPitchUsage =
    "kavrel pitch FILE.wav... [--floor HZ] [--ceiling HZ] [--silence-threshold X] [--voicing-threshold X] "
    "[--octave-cost X] [--octave-jump-cost X] [--voiced-unvoiced-cost X] [--gaussian] [--step S] [--channel C] "
    "[--format tsv|json]";
const char* const kFormantsUsage =
    "kavrel formants FILE.wav... [--max-formant HZ] [--count N] [--window S] [--pre-emphasis HZ] [--step S] "
    "[--channel C] [--format tsv|json]";

// What an unvoiced frame's F0 and a formant not found print as in text.
const char* const kUndefined = "--undefined--";

// The workshop's film of a new document: NFFT 1024 with its optimum step.
constexpr int kFilmNFFT = 1024;

struct TrackOptions {
    KPitchParams pitch;
    KFormantParams formants;
    bool bCeilingGiven = false, bMaxFormantGiven = false;
    double step = 0; // seconds; 0: the film's cadres
    long channel = 0;
};

int refuse(const char* text)
{
    return Refuse(text);
}

// The options after the file: each names a parameter of the workshop's
// parameters dialog, with the dialog's ranges (KTrackParamsProblem).
// 0; 1 after a refusal of a value out of its range; 2 for an unknown
// option, a missing value or one that is no number (the caller prints the usage).
int parseTrackOptions(const ToolArgs& args, bool pitch, TrackOptions& o)
{
    KPitchParams& q = o.pitch;
    KFormantParams& f = o.formants;
    const struct {
        const char* name;
        bool pitch;
        double* value;
    } numbers[] = {
        {"--floor", true, &q.dFloor},
        {"--ceiling", true, &q.dCeiling},
        {"--silence-threshold", true, &q.dSilenceThreshold},
        {"--voicing-threshold", true, &q.dVoicingThreshold},
        {"--octave-cost", true, &q.dOctaveCost},
        {"--octave-jump-cost", true, &q.dOctaveJumpCost},
        {"--voiced-unvoiced-cost", true, &q.dVoicedUnvoicedCost},
        {"--max-formant", false, &f.dMaxFormant},
        {"--window", false, &f.dWindowLength},
        {"--pre-emphasis", false, &f.dPreEmphasisFrom},
    };
    for (size_t i = 1; i < args.size(); ++i) {
        const CString& key = args[i];
        if (pitch && key == "--gaussian") {
            q.bGaussian = true;
            continue;
        }
        if (i + 1 >= args.size())
            return 2;
        const CString& text = args[++i];
        long n = 0;
        if (key == "--count" || key == "--channel") {
            if (!ParseLong(text, n))
                return 2;
            if (key == "--channel") {
                if (n < 0 || n > 1)
                    return refuse("Канал должен быть 0 (левый) или 1 (правый)");
                o.channel = n;
            } else if (pitch) {
                return 2;
            } else {
                // Kept in range here: an int would not hold every long.
                if (n < KTrackLimits::kMinFormants || n > KTrackLimits::kMaxFormants)
                    return refuse("Число формант должно быть от 1 до 10.");
                f.nFormants = int(n);
            }
            continue;
        }
        double v = 0;
        if (!ParseNumber(text, v))
            return 2;
        if (key == "--step") {
            if (v < 0.0005 || v > 10)
                return refuse("Шаг кадров (--step) должен быть от 0.0005 до 10 с");
            o.step = v;
            continue;
        }
        bool known = false;
        for (const auto& option : numbers) {
            if (option.pitch == pitch && key == option.name) {
                *option.value = v;
                known = true;
            }
        }
        if (!known)
            return 2;
        if (key == "--ceiling")
            o.bCeilingGiven = true;
        if (key == "--max-formant")
            o.bMaxFormantGiven = true;
    }
    const CString problem = KTrackParamsProblem(KTrackParams{o.pitch, o.formants});
    if (!problem.IsEmpty())
        return Refuse(problem);
    return 0;
}

// The limits that depend on the file: a frequency above half its rate is
// not in it. A value asked for beyond it is refused; a default gives way to
// it, as in the workshop (KTrackParamsForRate). True when the options fit.
bool fitToRate(TrackOptions& o, bool pitch, double rate)
{
    const double nyquist = rate / 2;
    CString text;
    if (pitch && o.bCeilingGiven && o.pitch.dCeiling > nyquist) {
        text.Format("Верхняя граница основного тона (--ceiling) должна быть не больше половины частоты "
                    "дискретизации файла (%g Гц)", nyquist);
        return Refuse(text), false;
    }
    if (!pitch && o.bMaxFormantGiven && o.formants.dMaxFormant > nyquist) {
        text.Format("Наибольшая частота формант (--max-formant) должна быть не больше половины частоты "
                    "дискретизации файла (%g Гц)", nyquist);
        return Refuse(text), false;
    }
    const KTrackParams fitted = KTrackParamsForRate(KTrackParams{o.pitch, o.formants}, rate);
    o.pitch = fitted.pitch;
    o.formants = fitted.formants;
    if (pitch && o.pitch.dFloor >= o.pitch.dCeiling) {
        text.Format("Нижняя граница основного тона (--floor) должна быть меньше верхней (%g Гц)", o.pitch.dCeiling);
        return Refuse(text), false;
    }
    if (!pitch && o.formants.dPreEmphasisFrom > o.formants.dMaxFormant)
        return Refuse("Частота предыскажения должна быть от 0 Гц до наибольшей частоты формант."), false;
    return true;
}

// The frames' centres in seconds. Without a step, the cadres of the film a
// new document has (what the workshop's overlays are drawn on); with one,
// i * step for every i from 0 whose time is within the sound.
std::vector<double> frameTimes(CKWaveFilm& film, double step)
{
    std::vector<double> times;
    const long size = film.GetKWaveSizeInSamples();
    if (step <= 0) {
        film.SetNFFTandOptimumCadreParams(kFilmNFFT);
        film.SetFirstAndLastSample(0, size);
        for (long c = 0; c < film.GetNCadres(); ++c)
            times.push_back(film.GetTimeInSecondsFromCadre(c));
        return times;
    }
    const double duration = double(size) / double(film.GetKWaveFrADC());
    // The small allowance keeps a last frame that falls on the end itself.
    const long n = long(std::floor(duration / step + 1e-9)) + 1;
    times.reserve(size_t(n));
    for (long i = 0; i < n; ++i)
        times.push_back(double(i) * step);
    return times;
}

// Parses the options, opens the file with its channel and reports the
// fields both tracks begin with. 0 or the exit status.
int openTrack(const ToolArgs& given, bool pitch, KToolFormat& format, TrackOptions& o, CKWaveFilm& film)
{
    ToolArgs args = given;
    if (TakeFormatOption(args, format))
        return 2;
    const int bad = args.empty() ? 2 : parseTrackOptions(args, pitch, o);
    if (bad) {
        if (bad == 2)
            std::fprintf(stderr, "Использование: %s\n", pitch ? kPitchUsage : kFormantsUsage);
        return bad;
    }
    film.nChannel = int(o.channel);
    if (!film.OpenKWaveFile(args[0], FileTitleOf(args[0])))
        return 1;
    // The reader would read a channel the file lacks as the first: a wrong
    // track under the right name.
    if (o.channel >= film.GetKWaveNChannels())
        return refuse("В звуковом файле нет такого канала");
    if (!fitToRate(o, pitch, double(film.GetKWaveFrADC())))
        return 1;
    return 0;
}

// The sound analysed: its rate, its length and the channel.
void reportSound(CToolReport& report, CKWaveFilm& film, const TrackOptions& o)
{
    report.Field("rate", "%ld", film.GetKWaveFrADC());
    report.Field("samples", "%ld", film.GetKWaveSizeInSamples());
    report.Field("channel", "%ld", o.channel);
}

// The frames' spacing in seconds and their number.
void reportFrames(CToolReport& report, CKWaveFilm& film, const TrackOptions& o, size_t frames)
{
    report.Field("step", "%.9g", o.step > 0 ? o.step : film.GetCadreStepInSeconds());
    report.Field("frames", "%zu", frames);
}

int RunPitchOfOne(const ToolArgs& given)
{
    KToolFormat format;
    TrackOptions o;
    CKWaveFilm film;
    if (const int status = openTrack(given, true, format, o, film))
        return status;
    const std::vector<double> times = frameTimes(film, o.step);
    CKWaveSampleSource source(film);
    const std::vector<KPitchFrame> track = KTrackPitch(source, times, o.pitch);
    CToolReport report(format);
    reportSound(report, film, o);
    report.Field("floor", "%.9g", o.pitch.dFloor);
    report.Field("ceiling", "%.9g", o.pitch.dCeiling);
    report.Field("silence_threshold", "%.9g", o.pitch.dSilenceThreshold);
    report.Field("voicing_threshold", "%.9g", o.pitch.dVoicingThreshold);
    report.Field("octave_cost", "%.9g", o.pitch.dOctaveCost);
    report.Field("octave_jump_cost", "%.9g", o.pitch.dOctaveJumpCost);
    report.Field("voiced_unvoiced_cost", "%.9g", o.pitch.dVoicedUnvoicedCost);
    report.Field("gaussian", "%d", o.pitch.bGaussian ? 1 : 0);
    reportFrames(report, film, o, track.size());
    report.Table("track", {"time", "f0", "strength"}, "time\tf0\tstrength", "\t");
    for (size_t i = 0; i < track.size() && i < times.size(); ++i) {
        report.Cell("%.6f", times[i]);
        if (track[i].dF0 > 0)
            report.Cell("%.4f", track[i].dF0);
        else
            report.UndefinedCell(kUndefined);
        report.Cell("%.6f", track[i].dStrength);
        report.EndRow();
    }
    report.Finish();
    return 0;
}

int RunFormantsOfOne(const ToolArgs& given)
{
    KToolFormat format;
    TrackOptions o;
    CKWaveFilm film;
    if (const int status = openTrack(given, false, format, o, film))
        return status;
    const std::vector<double> times = frameTimes(film, o.step);
    CKWaveSampleSource source(film);
    const std::vector<KFormantFrame> track = KTrackFormants(source, times, o.formants);
    CToolReport report(format);
    reportSound(report, film, o);
    report.Field("max_formant", "%.9g", o.formants.dMaxFormant);
    report.Field("count", "%d", o.formants.nFormants);
    report.Field("window", "%.9g", o.formants.dWindowLength);
    report.Field("pre_emphasis", "%.9g", o.formants.dPreEmphasisFrom);
    reportFrames(report, film, o, track.size());
    const int count = o.formants.nFormants;
    std::vector<std::string> columns = {"time", "count"};
    std::string header = "time\tcount";
    for (int k = 1; k <= count; ++k) {
        char f[16], b[16];
        std::snprintf(f, sizeof f, "F%d", k);
        std::snprintf(b, sizeof b, "B%d", k);
        columns.push_back(f);
        columns.push_back(b);
        header.append("\t").append(f).append("\t").append(b);
    }
    report.Table("track", columns, header.c_str(), "\t");
    for (size_t i = 0; i < track.size() && i < times.size(); ++i) {
        const std::vector<KFormant>& f = track[i].formants;
        const size_t found = f.size() < size_t(count) ? f.size() : size_t(count);
        report.Cell("%.6f", times[i]);
        report.Cell("%zu", found);
        for (size_t k = 0; k < size_t(count); ++k) {
            if (k < found) {
                report.Cell("%.3f", f[k].dFrequency);
                report.Cell("%.3f", f[k].dBandwidth);
            } else {
                report.UndefinedCell(kUndefined);
                report.UndefinedCell(kUndefined);
            }
        }
        report.EndRow();
    }
    report.Finish();
    return 0;
}

// Either command's options take a value, so that one given to the other
// command is refused as an option rather than read as a file.
int RunTracks(const ToolArgs& given, int (*one)(const ToolArgs&))
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    return RunForEachToolFile(SplitToolFiles(given, {"--floor", "--ceiling", "--silence-threshold", "--voicing-threshold",
                                                     "--octave-cost", "--octave-jump-cost", "--voiced-unvoiced-cost",
                                                     "--max-formant", "--count", "--window", "--pre-emphasis", "--step",
                                                     "--channel", "--format"}),
                              format, one);
}

int RunPitch(const ToolArgs& given)
{
    return RunTracks(given, RunPitchOfOne);
}

int RunFormants(const ToolArgs& given)
{
    return RunTracks(given, RunFormantsOfOne);
}

} // namespace

static const ToolCommandRegistration kPitchCommand({18, "pitch", kPitchUsage, RunPitch});
static const ToolCommandRegistration kFormantsCommand({19, "formants", kFormantsUsage, RunFormants});
