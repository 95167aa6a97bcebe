// kavrel voice and kavrel pirogov: the tool's files are those of the
// dialogs' own code, and every refusal leaves no output behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "framework/base/ScriptedUserInteraction.h"
#include "tembrix/models/KPirogovFunction.h"
#include "tembrix/models/KVoicePulse.h"
#include "tembrix/models/tests/ModelTestSupport.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/ToolRuns.h"

namespace {

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::vector<int> Tones()
{
    std::vector<int> x = ktest::Sine(1000, 10000, 22050, 22050);
    const std::vector<int> y = ktest::Sine(2500, 10000, 22050, 22050);
    x.insert(x.end(), y.begin(), y.end());
    return x;
}

} // namespace

TEST(VoiceCommand, WritesTheDialogsSignal)
{
    ktest::ScratchDir dir;
    const std::string out = dir / "v.wav";
    const ktest::ToolRun r =
        ktest::RunKavrel(dir, "voice '" + out + "' --f0 200 --noise 0 --chest-a -6 --chest-f 40 --df0 0.05 --seed 7");
    ASSERT_EQ(r.status, 0) << r.err;
    auto kv = ktest::KeyValues(r.out);
    EXPECT_EQ(kv["rate"], "176400");
    EXPECT_EQ(kv["samples"], "1764000");
    EXPECT_EQ(kv["period"], "882");

    // The same record through the model's own code, from the same seed.
    CScriptedUserInteraction ui;
    KVOICE_MODEL_PARAMS R;
    R.ChestF = 40;
    R.F0 = 200;
    R.Noise_dB = 0;
    R.ChestA_dB = -6;
    R.dF0 = 0.05;
    std::srand(7);
    CKVoicePulse model;
    ASSERT_TRUE(model.BuildPulse(R));
    std::vector<short> s;
    ASSERT_TRUE(GenerateVoiceSignal(model, R, s));
    const std::string mine = dir / "mine.wav";
    ASSERT_TRUE(WriteVoiceSignalFile(mine.c_str(), s));
    EXPECT_TRUE(kavrel_test::ReadAll(out) == kavrel_test::ReadAll(mine));
}

TEST(VoiceCommand, Refusals)
{
    ktest::ScratchDir dir;
    const std::string out = dir / "v.wav";
    kavrel_test::WriteAll(out, {1, 2, 3});
    ktest::ToolRun r = ktest::RunKavrel(dir, "voice '" + out + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не будет перезаписан"), std::string::npos);
    EXPECT_EQ(kavrel_test::ReadAll(out).size(), 3u);

    const std::string fresh = dir / "w.wav";
    r = ktest::RunKavrel(dir, "voice '" + fresh + "' --t1 0.7");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Противоречивые входные параметры модели.\n");
    r = ktest::RunKavrel(dir, "voice '" + fresh + "' --f0 5000");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "F0: введите число от 1 до 1000.\n");
    r = ktest::RunKavrel(dir, "voice '" + fresh + "' --dt9 1");
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(Exists(fresh));
}

TEST(PirogovCommand, WritesTheDialogsReport)
{
    ktest::FilmOnFile f("tones", 22050, Tones());
    ASSERT_TRUE(f.bOpen);
    const std::string out = f.dir / "p.xls";
    const ktest::ToolRun r = ktest::RunKavrel(f.dir, "pirogov '" + f.path + "' --select 300 100 '" + out + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    auto kv = ktest::KeyValues(r.out);
    EXPECT_EQ(kv["cadres_per_frame"], "7");
    EXPECT_EQ(kv["low_line"], "13");
    EXPECT_EQ(kv["high_line"], "185");
    EXPECT_EQ(kv["values"], "188");
    const kavrel_test::Bytes tool = kavrel_test::ReadAll(out);
    std::filesystem::remove(out);

    CScriptedUserInteraction ui;
    f.film.SetSelectedFragmentAbsCadres(100, 300);
    KPirogovStatistics st;
    ASSERT_TRUE(CreatePirogovFunctionFile(f.film, 7, 13, 185, out.c_str(), &st));
    EXPECT_TRUE(tool == kavrel_test::ReadAll(out));
    char mean[32];
    std::snprintf(mean, sizeof mean, "%.9g", st.mean);
    EXPECT_EQ(kv["mean"], mean);

    // The dialog's fields as options.
    const std::string other = f.dir / "q.xls";
    const ktest::ToolRun q = ktest::RunKavrel(
        f.dir, "pirogov '" + f.path + "' --select 100 300 '" + other + "' --cadres-per-frame 3 --low-line 40 --high-line 100");
    ASSERT_EQ(q.status, 0) << q.err;
    EXPECT_EQ(ktest::KeyValues(q.out)["values"], "196");
}

TEST(PirogovCommand, RefusalsLeaveNoOutput)
{
    ktest::FilmOnFile f("refused", 22050, Tones());
    ASSERT_TRUE(f.bOpen);
    const std::string out = f.dir / "p.xls";
    const std::string in = "pirogov '" + f.path + "' ";
    struct Case {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"--select 10 40 '" + out + "' --nfft 4096", 1, "Размерность FFT должна быть ТОЛЬКО 1024.\n"},
        {"--select 100 110 '" + out + "'", 1,
         "Выделенный фрагмент слишком короток: для функции Пирогова нужно не менее 14 кадров.\n"},
        {"--select 100 100 '" + out + "'", 1, "Выделенный фрагмент пуст: функция Пирогова не рассчитывается\n"},
        {"--select 100 5000 '" + out + "'", 1, "Кадры выделенного фрагмента лежат вне фильма\n"},
        {"--select 100 300 '" + out + "' --low-line 512", 1,
         "Нижняя спектральная линия: введите целое число от 0 до 511.\n"},
        {"--select 100 300 '" + out + "' --low-line 200 --high-line 190", 1,
         "Между нижней и верхней спектральными линиями нет ни одной третьоктавной полосы.\n"},
        {"100 300 '" + out + "'", 2, ""},
    };
    for (const Case& c : cases) {
        const ktest::ToolRun r = ktest::RunKavrel(f.dir, in + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        if (!c.message.empty()) {
            EXPECT_EQ(r.err, c.message) << c.args;
        }
        EXPECT_FALSE(Exists(out)) << c.args;
    }
    kavrel_test::WriteAll(out, {9});
    const ktest::ToolRun r = ktest::RunKavrel(f.dir, in + "--select 100 300 '" + out + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не будет перезаписан"), std::string::npos);
    EXPECT_EQ(kavrel_test::ReadAll(out).size(), 1u);
}
