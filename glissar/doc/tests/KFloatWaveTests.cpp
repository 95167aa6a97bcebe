// The float wave's window rules and its .kfw file, written and read here
// byte by byte from the documented layout.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/base/ScriptedUserInteraction.h"
#include "glissar/doc/KFloatWave.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/TempFiles.h"

namespace {

TEST(KFloatWaveWindow, WidthIsRoundedUpToEvenAndKeptWhenUnchanged)
{
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(100));
    EXPECT_EQ(w.GetFloatWaveWindowWidthInSamples(), 2);
    EXPECT_EQ(w.GetFloatWaveWindowSamplePosition(), 1);
    EXPECT_TRUE(w.SetFloatWaveWindowWidthInSamples(7));
    EXPECT_EQ(w.GetFloatWaveWindowWidthInSamples(), 8);
    // The window was moved inside the wave by the new width: centre 4.
    EXPECT_EQ(w.GetFloatWaveWindowSamplePosition(), 4);
    w.nWindowPosition = 50; // an unchanged width must not reposition
    EXPECT_TRUE(w.SetFloatWaveWindowWidthInSamples(8));
    EXPECT_EQ(w.GetFloatWaveWindowSamplePosition(), 50);
    EXPECT_FALSE(w.SetFloatWaveWindowWidthInSamples(1));
    EXPECT_EQ(w.GetFloatWaveWindowWidthInSamples(), 8);
}

TEST(KFloatWaveWindow, PositioningClampsAtBothEnds)
{
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(100));
    ASSERT_TRUE(w.SetFloatWaveWindowWidthInSamples(8));
    EXPECT_FALSE(w.PositFloatWaveWindowOnSample(0));
    EXPECT_EQ(w.GetFloatWaveWindowSamplePosition(), 4);
    EXPECT_EQ(w.GetFloatWaveWindow(), w.GetFloatWaveBuffer());
    EXPECT_FALSE(w.PositFloatWaveWindowOnSample(99));
    EXPECT_EQ(w.GetFloatWaveWindowSamplePosition(), 96);
    EXPECT_EQ(w.GetFloatWaveWindow(), w.GetFloatWaveBuffer() + 92);
    EXPECT_TRUE(w.PositFloatWaveWindowOnSample(10));
    EXPECT_EQ(w.GetFloatWaveWindow(), w.GetFloatWaveBuffer() + 6);
}

TEST(KFloatWaveWindow, WiderThanTheWaveLeavesNoWindow)
{
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(10));
    EXPECT_FALSE(w.SetFloatWaveWindowWidthInSamples(12));
    EXPECT_EQ(w.GetFloatWaveWindowWidthInSamples(), 0);
    w.PositFloatWaveWindowOnSample(3);
    EXPECT_EQ(w.GetFloatWaveWindow(), w.GetFloatWaveBuffer() + 3);
}

TEST(KFloatWaveWindow, EmptyWaveRefusesEverything)
{
    CScriptedUserInteraction ui;
    CKFloatWave w;
    EXPECT_FALSE(w.SetFloatWaveWindowWidthInSamples(8));
    EXPECT_FALSE(w.SaveFloatWaveBufferToFile(ktest::TempPath("never.kfw").c_str()));
    EXPECT_FALSE(w.LoadFloatWaveBufferFromFile(ktest::TempPath("never.kfw").c_str()));
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KFloatWaveFile, SavedAsBareLittleEndianFloats)
{
    ktest::ScratchDir dir;
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(3));
    w.GetFloatWaveBuffer()[0] = 1.0f;
    w.GetFloatWaveBuffer()[1] = -2.5f;
    w.GetFloatWaveBuffer()[2] = 32767.0f;
    ASSERT_TRUE(w.SaveFloatWaveBufferToFile((dir / "a.kfw").c_str()));
    const kavrel_test::Bytes expected = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0, 0x00, 0xFE, 0xFF, 0x46};
    EXPECT_EQ(kavrel_test::ReadAll(dir / "a.kfw"), expected);
}

TEST(KFloatWaveFile, LoadReadsThePrefixOfALongerFile)
{
    ktest::ScratchDir dir;
    kavrel_test::WriteAll(dir / "b.kfw", {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40});
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(2));
    ASSERT_TRUE(w.LoadFloatWaveBufferFromFile((dir / "b.kfw").c_str()));
    EXPECT_EQ(w.GetFloatWaveBuffer()[0], 1.0f);
    EXPECT_EQ(w.GetFloatWaveBuffer()[1], 2.0f);
}

TEST(KFloatWaveFile, ShortFileNamesBothByteCounts)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    const std::string path = dir / "short.kfw";
    kavrel_test::WriteAll(path, kavrel_test::Bytes(36, 0));
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(10));
    EXPECT_FALSE(w.LoadFloatWaveBufferFromFile(path.c_str()));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()),
              "Удалось прочитать лишь 36 байтов\n(а требовалось - 40)\nиз открытого файла\n" + path +
                  "\n для чтения float wave file.");
}

TEST(KFloatWaveFile, MissingFileAndUnwritablePathAreSaid)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    CKFloatWave w;
    ASSERT_TRUE(w.CreateKFloatWave(4));
    const std::string missing = dir / "none.kfw";
    EXPECT_FALSE(w.LoadFloatWaveBufferFromFile(missing.c_str()));
    const std::string bad = dir / "no/such/folder.kfw";
    EXPECT_FALSE(w.SaveFloatWaveBufferToFile(bad.c_str()));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()),
              "Не удалось открыть файл\n" + missing + "\n для чтения float wave file.");
    EXPECT_EQ(std::string(ui.m_messages[1].sText.GetString()),
              "Не удалось открыть файл\n" + bad + "\n для записи float wave file.");
}

} // namespace
