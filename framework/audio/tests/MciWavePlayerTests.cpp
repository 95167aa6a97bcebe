#include "framework/audio/AudioServices.h"
#include "framework/audio/MciWavePlayer.h"
#include "framework/audio/tests/AudioTestSupport.h"

using namespace audiotest;

namespace {

class MciWavePlayer : public VirtualAudioTest {
protected:
    void TearDown() override { std::remove(path.c_str()); }
    CMciWavePlayer mci;
    std::string path;
};

TEST_F(MciWavePlayer, PlaysARangeOfSamplesAndWaitsForItsEnd)
{
    const std::vector<short> stereo = Ramp(2 * 3000, -3000);
    path = WriteWav16("kavrel-mci-range.wav", 2, 11025, stereo);
    MCIDEVICEID id = 0;
    ASSERT_EQ(mci.Open("WaveAudio", path.c_str(), &id), 0u);
    DWORD length = 0;
    ASSERT_EQ(mci.StatusLength(id, &length), 0u);
    EXPECT_EQ(length, 3000u * 1000 / 11025); // milliseconds until told otherwise
    ASSERT_EQ(mci.SetTimeFormat(id, MCI_FORMAT_SAMPLES), 0u);
    ASSERT_EQ(mci.StatusLength(id, &length), 0u);
    EXPECT_EQ(length, 3000u);

    ASSERT_EQ(mci.PlayWait(id, 100, 2900), 0u);
    auto played = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_FALSE(played[0].bOpen);
    EXPECT_EQ(played[0].Format.nChannels, 2u);
    EXPECT_EQ(played[0].Samples16(), std::vector<short>(stereo.begin() + 200, stereo.begin() + 5800));

    EXPECT_EQ(mci.PlayWait(id, 10, 10), 0u);
    EXPECT_EQ(mci.PlayWait(id, 10, 3001), MCIERR_OUTOFRANGE);
    EXPECT_EQ(mci.PlayWait(id, 20, 10), MCIERR_OUTOFRANGE);
    EXPECT_EQ(CVirtualAudio::PlayedStreams().size(), 1u);
    EXPECT_EQ(mci.SetTimeFormat(id, 77), MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(mci.Close(id), 0u);
    EXPECT_EQ(mci.Close(id), MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MciWavePlayer, FailuresHaveCodesWithTexts)
{
    MCIDEVICEID id = 99;
    EXPECT_EQ(mci.Open("waveaudio", "/nonexistent/kavrel.wav", &id), MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(id, 0u);
    path = WriteWav16("kavrel-mci-fail.wav", 1, 8000, Ramp(10));
    EXPECT_EQ(mci.Open("cdaudio", path.c_str(), &id), MCIERR_INVALID_DEVICE_NAME);

    CVirtualAudio::SetDeviceCounts(0, 0);
    ASSERT_EQ(mci.Open("waveaudio", path.c_str(), &id), 0u);
    ASSERT_EQ(mci.SetTimeFormat(id, MCI_FORMAT_SAMPLES), 0u);
    EXPECT_EQ(mci.PlayWait(id, 0, 5), MCIERR_DEVICE_NOT_INSTALLED);
    EXPECT_EQ(mci.Close(id), 0u);

    CString text;
    for (MCIERROR e : {MCIERR_FILE_NOT_FOUND, MCIERR_DEVICE_NOT_INSTALLED, MCIERR_OUTOFRANGE, MCIERR_INVALID_FILE}) {
        EXPECT_TRUE(mci.GetErrorString(e, text));
        EXPECT_FALSE(text.IsEmpty());
    }
    EXPECT_FALSE(mci.GetErrorString(12345, text));
}

// A data chunk that claims more than the file holds is as long as the file.
TEST_F(MciWavePlayer, LengthIsWhatTheFileHolds)
{
    path = WriteWav16("kavrel-mci-short.wav", 1, 8000, Ramp(40));
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_TRUE(f);
    std::fseek(f, 40, SEEK_SET);
    const unsigned char huge[4] = {0, 0, 0, 0x40};
    std::fwrite(huge, 1, 4, f);
    std::fclose(f);
    MCIDEVICEID id = 0;
    ASSERT_EQ(mci.Open("waveaudio", path.c_str(), &id), 0u);
    mci.SetTimeFormat(id, MCI_FORMAT_SAMPLES);
    DWORD length = 0;
    mci.StatusLength(id, &length);
    EXPECT_EQ(length, 40u);
    EXPECT_EQ(mci.PlayWait(id, 0, 40), 0u);
    EXPECT_EQ(CVirtualAudio::PlayedStreams()[0].Samples16(), Ramp(40));
    mci.Close(id);
}

TEST(MciServiceDefault, RefusesUntilTheAudioServicesAreInstalled)
{
    IMciService* before = SetMciService(nullptr);
    MCIDEVICEID id = 5;
    EXPECT_EQ(MciService().Open("waveaudio", "x.wav", &id), MCIERR_DEVICE_NOT_INSTALLED);
    EXPECT_EQ(id, 0u);
    KInstallAudioServices();
    EXPECT_NE(dynamic_cast<CMciWavePlayer*>(&MciService()), nullptr);
    SetMciService(before);
}

} // namespace
