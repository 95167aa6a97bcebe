#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <chrono>
#include <functional>

#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/views/KDialogPlayFilmViewFragment.h"
#include "kavrel/views/tests/ViewTestSupport.h"

namespace {

constexpr int kScreen = 5081, kFragment = 5097, kStop = 5082;
using Dlg = CKDialogPlayFilmViewFragment;

// Lets simulated time pass a tenth of a second at a time and the device's
// notices arrive, until the dialog stops playing.
void playToTheEnd(Dlg& d, DWORD rate, int maxSteps = 200)
{
    for (int i = 0; i < maxSteps && d.IsPlaying(); ++i) {
        CVirtualAudio::AdvanceClockByFrames(rate, long(rate / 10));
        QApplication::processEvents();
    }
}

INT_PTR run(Dlg& dlg, const std::function<void(Dlg&)>& script)
{
    DialogDriver old = SetDialogDriver([&](CDialog& d) { script(static_cast<Dlg&>(d)); });
    INT_PTR r = dlg.DoModal();
    SetDialogDriver(old);
    QApplication::processEvents(); // late notices of a closed dialog go nowhere
    return r;
}

std::vector<int> ramp(size_t n, int step)
{
    std::vector<int> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = int((long(i) * step) % 40000) - 20000;
    return x;
}

// What the gain does to a sample, written out from its rule.
short gained(int x, int g, long& clipped)
{
    long v = long(x) * (1L << g);
    if (g > 0 && v >= 32767) {
        ++clipped;
        return 32767;
    }
    if (g > 0 && v < -32767) {
        ++clipped;
        return -32768;
    }
    return short(v);
}

} // namespace

TEST(KDialogPlayFilmViewFragment, FragmentPlaysWithTheGainAndCountsClips)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    const std::vector<int> x = ramp(30000, 7); // −20000 … 19999
    CSonogramOnFile s("fragment-gain.wav", 1, 8000, x, 1024, 64);
    ASSERT_TRUE(s.bOpen);
    s.film.SetSelectedFragmentAbsCadres(10, 200); // step 102: samples 1020 … 20400, 2.4 buffers
    CString idleText, clipText;
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        // It opens at +0 dB, and only that is chosen.
        for (int id = 5083; id <= 5096; ++id)
            EXPECT_EQ(d.IsDlgButtonChecked(id), id == 5083 ? BST_CHECKED : BST_UNCHECKED) << id;
        EXPECT_EQ(d.IsDlgButtonChecked(5113), BST_UNCHECKED);
        idleText = d.GetDlgItemText(5099);
        EXPECT_TRUE(d.GetDlgItem(kScreen)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(kStop)->IsWindowEnabled());
        d.ClickDlgButton(5084); // +6 dB
        d.ClickDlgButton(kFragment);
        EXPECT_TRUE(d.IsPlaying());
        EXPECT_EQ(d.nQueued, 2);
        EXPECT_FALSE(d.GetDlgItem(kFragment)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(kStop)->IsWindowEnabled());
        playToTheEnd(d, 8000);
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_TRUE(d.GetDlgItem(kFragment)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(kStop)->IsWindowEnabled());
        clipText = d.GetDlgItemText(5099);
        d.ClickDlgButton(IDCANCEL);
    });
    EXPECT_EQ(idleText, "0 (0.0 %)");
    long clipped = 0;
    std::vector<short> expected;
    for (long i = 1020; i < 20400; ++i)
        expected.push_back(gained(x[size_t(i)], 1, clipped));
    auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].Format.nChannels, 1);
    EXPECT_EQ(streams[0].Format.nSamplesPerSec, 8000u);
    EXPECT_EQ(streams[0].Samples16(), expected);
    EXPECT_FALSE(streams[0].bOpen);
    // Doubling clips everything at or beyond half the scale: by hand,
    // samples ≥ 16384 or < −16383 of the 19380 played.
    long byHand = 0;
    for (long i = 1020; i < 20400; ++i)
        byHand += (x[size_t(i)] >= 16384 || x[size_t(i)] < -16383) ? 1 : 0;
    EXPECT_EQ(clipped, byHand);
    CString text;
    text.Format("%li (%.1f %%)", byHand, 100.0 * double(byHand) / 19380.0);
    EXPECT_EQ(clipText, text);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KDialogPlayFilmViewFragment, HighestGainClipsAlmostEverything)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    std::vector<int> x = ramp(9000, 13);
    x[100] = 0; // zero stays zero at any gain
    CSonogramOnFile s("fragment-84.wav", 1, 8000, x, 1024, 64);
    s.film.SetSelectedFragmentAbsCadres(0, 50); // samples 0 … 5100
    CString clipText;
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        d.ClickDlgButton(5113); // +84 dB
        d.ClickDlgButton(kFragment);
        playToTheEnd(d, 8000);
        clipText = d.GetDlgItemText(5099);
    });
    EXPECT_EQ(clipText, "5099 (100.0 %)");
}

