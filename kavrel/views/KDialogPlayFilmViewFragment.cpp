#include "kavrel/views/KDialogPlayFilmViewFragment.h"

#include <algorithm>
#include <new>

#include "framework/base/UserServices.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KWaveDeviceReasons.h"
#include "kavrel/views/KWaveFilmView.h"

namespace {
constexpr MMRESULT kNotSupported = 8; // MMSYSERR_NOTSUPPORTED
const char* const kCaption = "Ошибка на звуковой плате";
const char* const kWriteFailed = "Не удалось добавить звуковой буфер - waveOutAddBuffer.\n\n";
} // namespace

CKDialogPlayFilmViewFragment::CKDialogPlayFilmViewFragment(CKWaveFilmView* p, CWnd* pParent)
    : CKDialogPlayFilmViewFragment(IDD, p, pParent)
{
    MapCommand(kScreenButton, &CKDialogPlayFilmViewFragment::OnPlayScreen);
    MapCommand(kFragmentButton, &CKDialogPlayFilmViewFragment::OnPlayFragment);
    MapCommand(kStopButton, &CKDialogPlayFilmViewFragment::OnStop);
}

CKDialogPlayFilmViewFragment::CKDialogPlayFilmViewFragment(UINT nIDTemplate, CKWaveFilmView* p, CWnd* pParent)
    : CKFilmViewDialog(nIDTemplate, p, pParent)
{
}

CKDialogPlayFilmViewFragment::~CKDialogPlayFilmViewFragment()
{
    if (hWaveOut)
        StopPlaying();
    freeBuffers();
}

bool CKDialogPlayFilmViewFragment::GetSourceFormat(WAVEFORMATEX& format)
{
    CKWaveFilm* f = film();
    if (!f)
        return false;
    format = f->GetKWaveFormat();
    return true;
}

long CKDialogPlayFilmViewFragment::GetSourceSizeInSamples()
{
    CKWaveFilm* f = film();
    return f ? f->GetKWaveSizeInSamples() : 0;
}

void CKDialogPlayFilmViewFragment::FillSourceSamples(short* p, long nFirst, long n)
{
    if (CKWaveFilm* f = film())
        f->FillKWaveBufFromSampleNSamples(p, nFirst, n);
    else
        std::fill(p, p + n, short(0));
}

CString CKDialogPlayFilmViewFragment::WaveOutErrorReason(EWaveOutCall call, MMRESULT result)
{
    if (call == EWaveOutCall::Open)
        return KWaveDeviceOpenReason(result);
    if (const CString reason = KWaveDeviceHandleReason(result); !reason.IsEmpty())
        return reason;
    if (call == EWaveOutCall::Write && result == WAVERR_UNPREPARED)
        return "The buffer pointed to by the pwh parameter hasn't been prepared.";
    if (call == EWaveOutCall::Reset && result == kNotSupported)
        return "Specified device is synchronous and does not support pausing.";
    if (call == EWaveOutCall::Close && result == WAVERR_STILLPLAYING)
        return "There are still buffers in the queue.";
    return "";
}

void CKDialogPlayFilmViewFragment::showError(const CString& first, EWaveOutCall call, MMRESULT result)
{
    sErrorText = first + WaveOutErrorReason(call, result);
    MessageBox(sErrorText, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CKDialogPlayFilmViewFragment::freeBuffers()
{
    // A device that would not close may still read them: better lost than freed.
    if (bDeviceNotClosed) {
        pBuffer[0].release();
        pBuffer[1].release();
        return;
    }
    pBuffer[0].reset();
    pBuffer[1].reset();
}

bool CKDialogPlayFilmViewFragment::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!GetSourceFormat(Format)) {
        EndDialog(IDCANCEL);
        return false;
    }
    // The buffers hold one channel of 16-bit samples, whatever the file
    // holds: that is what the film's reader delivers.
    Format.wFormatTag = WAVE_FORMAT_PCM;
    Format.nChannels = 1;
    Format.wBitsPerSample = 16;
    Format.nBlockAlign = 2;
    Format.nAvgBytesPerSec = Format.nSamplesPerSec * 2;
    Format.cbSize = 0;
    nBufferLength = long(Format.nSamplesPerSec);
    for (auto& b : pBuffer)
        b.reset(nBufferLength > 0 ? new (std::nothrow) short[size_t(nBufferLength)] : nullptr);
    if (!pBuffer[0] || !pBuffer[1]) {
        freeBuffers();
        AfxMessageBox("Не хватает оперативной памяти для создания буферов воспроизведения звука.\n\n"
                      "Попробуйте освободить память, закрыв некоторые ресурсоемкие приложения.",
                      MB_OK | MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL); // nothing could be played
        return false;
    }
    CheckDlgButton(pGainRadioIDs[0], BST_CHECKED);
    setIdle(true);
    showClipText();
    return true;
}

