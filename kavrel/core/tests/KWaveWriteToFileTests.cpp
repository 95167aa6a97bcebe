#include <gtest/gtest.h>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveWriteToFile.h"
#include "testsupport/FileDialogs.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

Bytes header46(std::uint32_t riffSize, std::uint32_t fmtSize, unsigned channels, std::uint32_t rate, std::uint32_t dataSize)
{
    Bytes b;
    putId(b, "RIFF");
    put32(b, riffSize);
    putId(b, "WAVE");
    putId(b, "fmt ");
    put32(b, fmtSize);
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * 2 * channels);
    put16(b, 2 * channels);
    put16(b, 16);
    put16(b, 0);
    putId(b, "data");
    put32(b, dataSize);
    return b;
}

} // namespace

TEST(KWaveWriteToFile, StereoFileOfFourHundredBytes)
{
    std::string path = tempPath("w446.wav");
    CScriptedUserInteraction ui;
    CKWaveWriteToFile w;
    ASSERT_TRUE(w.Create(path.c_str(), 8000, 2));
    // Until Close the header is provisional, sizes 0.
    EXPECT_EQ(readFile(path), header46(0, 0, 2, 8000, 0));
    Bytes data(400);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i * 7);
    ASSERT_TRUE(w.Write(data.data(), 200));
    ASSERT_TRUE(w.Write(data.data() + 200, 200));
    ASSERT_TRUE(w.Close());
    Bytes expected = header46(438, 18, 2, 8000, 400);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(readFile(path), expected);
    EXPECT_FALSE(w.Close()); // already closed
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWaveWriteToFile, EmptyFileAndReuse)
{
    std::string a = tempPath("w46.wav"), b = tempPath("wreuse.wav");
    CKWaveWriteToFile w;
    ASSERT_TRUE(w.Create(a.c_str()));
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(readFile(a), header46(38, 18, 1, 11025, 0));

    // A reused object writes its previous sizes provisionally; Close replaces them.
    ASSERT_TRUE(w.Create(a.c_str(), 8000, 1));
    short s[3] = {1, 2, 3};
    ASSERT_TRUE(w.Write(s, 6));
    ASSERT_TRUE(w.Create(b.c_str(), 16000, 1)); // completes the first file
    Bytes first = readFile(a);
    ASSERT_EQ(first.size(), 52u);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 46), header46(44, 18, 1, 8000, 6));
    EXPECT_EQ(readFile(b), header46(44, 18, 1, 16000, 6));
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(readFile(b), header46(38, 18, 1, 16000, 0));
}

TEST(KWaveWriteToFile, FormatSettledBeforeClose)
{
    std::string path = tempPath("wrate.wav");
    CKWaveWriteToFile w;
    ASSERT_TRUE(w.Create(path.c_str(), 11025, 1));
    w.Set_FrADC_Nchannels(22050, 1);
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(readFile(path), header46(38, 18, 1, 22050, 0));
}

TEST(KWaveWriteToFile, IdleObjectRefusesSilently)
{
    CScriptedUserInteraction ui;
    CKWaveWriteToFile w;
    EXPECT_EQ(w.GetWaveFilePath(), "C:\\TEMP\\KTemporal.wav");
    short s = 0;
    EXPECT_FALSE(w.Write(&s, 2));
    EXPECT_FALSE(w.Close());
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWaveWriteToFile, FailuresAreShownAndReported)
{
    CScriptedUserInteraction ui;
    CKWaveWriteToFile w;
    std::string noDir = tempPath("no-such-dir/x.wav");
    EXPECT_FALSE(w.Create(noDir.c_str(), 8000, 1));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, CString(noDir) + "\n- не удается открыть этот файл для записи в него звуковой сигнал.");
    EXPECT_FALSE(w.bOpen);

    // A full disk refuses the very header.
    EXPECT_FALSE(w.Create("/dev/full", 8000, 1));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[1].sText, "/dev/full\n- не удается записать в этот файл заголовок звукового сигнала.");
    EXPECT_FALSE(w.bOpen);
}

TEST(KWaveWriteToFile, SaveDialog)
{
    CScriptedUserInteraction ui;
    CKWaveWriteToFile w;
    EXPECT_FALSE(w.Create()); // cancelled: nothing opened
    EXPECT_FALSE(w.bOpen);
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    EXPECT_TRUE(ktest::AsksToSave(ui.m_fileDialogs[0],
                                  KSaveFileRequest("wav", "KTemporal",
                                                   OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                                                   "Wave файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||",
                                                   "В какой файл записать звуковой сигнал?")));

    std::string path = tempPath("wdialog.wav");
    ui.QueueFile(path.c_str());
    ASSERT_TRUE(w.Create(44100, 2));
    EXPECT_EQ(w.GetWaveFilePath(), path.c_str());
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(readFile(path), header46(38, 18, 2, 44100, 0));
}
