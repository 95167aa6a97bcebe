// kavrel film, make-object and traces: the numbers against the documented
// formulas, the object's document against its layout written out here, and
// the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace {

using Bytes = kavrel_test::Bytes;

using ktest::ToolRun;

ToolRun run(const ktest::ScratchDir& dir, const std::string& args)
{
    return ktest::RunKavrel(dir, args);
}

std::map<std::string, std::string> keys(const std::string& out)
{
    return ktest::KeyValues(out);
}

std::string writeSound(const ktest::ScratchDir& dir, const std::vector<int>& samples, unsigned channels = 1)
{
    const std::string path = dir / "sound.wav";
    kavrel_test::WriteAll(path, wavbytes::pcm16(channels, 16000, samples));
    return path;
}

std::vector<int> tones() { return ktest::Partials({440, 1250, 2600}, 3000, 16000, 16000); }

TEST(KavrelFilm, OptimumAndDialogParameters)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, tones());
    ToolRun r = run(dir, "film '" + wav + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    auto kv = keys(r.out);
    // (1024/2)/5 = 102 samples; σT of one step; 16000/102 = 156.9 cadres, even.
    ktest::ExpectKeys(kv, {{"rate", "16000"},
                           {"channels", "1"},
                           {"samples", "16000"},
                           {"nfft", "1024"},
                           {"step", "102"},
                           {"cadres", "156"},
                           {"zero_cadre_sample", "0"}});
    // The optimum 16000 / (2π·102) = 24.96548… as the SigmaFr dialog's field shows it and its OK reads it back.
    EXPECT_NEAR(std::stod(kv["sigmafr"]), 24.9655, 1e-6);
    EXPECT_EQ(kv["sigmaf"], kv["sigmafr"]);
    EXPECT_NEAR(std::stod(kv["sigmat"]), 1 / (2 * std::numbers::pi * 24.9655), 1e-9);

    // The dialog couples the step to σF: trunc(16000/(2π·40)) = 63; 253 cadres made even.
    kv = keys(run(dir, "film '" + wav + "' --sigmaf 40 --nfft 4096").out);
    ktest::ExpectKeys(kv, {{"nfft", "4096"}, {"step", "63"}, {"cadres", "252"}, {"sigmafr", "40"}});
    EXPECT_NEAR(std::stod(kv["sigmat"]), 1 / (2 * std::numbers::pi * 40), 1e-9);
}

TEST(KavrelFilm, Refusals)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, tones());
    // 2π·1024·2/16000 lines per σF is below 10: the dialog's question, declined.
    ToolRun r = run(dir, "film '" + wav + "' --sigmaf 2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Выбрана не достаточно большая высота фасфильма."), std::string::npos);
    EXPECT_EQ(run(dir, "film '" + wav + "' --channel 1").status, 1);
    EXPECT_EQ(run(dir, "film '" + wav + "' --nfft 1000").status, 1);
    EXPECT_EQ(run(dir, "film '" + (dir / "none.wav") + "'").status, 1);
}

void put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(BYTE(v >> (8 * i)));
}

void putString(Bytes& b, const std::string& s)
{
    b.push_back(BYTE(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}

TEST(KavrelMakeObject, WritesTheWorkshopsFirstTracerDocument)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, tones());
    const std::string gsr = dir / "obj.gsr", kfw = dir / "obj.kfw";
    ToolRun r = run(dir, "make-object '" + wav + "' 30 10 '" + gsr + "' --name a --comment b --index 7 --level-change 3");
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes file = kavrel_test::ReadAll(gsr);
    // The sound object's record leads: flag, name, comment, span, type 1, index, level 0, paths, level change.
    auto recordOf = [](const std::string& doc, const std::string& floatWave) {
        Bytes head{0};
        putString(head, "a");
        putString(head, "b");
        put32(head, 10 * 102);
        put32(head, 30 * 102);
        put32(head, 1);
        put32(head, 7);
        put32(head, 0);
        putString(head, doc);
        putString(head, floatWave);
        const double change = 3;
        const BYTE* c = reinterpret_cast<const BYTE*>(&change);
        head.insert(head.end(), c, c + 8);
        return head;
    };
    const Bytes head = recordOf(gsr, kfw);
    ASSERT_GT(file.size(), head.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + long(head.size())), head);
    // The tail: initiate 1, reserved 1, 20 cadres of 512 zero bytes, tool size 2.
    Bytes tail{1, 1};
    tail.resize(2 + 20 * 512, 0);
    put32(tail, 2);
    EXPECT_EQ(Bytes(file.end() - long(tail.size()), file.end()), tail);
    // 20·102 + 1 zeros.
    EXPECT_EQ(kavrel_test::ReadAll(kfw), Bytes((20 * 102 + 1) * 4, 0));

    // Never over an existing output.
    const Bytes before = kavrel_test::ReadAll(gsr);
    r = run(dir, "make-object '" + wav + "' 40 60 '" + gsr + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(kavrel_test::ReadAll(gsr), before);
    // Named relative to the current folder, the object stores whole paths.
    {
        ktest::ScopedCurrentFolder cwd(dir.path());
        const std::filesystem::path sound = std::filesystem::path(wav).filename();
        ASSERT_EQ(run(dir, "make-object '" + sound.string() +
                               "' 30 10 rel.gsr --name a --comment b --index 7 --level-change 3").status,
                  0);
    }
    const Bytes whole = recordOf(dir / "rel.gsr", dir / "rel.kfw");
    const Bytes rel = kavrel_test::ReadAll(dir / "rel.gsr");
    ASSERT_GT(rel.size(), whole.size());
    EXPECT_EQ(Bytes(rel.begin(), rel.begin() + long(whole.size())), whole);
    // and the film's record names the sound by its whole path.
    const std::string text(rel.begin(), rel.end());
    EXPECT_NE(text.find(wav), std::string::npos);
}

