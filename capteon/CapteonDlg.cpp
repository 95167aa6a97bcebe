#include "capteon/CapteonDlg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "framework/base/CFile.h"
#include "framework/base/KSaveFileRequest.h"
#include "framework/base/UserServices.h"
#include "framework/ui/CWinApp.h"
#include "kavrel/views/KDialogPlayWaveFile.h"
#include "kavrel/views/KWaveDeviceReasons.h"

namespace {

const char* const kSection = "Settings";
const char* const kCardError = "Ошибка на звуковой плате";
const char* const kWriteErrorTitle = "Capteon - error";
// String 102 of the program: the path before a file is chosen.
const char* const kNoFileName = "Имя файла не указано";
const char* const kNoMemory = "Не хватает оперативной памяти для создания буферов записи звука.\n\n"
                              "Попробуйте освободить память, закрыв некоторые ресурсоемкие приложения.";
const char* const kAddFailed = "Не удалось добавить звуковой буфер - waveInAddBuffer.\n\n";
const char* const kPrepareFailed = "Не удалось приготовить waveInPrepareHeader.\n\n";
const char* const kStartFailed = "Не удалось начать запись - WaveInStart.";
constexpr int kDefaultRateIndex = 6; // 11025
// A RIFF form counts its bytes in 32 bits: the data may not grow past this.
constexpr unsigned long long kMaxDataBytes = 0xFFFFFFFFull - 38;

// The device's reasons, each call with its own texts (some carry " K - ").
CString OpenReason(MMRESULT r)
{
    return KWaveDeviceOpenReason(r);
}

CString HandleReason(MMRESULT r)
{
    switch (r) {
    case MMSYSERR_INVALHANDLE: return "Specified device handle is invalid.";
    case MMSYSERR_NODRIVER: return "No device driver is present.";
    case MMSYSERR_NOMEM: return "Unable to allocate or lock memory.";
    default: return "";
    }
}

CString AddReason(MMRESULT r)
{
    return r == WAVERR_UNPREPARED ? CString("The buffer pointed to by the pwh parameter hasn't been prepared.")
                                  : HandleReason(r);
}

CString CloseReason(MMRESULT r)
{
    return r == WAVERR_STILLPLAYING ? CString("There are still buffers in the queue.") : HandleReason(r);
}

CString StartReason(MMRESULT r)
{
    switch (r) {
    case MMSYSERR_INVALHANDLE: return " K - Specified device handle is invalid.";
    case MMSYSERR_NODRIVER: return " K - No device driver is present.";
    case MMSYSERR_NOMEM: return " K - Unable to allocate or lock memory.";
    default: return "";
    }
}

int ProfileInt(const char* entry, int nDefault)
{
    CWinApp* app = AfxGetApp();
    return app ? app->GetProfileInt(kSection, entry, nDefault) : nDefault;
}

void WriteProfile(const char* entry, int nValue)
{
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSection, entry, nValue);
}

} // namespace

const long CCapteonDlg::FrequenciesADC[CCapteonDlg::nRates] = {
    1000, 2000, 3000, 4000, 6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000,
    64000, 88200, 96000, 11150};

CCapteonDlg::CCapteonDlg(CWnd* pParent) : CKProgramDialog(IDD_CAPTEON_DIALOG, pParent, IDD_ABOUTBOX, IDM_ABOUTBOX, "&About Capteon...")
{
    MapCommand(IDC_CHOOSE_FILE, &CCapteonDlg::OnChooseFile);
    MapCommand(IDC_RECORD, &CCapteonDlg::OnRecord);
    MapCommand(IDC_PAUSE, &CCapteonDlg::OnPause);
    MapCommand(IDC_RESUME, &CCapteonDlg::OnResume);
    MapCommand(IDC_STOP, &CCapteonDlg::OnStop);
    MapCommand(IDC_PLAY, &CCapteonDlg::OnPlay);
    MapCommand(IDC_MONO, &CCapteonDlg::OnChannelsChange);
    MapCommand(IDC_STEREO, &CCapteonDlg::OnChannelsChange);
    MapNotify(IDC_FREQUENCY_ADC, CBN_SELCHANGE, &CCapteonDlg::OnFrequencyChange);
}

