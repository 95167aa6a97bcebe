// The pitch and formant tracks beside Praat's: first how closely they agree
// on real speech (the spoken channel names of Debian's alsa-utils and
// espeak-ng's Russian and English), each of our frames centred on the time
// of Praat's frame; then kavrel pitch and kavrel formants on ten minutes of
// that speech against Praat's scripts (bench/praat/) on the same file.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchProcess.h"
#include "bench/BenchSounds.h"
#include "kavrel/core/KFormants.h"
#include "kavrel/core/KPitch.h"
#include "kavrel/core/KSampleSource.h"
#include "kavrel/core/KWave.h"

namespace {

using kbench::Quoted;

const std::string kPraatDir = std::string(KAVREL_BENCH_DIR) + "/praat/";
constexpr double kPitchStep = 0.01, kFormantStep = 0.00625;

bool exists(const std::string& path)
{
    return ::access(path.c_str(), R_OK) == 0;
}

// A shell command line, lists and redirections included (RunProcess execs
// its command, which must be one program).
bool run(const std::string& command)
{
    std::string quoted = "'";
    for (const char c : command) {
        if (c == '\'')
            quoted.append("'\\''");
        else
            quoted.push_back(c);
    }
    return kbench::RunProcess("sh -c " + quoted + "'").status == 0;
}

// The speech the comparison runs on: every spoken WAV of alsa-utils (its
// noise left out), taken from the package without installing it, and
// espeak-ng's voice in Russian and English. Made once in the temporary
// folder; what cannot be had is left out with a message.
std::vector<std::string> speechSounds()
{
    std::vector<std::string> sounds;
    const std::string dir = kbench::TempDir() + "/bench-tracks-speech";
    const std::string alsa = dir + "/x/usr/share/sounds/alsa";
    if (!exists(alsa + "/Front_Center.wav")) {
        run("mkdir -p " + Quoted(dir));
        if (!run("cd " + Quoted(dir) + " && apt-get download alsa-utils && dpkg-deb -x alsa-utils_*.deb x"))
            std::printf("alsa-utils could not be downloaded: its speech is left out\n");
    }
    for (const char* name : {"Front_Center", "Front_Left", "Front_Right", "Rear_Center", "Rear_Left", "Rear_Right",
                             "Side_Left", "Side_Right"}) {
        const std::string path = alsa + "/" + name + ".wav";
        if (exists(path))
            sounds.push_back(path);
    }
    const struct {
        const char *voice, *file, *text;
    } spoken[] = {
        {"ru", "espeak-ru.wav",
         "Мы измеряем частоту основного тона и форманты гласных. Сегодня хорошая погода, и все ушли гулять в парк."},
        {"en", "espeak-en.wav",
         "We measure the fundamental frequency and the formants of vowels. The weather is fine, so everyone went "
         "for a walk in the park."},
    };
    for (const auto& s : spoken) {
        const std::string path = dir + "/" + s.file;
        if (!exists(path) && !run("mkdir -p " + Quoted(dir) + " && espeak-ng -v " + s.voice + " -w " + Quoted(path) +
                                  " " + Quoted(s.text)))
            std::printf("espeak-ng could not speak (%s): left out\n", s.voice);
        if (exists(path))
            sounds.push_back(path);
    }
    return sounds;
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

// Praat's table: a header, then time and values; --undefined-- reads as NaN.
std::vector<std::vector<double>> readPraatTable(const std::string& path)
{
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::vector<double> row;
        for (std::string c; std::getline(cells, c, '\t');)
            row.push_back(c == "--undefined--" ? NAN : std::strtod(c.c_str(), nullptr));
        if (!row.empty())
            rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<double>> praatTrack(const char* script, const std::string& wav, double step)
{
    const std::string out = kbench::TempDir() + "/bench-tracks-praat.tsv";
    std::remove(out.c_str());
    char stepText[32];
    std::snprintf(stepText, sizeof stepText, "%g", step);
    if (!run("praat --run " + Quoted(kPraatDir + script) + " " + Quoted(wav) + " " + stepText + " " + Quoted(out)))
        return {};
    auto rows = readPraatTable(out);
    std::remove(out.c_str());
    return rows;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The agreement pooled over every sound.
struct Agreement {
    std::vector<double> f0;         // relative F0 differences, frames both call voiced
    long frames = 0, sameVoicing = 0;
    long octaveUp = 0, octaveDown = 0, otherOff = 0;  // voiced both, off by more than 5 %
    long voicedOnlyPraat = 0, voicedOnlyOurs = 0;     // voicing disagreements...
    long disagreeAtEdge = 0;                          // ...within two frames of a change in Praat's voicing
    std::vector<double> formant[3]; // relative F1..F3 differences, Praat's voiced frames both have
    long formantFrames = 0;
    long shifted[3] = {}; // more than 10 % off, but within 5 % of Praat's formant one above or below
};

// A voicing disagreement near one of Praat's voicing changes is an edge
// case, one in the middle of a stretch a detection of its own.
bool nearVoicingChange(const std::vector<std::vector<double>>& p, size_t i)
{
    for (size_t j = i >= 2 ? i - 2 : 0; j + 1 < p.size() && j < i + 2; ++j)
        if (std::isnan(p[j][1]) != std::isnan(p[j + 1][1]))
            return true;
    return false;
}

void comparePitch(const std::string& wav, CKWave& wave, Agreement& all, std::vector<std::vector<double>>& praat)
{
    praat = praatTrack("pitch.praat", wav, kPitchStep);
    if (praat.empty())
        return;
    std::vector<double> times;
    for (const auto& r : praat)
        times.push_back(r[0]);
    CKWaveSampleSource source(wave);
    const std::vector<KPitchFrame> ours = KTrackPitch(source, times, KPitchParams());
    std::vector<double> diffs;
    long same = 0;
    for (size_t i = 0; i < praat.size() && i < ours.size(); ++i) {
        const double p = praat[i][1], o = ours[i].dF0;
        const bool pv = !std::isnan(p) && p > 0, ov = o > 0;
        same += pv == ov;
        if (pv != ov) {
            (pv ? all.voicedOnlyPraat : all.voicedOnlyOurs)++;
            all.disagreeAtEdge += nearVoicingChange(praat, i);
        }
        if (pv && ov) {
            const double d = std::fabs(o - p) / p;
            diffs.push_back(d);
            if (d > 0.05) {
                const double ratio = o / p;
                if (std::fabs(ratio - 2) < 0.2)
                    ++all.octaveUp;
                else if (std::fabs(ratio - 0.5) < 0.05)
                    ++all.octaveDown;
                else
                    ++all.otherOff;
            }
        }
    }
    all.frames += long(praat.size());
    all.sameVoicing += same;
    all.f0.insert(all.f0.end(), diffs.begin(), diffs.end());
    std::printf("  %-18s pitch: %4zu frames, voicing agrees %5.1f %%, median |dF0|/F0 %.3f %% (%zu voiced both)\n",
                nameOf(wav).c_str(), praat.size(), 100.0 * double(same) / double(praat.size()), 100 * median(diffs),
                diffs.size());
}

// KAVREL_BENCH_FRAMES=1 lists every frame whose formant is more than 10 %
// off Praat's, for tuning.
const bool g_showFrames = std::getenv("KAVREL_BENCH_FRAMES") != nullptr;

void printFrame(const std::vector<double>& praat, const KFormantFrame& ours, size_t k)
{
    std::printf("    t %.4f F%zu off; Praat:", praat[0], k + 1);
    for (size_t j = 1; j < praat.size(); ++j)
        std::printf(" %.0f", praat[j]);
    std::printf("; ours:");
    for (const KFormant& f : ours.formants)
        std::printf(" %.0f (%.0f)", f.dFrequency, f.dBandwidth);
    std::printf("\n");
}

// Formants on the frames Praat's pitch calls voiced (the pitch frame
// nearest in time): in silence and noise neither tracker's formants mean
// much.
void compareFormants(const std::string& wav, CKWave& wave, Agreement& all,
                     const std::vector<std::vector<double>>& pitch)
{
    const auto praat = praatTrack("formants.praat", wav, kFormantStep);
    if (praat.empty() || pitch.empty())
        return;
    std::vector<double> times;
    for (const auto& r : praat)
        times.push_back(r[0]);
    CKWaveSampleSource source(wave);
    const std::vector<KFormantFrame> ours = KTrackFormants(source, times, KFormantParams());
    std::vector<double> diffs[3];
    long voiced = 0;
    for (size_t i = 0; i < praat.size() && i < ours.size(); ++i) {
        const double t = praat[i][0];
        const auto nearest = std::min_element(pitch.begin(), pitch.end(), [t](const auto& a, const auto& b) {
            return std::fabs(a[0] - t) < std::fabs(b[0] - t);
        });
        if (std::fabs((*nearest)[0] - t) > kPitchStep || std::isnan((*nearest)[1]))
            continue;
        ++voiced;
        for (size_t k = 0; k < 3; ++k) {
            const double p = praat[i].size() > k + 1 ? praat[i][k + 1] : NAN;
            if (std::isnan(p) || k >= ours[i].formants.size())
                continue;
            const double o = ours[i].formants[k].dFrequency, d = std::fabs(o - p) / p;
            diffs[k].push_back(d);
            // A formant one tracker finds and the other does not moves the
            // numbering of those above it.
            if (d > 0.1) {
                for (const size_t j : {k, k + 2})
                    if (j >= 1 && j < praat[i].size() && !std::isnan(praat[i][j]) &&
                        std::fabs(o - praat[i][j]) / praat[i][j] < 0.05) {
                        ++all.shifted[k];
                        break;
                    }
                if (g_showFrames)
                    printFrame(praat[i], ours[i], k);
            }
        }
    }
    all.formantFrames += voiced;
    for (size_t k = 0; k < 3; ++k)
        all.formant[k].insert(all.formant[k].end(), diffs[k].begin(), diffs[k].end());
    std::printf("  %-18s formants: %4ld voiced frames, median |dF|/F  F1 %.2f %%  F2 %.2f %%  F3 %.2f %%\n",
                nameOf(wav).c_str(), voiced, 100 * median(diffs[0]), 100 * median(diffs[1]), 100 * median(diffs[2]));
}

void printAccuracy(const std::vector<std::string>& sounds)
{
    std::printf("== Accuracy beside Praat (pitch step %g s, formants step %g s, our frames on Praat's times)\n",
                kPitchStep, kFormantStep);
    Agreement all;
    for (const std::string& wav : sounds) {
        CKWave wave;
        wave.DoNotShowKWaveErrors();
        if (!wave.OpenKWaveFile(wav.c_str(), nameOf(wav).c_str())) {
            std::printf("  %s: not readable, left out\n", wav.c_str());
            continue;
        }
        std::vector<std::vector<double>> pitch;
        comparePitch(wav, wave, all, pitch);
        compareFormants(wav, wave, all, pitch);
    }
    if (all.frames == 0) {
        std::printf("  no comparison made\n");
        return;
    }
    const double agreement = double(all.sameVoicing) / double(all.frames), f0 = median(all.f0);
    std::printf("All sounds: %ld pitch frames\n", all.frames);
    std::printf("  median |dF0|/F0 on frames both call voiced: %.3f %% (target < 1 %%) %s\n", 100 * f0,
                f0 < 0.01 ? "met" : "MISSED");
    std::printf("  voicing agreement: %.1f %% (target >= 95 %%) %s\n", 100 * agreement,
                agreement >= 0.95 ? "met" : "MISSED");
    std::printf("  voiced both but more than 5 %% apart: %ld ours an octave up, %ld an octave down, %ld other\n",
                all.octaveUp, all.octaveDown, all.otherOff);
    std::printf("  voicing disagreements: %ld voiced only by Praat, %ld only by us; %ld of them within two frames "
                "of a change in Praat's voicing\n",
                all.voicedOnlyPraat, all.voicedOnlyOurs, all.disagreeAtEdge);
    std::printf("  formants on %ld frames Praat's pitch calls voiced:\n", all.formantFrames);
    for (int k = 0; k < 3; ++k) {
        const double m = median(all.formant[k]);
        long over = 0;
        for (double d : all.formant[k])
            over += d > 0.1;
        std::printf("    F%d median |dF|/F %.2f %% over %zu frames (target < 5 %%) %s; %ld frames more than 10 %% "
                    "apart, %ld of them within 5 %% of Praat's formant below or above\n",
                    k + 1, 100 * m, all.formant[k].size(), m < 0.05 ? "met" : "MISSED", over, all.shifted[k]);
    }
}

// Ten minutes of that speech, all at 48 kHz, end to end and over again.
std::string tenMinutes(const std::vector<std::string>& sounds)
{
    const std::string path = kbench::TempDir() + "/bench-tracks-speech-10min.wav";
    if (exists(path) || sounds.empty())
        return exists(path) ? path : std::string();
    const std::string once = kbench::TempDir() + "/bench-tracks-speech-once.wav";
    // Each input at 48 kHz mono first: sox joins only files of one rate.
    std::string joined;
    int k = 0;
    for (const std::string& s : sounds) {
        const std::string part = kbench::TempDir() + "/bench-tracks-part" + std::to_string(k++) + ".wav";
        if (!run("sox " + Quoted(s) + " -b 16 -c 1 " + Quoted(part) + " rate 48000"))
            return {};
        joined.append(" ").append(Quoted(part));
    }
    const bool ok = run("sox" + joined + " " + Quoted(once)) &&
                    run("sox " + Quoted(once) + " " + Quoted(path) + " repeat 100 trim 0 600");
    run("rm -f " + Quoted(once) + " " + Quoted(kbench::TempDir()) + "/bench-tracks-part*.wav");
    return ok ? path : std::string();
}

std::string g_tenMinutes;

void compareCommand(benchmark::State& state, const char* command, const char* script, double step)
{
    if (!kbench::PeerPresent(state, "praat --version", "praat"))
        return;
    if (g_tenMinutes.empty()) {
        state.SkipWithError("no speech to make ten minutes of");
        return;
    }
    char stepText[32];
    std::snprintf(stepText, sizeof stepText, "%g", step);
    kbench::ComparePeer(state,
                        {Quoted(KAVREL_TOOL) + " " + command + " " + Quoted(g_tenMinutes) + " --step " + stepText, ""},
                        {"praat --run " + Quoted(kPraatDir + script) + " " + Quoted(g_tenMinutes) + " " + stepText +
                             " ''",
                         ""});
}

// kavrel pitch prints every frame (to nowhere here); Praat's script only
// counts them, so the comparison favours Praat.
void BM_KavrelPitchBesidePraat_10min(benchmark::State& state)
{
    compareCommand(state, "pitch", "pitch.praat", kPitchStep);
}
BENCHMARK(BM_KavrelPitchBesidePraat_10min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_KavrelFormantsBesidePraat_10min(benchmark::State& state)
{
    compareCommand(state, "formants", "formants.praat", kFormantStep);
}
BENCHMARK(BM_KavrelFormantsBesidePraat_10min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const std::vector<std::string> sounds = speechSounds();
    if (!run("praat --version"))
        std::printf("praat not found: no accuracy comparison\n");
    else if (sounds.empty())
        std::printf("no speech to compare on\n");
    else
        printAccuracy(sounds);
    g_tenMinutes = tenMinutes(sounds);
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
