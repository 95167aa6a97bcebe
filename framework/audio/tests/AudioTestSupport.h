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

// RIFF, size, WAVE, "fmt ", 16, tag, channels, rate, bytes/s, align, bits, "data", size, samples.
inline std::string WriteWav16(const std::string& name, WORD channels, DWORD rate, const std::vector<short>& s)
{
    std::vector<unsigned char> b;
    auto put = [&](unsigned long v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back((unsigned char)(v >> (8 * i)));
    };
    auto id = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    DWORD data = DWORD(s.size() * 2);
    id("RIFF"), put(36 + data, 4), id("WAVE");
    id("fmt "), put(16, 4), put(1, 2), put(channels, 2), put(rate, 4), put(rate * channels * 2, 4);
    put(channels * 2, 2), put(16, 2);
    id("data"), put(data, 4);
    for (short v : s)
        put((unsigned short)v, 2);
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    return path;
}

class VirtualAudioTest : public ::testing::Test {
protected:
    void SetUp() override { CVirtualAudio::Use(); }
    std::vector<WaveMessage> Messages() { return queue.Take(); }
    CWaveMessageQueue queue;
};

} // namespace audiotest