CCapteonDlg::~CCapteonDlg()
{
    // The device must not fill buffers that are about to go.
    if (hWaveIn) {
        waveInReset(hWaveIn);
        for (WAVEHDR& h : WaveHeaders)
            waveInUnprepareHeader(hWaveIn, &h, sizeof h);
        waveInClose(hWaveIn);
        hWaveIn = nullptr;
    }
    FinishWaveFile();
    delete[] pBufferBlock;
}

bool CCapteonDlg::OnInitDialog()
{
    CKProgramDialog::OnInitDialog();

    const long storedRate = ProfileInt("FrequencyADC", 11025);
    int storedChannels = ProfileInt("NChannels", 1);
    if (storedChannels != 1 && storedChannels != 2)
        storedChannels = 1;
    int index = kDefaultRateIndex;
    if (CComboBox* combo = GetDlgItemAs<CComboBox>(IDC_FREQUENCY_ADC)) {
        for (int i = 0; i < nRates; ++i) {
            CString s;
            s.Format("%li", FrequenciesADC[i]);
            combo->AddString(s);
            if (FrequenciesADC[i] == storedRate)
                index = i;
        }
        combo->SetCurSel(index);
    }
    CheckRadioButton(IDC_MONO, IDC_STEREO, storedChannels == 2 ? IDC_STEREO : IDC_MONO);
    if (!AllocateBuffers(FrequenciesADC[index], storedChannels)) {
        EndDialog(IDCANCEL);
        return true;
    }

    sFilePathName = kNoFileName;
    SetButtons(EButtons::Start);
    if (CWnd* place = GetDlgItem(IDC_POWER_LEVEL_PLACE)) {
        CRect r;
        place->GetWindowRect(&r);
        ScreenToClient(&r);
        PowerLevel.Create(r, this, ID_POWER_LEVEL_WND);
    }
    ResetStatistics();
    SetDlgItemText(IDC_SECONDS, "0");
    SetDlgItemText(IDC_OVERFLOWS, "0");
    PowerLevel.SetCaption(sFilePathName);
    return true;
}

// ---- buttons ----------------------------------------------------------------

void CCapteonDlg::SetButtons(EButtons set)
{
    const bool settings = set == EButtons::Start || set == EButtons::FileChosen || set == EButtons::Stopped;
    for (int id : {int(IDC_CHOOSE_FILE), int(IDC_FREQUENCY_ADC), int(IDOK), int(IDCANCEL), int(IDC_MONO), int(IDC_STEREO)}) {
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(settings);
    }
    const std::pair<int, bool> transport[] = {
        {IDC_RECORD, set == EButtons::FileChosen},
        {IDC_PAUSE, set == EButtons::Recording},
        {IDC_RESUME, set == EButtons::Paused},
        {IDC_STOP, set == EButtons::Recording || set == EButtons::Paused},
        {IDC_PLAY, set == EButtons::Stopped},
    };
    for (auto [id, on] : transport) {
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(on);
    }
}

bool CCapteonDlg::IsEnabled(int nID)
{
    CWnd* w = GetDlgItem(nID);
    return w && w->IsWindowEnabled();
}

// ---- settings ---------------------------------------------------------------

long CCapteonDlg::ChosenFrequency()
{
    CComboBox* combo = GetDlgItemAs<CComboBox>(IDC_FREQUENCY_ADC);
    int i = combo ? combo->GetCurSel() : -1;
    return i >= 0 && i < nRates ? FrequenciesADC[i] : FrequenciesADC[kDefaultRateIndex];
}

int CCapteonDlg::ChosenChannels()
{
    return GetCheckedRadioButton(IDC_MONO, IDC_STEREO) == IDC_STEREO ? 2 : 1;
}

void CCapteonDlg::OnFrequencyChange()
{
    AllocateBuffers(ChosenFrequency(), ChosenChannels());
}

