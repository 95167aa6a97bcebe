// kavrel edit and kavrel synthesize against the document's own commands:
// the same selection, caret and dialog answers give the same file byte for
// byte; the analysed sound and the document are left as they were; the
// tool refuses what the workshop would not do.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "kavrel/views/KDialogSetSigmaFr.h"
#include "tembrix/KFilmOperations.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixIds.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace {

using kavrel_test::Bytes;
using kavrel_test::ReadAll;

constexpr unsigned kRate = 16000;

struct BatchEditTest : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    std::deque<ktest::DialogAnswer> dialogs;
    DialogDriver oldDriver;
    std::string wav = dir / "sound.wav";
    std::string tbx = dir / "sound.tbx";

    void SetUp() override
    {
        ktest::EnsureQtApplication();
        oldDriver = ktest::AnswerDialogsInTurn(dialogs, {CKDialogSetSigmaFr::IDD});
        // A level that changes along the file, so that levelling has work to do.
        std::vector<int> s = ktest::Partials({300.0, 1100.0}, 6000, 3 * long(kRate), kRate);
        for (size_t k = 0; k < s.size(); ++k)
            s[k] = int(s[k] * (0.2 + 0.8 * double(k) / double(s.size())));
        kavrel_test::WriteAll(wav, wavbytes::pcm16(1, kRate, s));
    }
    void TearDown() override { SetDialogDriver(oldDriver); }

    ktest::ToolRun Kavrel(const std::string& args) { return ktest::RunKavrel(dir, args); }
    // The document made by the tool, opened as the workshop opens it.
    std::unique_ptr<CTembrixDoc> OpenDoc(const std::string& objects = "")
    {
        if (!std::filesystem::exists(tbx) && Kavrel("make-document '" + wav + "' '" + tbx + "' " + objects).status != 0)
            return nullptr;
        auto doc = std::make_unique<CTembrixDoc>();
        if (!doc->OnOpenDocument(tbx.c_str()))
            return nullptr;
        return doc;
    }
    void Answer(std::function<void(CDialog&)> f) { dialogs.push_back(std::move(f)); }
};

struct Case {
    const char* name;
    std::string toolArgs;
    std::function<void(CTembrixDoc&, BatchEditTest&)> command;
};

} // namespace

