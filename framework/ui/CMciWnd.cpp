#include "framework/ui/CMciWnd.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cstring>

#include "framework/base/Mmio.h"

CMciWnd::~CMciWnd()
{
    Stop();
}

bool CMciWnd::Create(CWnd* pParent, const CString& sPathName)
{
    auto* w = new QWidget(pParent ? pParent->GetWidget() : nullptr);
    Attach(w, pParent == nullptr);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(2, 2, 2, 2);
    auto* play = new QPushButton(w->style()->standardIcon(QStyle::SP_MediaPlay), QString(), w);
    auto* stop = new QPushButton(w->style()->standardIcon(QStyle::SP_MediaStop), QString(), w);
    // The answer buttons of the dialogs own Enter and Escape; the media
    // buttons are for the mouse only.
    play->setAutoDefault(false);
    stop->setAutoDefault(false);
    play->setFocusPolicy(Qt::NoFocus);
    stop->setFocusPolicy(Qt::NoFocus);
    m_pPlay = play;
    m_pStop = stop;
    row->addWidget(play);
    row->addWidget(stop);
    row->addWidget(new QLabel(QFileInfo(QString::fromUtf8(sPathName.GetString())).fileName(), w), 1);
    QObject::connect(play, &QPushButton::clicked, w, [this] { Play(); });
    QObject::connect(stop, &QPushButton::clicked, w, [this] { Stop(); });
    bool ok = load(sPathName);
    refreshControls();
    return ok;
}

// The whole data chunk is read at once: the files played here are short.
bool CMciWnd::load(const CString& sPathName)
{
    m_Data.clear();
    MMIOINFO info;
    HMMIO h = mmioOpen(sPathName.GetString(), &info, MMIO_READ | MMIO_DENYNONE);
    if (!h)
        return false;
    MMCKINFO riff, fmt, data;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    bool ok = mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) == 0 && mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) == 0;
    if (ok) {
        std::memset(&m_Format, 0, sizeof m_Format);
        LONG want = LONG(std::min<DWORD>(fmt.cksize, sizeof m_Format));
        ok = want >= 16 && mmioRead(h, &m_Format, want) == want && m_Format.wFormatTag == WAVE_FORMAT_PCM &&
             (m_Format.wBitsPerSample == 8 || m_Format.wBitsPerSample == 16) &&
             (m_Format.nChannels == 1 || m_Format.nChannels == 2) &&
             m_Format.nBlockAlign == m_Format.nChannels * m_Format.wBitsPerSample / 8;
    }
    ok = ok && mmioSeek(h, (long long)riff.dwDataOffset + 4, SEEK_SET) != -1 && mmioDescend(h, &data, &riff, MMIO_FINDCHUNK) == 0;
    if (ok) {
        // A data chunk that claims more than the file holds is played as far as the file goes.
        long long available = mmioSeek(h, 0, SEEK_END) - (long long)data.dwDataOffset;
        long long bytes = std::min<long long>(data.cksize, std::max(available, 0LL));
        bytes -= bytes % m_Format.nBlockAlign;
        mmioSeek(h, data.dwDataOffset, SEEK_SET);
        m_Data.resize(size_t(bytes));
        ok = bytes == 0 || mmioRead(h, m_Data.data(), LONG(bytes)) == LONG(bytes);
        if (!ok)
            m_Data.clear();
    }
    mmioClose(h, 0);
    m_Format.cbSize = 0;
    return ok;
}

long CMciWnd::GetLength() const
{
    return m_Format.nBlockAlign ? long(m_Data.size() / m_Format.nBlockAlign) : 0;
}

bool CMciWnd::Play()
{
    if (m_Data.empty())
        return false;
    Stop();
    if (waveOutGetNumDevs() == 0 ||
        waveOutOpen(&m_hDevice, WAVE_MAPPER, &m_Format, this, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        m_hDevice = nullptr;
        MessageBox("Нет ни одного свободного устройства воспроизведения звука.", "Ошибка на звуковой плате",
                   MB_OK | MB_ICONEXCLAMATION);
        refreshControls();
        return false;
    }
    m_Header = WAVEHDR{};
    m_Header.lpData = m_Data.data();
    m_Header.dwBufferLength = DWORD(m_Data.size());
    waveOutPrepareHeader(m_hDevice, &m_Header, sizeof m_Header);
    if (waveOutWrite(m_hDevice, &m_Header, sizeof m_Header) != MMSYSERR_NOERROR) {
        Stop();
        return false;
    }
    refreshControls();
    return true;
}

void CMciWnd::Stop()
{
    if (!m_hDevice)
        return;
    HWAVEOUT h = m_hDevice;
    m_hDevice = nullptr;
    waveOutReset(h);
    waveOutUnprepareHeader(h, &m_Header, sizeof m_Header);
    waveOutClose(h);
    refreshControls();
}

void CMciWnd::refreshControls()
{
    if (!m_pPlay || !m_pStop)
        return;
    m_pPlay->setEnabled(!m_Data.empty() && !m_hDevice);
    m_pStop->setEnabled(m_hDevice != nullptr);
}

LRESULT CMciWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MM_WOM_DONE) {
        if (m_hDevice && HWAVEOUT(wParam) == m_hDevice)
            Stop(); // the end of the file
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
