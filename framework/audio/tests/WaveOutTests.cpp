#include "framework/audio/tests/AudioTestSupport.h"

using namespace audiotest;

namespace {

class WaveOut : public WaveDeviceTest<HWAVEOUT, waveOutOpen, waveOutPrepareHeader, waveOutWrite, MM_WOM_OPEN> {
protected:
    HWAVEOUT& hwo = device;
};

TEST_F(WaveOut, BuffersComeBackDoneInOrderWhenTheClockPassesTheirEnd)
{
    Open(fmt);
    std::vector<short> a = Ramp(100, 1), b = Ramp(50, -500, 3);
    WAVEHDR ha = Header(a, 7), hb = Header(b, 8);
    Queue(ha);
    Queue(hb);
    EXPECT_EQ(ha.dwFlags, DWORD(WHDR_PREPARED | WHDR_INQUEUE));

    CVirtualAudio::AdvanceClockByFrames(8000, 99);
    EXPECT_TRUE(Messages().empty());
    CVirtualAudio::AdvanceClockByFrames(8000, 1);
    ASSERT_NO_FATAL_FAILURE(ExpectOnlyMessage(MM_WOM_DONE, ha));
    EXPECT_EQ(ha.dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
    EXPECT_EQ(ha.dwUser, 7u);

    CVirtualAudio::AdvanceClockByFrames(8000, 60);
    auto m = Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].Header(), &hb);

    auto played = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].nDevice, WAVE_MAPPER);
    EXPECT_EQ(played[0].Format.nSamplesPerSec, 8000u);
    std::vector<short> both = a;
    both.insert(both.end(), b.begin(), b.end());
    EXPECT_EQ(played[0].Samples16(), both);

    EXPECT_EQ(waveOutUnprepareHeader(hwo, &ha, sizeof ha), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(hwo, &hb, sizeof hb), MMSYSERR_NOERROR);
    EXPECT_EQ(ha.dwFlags, DWORD(WHDR_DONE));
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    m = Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, unsigned(MM_WOM_CLOSE));
    EXPECT_FALSE(CVirtualAudio::PlayedStreams()[0].bOpen);
}