void CCapteonDlg::OnChannelsChange()
{
    AllocateBuffers(ChosenFrequency(), ChosenChannels());
}

bool CCapteonDlg::AllocateBuffers(long nRate, int nNewChannels)
{
    if (pBufferBlock && nRate == nFrequencyADC && nNewChannels == nChannels)
        return true;
    delete[] pBufferBlock;
    pBufferBlock = nullptr;
    nFrequencyADC = 0;
    nChannels = 0;
    const size_t nSamples = size_t(nBuffers) * size_t(nRate) * size_t(nNewChannels);
    pBufferBlock = new (std::nothrow) short[nSamples];
    if (!pBufferBlock) {
        AfxMessageBox(kNoMemory, MB_OK | MB_ICONSTOP);
        return false;
    }
    nFrequencyADC = nRate;
    nChannels = nNewChannels;
    WriteProfile("FrequencyADC", int(nRate));
    WriteProfile("NChannels", nNewChannels);
    std::fill(pBufferBlock, pBufferBlock + nSamples, short(0));
    WaveFormat.wFormatTag = WAVE_FORMAT_PCM;
    WaveFormat.nChannels = WORD(nChannels);
    WaveFormat.nSamplesPerSec = DWORD(nRate);
    WaveFormat.nAvgBytesPerSec = DWORD(nChannels * nRate * 2);
    WaveFormat.nBlockAlign = WORD(nChannels * 2);
    WaveFormat.wBitsPerSample = 16;
    WaveFormat.cbSize = 0;
    return true;
}

// ---- file -------------------------------------------------------------------

void CCapteonDlg::OnChooseFile()
{
    FileDialogRequest request = KSaveFileRequest("wav", sFilePathName, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                                                 "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||",
                                                 "В какой новый звуковой файл записывать сигнал?");
    if (!UserInteraction().FileDialog(request))
        return;
    sFilePathName = request.sPathName;
    sFileTitle = request.sFileTitle;
    SetButtons(EButtons::FileChosen);
    PowerLevel.SetCaption(sFilePathName);
}

bool CCapteonDlg::CreateWaveFile()
{
    MMIOINFO info;
    hmmio = mmioOpen(sFilePathName, &info, MMIO_CREATE | MMIO_WRITE);
    if (!hmmio) {
        AfxMessageBox("Не удалось открыть звуковой файл.", MB_OK);
        return false;
    }
    ckRiff = MMCKINFO();
    ckRiff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ckFmt = MMCKINFO();
    ckFmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ckFmt.cksize = sizeof WaveFormat; // final: this chunk is never ascended
    ckData = MMCKINFO();
    ckData.ckid = mmioFOURCC('d', 'a', 't', 'a');
    const bool ok = mmioCreateChunk(hmmio, &ckRiff, MMIO_CREATERIFF) == MMSYSERR_NOERROR &&
                    mmioCreateChunk(hmmio, &ckFmt, 0) == MMSYSERR_NOERROR &&
                    mmioWrite(hmmio, &WaveFormat, LONG(sizeof WaveFormat)) == LONG(sizeof WaveFormat) &&
                    mmioCreateChunk(hmmio, &ckData, 0) == MMSYSERR_NOERROR;
    if (!ok) {
        // Not even the header fits: no sound file is left behind.
        mmioClose(hmmio);
        hmmio = nullptr;
        std::remove(sFilePathName);
        sMessage.Format("Ошибка номер 1 записи в файл:\n\n%s\n\nВозможно, что диск уже переполнился.",
                        sFilePathName.GetString());
        MessageBox(sMessage, kWriteErrorTitle, MB_OK | MB_ICONSTOP);
        return false;
    }
    m_nDataBytes = 0;
    return true;
}

