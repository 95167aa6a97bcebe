#include "framework/audio/tests/AudioTestSupport.h"

using namespace audiotest;

// A failure asked of the simulated device comes once, in place of the
// call's own work, and the device goes on as before.
TEST_F(VirtualAudioTest, AskedForBufferFailuresComeOnce)
{
    HWAVEOUT hwo = nullptr;
    const WAVEFORMATEX f = Pcm(8000, 1, 16);
    ASSERT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &f, &queue, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    std::vector<short> a = Ramp(10);
    WAVEHDR h = Header(a);
    CVirtualAudio::FailNextPrepare(MMSYSERR_NOMEM);
    EXPECT_EQ(waveOutPrepareHeader(hwo, &h, sizeof h), MMRESULT(MMSYSERR_NOMEM));
    EXPECT_EQ(h.dwFlags, 0u);
    EXPECT_EQ(waveOutPrepareHeader(hwo, &h, sizeof h), MMRESULT(MMSYSERR_NOERROR));
    CVirtualAudio::FailNextWrite(MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(hwo, &h, sizeof h), MMRESULT(MMSYSERR_INVALHANDLE));
    EXPECT_EQ(h.dwFlags, DWORD(WHDR_PREPARED));
    EXPECT_EQ(waveOutWrite(hwo, &h, sizeof h), MMRESULT(MMSYSERR_NOERROR));
    CVirtualAudio::AdvanceClockByFrames(8000, 10);
    EXPECT_EQ(CVirtualAudio::PlayedStreams().at(0).Samples16(), a);
    EXPECT_EQ(waveOutUnprepareHeader(hwo, &h, sizeof h), MMRESULT(MMSYSERR_NOERROR));
    EXPECT_EQ(waveOutClose(hwo), MMRESULT(MMSYSERR_NOERROR));
}