TEST(KDialogPlayFilmViewFragment, ShortFragmentQueuesOneHeaderAndStopsOnItsReturn)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    const std::vector<int> x = ramp(20000, 3);
    CSonogramOnFile s("fragment-short.wav", 1, 16000, x, 1024, 64);
    s.film.SetSelectedFragmentAbsCadres(3, 8); // 510 samples
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        d.ClickDlgButton(kFragment);
        EXPECT_EQ(d.nQueued, 1);
        EXPECT_EQ(d.WaveHeader[0].dwBufferLength, 1020u);
        EXPECT_EQ(d.WaveHeader[0].dwUser, 510u);
        CVirtualAudio::AdvanceClockByFrames(16000, 510);
        QApplication::processEvents();
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_FALSE(CVirtualAudio::PlayedStreams().at(0).bOpen);
    });
    std::vector<short> played = CVirtualAudio::PlayedStreams().at(0).Samples16();
    ASSERT_EQ(played.size(), 510u);
    EXPECT_EQ(played.front(), x[306]);
    EXPECT_EQ(played.back(), x[815]);
}

TEST(KDialogPlayFilmViewFragment, StereoPlaysTheFilmsChannel)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    std::vector<int> lr(2 * 12000);
    for (size_t i = 0; i < 12000; ++i) {
        lr[2 * i] = int(i % 1000);
        lr[2 * i + 1] = -int(i % 777);
    }
    CSonogramOnFile s("fragment-stereo.wav", 2, 11025, lr, 1024, 64);
    s.film.nChannel = 1;
    s.film.SetSelectedFragmentAbsCadres(0, 20); // samples 0 … 2040
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        d.ClickDlgButton(kFragment);
        playToTheEnd(d, 11025);
    });
    auto stream = CVirtualAudio::PlayedStreams().at(0);
    EXPECT_EQ(stream.Format.nChannels, 1);
    EXPECT_EQ(stream.Format.nSamplesPerSec, 11025u);
    EXPECT_EQ(stream.Format.nBlockAlign, 2);
    EXPECT_EQ(stream.Format.nAvgBytesPerSec, 22050u);
    std::vector<short> played = stream.Samples16();
    ASSERT_EQ(played.size(), 2040u);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], -int(i % 777)) << i;
}

TEST(KDialogPlayFilmViewFragment, ScreenPlaysTheVisibleCadresCutAtTheEnd)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    const std::vector<int> x = ramp(4000, 5);
    // The visible columns (one cadre of 102 samples each) reach past the 4000 of the sound.
    CSonogramOnFile s("fragment-screen.wav", 1, 8000, x, 1024, 64);
    ASSERT_GT(s.view->nColumns * 102, 4000);
    ASSERT_EQ(s.view->GetScrollPosition().x, 0);
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        d.ClickDlgButton(kScreen);
        EXPECT_EQ(d.nEndSample, 4000);
        playToTheEnd(d, 8000);
        // A fragment wholly past the end plays nothing and opens nothing.
        d.StartPlaying(6000, 7000);
        EXPECT_FALSE(d.IsPlaying());
    });
    auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    std::vector<short> played = streams[0].Samples16();
    ASSERT_EQ(played.size(), 4000u);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], x[i]) << i;

    // Scrolled on, the screen starts at the first visible cadre.
    CVirtualAudio::Use();
    const std::vector<int> y = ramp(40000, 9);
    CSonogramOnFile longer("fragment-screen-long.wav", 1, 8000, y, 1024, 64);
    longer.view->ScrollToPosition(CPoint(30, 0));
    ASSERT_EQ(longer.view->GetScrollPosition().x, 30);
    const long columns = longer.view->nColumns;
    Dlg scrolled(longer.view.get());
    run(scrolled, [&](Dlg& d) {
        d.ClickDlgButton(kScreen);
        playToTheEnd(d, 8000);
    });
    played = CVirtualAudio::PlayedStreams().at(0).Samples16();
    ASSERT_EQ(long(played.size()), columns * 102);
    EXPECT_EQ(played.front(), y[3060]);
    EXPECT_EQ(played.back(), y[size_t((30 + columns) * 102 - 1)]);
}