void CCapteonDlg::FinishWaveFile()
{
    if (!hmmio)
        return;
    const long long end = (long long)ckData.dwDataOffset + (long long)m_nDataBytes;
    // A failed write may have left part of a buffer after the last whole one.
    if (m_bWriteFailed)
        mmioSeek(hmmio, end, SEEK_SET);
    const bool ok = mmioAscend(hmmio, &ckData, 0) == MMSYSERR_NOERROR &&
                    mmioAscend(hmmio, &ckRiff, 0) == MMSYSERR_NOERROR;
    mmioClose(hmmio);
    hmmio = nullptr;
    if (m_bWriteFailed) {
        CFile file;
        if (file.Open(sFilePathName, CFile::modeReadWrite | CFile::typeBinary) && file.GetLength() > end)
            file.SetLength(end);
    }
    if (!ok && !m_bWriteFailed) {
        m_bWriteFailed = true;
        m_nWriteError = 1;
    }
}

// ---- recording --------------------------------------------------------------

void CCapteonDlg::ResetStatistics()
{
    dHighestLevel = -1000;
    dLowestLevel = 1000;
    dCurrentLevel = 0;
    nRecordedSamples = 0;
    nOverflows = 0;
}

void CCapteonDlg::ShowStatistics()
{
    CString s;
    s.Format("%li", nFrequencyADC > 0 ? nRecordedSamples / nFrequencyADC : 0L);
    SetDlgItemText(IDC_SECONDS, s);
    s.Format("%.0f", dCurrentLevel);
    SetDlgItemText(IDC_CURRENT_LEVEL, s);
    s.Format("(%.0f) - (%.0f) = %.0f", dHighestLevel, dLowestLevel, dHighestLevel - dLowestLevel);
    SetDlgItemText(IDC_LEVEL_SPREAD, s);
    s.Format("%i", int(nOverflows));
    SetDlgItemText(IDC_OVERFLOWS, s);
}

void CCapteonDlg::OnRecord()
{
    if (waveInGetNumDevs() == 0) {
        MessageBox("Нет ни одного свободного устройства записи звука.", kCardError, MB_OK);
        return;
    }
    if (!pBufferBlock && !AllocateBuffers(ChosenFrequency(), ChosenChannels()))
        return;
    m_bWriteFailed = false;
    m_bWriteErrorShown = false;
    m_nWriteError = 0;
    if (!CreateWaveFile())
        return;

    nStatus = waveInOpen(&hWaveIn, WAVE_MAPPER, &WaveFormat, this, 0, CALLBACK_WINDOW);
    if (nStatus != MMSYSERR_NOERROR) {
        hWaveIn = nullptr;
        FinishWaveFile(); // an empty but whole sound file
        MessageBox("Не удалось открыть звуковое устройство.\n\n" + OpenReason(nStatus), kCardError, MB_OK);
        return;
    }

    m_queued.clear();
    std::fill(std::begin(m_bReturned), std::end(m_bReturned), false);
    ResetStatistics();
    PowerLevel.Clear();
    const long nSamplesPerBuffer = nFrequencyADC * nChannels;
    for (int i = 0; i < nBuffers; ++i) {
        WAVEHDR& h = WaveHeaders[i];
        h = WAVEHDR();
        h.lpData = reinterpret_cast<char*>(pBufferBlock + i * nSamplesPerBuffer);
        h.dwBufferLength = DWORD(nSamplesPerBuffer * 2);
        h.dwUser = DWORD_PTR(i);
        nStatus = waveInPrepareHeader(hWaveIn, &h, sizeof h);
        if (nStatus != MMSYSERR_NOERROR) {
            const CString reason = HandleReason(nStatus);
            // The buffers already queued come back first, so that the
            // device can be closed at all.
            waveInReset(hWaveIn);
            for (int j = 0; j < i; ++j)
                waveInUnprepareHeader(hWaveIn, &WaveHeaders[j], sizeof(WAVEHDR));
            const MMRESULT closed = waveInClose(hWaveIn);
            hWaveIn = nullptr;
            m_queued.clear();
            FinishWaveFile();
            MessageBox(kPrepareFailed + reason, kCardError, MB_OK);
            if (closed != MMSYSERR_NOERROR)
                MessageBox(kPrepareFailed + CloseReason(closed), kCardError, MB_OK);
            return;
        }
        nStatus = waveInAddBuffer(hWaveIn, &h, sizeof h);
        if (nStatus != MMSYSERR_NOERROR) {
            MessageBox(kAddFailed + AddReason(nStatus), kCardError, MB_OK);
            continue;
        }
        m_queued.push_back(i);
    }

    StartDevice();
}

