// kavrel make-object of a reverberation object and kavrel reverb: the
// document against its documented layout, the analysis printed and tabled,
// its files byte for byte those of the analyser's own commands, and the
// refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"
#include "vornel/doc/VornelDoc.h"

namespace {

using kavrel_test::Bytes;
using ktest::RunKavrel;

constexpr unsigned kRate = 16000;

std::string writeSound(const ktest::ScratchDir& dir, long count)
{
    const std::string path = dir / "sound.wav";
    kavrel_test::WriteAll(path, wavbytes::pcm16(1, kRate, ktest::Partials({500, 1750}, 4000, count, kRate)));
    return path;
}

long key(const ktest::ToolRun& r, const char* name)
{
    return std::stol(ktest::KeyValues(r.out).at(name));
}

} // namespace

TEST(KavrelReverb, MakeObjectWritesTheAnalysersDocumentAndNoFloatWave)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, 40000);
    const ktest::ToolRun film = RunKavrel(dir, "film '" + wav + "'");
    ASSERT_EQ(film.status, 0);
    const long step = key(film, "step"), zero = key(film, "zero_cadre_sample");

    const std::string vrn = dir / "r 1.vrn";
    ASSERT_EQ(RunKavrel(dir, "make-object '" + wav + "' 10 50 '" + vrn + "'").status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "r 1.kfw"));
    // The sound object's record first: flag, name, comment, span, type 4.
    const Bytes b = kavrel_test::ReadAll(vrn);
    const Bytes head = kavrel_test::Cat({{0, 14}, "\xC8\xEC\xFF \xED\xE5 \xF3\xEA\xE0\xE7\xE0\xED\xEE", {16},
                                         "\xC1\xE5\xE7 \xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE5\xE2",
                                         kavrel_test::Le32(DWORD(zero + 10 * step)),
                                         kavrel_test::Le32(DWORD(zero + 50 * step)), kavrel_test::Le32(4),
                                         kavrel_test::Le32(1), kavrel_test::Le32(0)});
    ASSERT_GT(b.size(), head.size());
    EXPECT_EQ(Bytes(b.begin(), b.begin() + long(head.size())), head);

    const ktest::ToolRun r = RunKavrel(dir, "reverb '" + vrn + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(key(r, "rate"), long(kRate));
    EXPECT_EQ(key(r, "samples_used"), 40 * step);
}

TEST(KavrelReverb, MakeObjectRefusesASpanTheAnalyserCannotTake)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, 120000);
    const ktest::ToolRun film = RunKavrel(dir, "film '" + wav + "'");
    const long step = key(film, "step");
    // The largest span allowed is last - first = 65536.
    const long fits = 65536 / step, over = fits + 1;
    EXPECT_EQ(RunKavrel(dir, "make-object '" + wav + "' 0 " + std::to_string(fits) + " '" + (dir / "a.vrn") + "'")
                  .status,
              0);
    const ktest::ToolRun r =
        RunKavrel(dir, "make-object '" + wav + "' 0 " + std::to_string(over) + " '" + (dir / "b.vrn") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("65536"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "b.vrn"));
}

TEST(KavrelReverb, PrintsTablesAndWritesTheAnalysersFiles)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    const std::string wav = writeSound(dir, 40000);
    const std::string vrn = dir / "r.vrn";
    ASSERT_EQ(RunKavrel(dir, "make-object '" + wav + "' 5 100 '" + vrn + "'").status, 0);
    const std::string table = dir / "t.tsv", synthetic = dir / "s.wav", maxima = dir / "max.xls",
                      minima = dir / "min.xls";
    const ktest::ToolRun r = RunKavrel(dir, "reverb '" + vrn + "' --table '" + table + "' --synthetic '" + synthetic +
                                                "' --maxima '" + maxima + "' --minima '" + minima + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto kv = ktest::KeyValues(r.out);
    EXPECT_NEAR(std::stod(kv.at("dphase_max")) - std::stod(kv.at("dphase_min")), 2 * std::numbers::pi, 1e-7);

    // The table: a header and a line per bin; bin 1 is 16000/65536 Hz.
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "bin\tfrequency\tdB\tdphase");
    std::vector<std::string> rows;
    while (std::getline(in, line))
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 32768u);
    EXPECT_EQ(rows[1].substr(0, 13), "1\t0.244140625");
    EXPECT_EQ(rows[0].substr(0, 4), "0\t0\t");

    // The same files as the analyser's commands write.
    CVornelDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(vrn.c_str()));
    const std::string s2 = dir / "s2.wav", max2 = dir / "max2.xls", min2 = dir / "min2.xls";
    ui.QueueFile(s2.c_str());
    doc.OnCreateSyntheticWave();
    ui.QueueFile(max2.c_str());
    doc.OnSaveMaxima();
    ui.QueueFile(min2.c_str());
    doc.OnSaveMinima();
    EXPECT_EQ(kavrel_test::ReadAll(synthetic), kavrel_test::ReadAll(s2));
    EXPECT_EQ(kavrel_test::ReadAll(maxima), kavrel_test::ReadAll(max2));
    EXPECT_EQ(kavrel_test::ReadAll(minima), kavrel_test::ReadAll(min2));
    EXPECT_EQ(kavrel_test::ReadAll(synthetic).size(), 46u + 131072u);
    // Every bin's dB in the table is the document's.
    std::istringstream row(rows[1234]);
    std::string bin, f, dB;
    std::getline(row, bin, '\t');
    std::getline(row, f, '\t');
    std::getline(row, dB, '\t');
    EXPECT_NEAR(std::stod(dB), doc.pAmpl_dB[1234], 1e-6);
}

TEST(KavrelReverb, RefusesBadInputAndNeverOverwrites)
{
    ktest::ScratchDir dir;
    const std::string wav = writeSound(dir, 20000);
    const std::string vrn = dir / "r.vrn";
    ASSERT_EQ(RunKavrel(dir, "make-object '" + wav + "' 5 50 '" + vrn + "'").status, 0);
    const std::string taken = dir / "taken.xls";
    kavrel_test::WriteAll(taken, Bytes{'x'});
    EXPECT_EQ(RunKavrel(dir, "reverb '" + vrn + "' --maxima '" + taken + "'").status, 1);
    EXPECT_EQ(kavrel_test::ReadAll(taken), Bytes{'x'});
    const std::string twice = dir / "twice.xls";
    EXPECT_EQ(RunKavrel(dir, "reverb '" + vrn + "' --maxima '" + twice + "' --minima '" + twice + "'").status, 1);
    EXPECT_FALSE(std::filesystem::exists(twice));
    // Not a document, no document, no such option.
    EXPECT_EQ(RunKavrel(dir, "reverb '" + wav + "'").status, 1);
    EXPECT_EQ(RunKavrel(dir, "reverb '" + (dir / "none.vrn") + "'").status, 1);
    EXPECT_EQ(RunKavrel(dir, "reverb").status, 2);
    EXPECT_EQ(RunKavrel(dir, "reverb '" + vrn + "' --plot x").status, 2);
    // An output that cannot be made: a failure, said so.
    const ktest::ToolRun r = RunKavrel(dir, "reverb '" + vrn + "' --table '" + (dir / "no/t.tsv") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no/t.tsv"), std::string::npos);
}
