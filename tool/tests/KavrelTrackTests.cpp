// kavrel pitch and kavrel formants on synthetic vowels of known fundamental
// and formants, with silence after them; frames where the film of a new
// document has its cadres.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/ByteFiles.h"
#include "testsupport/Voices.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace {

constexpr double kRate = 16000;
constexpr long kVoiced = 16000, kSilent = 8000; // 1 s of vowel, then 0.5 s of silence

// The rows after the header line, split at tabs.
std::vector<std::vector<std::string>> rowsOf(const std::string& out)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(out);
    std::string line;
    bool header = false;
    while (std::getline(in, line)) {
        if (!header) {
            header = line.rfind("time\t", 0) == 0;
            continue;
        }
        std::vector<std::string> cells;
        std::istringstream c(line);
        for (std::string cell; std::getline(c, cell, '\t');)
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

double number(const std::string& s)
{
    return std::strtod(s.c_str(), nullptr);
}

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The vowel of f0 Hz for a second, then half a second of silence; in the
// right channel of a stereo file whose left is silent when stereo.
std::vector<int> vowel(double f0, const std::vector<ktest::Resonance>& formants, long count, double fs)
{
    ktest::VoiceRecipe recipe;
    recipe.f0 = [f0](double t) { return t < 1 ? f0 : 0; };
    recipe.formants = formants;
    const ktest::Voice v = ktest::MakeVoice(recipe, double(count) / fs, fs);
    std::vector<int> x;
    for (float s : v.samples)
        x.push_back(int(std::lround(s)));
    return x;
}

std::string vowelFile(const ktest::ScratchDir& dir, const char* name, double f0,
                      const std::vector<ktest::Resonance>& formants, bool stereo = false)
{
    const std::vector<int> x = vowel(f0, formants, kVoiced + kSilent, kRate);
    std::vector<int> out;
    for (int v : x) {
        if (stereo)
            out.push_back(0);
        out.push_back(v);
    }
    const std::string path = dir / name;
    kavrel_test::WriteAll(path, wavbytes::pcm16(stereo ? 2 : 1, std::uint32_t(kRate), out));
    return path;
}

} // namespace

TEST(KavrelTracks, PitchFollowsTheVowelOnTheFilmsCadresAndIsUndefinedInSilence)
{
    ktest::ScratchDir dir;
    const std::string wav = vowelFile(dir, "vowel.wav", 200, {{600, 80}, {1200, 100}, {2500, 150}});
    const ktest::ToolRun r = ktest::RunKavrel(dir, "pitch '" + wav + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    // The cadres of a new document's film: 102 samples apart at NFFT 1024,
    // an even number of them over the sound.
    const long step = (1024 / 2) / 5;
    long cadres = (kVoiced + kSilent) / step;
    cadres -= cadres & 1;
    ktest::ExpectKeys(ktest::KeyValues(r.out), {{"rate", "16000"}, {"samples", "24000"}, {"floor", "75"},
                                                {"ceiling", "600"}, {"step", "0.006375"},
                                                {"frames", std::to_string(cadres).c_str()}});
    const auto rows = rowsOf(r.out);
    ASSERT_EQ(long(rows.size()), cadres);
    std::vector<double> voiced;
    for (long c = 0; c < cadres; ++c) {
        const auto& row = rows[size_t(c)];
        ASSERT_EQ(row.size(), 3u);
        const double t = number(row[0]);
        EXPECT_NEAR(t, double(c * step) / kRate, 1e-6);
        if (t > 0.1 && t < 0.9) {
            ASSERT_NE(row[1], "--undefined--") << t;
            voiced.push_back(number(row[1]));
            EXPECT_NEAR(number(row[1]), 200, 2) << t;
            EXPECT_GT(number(row[2]), 0.9) << t;
        }
        if (t > 1.1) {
            EXPECT_EQ(row[1], "--undefined--") << t;
        }
    }
    EXPECT_NEAR(median(voiced), 200, 0.5);

    // A step of its own: frames at 0, S, 2S ... up to the end itself.
    const ktest::ToolRun s = ktest::RunKavrel(dir, "pitch '" + wav + "' --step 0.01 --floor 100 --ceiling 400");
    ASSERT_EQ(s.status, 0) << s.err;
    ktest::ExpectKeys(ktest::KeyValues(s.out), {{"floor", "100"}, {"ceiling", "400"}, {"step", "0.01"}, {"frames", "151"}});
    const auto stepped = rowsOf(s.out);
    ASSERT_EQ(stepped.size(), 151u);
    EXPECT_EQ(stepped.back()[0], "1.500000");
    EXPECT_NEAR(number(stepped[50][1]), 200, 2);

    // The dialog's other parameters: the Gaussian window finds the same
    // voice; a silence threshold of the whole peak leaves nothing voiced.
    const auto gaussian = rowsOf(ktest::RunKavrel(dir, "pitch '" + wav + "' --step 0.01 --gaussian").out);
    ASSERT_EQ(gaussian.size(), 151u);
    EXPECT_NEAR(number(gaussian[50][1]), 200, 2);
    const ktest::ToolRun quiet = ktest::RunKavrel(dir, "pitch '" + wav + "' --step 0.01 --silence-threshold 1 "
                                                       "--octave-jump-cost 0.5");
    ktest::ExpectKeys(ktest::KeyValues(quiet.out), {{"silence_threshold", "1"}, {"octave_jump_cost", "0.5"}, {"gaussian", "0"}});
    for (const auto& row : rowsOf(quiet.out))
        EXPECT_EQ(row[1], "--undefined--") << row[0];

    // The channel asked for is the one analysed.
    const std::string stereo = vowelFile(dir, "stereo.wav", 200, {{600, 80}}, true);
    const auto right = rowsOf(ktest::RunKavrel(dir, "pitch '" + stereo + "' --channel 1 --step 0.1").out);
    const auto left = rowsOf(ktest::RunKavrel(dir, "pitch '" + stereo + "' --channel 0 --step 0.1").out);
    ASSERT_EQ(right.size(), 16u);
    ASSERT_EQ(left.size(), 16u);
    EXPECT_NEAR(number(right[5][1]), 200, 2);
    for (const auto& row : left)
        EXPECT_EQ(row[1], "--undefined--") << row[0];

    // Many files, the options of either standing after them.
    const ktest::ToolRun many = ktest::RunKavrel(dir, "pitch '" + wav + "' '" + stereo + "' --floor 100 --step 0.1");
    EXPECT_EQ(many.status, 0) << many.err;
    EXPECT_NE(many.out.find("file: " + stereo + "\n"), std::string::npos);
}

TEST(KavrelTracks, FormantsLieNearTheResonators)
{
    ktest::ScratchDir dir;
    // A neutral vowel: resonances every 1000 Hz from 500 up to the highest formant looked for.
    const std::vector<ktest::Resonance> resonators = {{500, 60}, {1500, 90}, {2500, 120}, {3500, 150}, {4500, 200}};
    const std::string wav = vowelFile(dir, "vowel.wav", 120, resonators);
    const ktest::ToolRun r = ktest::RunKavrel(dir, "formants '" + wav + "' --step 0.01 --count 5 --max-formant 5000");
    ASSERT_EQ(r.status, 0) << r.err;
    ktest::ExpectKeys(ktest::KeyValues(r.out), {{"max_formant", "5000"}, {"count", "5"}, {"frames", "151"}});
    std::vector<double> found[3];
    for (const auto& row : rowsOf(r.out)) {
        ASSERT_EQ(row.size(), 2u + 2 * 5);
        const double t = number(row[0]);
        const long count = std::atol(row[1].c_str());
        ASSERT_LE(count, 5) << t;
        for (long k = count; k < 5; ++k)
            EXPECT_EQ(row[size_t(2 + 2 * k)], "--undefined--") << t;
        if (t < 0.1 || t > 0.9)
            continue;
        ASSERT_GE(count, 3) << t;
        for (size_t k = 0; k < 3; ++k)
            found[k].push_back(number(row[2 + 2 * k]));
    }
    // Praat finds 491, 1499 and 2493 Hz here.
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k + 1);
        ASSERT_FALSE(found[k].empty());
        EXPECT_NEAR(median(found[k]), resonators[k].frequency, 0.05 * resonators[k].frequency);
    }
}