TEST(KavrelMakeObject, Refusals)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, tones());
    EXPECT_EQ(run(dir, "make-object '" + wav + "' 10 10 '" + (dir / "e.gsr") + "'").status, 1);
    EXPECT_EQ(run(dir, "make-object '" + wav + "' 10 500 '" + (dir / "o.gsr") + "'").status, 1);
    EXPECT_EQ(run(dir, "make-object '" + wav + "' 10 30 '" + (dir / "x.txt") + "'").status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "e.gsr"));
    EXPECT_FALSE(std::filesystem::exists(dir / "o.gsr"));
}

// The table's rows as (cadre, bin) → status.
std::map<std::pair<int, int>, int> rows(const std::string& out)
{
    std::map<std::pair<int, int>, int> m;
    std::istringstream in(out.substr(out.find("cadre\tbin\tstatus\tA\tomega\tD\tP\n")));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        int c, k, s;
        if (std::sscanf(line.c_str(), "%d\t%d\t%d", &c, &k, &s) == 3)
            m[{c, k}] = s;
    }
    return m;
}

TEST(KavrelTraces, ListsTheMaximaAndAddsOrClearsAllVisibleTraces)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, tones());
    const std::string gsr = dir / "t.gsr", kfw = dir / "t.kfw";
    ASSERT_EQ(run(dir, "make-object '" + wav + "' 10 140 '" + gsr + "'").status, 0);
    ToolRun r = run(dir, "traces '" + gsr + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    auto kv = keys(r.out);
    ktest::ExpectKeys(kv,
                      {{"cadres", "130"}, {"zero_cadre_sample", "1020"}, {"margin_cadres", "6"}, {"margin_bins", "5"}});
    auto m = rows(r.out);
    // Bins 28, 80, 166 of each of the cadres 6..123 are the visible maxima.
    int visible = 0;
    for (const auto& [at, s] : m) {
        ASSERT_GE(at.first, 6);
        ASSERT_LT(at.first, 124);
        ASSERT_EQ(s & 1, 1);
        if (s & 2) {
            ++visible;
            EXPECT_TRUE(at.second == 28 || at.second == 80 || at.second == 166) << at.second;
        }
    }
    EXPECT_EQ(visible, 3 * 118);
    // A bare listing changes nothing.
    EXPECT_EQ(kavrel_test::ReadAll(kfw), Bytes((130 * 102 + 1) * 4, 0));

    r = run(dir, "traces '" + gsr + "' --add-visible");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(rows(r.out)[std::make_pair(60, 80)], 3); // the listing is of the document as opened
    EXPECT_EQ(rows(run(dir, "traces '" + gsr + "'").out)[std::make_pair(60, 80)], 11);
    const Bytes rebuilt = kavrel_test::ReadAll(kfw);
    EXPECT_EQ(rebuilt.size(), 130u * 102 * 4);
    EXPECT_NE(rebuilt, Bytes(rebuilt.size(), 0));

    ASSERT_EQ(run(dir, "traces '" + gsr + "' --clear").status, 0);
    EXPECT_EQ(rows(run(dir, "traces '" + gsr + "'").out)[std::make_pair(60, 80)], 3);
    EXPECT_EQ(kavrel_test::ReadAll(kfw), Bytes(130u * 102 * 4, 0));
}

TEST(KavrelTraces, RelativeVisibilityLeavesOutMaximaFarBelowTheirCadresStrongest)
{
    ktest::ScratchDir dir;
    // The same three tones 0, 20 and 40 dB down: the default levels see all three.
    std::vector<int> x = ktest::Partials({440}, 3000, 16000, 16000);
    const std::vector<int> b = ktest::Partials({1250}, 300, 16000, 16000), c = ktest::Partials({2600}, 30, 16000, 16000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] += b[i] + c[i];
    const std::string wav = writeSound(dir, x);
    const std::string gsr = dir / "t.gsr";
    ASSERT_EQ(run(dir, "make-object '" + wav + "' 10 140 '" + gsr + "'").status, 0);
    auto visibleBins = [&](const std::string& options) {
        const ToolRun r = run(dir, "traces '" + gsr + "'" + options);
        EXPECT_EQ(r.status, 0) << r.err;
        std::set<int> bins;
        for (const auto& [at, s] : rows(r.out))
            if (at.first == 60 && (s & 2))
                bins.insert(at.second);
        return bins;
    };
    EXPECT_EQ(visibleBins(""), (std::set<int>{28, 80, 166}));
    EXPECT_EQ(visibleBins(" --relative 30"), (std::set<int>{28, 80}));
    EXPECT_EQ(visibleBins(" --relative 50"), (std::set<int>{28, 80, 166}));
    EXPECT_EQ(run(dir, "traces '" + gsr + "' --relative 0").status, 1);
    EXPECT_EQ(run(dir, "traces '" + gsr + "' --relative").status, 2);
    EXPECT_EQ(run(dir, "traces '" + gsr + "' --clear --add-visible").status, 2);
}

TEST(KavrelTraces, MovedSoundIsNotSearchedForInBatch)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, tones());
    const std::string gsr = dir / "t.gsr";
    ASSERT_EQ(run(dir, "make-object '" + wav + "' 10 140 '" + gsr + "'").status, 0);
    std::filesystem::rename(wav, dir / "moved.wav");
    ToolRun r = run(dir, "traces '" + gsr + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Будете пытаться найти звуковой файл в другом месте?"), std::string::npos);
    EXPECT_EQ(run(dir, "traces '" + (dir / "none.gsr") + "'").status, 1);
}

} // namespace