void CCapteonDlg::StartDevice()
{
    nStatus = waveInStart(hWaveIn);
    if (nStatus != MMSYSERR_NOERROR) {
        AfxMessageBox(kStartFailed, MB_OK);
        if (CString reason = StartReason(nStatus); !reason.IsEmpty())
            AfxMessageBox(reason, MB_OK);
    }
    SetButtons(EButtons::Recording);
}

void CCapteonDlg::OnPause()
{
    if (!hWaveIn)
        return;
    // The buffer being filled comes back with what it holds and is
    // written; the empty ones wait on the device.
    nStatus = waveInStop(hWaveIn);
    if (nStatus != MMSYSERR_NOERROR)
        MessageBox(kAddFailed + AddReason(nStatus), kCardError, MB_OK);
    SetButtons(EButtons::Paused);
}

void CCapteonDlg::OnResume()
{
    if (!hWaveIn)
        return;
    StartDevice();
}

void CCapteonDlg::OnStop()
{
    StopRecording(true);
}

void CCapteonDlg::StopRecording(bool bReport)
{
    CString resetFailure, closeFailure;
    if (hWaveIn) {
        HWAVEIN h = hWaveIn;
        const MMRESULT reset = waveInReset(h);
        if (reset != MMSYSERR_NOERROR)
            resetFailure = "Не удалось сбросить устройство записи звука - waveInReset.\n\n" + HandleReason(reset);
        // The reset gave every buffer back: they are written now, in the
        // order they were filled, so the file is whole before it is closed
        // (their notifications may come after the window is gone).
        for (int i : m_queued)
            m_bReturned[i] = true;
        HandleReturnedBuffers(false);
        m_queued.clear();
        for (WAVEHDR& wh : WaveHeaders)
            waveInUnprepareHeader(h, &wh, sizeof wh);
        const MMRESULT closed = waveInClose(h);
        if (closed != MMSYSERR_NOERROR)
            closeFailure = "Не удалось закрыть АЦП - waveInClose.\n\n" + CloseReason(closed);
        hWaveIn = nullptr;
    }
    FinishWaveFile();
    SetButtons(EButtons::Stopped);
    if (bReport && !resetFailure.IsEmpty())
        MessageBox(resetFailure, kCardError, MB_OK);
    if (bReport && !closeFailure.IsEmpty())
        MessageBox(closeFailure, kCardError, MB_OK);
    if (m_bWriteFailed && !m_bWriteErrorShown) {
        m_bWriteErrorShown = true;
        sMessage.Format(m_nWriteError == 2
                            ? "Ошибка номер 2 записи в файл:\n\n%s\n\nВозможно, что диск уже переполнился."
                            : "Ошибка номер 1 записи в файл:\n\n%s\n\nВозможно, что диск уже переполнился.",
                        sFilePathName.GetString());
        MessageBox(sMessage, kWriteErrorTitle, MB_OK | MB_ICONSTOP);
    }
}

LRESULT CCapteonDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MM_WIM_DATA) {
        OnWaveInData(wParam, reinterpret_cast<WAVEHDR*>(lParam));
        return 0;
    }
    // MM_WIM_CLOSE asks nothing more: whoever closes the device has written
    // the file's sizes already, and a late word of an old device must not
    // close the file of a new recording.
    if (message == MM_WIM_CLOSE)
        return 0;
    return CDialog::WindowProc(message, wParam, lParam);
}

void CCapteonDlg::OnWaveInData(WPARAM device, WAVEHDR* pwh)
{
    // Words from a device already closed (or of a header queued again) are late: Stop took care of them.
    if (!hWaveIn || device != WPARAM(hWaveIn) || pwh < WaveHeaders || pwh >= WaveHeaders + nBuffers ||
        (pwh->dwFlags & WHDR_INQUEUE))
        return;
    m_bReturned[pwh - WaveHeaders] = true;
    HandleReturnedBuffers(true);
    if (m_bWriteFailed)
        StopRecording(true);
}