TEST(KavrelTracks, RefuseValuesOutOfRangeAndFitTheDefaultsToTheRate)
{
    ktest::ScratchDir dir;
    const std::string wav = "'" + vowelFile(dir, "vowel.wav", 200, {{600, 80}}) + "'";
    const struct {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"pitch " + wav + " --floor 5", 1, "от 20 до 1000 Гц"},
        {"pitch " + wav + " --floor 300 --ceiling 200", 1, "выше нижней"},
        {"pitch " + wav + " --silence-threshold 2", 1, "Порог тишины должен быть от 0 до 1"},
        {"pitch " + wav + " --octave-cost -1", 1, "от 0 до 10"},
        {"formants " + wav + " --window 0.5", 1, "от 0,005 до 0,1 с"},
        {"pitch " + wav + " --gaussian --floor", 2, "Использование: kavrel pitch"},
        {"pitch " + wav + " --ceiling 8001", 1, "половины частоты дискретизации файла (8000 Гц)"},
        {"pitch " + wav + " --step 0.0001", 1, "от 0.0005 до 10 с"},
        {"pitch " + wav + " --channel 1", 1, "нет такого канала"},
        {"pitch " + wav + " --channel 2", 1, "0 (левый) или 1 (правый)"},
        {"formants " + wav + " --max-formant 999", 1, "от 1000 до 20000 Гц"},
        {"formants " + wav + " --max-formant 9000", 1, "половины частоты дискретизации файла (8000 Гц)"},
        {"formants " + wav + " --count 11", 1, "от 1 до 10"},
        {"pitch " + wav + " --floor abc", 2, "Использование: kavrel pitch"},
        {"pitch " + wav + " --count 3", 2, "Использование: kavrel pitch"},
        {"formants " + wav + " --floor 100", 2, "Использование: kavrel formants"},
        {"formants " + wav + " --step", 2, "Использование: kavrel formants"},
        {"pitch", 2, "Использование: kavrel pitch"},
    };
    for (const auto& c : cases) {
        const ktest::ToolRun r = ktest::RunKavrel(dir, c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    // A telephone recording: the default highest formant and ceiling give
    // way to half its rate.
    const std::string narrow = dir / "narrow.wav";
    kavrel_test::WriteAll(narrow, wavbytes::pcm16(1, 1000, vowel(100, {{300, 50}}, 1000, 1000)));
    ktest::ExpectKeys(ktest::KeyValues(ktest::RunKavrel(dir, "pitch '" + narrow + "'").out), {{"ceiling", "500"}});
    const std::string phone = dir / "phone.wav";
    kavrel_test::WriteAll(phone, wavbytes::pcm16(1, 8000, vowel(100, {{300, 50}}, 8000, 8000)));
    ktest::ExpectKeys(ktest::KeyValues(ktest::RunKavrel(dir, "formants '" + phone + "'").out), {{"max_formant", "4000"}});
}
