#include "kavrel/views/KMediaWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "framework/audio/WaveAudio.h"
#include "kavrel/core/KWave.h"

namespace {
constexpr int kBuffers = 2;
constexpr int kBufferMilliseconds = 250;
} // namespace

struct CKMediaWindow::Engine {
    CKWave Wave;
    HWAVEOUT hDevice = nullptr;
    WAVEHDR Headers[kBuffers]{};
    std::vector<char> Buffers[kBuffers];
    long nNextFrame = 0;    // next frame to queue
    long nPlayedFrames = 0; // frames the device has given back
    int nQueued = 0;
    bool bPaused = false;
    QPushButton* pPlay = nullptr;
    QPushButton* pPause = nullptr;
    QPushButton* pStop = nullptr;
    QSlider* pBar = nullptr;
    QLabel* pTime = nullptr;
};

CKMediaWindow::CKMediaWindow() : m_pEngine(std::make_unique<Engine>()) {}

CKMediaWindow::~CKMediaWindow()
{
    Stop();
}

bool CKMediaWindow::Create(CWnd* pParent, const CString& sPathName)
{
    Engine& e = *m_pEngine;
    auto* w = new QWidget(pParent ? pParent->GetWidget() : nullptr);
    Attach(w, pParent == nullptr);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(2, 2, 2, 2);
    e.pPlay = new QPushButton(w->style()->standardIcon(QStyle::SP_MediaPlay), QString(), w);
    e.pPause = new QPushButton(w->style()->standardIcon(QStyle::SP_MediaPause), QString(), w);
    e.pStop = new QPushButton(w->style()->standardIcon(QStyle::SP_MediaStop), QString(), w);
    e.pBar = new QSlider(Qt::Horizontal, w);
    e.pTime = new QLabel(w);
    for (QWidget* c : {static_cast<QWidget*>(e.pPlay), static_cast<QWidget*>(e.pPause), static_cast<QWidget*>(e.pStop)})
        row->addWidget(c);
    row->addWidget(e.pBar, 1);
    row->addWidget(e.pTime);
    QObject::connect(e.pPlay, &QPushButton::clicked, w, [this] { Play(); });
    QObject::connect(e.pPause, &QPushButton::clicked, w, [this] { Pause(); });
    QObject::connect(e.pStop, &QPushButton::clicked, w, [this] { Stop(); });
    // Moving the bar while stopped chooses where the next Play starts.
    QObject::connect(e.pBar, &QSlider::sliderMoved, w, [this](int v) {
        if (!m_pEngine->hDevice) {
            m_pEngine->nNextFrame = m_pEngine->nPlayedFrames = v;
            refreshControls();
        }
    });
    e.Wave.DoNotShowKWaveErrors();
    bool ok = e.Wave.OpenKWaveFile(sPathName, sPathName);
    e.pBar->setRange(0, int(std::min<long>(GetLength(), 0x7FFFFFFF)));
    refreshControls();
    return ok;
}

long CKMediaWindow::GetLength() const
{
    return m_pEngine->Wave.KWaveIsGood() ? m_pEngine->Wave.GetKWaveSizeInSamples() : 0;
}

long CKMediaWindow::GetPosition() const
{
    return m_pEngine->nPlayedFrames;
}

bool CKMediaWindow::IsPlaying() const
{
    return m_pEngine->hDevice && !m_pEngine->bPaused;
}

CString CKMediaWindow::GetElapsedText() const
{
    const Engine& e = *m_pEngine;
    double rate = e.Wave.KWaveIsGood() ? double(e.Wave.GetKWaveFrADC()) : 1.0;
    auto fmt = [](double s) {
        CString t;
        t.Format("%d:%04.1f", int(s) / 60, s - 60 * (int(s) / 60));
        return t;
    };
    return fmt(double(e.nPlayedFrames) / rate) + " / " + fmt(double(GetLength()) / rate);
}

void CKMediaWindow::refreshControls()
{
    Engine& e = *m_pEngine;
    if (!e.pPlay)
        return;
    bool good = e.Wave.KWaveIsGood();
    e.pPlay->setEnabled(good && (!e.hDevice || e.bPaused));
    e.pPause->setEnabled(e.hDevice && !e.bPaused);
    e.pStop->setEnabled(e.hDevice != nullptr);
    if (!e.pBar->isSliderDown())
        e.pBar->setValue(int(std::min<long>(e.nPlayedFrames, 0x7FFFFFFF)));
    e.pTime->setText(QString::fromUtf8(GetElapsedText().GetString()));
}

