#include "framework/audio/AudioServices.h"
#include "framework/audio/tests/AudioTestSupport.h"

using namespace audiotest;

namespace {

// Whatever the machine has, the counts and the refusals agree; here, with
// no sound card, PortAudio finds nothing and the counts are 0.
TEST(PortAudioBackend, CountsAndOpenAgree)
{
    SelectAudioBackend(EAudioBackend::PortAudio);
    UINT nOut = waveOutGetNumDevs(), nIn = waveInGetNumDevs();
    WAVEFORMATEX fmt = Pcm(8000, 1, 16);
    CWaveMessageQueue queue;
    HWAVEOUT hwo = nullptr;
    HWAVEIN hwi = nullptr;
    EXPECT_EQ(waveOutOpen(&hwo, nOut, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveInOpen(&hwi, nIn, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    if (nOut == 0) {
        EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_NODRIVER);
    }
    if (nIn == 0) {
        EXPECT_EQ(waveInOpen(&hwi, WAVE_MAPPER, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_NODRIVER);
    }
    EXPECT_EQ(queue.Count(), 0u);
    CVirtualAudio::Use();
}

} // namespace
