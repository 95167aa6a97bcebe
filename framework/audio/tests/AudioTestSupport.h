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

} // namespace audiotest
