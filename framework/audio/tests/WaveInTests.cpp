#include "framework/audio/tests/AudioTestSupport.h"

using namespace audiotest;

namespace {

class WaveIn : public WaveDeviceTest<HWAVEIN, waveInOpen, waveInPrepareHeader, waveInAddBuffer, MM_WIM_OPEN> {
protected:
    HWAVEIN& hwi = device;
    std::vector<short> Recorded(const WAVEHDR& h)
    {
        const short* p = reinterpret_cast<const short*>(h.lpData);
        return std::vector<short>(p, p + h.dwBytesRecorded / 2);
    }
};

// The recorder's pattern: buffers come back full with MM_WIM_DATA and are
// queued again; the source's samples arrive in order, none twice.
TEST_F(WaveIn, FilledBuffersCarryTheSourceSamplesInOrder)
{
    CVirtualAudio::SetInputSamples(Ramp(1000, 1));
    Open(fmt);
    std::vector<short> a(100), b(100);
    WAVEHDR ha = Header(a, 0), hb = Header(b, 1);
    Queue(ha);
    Queue(hb);
    CVirtualAudio::AdvanceClockByFrames(8000, 100); // not started: nothing is recorded
    EXPECT_TRUE(Messages().empty());

    ASSERT_EQ(waveInStart(hwi), MMSYSERR_NOERROR);
    CVirtualAudio::AdvanceClockByFrames(8000, 150);
    ASSERT_NO_FATAL_FAILURE(ExpectOnlyMessage(MM_WIM_DATA, ha));
    EXPECT_EQ(ha.dwBytesRecorded, 200u);
    EXPECT_EQ(ha.dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
    EXPECT_EQ(Recorded(ha), Ramp(100, 1));

    ASSERT_EQ(waveInUnprepareHeader(hwi, &ha, sizeof ha), MMSYSERR_NOERROR);
    Queue(ha);
    EXPECT_EQ(ha.dwBytesRecorded, 0u);
    CVirtualAudio::AdvanceClockByFrames(8000, 150);
    auto m = Messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].Header(), &hb);
    EXPECT_EQ(m[1].Header(), &ha);
    EXPECT_EQ(Recorded(hb), Ramp(100, 101));
    EXPECT_EQ(Recorded(ha), Ramp(100, 201));

    // With no buffer queued the signal goes by unrecorded, as on a card.
    CVirtualAudio::AdvanceClockByFrames(8000, 50);
    Queue(hb);
    CVirtualAudio::AdvanceClockByFrames(8000, 100);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Recorded(hb), Ramp(100, 351));
    EXPECT_EQ(waveInClose(hwi), MMSYSERR_NOERROR);
}

TEST_F(WaveIn, StopReturnsThePartlyFilledBufferAndResetReturnsTheRest)
{
    CVirtualAudio::SetInputSamples(Ramp(1000, 1));
    Open(fmt);
    std::vector<short> a(100), b(100), c(100);
    WAVEHDR ha = Header(a), hb = Header(b), hc = Header(c);
    Queue(ha);
    Queue(hb);
    Queue(hc);
    ASSERT_EQ(waveInStart(hwi), MMSYSERR_NOERROR);
    CVirtualAudio::AdvanceClockByFrames(8000, 30);
    ASSERT_EQ(waveInStop(hwi), MMSYSERR_NOERROR);
    auto m = Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].Header(), &ha);
    EXPECT_EQ(Recorded(ha), Ramp(30, 1));
    EXPECT_EQ(hb.dwFlags, DWORD(WHDR_PREPARED | WHDR_INQUEUE));

    CVirtualAudio::AdvanceClockByFrames(8000, 500); // stopped: nothing moves
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(waveInStop(hwi), MMSYSERR_NOERROR); // an empty buffer stays queued
    EXPECT_TRUE(Messages().empty());

    ASSERT_EQ(waveInStart(hwi), MMSYSERR_NOERROR);
    CVirtualAudio::AdvanceClockByFrames(8000, 120);
    m = Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(Recorded(hb), Ramp(100, 31));

    EXPECT_EQ(waveInClose(hwi), WAVERR_STILLPLAYING);
    ASSERT_EQ(waveInReset(hwi), MMSYSERR_NOERROR);
    m = Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].Header(), &hc);
    EXPECT_EQ(Recorded(hc), Ramp(20, 131));
    EXPECT_EQ(hc.dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
    EXPECT_EQ(waveInAddBuffer(hwi, &hc, sizeof hc), MMSYSERR_NOERROR);
    CVirtualAudio::AdvanceClockByFrames(8000, 200); // reset also stops
    EXPECT_TRUE(Messages().empty());
    waveInReset(hwi);
    Messages();
    for (WAVEHDR* h : {&ha, &hb, &hc})
        EXPECT_EQ(waveInUnprepareHeader(hwi, h, sizeof *h), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInAddBuffer(hwi, &ha, sizeof ha), WAVERR_UNPREPARED);
    EXPECT_EQ(waveInClose(hwi), MMSYSERR_NOERROR);
    m = Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, unsigned(MM_WIM_CLOSE));
}

TEST_F(WaveIn, SourcesAreConvertedToTheDeviceFormat)
{
    // 8-bit stereo from a function: unsigned bytes around 128.
    CVirtualAudio::SetInputFunction([](long f, int ch) { return short((ch == 0 ? f : -f) * 256); });
    Open(Pcm(8000, 2, 8));
    std::vector<BYTE> bytes(8);
    WAVEHDR h{};
    h.lpData = reinterpret_cast<char*>(bytes.data());
    h.dwBufferLength = 8;
    Queue(h);
    waveInStart(hwi);
    CVirtualAudio::AdvanceClockByFrames(8000, 4);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(bytes, (std::vector<BYTE>{128, 128, 129, 127, 130, 126, 131, 125}));
    waveInReset(hwi);
    waveInUnprepareHeader(hwi, &h, sizeof h);
    ASSERT_EQ(waveInClose(hwi), MMSYSERR_NOERROR);

    // A mono WAV file into a stereo device: its channel on both, then silence.
    std::string path = WriteWav16("kavrel-audio-input.wav", 1, 8000, {5, -6, 7});
    ASSERT_TRUE(CVirtualAudio::SetInputWaveFile(path.c_str()));
    std::remove(path.c_str());
    Messages();
    Open(Pcm(8000, 2, 16));
    std::vector<short> s(8);
    WAVEHDR hs = Header(s);
    Queue(hs);
    waveInStart(hwi);
    CVirtualAudio::AdvanceClockByFrames(8000, 4);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(s, (std::vector<short>{5, 5, -6, -6, 7, 7, 0, 0}));
    waveInUnprepareHeader(hwi, &hs, sizeof hs);
    EXPECT_EQ(waveInClose(hwi), MMSYSERR_NOERROR);
    EXPECT_FALSE(CVirtualAudio::SetInputWaveFile("/nonexistent/kavrel.wav"));
}

} // namespace