namespace {

// Fills one buffer with the next frames of the file; false when none are left.
bool fillNext(CKMediaWindow::Engine& e, int i)
{
    const long total = e.Wave.GetKWaveSizeInSamples();
    if (e.nNextFrame >= total)
        return false;
    const long align = e.Wave.GetKWaveBlockAlign();
    const long capacity = long(e.Buffers[i].size()) / align;
    const long n = std::min(capacity, total - e.nNextFrame);
    e.Wave.SeekBlockAlignedWaveSample(e.nNextFrame);
    long got = e.Wave.ReadBlockAlignedWaveSamples(e.Buffers[i].data(), n);
    if (got < n * align) // a file cut short: silence in its place
        std::fill(e.Buffers[i].begin() + std::max(got, 0L), e.Buffers[i].begin() + n * align,
                  char(e.Wave.GetKWaveFormat().wBitsPerSample == 8 ? 0x80 : 0));
    WAVEHDR& h = e.Headers[i];
    h.dwBufferLength = DWORD(n * align);
    h.dwUser = DWORD_PTR(n);
    h.dwFlags &= WHDR_PREPARED;
    e.nNextFrame += n;
    return true;
}

} // namespace

bool CKMediaWindow::Play()
{
    Engine& e = *m_pEngine;
    if (!e.Wave.KWaveIsGood())
        return false;
    if (e.hDevice) {
        if (e.bPaused) {
            e.bPaused = false;
            // Resuming queues again what the pause held back.
            for (int i = 0; i < kBuffers; ++i) {
                if (!(e.Headers[i].dwFlags & WHDR_INQUEUE) && fillNext(e, i) &&
                    waveOutWrite(e.hDevice, &e.Headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
                    ++e.nQueued;
            }
        }
        refreshControls();
        return true;
    }
    if (e.nNextFrame >= GetLength())
        e.nNextFrame = e.nPlayedFrames = 0;
    WAVEFORMATEX f = e.Wave.GetKWaveFormat();
    f.cbSize = 0;
    if (waveOutGetNumDevs() == 0 ||
        waveOutOpen(&e.hDevice, WAVE_MAPPER, &f, this, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        e.hDevice = nullptr;
        MessageBox("Нет ни одного свободного устройства воспроизведения звука.", "Ошибка на звуковой плате",
                   MB_OK | MB_ICONEXCLAMATION);
        refreshControls();
        return false;
    }
    const size_t bytes = size_t(f.nSamplesPerSec) * f.nBlockAlign * kBufferMilliseconds / 1000 + f.nBlockAlign;
    for (int i = 0; i < kBuffers; ++i) {
        e.Buffers[i].assign(bytes, 0);
        e.Headers[i] = WAVEHDR{};
        e.Headers[i].lpData = e.Buffers[i].data();
        e.Headers[i].dwBufferLength = DWORD(bytes);
        waveOutPrepareHeader(e.hDevice, &e.Headers[i], sizeof(WAVEHDR));
    }
    e.bPaused = false;
    e.nQueued = 0;
    for (int i = 0; i < kBuffers; ++i) {
        if (fillNext(e, i) && waveOutWrite(e.hDevice, &e.Headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
            ++e.nQueued;
    }
    refreshControls();
    return true;
}

void CKMediaWindow::Pause()
{
    Engine& e = *m_pEngine;
    if (!e.hDevice || e.bPaused)
        return;
    // What is queued plays out; nothing more is queued until Play.
    e.bPaused = true;
    refreshControls();
}

void CKMediaWindow::Stop()
{
    Engine& e = *m_pEngine;
    if (!e.hDevice)
        return;
    HWAVEOUT h = e.hDevice;
    e.hDevice = nullptr; // the returned buffers are not refilled
    waveOutReset(h);
    for (int i = 0; i < kBuffers; ++i)
        waveOutUnprepareHeader(h, &e.Headers[i], sizeof(WAVEHDR));
    waveOutClose(h);
    e.nQueued = 0;
    e.bPaused = false;
    e.nNextFrame = e.nPlayedFrames;
    refreshControls();
}

LRESULT CKMediaWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    Engine& e = *m_pEngine;
    if (message == MM_WOM_DONE && e.hDevice && HWAVEOUT(wParam) == e.hDevice) {
        auto* h = reinterpret_cast<WAVEHDR*>(lParam);
        --e.nQueued;
        e.nPlayedFrames += long(h->dwUser);
        int i = int(h - e.Headers);
        if (!e.bPaused && i >= 0 && i < kBuffers && fillNext(e, i) &&
            waveOutWrite(e.hDevice, h, sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
            ++e.nQueued;
        if (e.nQueued == 0 && !e.bPaused)
            Stop(); // the end of the file
        refreshControls();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