void CKDialogPlayFilmViewFragment::setIdle(bool bIdle)
{
    for (int id : nStartButtonIDs) {
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(bIdle);
    }
    if (CWnd* w = GetDlgItem(nStopButtonID))
        w->EnableWindow(!bIdle);
}

void CKDialogPlayFilmViewFragment::showClipText()
{
    const double percent = nTotal > 0 ? 100.0 * double(nClipped) / double(nTotal) : 0.0;
    sClipText.Format("%i (%.1f %%)", int(nClipped), percent);
    SetDlgItemText(nClipTextID, sClipText);
}

int CKDialogPlayFilmViewFragment::readGain()
{
    for (int g = 0; g < 15; ++g) {
        if (IsDlgButtonChecked(pGainRadioIDs[g]))
            return g;
    }
    return 0;
}

long CKDialogPlayFilmViewFragment::fillNextBuffer(int i)
{
    const long n = std::min(nBufferLength, nEndSample - nNextSample);
    short* p = pBuffer[i].get();
    FillSourceSamples(p, nNextSample, n);
    nNextSample += n;
    nTotal += n;
    if (nGain > 0) {
        for (long k = 0; k < n; ++k) {
            const long x = long(p[k]) << nGain;
            if (x >= 32767) {
                p[k] = 32767;
                ++nClipped;
            } else if (x < -32767) {
                p[k] = -32768;
                ++nClipped;
            } else {
                p[k] = short(x);
            }
        }
    }
    WAVEHDR& h = WaveHeader[i];
    h.lpData = reinterpret_cast<char*>(p);
    h.dwBufferLength = DWORD(2 * n);
    h.dwBytesRecorded = 0;
    h.dwUser = DWORD_PTR(n);
    h.dwFlags = 0;
    h.dwLoops = 0;
    h.lpNext = nullptr;
    h.reserved = 0;
    return n;
}

