// The media window: a whole file to the device and back to stopped.
#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CMciWnd.h"
#include "framework/ui/tests/UiTestApp.h"

namespace {

// A 16-bit PCM WAV file, byte by byte.
std::string writeWave(const char* name, unsigned channels, unsigned rate, const std::vector<short>& samples)
{
    auto put = [](std::string& s, unsigned v, int n) {
        for (int i = 0; i < n; ++i)
            s += char((v >> (8 * i)) & 0xFF);
    };
    std::string b = "RIFF";
    put(b, unsigned(36 + samples.size() * 2), 4);
    b += "WAVEfmt ";
    put(b, 16, 4);
    put(b, 1, 2);
    put(b, channels, 2);
    put(b, rate, 4);
    put(b, rate * 2 * channels, 4);
    put(b, 2 * channels, 2);
    put(b, 16, 2);
    b += "data";
    put(b, unsigned(samples.size() * 2), 4);
    for (short s : samples)
        put(b, unsigned(std::uint16_t(s)), 2);
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

} // namespace

TEST(CMciWnd, PlaysTheWholeFileAndStopsAtItsEnd)
{
    EnsureUiTestApplication();
    CVirtualAudio::Use();
    std::vector<short> x(12000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = short(int(i % 300) - 150);
    std::string path = writeWave("mciwnd-mono.wav", 1, 8000, x);
    CScriptedUserInteraction ui;
    CMciWnd w;
    ASSERT_TRUE(w.Create(nullptr, path.c_str()));
    EXPECT_EQ(w.GetLength(), 12000);
    ASSERT_TRUE(w.Play());
    EXPECT_TRUE(w.IsPlaying());
    for (int i = 0; i < 100 && w.IsPlaying(); ++i) {
        CVirtualAudio::AdvanceClock(std::chrono::milliseconds(100));
        QApplication::processEvents();
    }
    EXPECT_FALSE(w.IsPlaying());
    auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].Format.nSamplesPerSec, 8000u);
    EXPECT_EQ(streams[0].Samples16(), x);
    EXPECT_FALSE(streams[0].bOpen);
    // Again from the start; Stop ends it at once.
    ASSERT_TRUE(w.Play());
    w.Stop();
    EXPECT_FALSE(w.IsPlaying());
    EXPECT_FALSE(CVirtualAudio::PlayedStreams()[1].bOpen);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(CMciWnd, WhatCannotBePlayed)
{
    EnsureUiTestApplication();
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    CMciWnd missing;
    EXPECT_FALSE(missing.Create(nullptr, "/nonexistent/none.wav"));
    EXPECT_FALSE(missing.Play());
    EXPECT_EQ(missing.GetLength(), 0);

    CVirtualAudio::SetDeviceCounts(0, 0);
    CMciWnd w;
    ASSERT_TRUE(w.Create(nullptr, writeWave("mciwnd-nodev.wav", 2, 8000, std::vector<short>(200, 5)).c_str()));
    EXPECT_EQ(w.GetLength(), 100);
    EXPECT_FALSE(w.Play());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Нет ни одного свободного устройства воспроизведения звука.");
    CVirtualAudio::Use();
}
