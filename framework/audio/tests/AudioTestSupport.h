// Shared by the sound tests: formats, a fresh virtual device, and WAV files
// written byte by byte from the 44-byte PCM header layout.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/audio/VirtualAudio.h"
#include "framework/audio/WaveMessageQueue.h"
#include "testsupport/WavBytes.h"

namespace audiotest {

inline WAVEFORMATEX Pcm(DWORD rate, WORD channels, WORD bits)
{
    WORD align = WORD(channels * bits / 8);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

inline std::vector<short> Ramp(int n, int start = 0, int step = 1)
{
    std::vector<short> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = short(start + i * step);
    return v;
}

inline WAVEHDR Header(std::vector<short>& samples, DWORD_PTR user = 0)
{
    WAVEHDR h{};
    h.lpData = reinterpret_cast<char*>(samples.data());
    h.dwBufferLength = DWORD(samples.size() * 2);
    h.dwUser = user;
    return h;
}

inline std::string WriteWav16(const std::string& name, WORD channels, DWORD rate, const std::vector<short>& s)
{
    return wavbytes::writeFile(name, wavbytes::pcm16s(channels, rate, s));
}

class VirtualAudioTest : public ::testing::Test {
protected:
    void SetUp() override { CVirtualAudio::Use(); }
    std::vector<WaveMessage> Messages() { return queue.Take(); }
    CWaveMessageQueue queue;
};

// One direction's device opened on the fixture's queue, and buffers handed
// to it: prepared, then queued (waveOutWrite to play, waveInAddBuffer to fill).
template <class H, MMRESULT (*OpenDevice)(H*, UINT, const WAVEFORMATEX*, IWaveNotifySink*, DWORD_PTR, DWORD),
          MMRESULT (*PrepareHeader)(H, WAVEHDR*, UINT), MMRESULT (*QueueHeader)(H, WAVEHDR*, UINT), UINT OpenMessage>
class WaveDeviceTest : public VirtualAudioTest {
protected:
    // The open succeeds and its message is the only one.
    void Open(const WAVEFORMATEX& f)
    {
        ASSERT_EQ(OpenDevice(&device, WAVE_MAPPER, &f, &queue, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
        auto m = Messages();
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].message, OpenMessage);
    }
    void Queue(WAVEHDR& h)
    {
        ASSERT_EQ(PrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
        ASSERT_EQ(QueueHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
    }
    // The one message since the last look: message, from this device, for buffer h.
    void ExpectOnlyMessage(UINT message, const WAVEHDR& h)
    {
        auto m = Messages();
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].message, message);
        EXPECT_EQ(m[0].device, WPARAM(device));
        EXPECT_EQ(m[0].Header(), &h);
    }
    H device = nullptr;
    WAVEFORMATEX fmt = Pcm(8000, 1, 16);
};

} // namespace audiotest