TEST_F(BatchEditTest, EveryOperationWritesTheWorkshopsFileAndLeavesSoundAndDocumentAlone)
{
    auto doc = OpenDoc();
    ASSERT_TRUE(doc);
    const Bytes sound = ReadAll(wav), document = ReadAll(tbx);
    const auto ok = [](CDialog& d) { d.ClickDlgButton(IDOK); };
    // The cut dialog over the selection c0..c1 with its keep and rough boxes as given.
    const auto cut = [](long c0, long c1, bool keep, bool rough) {
        return [=](CTembrixDoc& doc, BatchEditTest& t) {
            doc.WaveFilm.SetSelectedFragmentAbsCadres(c0, c1);
            t.Answer([=](CDialog& d) {
                if (keep)
                    d.ClickDlgButton(IDC_CUT_KEEP);
                if (rough)
                    d.ClickDlgButton(IDC_CUT_ROUGH);
                d.ClickDlgButton(IDOK);
            });
            doc.OnDeleteOrKeepSegment();
        };
    };
    const std::vector<Case> cases = {
        {"careful-delete", "cut --select 40 12", cut(40, 12, false, false)},
        {"rough-keep", "cut --select 12 40 --keep --rough", cut(12, 40, true, true)},
        {"careful-keep", "cut --select 3 40 --keep", cut(3, 40, true, false)},
        {"side-right", "side --caret 77 --side right",
         [&](CTembrixDoc& doc, BatchEditTest& t) {
             doc.WaveFilm.SetSelectedFragmentAbsCadres(77, 77);
             doc.WaveFilm.SetKCaretCadre(77);
             t.Answer([](CDialog& d) {
                 d.ClickDlgButton(IDC_CUT_SIDE_RIGHT);
                 d.ClickDlgButton(IDOK);
             });
             doc.OnDeleteBeforeCaret();
         }},
        {"side-left", "side --caret 77 --side left",
         [&](CTembrixDoc& doc, BatchEditTest& t) {
             doc.WaveFilm.SetKCaretCadre(77);
             t.Answer(ok);
             doc.OnDeleteBeforeCaret();
         }},
        {"level", "level --max-amplitude 16384 --frame-rate 20 --max-gain 12",
         [&](CTembrixDoc& doc, BatchEditTest& t) {
             t.Answer([](CDialog& d) {
                 d.SetDlgItemText(IDC_AGC_MAX_AMPLITUDE, "16384");
                 d.SetDlgItemText(IDC_AGC_FRAME_RATE, "20");
                 d.SetDlgItemText(IDC_AGC_MAX_FRAME_GAIN, "12");
                 d.ClickDlgButton(IDOK);
             });
             doc.OnLevelPower();
         }},
        {"up2", "up2", [&](CTembrixDoc& doc, BatchEditTest&) { doc.OnUpsample(ID_UPSAMPLE_2); }},
        {"up4", "up4", [&](CTembrixDoc& doc, BatchEditTest&) { doc.OnUpsample(ID_UPSAMPLE_4); }},
        {"down3", "down --factor 3",
         [&](CTembrixDoc& doc, BatchEditTest& t) {
             t.Answer([](CDialog& d) {
                 d.PressSpin(3052, true);
                 d.ClickDlgButton(IDOK);
             });
             doc.OnDownsample();
         }},
        {"reverse", "reverse-cadres --keep-every 3 --reverse",
         [&](CTembrixDoc& doc, BatchEditTest& t) {
             t.Answer([](CDialog& d) {
                 d.PressSpin(3067, true);
                 d.PressSpin(3067, true);
                 d.ClickDlgButton(3070);
                 d.ClickDlgButton(IDOK);
             });
             doc.OnReverseCadres();
         }},
    };
    for (const Case& c : cases) {
        const std::string byDoc = dir / (std::string(c.name) + "_doc.wav");
        const std::string byTool = dir / (std::string(c.name) + "_tool.wav");
        ui.QueueFile(byDoc.c_str());
        c.command(*doc, *this);
        const ktest::ToolRun r = Kavrel("edit '" + wav + "' '" + byTool + "' " + c.toolArgs);
        ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
        const Bytes a = ReadAll(byDoc), b = ReadAll(byTool);
        ASSERT_GT(a.size(), 46u) << c.name;
        EXPECT_EQ(kavrel_test::FirstDifference(a, b), -1) << c.name;
        EXPECT_EQ(ReadAll(wav), sound) << c.name;
        EXPECT_EQ(ReadAll(tbx), document) << c.name;
    }
    EXPECT_TRUE(dialogs.empty());
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(BatchEditTest, SeededCocktailIsReproducedAndIsTheWorkshopsCocktailOfThatSeed)
{
    auto doc = OpenDoc();
    ASSERT_TRUE(doc);
    const Bytes sound = ReadAll(wav);
    const std::string a = dir / "a.wav", b = dir / "b.wav", c = dir / "c.wav", d = dir / "d.wav";
    ASSERT_EQ(Kavrel("edit '" + wav + "' '" + a + "' cocktail --additions 2 --seed 7").status, 0);
    ASSERT_EQ(Kavrel("edit '" + wav + "' '" + b + "' cocktail --seed 7 --additions 2").status, 0);
    ASSERT_EQ(Kavrel("edit '" + wav + "' '" + c + "' cocktail --additions 2 --seed 8").status, 0);
    ASSERT_TRUE(KWriteCocktail(doc->WaveFilm, 2, 7, d.c_str()));
    EXPECT_EQ(ReadAll(a), ReadAll(b));
    EXPECT_EQ(ReadAll(a), ReadAll(d));
    EXPECT_NE(ReadAll(a), ReadAll(c));
    // The document's command draws from the clock and asks for the file itself.
    const std::string e = dir / "e.wav";
    ui.QueueFile(e.c_str());
    Answer([](CDialog& dlg) {
        dlg.SetDlgItemText(3083, "2");
        dlg.ClickDlgButton(IDOK);
    });
    doc->OnSoundCocktail();
    EXPECT_EQ(ReadAll(e).size(), ReadAll(a).size());
    EXPECT_EQ(ReadAll(wav), sound);
}

TEST_F(BatchEditTest, SynthesisLeavesOutAnObjectWithoutItsTracesAndMatchesTheWorkshop)
{
    auto doc = OpenDoc("--object 20 120 0 loud --level-change 6 --object 150 300 1 traced --level-change -3");
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->PhoneObjects().size(), 2u);
    const std::string kfw = doc->PhoneObjects()[1]->sPhoneObjectFloatWaveFilePathName.GetString();
    ASSERT_TRUE(std::filesystem::remove(kfw));
    const Bytes sound = ReadAll(wav), document = ReadAll(tbx);

    const std::string byDoc = dir / "syn_doc.wav", byTool = dir / "syn_tool.wav";
    ui.QueueFile(byDoc.c_str());
    doc->OnSynthesis();
    ASSERT_EQ(ui.m_messages.size(), 1u);
    const ktest::ToolRun r = Kavrel("synthesize '" + tbx + "' '" + byTool + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("не удалось открыть файл " + kfw), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(byTool), ReadAll(byDoc));
    EXPECT_EQ(ReadAll(wav), sound);
    EXPECT_EQ(ReadAll(tbx), document);
}

