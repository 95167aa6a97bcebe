#include "framework/ui/CMciWnd.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/audio/WaveAudio.h"
#include "framework/base/Mmio.h"
#include "framework/base/WaveChunks.h"
#include "framework/base/WavePcm.h"

namespace {
constexpr int kBuffers = 2;
constexpr int kBufferMilliseconds = 250;
} // namespace

struct CMciWnd::Engine {
    HMMIO hFile = nullptr;
    WAVEFORMATEX Format{}; // what the device is given
    KPcmLayout Layout;     // what the file holds
    // Wider, float or many-channel frames go out as 16-bit samples of the
    // first two channels, read through Raw.
    bool bConvert = false;
    std::vector<BYTE> Raw;
    std::vector<short> Wide;
    long long nDataOffset = 0;
    long nFrames = 0;
    HWAVEOUT hDevice = nullptr;
    WAVEHDR Headers[kBuffers]{};
    std::vector<char> Buffers[kBuffers];
    long nNextFrame = 0;    // next frame to queue
    long nPlayedFrames = 0; // frames the device has given back
    int nQueued = 0;
    bool bPaused = false;
    // The controls go with the parent's widget, which may go before this object.
    QPointer<QPushButton> pPlay, pPause, pStop;
    QPointer<QSlider> pBar;
    QPointer<QLabel> pTime;

    ~Engine()
    {
        if (hFile)
            mmioClose(hFile, 0);
    }

    // Opens the file and finds its samples; the file stays open for playing.
    bool Open(const CString& sPathName)
    {
        hFile = mmioOpen(sPathName.GetString(), nullptr, MMIO_READ | MMIO_DENYNONE);
        if (!hFile)
            return false;
        KWaveChunks ck;
        bool ok = ck.EnterFormat(hFile);
        if (ok) {
            BYTE fmt[64] = {};
            std::string why;
            const LONG want = LONG(std::min<DWORD>(ck.fmt.cksize, sizeof fmt));
            ok = want >= 16 && mmioRead(hFile, fmt, want) == want && KParsePcmFormat(fmt, size_t(want), Layout, why);
            std::memcpy(&Format, fmt, sizeof Format);
            Format.cbSize = 0;
            bConvert = ok && (!Layout.IsNarrowPcm() || Layout.nChannels > 2);
            if (bConvert) {
                Format.wFormatTag = WAVE_FORMAT_PCM;
                Format.nChannels = WORD(std::min(Layout.nChannels, 2));
                Format.wBitsPerSample = 16;
                Format.nBlockAlign = WORD(2 * Format.nChannels);
                Format.nAvgBytesPerSec = Format.nSamplesPerSec * Format.nBlockAlign;
            }
        }
        // "data" is looked for from the start of the form, wherever it stands.
        ok = ok && mmioSeek(hFile, (long long)ck.riff.dwDataOffset + 4, SEEK_SET) != -1 &&
             mmioDescend(hFile, &ck.data, &ck.riff, MMIO_FINDCHUNK) == 0;
        if (!ok) {
            mmioClose(hFile, 0);
            hFile = nullptr;
            return false;
        }
        // A data chunk that claims more than the file holds plays as far as the file goes.
        const long long available = std::max(mmioSeek(hFile, 0, SEEK_END) - (long long)ck.data.dwDataOffset, 0LL);
        nDataOffset = ck.data.dwDataOffset;
        nFrames = long(std::min<long long>(ck.data.cksize, available) / Layout.nBlockAlign);
        return true;
    }

