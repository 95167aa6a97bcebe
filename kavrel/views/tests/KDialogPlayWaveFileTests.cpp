#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>

#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KDialogPlayWaveFile.h"

using namespace wavbytes;

namespace {

// Lets simulated time pass and the posted notifications arrive, until the
// window stops or the time is up.
void playToTheEnd(CMciWnd& m, int maxSteps = 400)
{
    for (int i = 0; i < maxSteps && m.IsPlaying(); ++i) {
        CVirtualAudio::AdvanceClock(std::chrono::milliseconds(50));
        QApplication::processEvents();
    }
}

} // namespace

TEST(KDialogPlayWaveFile, PlaysTheWholeFile)
{
    CVirtualAudio::Use();
    std::vector<int> x(30000);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = int(i % 2000) - 1000;
    std::string path = writeFile("play-whole.wav", pcm16(1, 16000, x));
    CScriptedUserInteraction ui;
    CKDialogPlayWaveFile dlg;
    dlg.sPathName = path.c_str();
    dlg.sTitle = "Воспроизведение";
    CString shownPath, caption, elapsed;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        auto& play = static_cast<CKDialogPlayWaveFile&>(d);
        shownPath = d.GetDlgItemText(5001);
        caption = d.GetWindowText();
        ASSERT_EQ(play.MediaWindow.GetLength(), 30000);
        ASSERT_TRUE(play.MediaWindow.Play());
        playToTheEnd(play.MediaWindow);
        elapsed = play.MediaWindow.GetElapsedText();
        d.ClickDlgButton(IDOK);
    });
    dlg.DoModal();
    SetDialogDriver(old);
    EXPECT_EQ(shownPath, path.c_str());
    EXPECT_EQ(caption, "Воспроизведение");
    EXPECT_EQ(elapsed, "0:01.9 / 0:01.9");
    auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].Format.nSamplesPerSec, 16000u);
    std::vector<short> played = streams[0].Samples16();
    ASSERT_EQ(played.size(), x.size());
    for (size_t i = 0; i < x.size(); ++i)
        ASSERT_EQ(played[i], x[i]) << i;
    EXPECT_FALSE(streams[0].bOpen);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KDialogPlayWaveFile, PauseHoldsAndStopRewinds)
{
    CVirtualAudio::Use();
    std::string path = writeFile("play-pause.wav", pcm16(2, 8000, std::vector<int>(2 * 16000, 7)));
    CMciWnd m;
    ASSERT_TRUE(m.Create(nullptr, path.c_str()));
    ASSERT_TRUE(m.Play());
    CVirtualAudio::AdvanceClock(std::chrono::milliseconds(300));
    QApplication::processEvents();
    m.Pause();
    EXPECT_FALSE(m.IsPlaying());
    const long atPause = m.GetPosition();
    for (int i = 0; i < 20; ++i) {
        CVirtualAudio::AdvanceClock(std::chrono::milliseconds(100));
        QApplication::processEvents();
    }
    long held = m.GetPosition();
    // While paused nothing more is queued: what was queued (two quarter
    // seconds at most) plays out, then the position holds.
    EXPECT_LE(held, atPause + 2 * 2001);
    EXPECT_LT(held, 16000);
    CVirtualAudio::AdvanceClock(std::chrono::seconds(2));
    QApplication::processEvents();
    EXPECT_EQ(m.GetPosition(), held);
    ASSERT_TRUE(m.Play());
    playToTheEnd(m);
    EXPECT_EQ(m.GetPosition(), 16000);
    EXPECT_EQ(CVirtualAudio::PlayedStreams()[0].Samples16().size(), 32000u); // both channels
}

TEST(KDialogPlayWaveFile, NoDeviceSaysSo)
{
    CVirtualAudio::Use();
    CVirtualAudio::SetDeviceCounts(0, 0);
    std::string path = writeFile("play-none.wav", pcm16(1, 8000, std::vector<int>(100, 0)));
    CScriptedUserInteraction ui;
    CMciWnd m;
    ASSERT_TRUE(m.Create(nullptr, path.c_str()));
    EXPECT_FALSE(m.Play());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Нет ни одного свободного устройства воспроизведения звука.");
    EXPECT_EQ(ui.m_messages[0].sCaption, "Ошибка на звуковой плате");
    CVirtualAudio::Use();
}
