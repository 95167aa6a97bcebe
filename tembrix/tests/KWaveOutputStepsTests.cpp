// The WAV output steps: a finished file byte for byte, each step's message
// when the multimedia file call under it fails, and no file left behind
// after a failure; the commands' common frame: its save dialog and cancels.
#include <gtest/gtest.h>

#include <filesystem>

#include "framework/base/Mmio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "tembrix/KWaveOutputSteps.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/WavBytes.h"

using kavrel_test::Bytes;
using kavrel_test::Cat;
using kavrel_test::Le32;

namespace {

struct WaveOutputStepsTest : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    std::string out = dir / "out.wav";

    void TearDown() override { KClearMmioFailures(); }

    static WAVEFORMATEX Stereo8k()
    {
        return WAVEFORMATEX{1, 2, 8000, 32000, 4, 16, 0};
    }
    // Begins, writes four bytes, ends; the result of End (or false earlier).
    bool WriteSmallFile()
    {
        CKWaveOutputSteps steps(out.c_str(), "write failed");
        if (!steps.Begin(Stereo8k()))
            return false;
        const BYTE data[4] = {1, 2, 3, 4};
        steps.Write(data, 4);
        return steps.End();
    }
    std::string OnlyMessage() const
    {
        EXPECT_EQ(ui.m_messages.size(), 1u);
        return ui.m_messages.empty() ? std::string() : std::string(ui.m_messages[0].sText.GetString());
    }
};

} // namespace

TEST_F(WaveOutputStepsTest, FinishedFileHasEighteenByteFormatAndPatchedSizes)
{
    CKWaveOutputSteps steps(out.c_str(), "write failed");
    ASSERT_TRUE(steps.Begin(Stereo8k()));
    const BYTE a[3] = {1, 2, 3}, b[2] = {4, 5};
    EXPECT_TRUE(steps.Write(a, 3));
    EXPECT_TRUE(steps.Write(b, 2));
    EXPECT_TRUE(steps.End());
    // 4 (WAVE) + 8 + 18 (fmt) + 8 + 5 + 1 pad (data) = 44.
    const Bytes expected = Cat({"RIFF", Le32(44), "WAVE", "fmt ", Le32(18),
                                Bytes{1, 0, 2, 0, 0x40, 0x1F, 0, 0, 0x00, 0x7D, 0, 0, 4, 0, 16, 0, 0, 0}, "data",
                                Le32(5), Bytes{1, 2, 3, 4, 5, 0}});
    EXPECT_EQ(kavrel_test::ReadAll(out), expected);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST_F(WaveOutputStepsTest, EachStepShowsItsMessageAndLeavesNoFile)
{
    struct Case {
        KMmioCall call;
        MMRESULT result;
        int skip;
        const char* suffix;
    };
    const Case cases[] = {
        {KMmioCall::Open, MMIOERR_CANNOTOPEN, 0,
         "\n- не удается открыть этот файл для записи в него генерируемого сигнала."},
        {KMmioCall::CreateChunk, MMIOERR_CANNOTWRITE, 0, "\n- не удается записать chuck RIFF"},
        {KMmioCall::CreateChunk, MMIOERR_CANNOTSEEK, 0, "\n- не удается найти chuck RIFF"},
        {KMmioCall::CreateChunk, MMIOERR_OUTOFMEMORY, 0, "\n- не удается создать chuck RIFF"},
        {KMmioCall::CreateChunk, MMIOERR_CANNOTWRITE, 1, "\n- не удается создать chuck fmt_"},
        {KMmioCall::Write, MMIOERR_CANNOTWRITE, 0, "\n- не удается записать WAVEFORMATEX"},
        {KMmioCall::CreateChunk, MMIOERR_CANNOTWRITE, 2, "\n- не удается создать chuck data"},
        {KMmioCall::Write, MMIOERR_CANNOTWRITE, 1, "write failed"},
        {KMmioCall::Ascend, MMIOERR_CANNOTSEEK, 0, "\n- не удается подняться из chunk data"},
        {KMmioCall::Ascend, MMIOERR_CANNOTSEEK, 1, "\n- не удается подняться из chunk WAVE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suffix);
        ui.m_messages.clear();
        KFailMmioCall(c.call, c.result, c.skip);
        EXPECT_FALSE(WriteSmallFile());
        const std::string expected = std::string(c.suffix) == "write failed" ? c.suffix : out + c.suffix;
        EXPECT_EQ(OnlyMessage(), expected);
        EXPECT_FALSE(std::filesystem::exists(out));
        KClearMmioFailures();
    }
}

TEST_F(WaveOutputStepsTest, WritesAfterAFailedOneAreRefusedWithoutAnotherMessage)
{
    CKWaveOutputSteps steps(out.c_str(), "write failed");
    ASSERT_TRUE(steps.Begin(Stereo8k()));
    KFailMmioCall(KMmioCall::Write, MMIOERR_CANNOTWRITE);
    const BYTE a[2] = {1, 2};
    EXPECT_FALSE(steps.Write(a, 2));
    EXPECT_FALSE(steps.Write(a, 2));
    EXPECT_FALSE(steps.End());
    EXPECT_EQ(ui.m_messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(WaveOutputStepsTest, FrameAsksWithTheSharedSaveDialogAndRunsUnderTheWaitCursor)
{
    ui.QueueFile(out.c_str());
    int waitDepth = -1;
    std::string chosen;
    EXPECT_TRUE(KRunWaveOutputCommand(nullptr, "/x/snd_Edited", "title", "", [&](const CString& p) {
        chosen = p.GetString();
        waitDepth = ui.m_nWaitCursorDepth;
    }));
    EXPECT_EQ(chosen, out);
    EXPECT_EQ(waitDepth, 1);
    EXPECT_EQ(ui.m_nWaitCursorDepth, 0);
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    const FileDialogRequest& rq = ui.m_fileDialogs[0];
    EXPECT_FALSE(rq.bOpen);
    EXPECT_STREQ(rq.sDefaultExt.GetString(), "WAV");
    EXPECT_STREQ(rq.sFileName.GetString(), "/x/snd_Edited");
    EXPECT_EQ(rq.nFlags, DWORD(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST));
    EXPECT_STREQ(rq.sFilter.GetString(), "WAVE файлы (*.wav)|*.wav||");
    EXPECT_STREQ(rq.sTitle.GetString(), "title");

    ui.QueueFile("");
    bool ran = false;
    EXPECT_FALSE(KRunWaveOutputCommand(nullptr, "n", "t", "", [&](const CString&) { ran = true; }));
    EXPECT_FALSE(ran);
}