TEST(KDialogPlayFilmViewFragment, ClosingDuringPlaybackStopsFirst)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    const std::vector<int> x = ramp(40000, 11);
    CSonogramOnFile s("fragment-close.wav", 1, 8000, x, 1024, 64);
    s.film.SetSelectedFragmentAbsCadres(0, 380); // 38760 samples, almost 5 s
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        d.ClickDlgButton(kFragment);
        CVirtualAudio::AdvanceClockByFrames(8000, 12000);
        QApplication::processEvents();
        EXPECT_TRUE(d.IsPlaying());
        d.ClickDlgButton(IDCANCEL);
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_FALSE(d.pBuffer[0]);
        EXPECT_FALSE(CVirtualAudio::PlayedStreams().at(0).bOpen);
    });
    EXPECT_TRUE(ui.m_messages.empty());
    // Stop and play again at once: the first device's late notices do not
    // disturb the second playback.
    Dlg again(s.view.get());
    run(again, [&](Dlg& d) {
        d.ClickDlgButton(kFragment);
        d.ClickDlgButton(kStop);
        d.ClickDlgButton(kFragment);
        EXPECT_EQ(d.nQueued, 2);
        QApplication::processEvents();
        EXPECT_EQ(d.nQueued, 2);
        EXPECT_TRUE(d.IsPlaying());
        playToTheEnd(d, 8000, 600);
        EXPECT_FALSE(d.IsPlaying());
    });
    auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 3u);
    std::vector<short> played = streams[2].Samples16();
    ASSERT_EQ(played.size(), 38760u);
    EXPECT_EQ(played[20000], x[20000]);
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KDialogPlayFilmViewFragment, DeviceErrorsAreReportedInRussianWithTheirReasons)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    CSonogramOnFile s("fragment-errors.wav", 1, 8000, ramp(40000, 1), 1024, 64);
    s.film.SetSelectedFragmentAbsCadres(0, 10);
    CVirtualAudio::SetDeviceCounts(0, 0);
    Dlg dlg(s.view.get());
    run(dlg, [&](Dlg& d) {
        d.ClickDlgButton(kFragment);
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_TRUE(d.GetDlgItem(kFragment)->IsWindowEnabled());
        CVirtualAudio::SetDeviceCounts(1, 1);
        const MMRESULT codes[] = {MMSYSERR_BADDEVICEID, MMSYSERR_ALLOCATED, MMSYSERR_NODRIVER, MMSYSERR_NOMEM,
                                  WAVERR_BADFORMAT, MMSYSERR_ERROR};
        for (MMRESULT code : codes) {
            CVirtualAudio::FailNextOpen(code);
            d.ClickDlgButton(kFragment);
            EXPECT_FALSE(d.IsPlaying());
        }
    });
    ASSERT_EQ(ui.m_messages.size(), 7u);
    EXPECT_EQ(ui.m_messages[0].sText, "Нет ни одного свободного устройства воспроизведения звука.");
    const char* open = "Не удалось открыть звуковое устройство.\n\n";
    const char* reasons[] = {" K - Specified device identifier is out of range.", "Specified resource is already allocated.",
                             " K - No device driver is present.", " K - Unable to allocate or lock memory.",
                             " K - Attempted to open with an unsupported waveform-audio format.", ""};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(ui.m_messages[size_t(k + 1)].sText, CString(open) + reasons[k]) << k;
    for (const auto& m : ui.m_messages)
        EXPECT_EQ(m.sCaption, "Ошибка на звуковой плате");

    // Prepare and write failures: at the start the buttons stay as for
    // playing, so that "Стоп" ends the attempt.
    ui.m_messages.clear();
    s.film.SetSelectedFragmentAbsCadres(0, 100); // 10200 samples: two buffers
    Dlg failing(s.view.get());
    run(failing, [&](Dlg& d) {
        CVirtualAudio::FailNextPrepare(MMSYSERR_NODRIVER);
        d.ClickDlgButton(kFragment);
        EXPECT_TRUE(d.IsPlaying());
        EXPECT_EQ(d.nQueued, 0);
        EXPECT_TRUE(d.GetDlgItem(kStop)->IsWindowEnabled());
        d.ClickDlgButton(kStop);
        EXPECT_FALSE(d.IsPlaying());
        CVirtualAudio::FailNextWrite(MMSYSERR_NOMEM);
        d.ClickDlgButton(kFragment);
        EXPECT_EQ(d.nQueued, 0);
        d.ClickDlgButton(kStop);
        // While playing: the refill of a returned buffer.
        s.film.SetSelectedFragmentAbsCadres(0, 300); // 30600 samples: almost four buffers
        d.ClickDlgButton(kFragment);
        EXPECT_EQ(d.nQueued, 2);
        CVirtualAudio::FailNextPrepare(MMSYSERR_INVALHANDLE);
        CVirtualAudio::AdvanceClockByFrames(8000, 8000);
        QApplication::processEvents();
        EXPECT_EQ(d.nQueued, 1);
        CVirtualAudio::FailNextWrite(WAVERR_UNPREPARED);
        CVirtualAudio::AdvanceClockByFrames(8000, 8000);
        QApplication::processEvents();
        EXPECT_EQ(d.nQueued, 0);
        EXPECT_TRUE(d.IsPlaying()); // sound is left: "Стоп" ends it
        d.ClickDlgButton(kStop);
        EXPECT_FALSE(d.IsPlaying());
    });
    ASSERT_EQ(ui.m_messages.size(), 4u);
    EXPECT_EQ(ui.m_messages[0].sText, "Не удалось приготовить WaveHeader [ 0 ].\n\nNo device driver is present.");
    EXPECT_EQ(ui.m_messages[1].sText,
              "Не удалось добавить звуковой буфер - waveOutAddBuffer.\n\nUnable to allocate or lock memory.");
    EXPECT_EQ(ui.m_messages[2].sText, "Не удалось приготовить pCurrentWaveHeader.\n\nSpecified device handle is invalid.");
    EXPECT_EQ(ui.m_messages[3].sText, "Не удалось добавить звуковой буфер - waveOutAddBuffer.\n\n"
                                      "The buffer pointed to by the pwh parameter hasn't been prepared.");
    for (const auto& m : ui.m_messages)
        EXPECT_EQ(m.sCaption, "Ошибка на звуковой плате");
    for (const auto& stream : CVirtualAudio::PlayedStreams())
        EXPECT_FALSE(stream.bOpen);

    // The reasons of the reset and of the close, which the device here never refuses.
    using Call = Dlg::EWaveOutCall;
    EXPECT_EQ(Dlg::WaveOutErrorReason(Call::Reset, MMSYSERR_INVALHANDLE), "Specified device handle is invalid.");
    EXPECT_EQ(Dlg::WaveOutErrorReason(Call::Close, MMSYSERR_NOMEM), "Unable to allocate or lock memory.");
    EXPECT_EQ(Dlg::WaveOutErrorReason(Call::Reset, 8), "Specified device is synchronous and does not support pausing.");
    EXPECT_EQ(Dlg::WaveOutErrorReason(Call::Close, WAVERR_STILLPLAYING), "There are still buffers in the queue.");
    EXPECT_EQ(Dlg::WaveOutErrorReason(Call::Write, WAVERR_STILLPLAYING), "");
}

