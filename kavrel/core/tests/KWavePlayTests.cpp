#include <gtest/gtest.h>

#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/base/MciService.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWave.h"
#include "testsupport/WavBytes.h"
#include "testsupport/RecordingMci.h"

using namespace wavbytes;

namespace {

// 20 samples of 16-bit mono at 8000 Hz behind the 44-byte PCM header.
std::vector<short> Signal()
{
    std::vector<short> s;
    for (int i = 0; i < 20; ++i)
        s.push_back(short(1000 + 37 * i));
    return s;
}

std::string WriteSignal()
{
    Bytes b;
    putId(b, "RIFF");        // 0
    put32(b, 36 + 40);       // 4: what follows
    putId(b, "WAVE");        // 8
    putId(b, "fmt ");        // 12
    put32(b, 16);            // 16
    put16(b, 1);             // 20: PCM
    put16(b, 1);             // 22: channels
    put32(b, 8000);          // 24: rate
    put32(b, 16000);         // 28: bytes per second
    put16(b, 2);             // 32: block alignment
    put16(b, 16);            // 34: bits
    putId(b, "data");        // 36
    put32(b, 40);            // 40
    for (short s : Signal()) // 44
        put16(b, unsigned(s) & 0xFFFF);
    return writeFile("kavrel-play.wav", b);
}

std::vector<short> Slice(long from, long to)
{
    std::vector<short> s = Signal();
    return std::vector<short>(s.begin() + from, s.begin() + to);
}

class KWavePlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        CVirtualAudio::Use();
        KInstallAudioServices();
        path = WriteSignal();
        ASSERT_TRUE(wave.OpenKWaveFile(path.c_str(), "kavrel-play"));
    }
    void TearDown() override
    {
        wave.CloseKWaveFile();
        std::remove(path.c_str());
    }
    // Everything played, over all devices opened.
    std::vector<short> Played()
    {
        std::vector<short> all;
        for (const VirtualPlayedStream& s : CVirtualAudio::PlayedStreams()) {
            std::vector<short> v = s.Samples16();
            all.insert(all.end(), v.begin(), v.end());
        }
        return all;
    }
    CScriptedUserInteraction ui;
    CKWave wave;
    std::string path;
};

TEST_F(KWavePlay, RangeIsClampedToTheSound)
{
    wave.PlayKWave(-5L, 10L);
    EXPECT_EQ(Played(), Slice(0, 10));
    CVirtualAudio::Use();
    wave.PlayKWave(15L, 1000L);
    EXPECT_EQ(Played(), Slice(15, 20));
    CVirtualAudio::Use();
    wave.PlayKWave(12L, 3L); // an end below the start: nothing beyond the start
    EXPECT_TRUE(Played().empty());
    wave.PlayKWave(25L, 30L); // wholly past the end: nothing, and no complaint
    EXPECT_TRUE(Played().empty());
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST_F(KWavePlay, SecondsAreTruncatedToSamples)
{
    wave.PlayKWave(0.00049, 0.00199); // 3.92 and 15.92 samples
    EXPECT_EQ(Played(), Slice(3, 15));
}

TEST_F(KWavePlay, FailuresShowTheirTextWithTheExclamationIcon)
{
    CKWave missing;
    missing.sPathName = "/nonexistent/kavrel-missing.wav";
    missing.PlayKWave(0L, 10L);
    CString text;
    ASSERT_TRUE(GetMciErrorText(MCIERR_FILE_NOT_FOUND, text));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, text);
    EXPECT_EQ(ui.m_messages[0].nStyle & MB_ICONMASK, unsigned(MB_ICONEXCLAMATION));

    missing.DoNotShowKWaveErrors();
    missing.PlayKWave(0L, 10L);
    EXPECT_EQ(ui.m_messages.size(), 1u);

    // No device: the play command is retried for its three seconds, then
    // reported once.
    CVirtualAudio::SetDeviceCounts(0, 0);
    wave.PlayKWave(0L, 10L);
    ASSERT_TRUE(GetMciErrorText(MCIERR_DEVICE_NOT_INSTALLED, text));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[1].sText, text);
}

TEST_F(KWavePlay, ABusyDeviceIsRetriedAndAnErrorWithoutTextIsStillReported)
{
    CRecordingMci fake;
    fake.nDeviceId = 3;
    fake.nLength = 100;
    IMciService* before = SetMciService(&fake);
    fake.playFailures = 2;
    wave.PlayKWave(-1L, 500L);
    EXPECT_EQ(fake.log, "open waveaudio;format 9;play 0-100;play 0-100;play 0-100;close 3;");
    EXPECT_TRUE(ui.m_messages.empty());

    fake.log.clear();
    fake.openResult = 9999;
    wave.PlayKWave(0L, 5L);
    EXPECT_EQ(fake.log, "open waveaudio;close 3;");
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Неизвестная ошибка воспроизведения звукового файла.");
    SetMciService(before);
}

} // namespace

// Wider, float and many-channel files play as 16-bit samples of their
// first two channels, rounded as the reader rounds them.
TEST(KWavePlayWide, PlaysTheFirstTwoChannelsAs16Bits)
{
    CVirtualAudio::Use();
    KInstallAudioServices();
    CScriptedUserInteraction ui;
    std::vector<int> six;
    for (int i = 0; i < 10; ++i)
        for (int c = 0; c < 6; ++c)
            six.push_back((c + 1) * 256 * (i + 1) + (c == 1 ? 128 : 0)); // channel 1 half a step up
    const std::string path =
        writeFile("play-six.wav", riff({chunk("fmt ", extensibleFmtBody(6, 8000, 24, 24, 0x3F, 1)), chunk("data", samples24(six))}));
    CKWave wave;
    ASSERT_TRUE(wave.OpenKWaveFile(path.c_str(), "play-six"));
    wave.PlayKWave(2L, 5L);
    const std::vector<VirtualPlayedStream>& played = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].Format.wFormatTag, 1);
    EXPECT_EQ(played[0].Format.nChannels, 2);
    EXPECT_EQ(played[0].Format.wBitsPerSample, 16);
    EXPECT_EQ(played[0].Samples16(), (std::vector<short>{3, 7, 4, 9, 5, 11}));
    EXPECT_TRUE(ui.m_messages.empty());
    wave.CloseKWaveFile();
}