TEST_F(BatchEditTest, RefusalsWriteNothing)
{
    const Bytes sound = ReadAll(wav);
    const std::string out = dir / "out.wav";
    const struct {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"edit '" + wav + "' '" + wav + "' up2", 1, "не будет перезаписан"},
        {"edit '" + wav + "' '" + out + "' cut --select 10 10", 1, "пуст"},
        {"edit '" + wav + "' '" + out + "' cut --select 10 100000", 1, "вне фильма"},
        {"edit '" + wav + "' '" + out + "' cut", 2, "Использование"},
        {"edit '" + wav + "' '" + out + "' side --caret 5", 2, "Использование"},
        {"edit '" + wav + "' '" + out + "' up2 --keep", 2, "Использование"},
        {"edit '" + wav + "' '" + out + "' down --factor 1", 1, "от 2 до 1000"},
        {"edit '" + wav + "' '" + out + "' level --frame-rate 0", 1, "0.0001"},
        {"edit '" + wav + "' '" + out + "' level --max-amplitude 40000", 1, "32767"},
        {"edit '" + wav + "' '" + out + "' reverse-cadres --keep-every 101", 1, "100"},
        {"edit '" + wav + "' '" + out + "' cocktail --additions 0", 1, "1000000"},
        {"synthesize '" + (dir / "none.tbx") + "' '" + out + "'", 1, ""},
    };
    for (const auto& c : cases) {
        const ktest::ToolRun r = Kavrel(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args;
    }
    EXPECT_EQ(ReadAll(wav), sound);

    // A stereo sound is refused by the resamplers with the workshop's message.
    const std::string stereo = dir / "stereo.wav";
    kavrel_test::WriteAll(stereo, wavbytes::pcm16(2, kRate, std::vector<int>(2 * kRate, 100)));
    const ktest::ToolRun r = Kavrel("edit '" + stereo + "' '" + out + "' down --factor 2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(kOnlyMonoMessage), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Shorter than the interpolators' first block, ×2 and ×4 would write a
// header and no sample: they say so, fail and leave nothing.
TEST_F(BatchEditTest, UpsamplingASoundShorterThanOneBlockIsRefused)
{
    const std::string shortWav = dir / "short.wav", out = dir / "out.wav";
    kavrel_test::WriteAll(shortWav, wavbytes::pcm16(1, kRate, std::vector<int>(200, 1000)));
    for (const char* op : {"up2", "up4"}) {
        const ktest::ToolRun r = Kavrel("edit '" + shortWav + "' '" + out + "' " + op);
        EXPECT_EQ(r.status, 1) << op;
        EXPECT_NE(r.err.find("слишком короткий"), std::string::npos) << op << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << op;
    }
}

// A cocktail whose samples cannot all be written (a full disk) leaves no
// file behind, not one whose header claims nothing.
TEST_F(BatchEditTest, CocktailThatCannotBeWrittenLeavesNoFile)
{
    std::unique_ptr<CTembrixDoc> doc = OpenDoc();
    ASSERT_NE(doc, nullptr);
    const std::string out = dir / "cocktail.wav";
    {
        ktest::FileSizeLimit full(24576);
        EXPECT_FALSE(KWriteCocktail(doc->WaveFilm, 2, 7, out.c_str()));
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_FALSE(ui.m_messages.empty());
    EXPECT_NE(std::string(ui.m_messages.front().sText.GetString()).find("не удается записать"), std::string::npos);
}