namespace {

// A playback dialog of its own built on the engine: its own form, its own
// buttons and gain radios, and a sound held in memory instead of a film.
constexpr UINT kToneForm = 7400;
constexpr int kTonePlay = 7401, kToneStop = 7402, kToneClips = 7403;
constexpr int kToneGains[15] = {7410, 7411, 7412, 7413, 7414, 7415, 7416, 7417,
                                7418, 7419, 7420, 7421, 7422, 7423, 7424};

void toneForm(QDialog* d)
{
    auto* layout = new QVBoxLayout(d);
    auto add = [&](QWidget* w, int id) {
        w->setProperty("ctrlId", id);
        layout->addWidget(w);
    };
    add(new QPushButton("Тон", d), kTonePlay);
    add(new QPushButton("Стоп", d), kToneStop);
    add(new QLabel(d), kToneClips);
    auto* box = new QGroupBox("Усиление", d);
    auto* radios = new QVBoxLayout(box);
    for (int id : kToneGains) {
        auto* r = new QRadioButton(box);
        r->setProperty("ctrlId", id);
        radios->addWidget(r);
    }
    layout->addWidget(box);
}
const KDialogTemplate kToneTemplate(kToneForm, toneForm);

class KTonePlayer : public CKDialogPlayFilmViewFragment {
public:
    explicit KTonePlayer(std::vector<short> samples)
        : CKDialogPlayFilmViewFragment(kToneForm, nullptr, nullptr), x(std::move(samples))
    {
        nStartButtonIDs[0] = nStartButtonIDs[1] = kTonePlay;
        nStopButtonID = kToneStop;
        nClipTextID = kToneClips;
        pGainRadioIDs = kToneGains;
        MapCommand(kTonePlay, &KTonePlayer::OnTone);
        MapCommand(kToneStop, &KTonePlayer::OnStop);
    }
    void OnTone() { StartPlaying(-100, long(x.size()) + 5000); } // cut to the sound

protected:
    bool GetSourceFormat(WAVEFORMATEX& f) override
    {
        f = WAVEFORMATEX{};
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = 1;
        f.nSamplesPerSec = 11025;
        f.wBitsPerSample = 16;
        f.nBlockAlign = 2;
        f.nAvgBytesPerSec = 22050;
        return true;
    }
    long GetSourceSizeInSamples() override { return long(x.size()); }
    void FillSourceSamples(short* p, long first, long n) override
    {
        for (long k = 0; k < n; ++k)
            p[k] = first + k >= 0 && first + k < long(x.size()) ? x[size_t(first + k)] : 0;
    }

private:
    std::vector<short> x;
};

} // namespace