    // Fills one buffer with the next frames of the file; false when none are left.
    bool FillNext(int i)
    {
        if (nNextFrame >= nFrames)
            return false;
        const long align = Format.nBlockAlign;
        const long n = std::min(long(Buffers[i].size()) / align, nFrames - nNextFrame);
        LONG bytes = LONG(n * align);
        if (!bConvert) {
            LONG got = mmioSeek(hFile, nDataOffset + (long long)nNextFrame * align, SEEK_SET) < 0
                           ? 0
                           : mmioRead(hFile, Buffers[i].data(), bytes);
            if (got < bytes) // a file cut short: silence in its place
                std::fill(Buffers[i].begin() + std::max(got, LONG(0)), Buffers[i].begin() + bytes,
                          char(Format.wBitsPerSample == 8 ? 0x80 : 0));
        } else {
            const long fileAlign = Layout.nBlockAlign, C = Layout.nChannels, out = Format.nChannels;
            Raw.assign(size_t(n * fileAlign), 0); // a file cut short: silence in its place
            if (mmioSeek(hFile, nDataOffset + (long long)nNextFrame * fileAlign, SEEK_SET) >= 0)
                mmioRead(hFile, Raw.data(), LONG(n * fileAlign));
            Wide.resize(size_t(n * C));
            KPcmFramesTo16(Raw.data(), n, Layout, -1, Wide.data());
            short* o = reinterpret_cast<short*>(Buffers[i].data());
            for (long k = 0; k < n; ++k)
                for (long c = 0; c < out; ++c)
                    o[k * out + c] = Wide[size_t(k * C + c)];
            bytes = LONG(n * align);
        }
        WAVEHDR& h = Headers[i];
        h.dwBufferLength = DWORD(bytes);
        h.dwUser = DWORD_PTR(n);
        h.dwFlags &= WHDR_PREPARED;
        nNextFrame += n;
        return true;
    }