void CCapteonDlg::HandleReturnedBuffers(bool bRequeue)
{
    while (!m_queued.empty() && m_bReturned[m_queued.front()]) {
        const int i = m_queued.front();
        m_queued.pop_front();
        m_bReturned[i] = false;
        WAVEHDR& h = WaveHeaders[i];
        HandleBuffer(&h);
        if (!bRequeue || !hWaveIn || m_bWriteFailed)
            continue;
        waveInUnprepareHeader(hWaveIn, &h, sizeof h);
        waveInPrepareHeader(hWaveIn, &h, sizeof h);
        nStatus = waveInAddBuffer(hWaveIn, &h, sizeof h);
        if (nStatus == MMSYSERR_NOERROR)
            m_queued.push_back(i);
    }
}

void CCapteonDlg::HandleBuffer(WAVEHDR* pwh)
{
    const DWORD nBytes = pwh->dwBytesRecorded;
    if (nBytes == 0 || !hmmio || m_bWriteFailed)
        return;
    if (m_nDataBytes + nBytes > kMaxDataBytes) {
        m_bWriteFailed = true;
        m_nWriteError = 2;
        return;
    }
    const LONG written = mmioWrite(hmmio, pwh->lpData, LONG(nBytes));
    if (written < 0 || DWORD(written) < nBytes) {
        m_bWriteFailed = true;
        m_nWriteError = written < 0 ? 1 : 2;
        if (written > 0) // only whole buffers count
            mmioSeek(hmmio, -written, SEEK_CUR);
        return;
    }
    m_nDataBytes += nBytes;

    const long n = long(nBytes / 2);
    const short* s = reinterpret_cast<const short*>(pwh->lpData);
    nRecordedSamples += nChannels == 1 ? n : n / 2;
    long peak = 0;
    for (long i = 0; i < n; ++i) {
        if (s[i] == 32767 || s[i] == -32768)
            ++nOverflows;
        peak = std::max(peak, std::labs(long(s[i])));
    }
    dCurrentLevel = 20.0 * std::log10(peak > 0 ? double(peak) : 0.5) - 20.0 * std::log10(32768.0);
    dHighestLevel = std::max(dHighestLevel, dCurrentLevel);
    dLowestLevel = std::min(dLowestLevel, dCurrentLevel);
    PowerLevel.AddColumn(peak);
    ShowStatistics();
}

// ---- playing and closing ----------------------------------------------------

void CCapteonDlg::OnPlay()
{
    CKDialogPlayWaveFile dlg(this);
    dlg.sPathName = sFilePathName;
    dlg.DoModal();
}

void CCapteonDlg::OnOK()
{
    if (IsEnabled(IDC_STOP))
        StopRecording(true);
    sResultPathName = sFilePathName;
    sResultTitle = sFileTitle;
    EndDialog(IDOK);
}

void CCapteonDlg::OnCancel()
{
    const bool transport = IsEnabled(IDC_RECORD) || IsEnabled(IDC_PAUSE) || IsEnabled(IDC_RESUME) ||
                           IsEnabled(IDC_STOP) || IsEnabled(IDC_PLAY);
    if (transport) {
        if (!IsEnabled(IDC_RECORD) || IsEnabled(IDC_PAUSE) || IsEnabled(IDC_RESUME) || IsEnabled(IDC_STOP))
            StopRecording(true);
        if (IsEnabled(IDC_PLAY)) {
            if (MessageBox("Удалить только что записанный звуковой файл?", "Что делать?", MB_YESNO | MB_ICONQUESTION) !=
                IDYES)
                return;
            if (std::remove(sFilePathName) != 0)
                AfxMessageBox("Не удалось удалить звуковой файл:\n\n" + sFilePathName, MB_OK | MB_ICONEXCLAMATION);
        }
    }
    EndDialog(IDCANCEL);
}