TEST(KDialogPlayFilmViewFragment, DerivedDialogPlaysItsOwnSoundWithTheGain)
{
    CVirtualAudio::Use();
    CScriptedUserInteraction ui;
    std::vector<short> x(25000); // 2.3 buffers of 11025
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = short(std::lround(9000.0 * std::sin(0.01 * double(i))));
    KTonePlayer dlg(x);
    CString clipText;
    bool bStopWhilePlaying = false, bPlayWhilePlaying = true;
    DialogDriver old = SetDialogDriver([&](CDialog& d) {
        auto& t = static_cast<KTonePlayer&>(d);
        EXPECT_EQ(t.GetDlgItemText(kToneClips), "0 (0.0 %)");
        t.ClickDlgButton(kToneGains[2]); // +12 dB
        t.ClickDlgButton(kTonePlay);
        EXPECT_TRUE(t.IsPlaying());
        bStopWhilePlaying = t.GetDlgItem(kToneStop)->IsWindowEnabled();
        bPlayWhilePlaying = t.GetDlgItem(kTonePlay)->IsWindowEnabled();
        playToTheEnd(t, 11025);
        EXPECT_FALSE(t.IsPlaying());
        clipText = t.GetDlgItemText(kToneClips);
        t.ClickDlgButton(IDCANCEL);
    });
    dlg.DoModal();
    SetDialogDriver(old);
    QApplication::processEvents();

    EXPECT_TRUE(bStopWhilePlaying);
    EXPECT_FALSE(bPlayWhilePlaying);
    long clipped = 0;
    std::vector<short> expected;
    for (short v : x)
        expected.push_back(gained(v, 2, clipped));
    const auto streams = CVirtualAudio::PlayedStreams();
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].Format.nSamplesPerSec, 11025u);
    EXPECT_EQ(streams[0].Samples16(), expected);
    // Four times 9000 · sin clips where |sin| > 8191/9000 (upwards) or
    // > 8192/9000 (downwards): a fair share, counted by hand above.
    EXPECT_GT(clipped, 5000);
    CString text;
    text.Format("%li (%.1f %%)", clipped, 100.0 * double(clipped) / 25000.0);
    EXPECT_EQ(clipText, text);
    EXPECT_TRUE(ui.m_messages.empty());
}