// The playback dialog's pattern: two buffers, each refilled and written
// again from the handler of its MM_WOM_DONE until the source runs out.
TEST_F(WaveOut, BuffersRefilledFromTheirDoneMessagePlayTheWholeSource)
{
    Open(fmt);
    const std::vector<short> source = Ramp(350, 100, 2);
    size_t next = 0;
    std::vector<short> buf[2] = {std::vector<short>(100), std::vector<short>(100)};
    WAVEHDR h[2]{};
    int queued = 0;
    auto refill = [&](int i) {
        size_t n = std::min<size_t>(100, source.size() - next);
        std::copy(source.begin() + long(next), source.begin() + long(next + n), buf[i].begin());
        next += n;
        h[i] = WAVEHDR{};
        h[i].lpData = reinterpret_cast<char*>(buf[i].data());
        h[i].dwBufferLength = DWORD(2 * n);
        h[i].dwUser = DWORD_PTR(i);
        Queue(h[i]);
        ++queued;
    };
    refill(0);
    refill(1);
    for (int step = 0; step < 20 && queued > 0; ++step) {
        CVirtualAudio::AdvanceClockByFrames(8000, 30);
        queue.Deliver([&](const WaveMessage& m) {
            ASSERT_EQ(m.message, unsigned(MM_WOM_DONE));
            --queued;
            if (next < source.size())
                refill(int(m.Header()->dwUser));
        });
    }
    EXPECT_EQ(queued, 0);
    EXPECT_EQ(CVirtualAudio::PlayedStreams()[0].Samples16(), source);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, ResetReturnsEveryQueuedBufferAndStopsPlaying)
{
    Open(fmt);
    std::vector<short> s[3] = {Ramp(100, 0), Ramp(100, 1000), Ramp(100, 2000)};
    WAVEHDR h[3] = {Header(s[0]), Header(s[1]), Header(s[2])};
    for (WAVEHDR& x : h)
        Queue(x);
    CVirtualAudio::AdvanceClockByFrames(8000, 150);
    EXPECT_EQ(waveOutClose(hwo), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(hwo, &h[1], sizeof h[1]), WAVERR_STILLPLAYING);

    EXPECT_EQ(waveOutReset(hwo), MMSYSERR_NOERROR);
    auto m = Messages();
    ASSERT_EQ(m.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m[size_t(i)].message, unsigned(MM_WOM_DONE));
        EXPECT_EQ(m[size_t(i)].Header(), &h[i]);
        EXPECT_EQ(h[i].dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
    }
    CVirtualAudio::AdvanceClockByFrames(8000, 500);
    EXPECT_TRUE(Messages().empty());
    std::vector<short> expected = s[0];
    expected.insert(expected.end(), s[1].begin(), s[1].begin() + 50);
    EXPECT_EQ(CVirtualAudio::PlayedStreams()[0].Samples16(), expected);

    // After a reset the device plays a new buffer from its start.
    Queue(h[2]);
    CVirtualAudio::AdvanceClockByFrames(8000, 100);
    EXPECT_EQ(Messages().size(), 1u);
    for (WAVEHDR& x : h)
        EXPECT_EQ(waveOutUnprepareHeader(hwo, &x, sizeof x), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, RefusesWhatThePlatformRefuses)
{
    std::vector<short> s = Ramp(10);
    WAVEHDR h = Header(s);
    WAVEFORMATEX bad = Pcm(8000, 1, 24);
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &bad, &queue, 0, CALLBACK_WINDOW), WAVERR_BADFORMAT);
    bad = fmt;
    bad.nBlockAlign = 4;
    EXPECT_EQ(waveOutOpen(&hwo, 0, &bad, &queue, 0, CALLBACK_WINDOW), WAVERR_BADFORMAT);
    EXPECT_EQ(waveOutOpen(&hwo, 1, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutOpen(nullptr, 0, &fmt, nullptr, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    EXPECT_TRUE(CVirtualAudio::PlayedStreams().empty()); // a query opens nothing

    Open(fmt);
    EXPECT_EQ(waveOutWrite(hwo, &h, sizeof h), WAVERR_UNPREPARED);
    Queue(h);
    EXPECT_EQ(waveOutWrite(hwo, &h, sizeof h), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutPrepareHeader(hwo, &h, sizeof h), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutPrepareHeader(hwo, &h, sizeof h - 1), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutReset(hwo), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    // The handle is dead now; nothing of it is used.
    EXPECT_EQ(waveOutReset(hwo), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(nullptr, &h, sizeof h), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOut, WithoutDevicesTheCountsAreZeroAndOpenFails)
{
    setenv("KAVREL_AUDIO_DEVICES", "0", 1);
    CVirtualAudio::Use();
    unsetenv("KAVREL_AUDIO_DEVICES");
    EXPECT_EQ(waveOutGetNumDevs(), 0u);
    EXPECT_EQ(waveInGetNumDevs(), 0u);
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutOpen(&hwo, 0, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    HWAVEIN hwi = nullptr;
    EXPECT_EQ(waveInOpen(&hwi, WAVE_MAPPER, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_NODRIVER);
    EXPECT_TRUE(Messages().empty());

    CVirtualAudio::SetDeviceCounts(2, 1);
    EXPECT_EQ(waveOutGetNumDevs(), 2u);
    CVirtualAudio::FailNextOpen(MMSYSERR_ALLOCATED);
    EXPECT_EQ(waveOutOpen(&hwo, 1, &fmt, &queue, 0, CALLBACK_WINDOW), MMSYSERR_ALLOCATED);
    Open(fmt);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
}

} // namespace
