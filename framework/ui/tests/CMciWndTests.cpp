// The media window: a whole file to the device and back to stopped.
#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CMciWnd.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/WavBytes.h"

namespace {

std::string writeWave(const char* name, unsigned channels, unsigned rate, const std::vector<short>& samples)
{
    return wavbytes::writeFile(name, wavbytes::pcm16s(channels, rate, samples));
}

} // namespace

TEST(CMciWnd, PlaysTheWholeFileAndStopsAtItsEnd)
{
    ktest::EnsureQtApplication();
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
    ktest::EnsureQtApplication();
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

TEST(CMciWnd, AFloatFileOfFourChannelsPlaysItsFirstTwoAs16Bits)
{
    ktest::EnsureQtApplication();
    CVirtualAudio::Use();
    wavbytes::Bytes data;
    std::vector<short> expected;
    for (int i = 0; i < 3000; ++i) {
        for (int c = 0; c < 4; ++c) {
            const float v = float((i % 200) - 100 + 1000 * c) / 32768.f;
            std::uint32_t u;
            std::memcpy(&u, &v, 4);
            wavbytes::put32(data, u);
            if (c < 2)
                expected.push_back(short((i % 200) - 100 + 1000 * c));
        }
    }
    const std::string path = wavbytes::writeFile(
        "mciwnd-float4.wav", wavbytes::riff({wavbytes::chunk("fmt ", wavbytes::extensibleFmtBody(4, 8000, 32, 32, 0x33, 3)),
                                             wavbytes::chunk("data", data)}));
    CScriptedUserInteraction ui;
    CMciWnd w;
    ASSERT_TRUE(w.Create(nullptr, path.c_str()));
    EXPECT_EQ(w.GetLength(), 3000);
    ASSERT_TRUE(w.Play());
    for (int i = 0; i < 100 && w.IsPlaying(); ++i) {
        CVirtualAudio::AdvanceClock(std::chrono::milliseconds(100));
        QApplication::processEvents();
    }
    auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].Format.nChannels, 2);
    EXPECT_EQ(streams[0].Format.wBitsPerSample, 16);
    EXPECT_EQ(streams[0].Samples16(), expected);
    EXPECT_TRUE(ui.m_messages.empty());
}