    // Queues buffer i again if there is more to play.
    void Requeue(int i)
    {
        if (FillNext(i) && waveOutWrite(hDevice, &Headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
            ++nQueued;
    }
};

CMciWnd::CMciWnd() : m_pEngine(std::make_unique<Engine>()) {}

CMciWnd::~CMciWnd()
{
    Stop();
}

bool CMciWnd::Create(CWnd* pParent, const CString& sPathName)
{
    Engine& e = *m_pEngine;
    auto* w = new QWidget(pParent ? pParent->GetWidget() : nullptr);
    Attach(w, pParent == nullptr);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(2, 2, 2, 2);
    auto button = [w, row](QStyle::StandardPixmap icon, const char* tip) {
        auto* b = new QPushButton(w->style()->standardIcon(icon), QString(), w);
        b->setToolTip(QString::fromUtf8(tip));
        // The dialogs' own buttons own Enter and Escape; these are for the mouse.
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        row->addWidget(b);
        return b;
    };
    e.pPlay = button(QStyle::SP_MediaPlay, "Воспроизвести");
    e.pPause = button(QStyle::SP_MediaPause, "Пауза");
    e.pStop = button(QStyle::SP_MediaStop, "Остановить");
    e.pBar = new QSlider(Qt::Horizontal, w);
    e.pTime = new QLabel(w);
    row->addWidget(e.pBar, 1);
    row->addWidget(e.pTime);
    QObject::connect(e.pPlay, &QPushButton::clicked, Receiver(), [this] { Play(); });
    QObject::connect(e.pPause, &QPushButton::clicked, Receiver(), [this] { Pause(); });
    QObject::connect(e.pStop, &QPushButton::clicked, Receiver(), [this] { Stop(); });
    // Moving the bar while stopped chooses where the next Play starts.
    QObject::connect(e.pBar, &QSlider::sliderMoved, Receiver(), [this](int v) {
        if (!m_pEngine->hDevice) {
            m_pEngine->nNextFrame = m_pEngine->nPlayedFrames = v;
            refreshControls();
        }
    });
    const bool ok = e.Open(sPathName);
    e.pBar->setRange(0, int(std::min<long>(GetLength(), 0x7FFFFFFF)));
    refreshControls();
    return ok;
}

long CMciWnd::GetLength() const
{
    return m_pEngine->hFile ? m_pEngine->nFrames : 0;
}

long CMciWnd::GetPosition() const
{
    return m_pEngine->nPlayedFrames;
}

const WAVEFORMATEX& CMciWnd::GetFormat() const
{
    return m_pEngine->Format;
}

bool CMciWnd::IsPlaying() const
{
    return m_pEngine->hDevice && !m_pEngine->bPaused;
}

CString CMciWnd::GetElapsedText() const
{
    const Engine& e = *m_pEngine;
    const double rate = e.hFile ? double(e.Format.nSamplesPerSec) : 1.0;
    auto fmt = [](double s) {
        CString t;
        t.Format("%d:%04.1f", int(s) / 60, s - 60 * (int(s) / 60));
        return t;
    };
    return fmt(double(e.nPlayedFrames) / rate) + " / " + fmt(double(GetLength()) / rate);
}

void CMciWnd::refreshControls()
{
    Engine& e = *m_pEngine;
    if (!e.pPlay || !e.pPause || !e.pStop || !e.pBar || !e.pTime)
        return;
    e.pPlay->setEnabled(GetLength() > 0 && (!e.hDevice || e.bPaused));
    e.pPause->setEnabled(e.hDevice && !e.bPaused);
    e.pStop->setEnabled(e.hDevice != nullptr);
    if (!e.pBar->isSliderDown())
        e.pBar->setValue(int(std::min<long>(e.nPlayedFrames, 0x7FFFFFFF)));
    e.pTime->setText(QString::fromUtf8(GetElapsedText().GetString()));
}

bool CMciWnd::Play()
{
    Engine& e = *m_pEngine;
    if (GetLength() <= 0)
        return false;
    if (e.hDevice) {
        if (e.bPaused) {
            e.bPaused = false;
            // Resuming queues again what the pause held back.
            for (int i = 0; i < kBuffers; ++i)
                if (!(e.Headers[i].dwFlags & WHDR_INQUEUE))
                    e.Requeue(i);
        }
        refreshControls();
        return true;
    }
    if (e.nNextFrame >= GetLength())
        e.nNextFrame = e.nPlayedFrames = 0;
    if (waveOutGetNumDevs() == 0 ||
        waveOutOpen(&e.hDevice, WAVE_MAPPER, &e.Format, this, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        e.hDevice = nullptr;
        MessageBox("Нет ни одного свободного устройства воспроизведения звука.", "Ошибка на звуковой плате",
                   MB_OK | MB_ICONEXCLAMATION);
        refreshControls();
        return false;
    }
    const size_t bytes =
        size_t(e.Format.nSamplesPerSec) * e.Format.nBlockAlign * kBufferMilliseconds / 1000 + e.Format.nBlockAlign;
    for (int i = 0; i < kBuffers; ++i) {
        e.Buffers[i].assign(bytes, 0);
        e.Headers[i] = WAVEHDR{};
        e.Headers[i].lpData = e.Buffers[i].data();
        e.Headers[i].dwBufferLength = DWORD(bytes);
        waveOutPrepareHeader(e.hDevice, &e.Headers[i], sizeof(WAVEHDR));
    }
    e.bPaused = false;
    e.nQueued = 0;
    for (int i = 0; i < kBuffers; ++i)
        e.Requeue(i);
    refreshControls();
    return true;
}

void CMciWnd::Pause()
{
    Engine& e = *m_pEngine;
    if (!e.hDevice || e.bPaused)
        return;
    e.bPaused = true;
    refreshControls();
}

void CMciWnd::Stop()
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

LRESULT CMciWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    Engine& e = *m_pEngine;
    if (message == MM_WOM_DONE) {
        if (!e.hDevice || HWAVEOUT(wParam) != e.hDevice)
            return 0; // a late notice of a device already closed
        auto* h = reinterpret_cast<WAVEHDR*>(lParam);
        --e.nQueued;
        e.nPlayedFrames += long(h->dwUser);
        const int i = int(h - e.Headers);
        if (!e.bPaused && i >= 0 && i < kBuffers)
            e.Requeue(i);
        if (e.nQueued == 0 && !e.bPaused)
            Stop(); // the end of the file
        refreshControls();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