void CKDialogPlayFilmViewFragment::StartPlaying(long s, long e)
{
    if (hWaveOut || !pBuffer[0] || s >= e)
        return;
    e = std::min(e, GetSourceSizeInSamples());
    // A stretch wholly past the end of the sound leaves nothing to play.
    if (std::max(s, 0L) >= e)
        return;
    nGain = readGain();
    std::fill(pBuffer[0].get(), pBuffer[0].get() + nBufferLength, short(0));
    std::fill(pBuffer[1].get(), pBuffer[1].get() + nBufferLength, short(0));
    if (waveOutGetNumDevs() == 0) {
        MessageBox("Нет ни одного свободного устройства воспроизведения звука.", kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    Status = waveOutOpen(&hWaveOut, WAVE_MAPPER, &Format, this, 0, CALLBACK_WINDOW);
    if (Status != MMSYSERR_NOERROR) {
        hWaveOut = nullptr;
        showError("Не удалось открыть звуковое устройство.\n\n", EWaveOutCall::Open, Status);
        return;
    }
    nNextSample = std::max(s, 0L);
    nEndSample = e;
    nTotal = 0;
    nClipped = 0;
    nQueued = 0;
    for (int i = 0; i < 2 && nNextSample < nEndSample; ++i) {
        fillNextBuffer(i);
        Status = waveOutPrepareHeader(hWaveOut, &WaveHeader[i], sizeof(WAVEHDR));
        if (Status != MMSYSERR_NOERROR) {
            CString first;
            first.Format("Не удалось приготовить WaveHeader [ %i ].\n\n", i);
            showError(first, EWaveOutCall::Prepare, Status);
            break;
        }
        Status = waveOutWrite(hWaveOut, &WaveHeader[i], sizeof(WAVEHDR));
        if (Status != MMSYSERR_NOERROR) {
            showError(kWriteFailed, EWaveOutCall::Write, Status);
            break;
        }
        ++nQueued;
    }
    // After a failure the buttons stay as for playing: "Стоп" ends the attempt.
    showClipText();
    setIdle(false);
}

void CKDialogPlayFilmViewFragment::StopPlaying()
{
    nNextSample = nEndSample;
    if (hWaveOut) {
        HWAVEOUT h = hWaveOut;
        // Each buffer still on the device comes back once more, and the
        // close says so too; those notices belong to this device alone.
        Status = waveOutReset(h);
        if (Status != MMSYSERR_NOERROR)
            showError("Не удалось сбросить устройство записи звука - waveOutReset.\n\n", EWaveOutCall::Reset, Status);
        nStaleDone += nQueued;
        nQueued = 0;
        for (WAVEHDR& header : WaveHeader)
            waveOutUnprepareHeader(h, &header, sizeof(WAVEHDR));
        Status = waveOutClose(h);
        if (Status != MMSYSERR_NOERROR) {
            showError("Не удалось закрыть АЦП - waveOutClose.\n\n", EWaveOutCall::Close, Status);
            bDeviceNotClosed = true;
        } else {
            ++nStaleClose;
        }
        hWaveOut = nullptr;
    }
    setIdle(true);
}

LRESULT CKDialogPlayFilmViewFragment::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MM_WOM_DONE) {
        if (nStaleDone > 0) {
            --nStaleDone;
            return 0;
        }
        auto* h = reinterpret_cast<WAVEHDR*>(lParam);
        const int i = h == &WaveHeader[0] ? 0 : h == &WaveHeader[1] ? 1 : -1;
        if (i < 0 || !hWaveOut)
            return 0;
        nQueued = std::max(nQueued - 1, 0);
        if (nNextSample < nEndSample) {
            fillNextBuffer(i);
            Status = waveOutPrepareHeader(hWaveOut, h, sizeof(WAVEHDR));
            if (Status != MMSYSERR_NOERROR) {
                showError("Не удалось приготовить pCurrentWaveHeader.\n\n", EWaveOutCall::Prepare, Status);
            } else if ((Status = waveOutWrite(hWaveOut, h, sizeof(WAVEHDR))) != MMSYSERR_NOERROR) {
                showError(kWriteFailed, EWaveOutCall::Write, Status);
            } else {
                ++nQueued;
                showClipText();
            }
        } else if (nQueued == 0) {
            StopPlaying(); // the last buffer is back: the end of the sound
        }
        return 0;
    }
    if (message == MM_WOM_CLOSE) {
        if (nStaleClose > 0)
            --nStaleClose;
        else
            nQueued = 0;
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CKDialogPlayFilmViewFragment::OnPlayScreen()
{
    CKWaveFilm* f = film();
    if (!f)
        return;
    const long x0 = pView->GetScrollPosition().x;
    StartPlaying(f->GetSampleFromCadreNumber(x0), f->GetSampleFromCadreNumber(x0 + pView->nColumns));
}

void CKDialogPlayFilmViewFragment::OnPlayFragment()
{
    CKWaveFilm* f = film();
    if (f)
        StartPlaying(f->GetSelectedFragmentSample0(), f->GetSelectedFragmentSample1());
}

void CKDialogPlayFilmViewFragment::OnStop()
{
    StopPlaying();
}

// Closing while playing stops the device before the buffers go.
void CKDialogPlayFilmViewFragment::OnOK()
{
    if (hWaveOut)
        StopPlaying();
    freeBuffers();
    EndDialog(IDOK);
}

void CKDialogPlayFilmViewFragment::OnCancel()
{
    if (hWaveOut)
        StopPlaying();
    freeBuffers();
    EndDialog(IDCANCEL);
}
