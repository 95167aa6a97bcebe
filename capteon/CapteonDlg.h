// CCapteonDlg: the recorder's main dialog. It records from the default
// wave-in device into a new 16-bit PCM WAV file through four one-second
// buffers, writing every returned buffer at once, and shows the level of
// each buffer in the strip chart.
#pragma once
#include <deque>

#include "capteon/KWndPowerLevel.h"
#include "framework/audio/WaveAudio.h"
#include "framework/base/Mmio.h"
#include "framework/ui/KDialogProgram.h"

enum : UINT {
    IDD_CAPTEON_DIALOG = 102,
    IDD_ABOUTBOX = 100,
    IDM_ABOUTBOX = 16,
    IDS_NO_FILE_NAME = 102,
    IDC_CHOOSE_FILE = 11000,
    IDC_POWER_LEVEL_PLACE = 11001,
    IDC_RECORD = 11002,
    IDC_STOP = 11003,
    IDC_FREQUENCY_ADC = 11004,
    IDC_PAUSE = 11005,
    IDC_RESUME = 11006,
    IDC_PLAY = 11007,
    IDC_SECONDS = 11008,
    IDC_CURRENT_LEVEL = 11010,
    IDC_OVERFLOWS = 11013,
    IDC_LEVEL_SPREAD = 11015,
    IDC_MONO = 11017,
    IDC_STEREO = 11018,
    IDC_HELP_BUTTON = 57670, // the framework opens the guide at the dialog's topic
    ID_POWER_LEVEL_WND = 7,
};

class CCapteonDlg : public CKProgramDialog {
public:
    static constexpr int nBuffers = 4;
    static constexpr int nRates = 18;
    static const long FrequenciesADC[nRates];

    explicit CCapteonDlg(CWnd* pParent = nullptr);
    ~CCapteonDlg() override;

    CString sFilePathName;
    CString sFileTitle;
    long nFrequencyADC = 0; // of the allocated buffers; 0 before the first allocation
    int nChannels = 0;
    short* pBufferBlock = nullptr;
    WAVEFORMATEX WaveFormat{};
    WAVEHDR WaveHeaders[nBuffers]{};
    HWAVEIN hWaveIn = nullptr;
    MMRESULT nStatus = MMSYSERR_NOERROR;
    HMMIO hmmio = nullptr;
    MMCKINFO ckRiff, ckFmt, ckData;
    long nRecordedSamples = 0;
    long nOverflows = 0;
    double dCurrentLevel = 0;
    double dHighestLevel = -1000;
    double dLowestLevel = 1000;
    CString sMessage;
    CString sResultPathName;
    CString sResultTitle;
    CKWndPowerLevel PowerLevel;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnChooseFile();
    void OnRecord();
    void OnPause();
    void OnResume();
    void OnStop();
    void OnPlay();
    void OnFrequencyChange();
    void OnChannelsChange();

    // MM_WIM_DATA: a buffer came back from the device.
    void OnWaveInData(WPARAM device, WAVEHDR* pwh);

private:
    // Lets a test start a recording as if gigabytes were behind it.
    friend struct CapteonTestAccess;
    enum class EButtons { Start, FileChosen, Recording, Paused, Stopped };
    void SetButtons(EButtons set);
    bool IsEnabled(int nID);
    bool AllocateBuffers(long nRate, int nNewChannels);
    long ChosenFrequency();
    int ChosenChannels();
    bool CreateWaveFile();
    // Writes the sizes and closes the file; after a failed write the file
    // ends with the last whole buffer.
    void FinishWaveFile();
    // Returned buffers are handled in the order the device filled them.
    void HandleReturnedBuffers(bool bRequeue);
    void HandleBuffer(WAVEHDR* pwh);
    void StopRecording(bool bReport);
    // Starts (or resumes) the device's filling of the queued buffers.
    void StartDevice();
    void ShowStatistics();
    void ResetStatistics();

    // Headers on the device, in the order it fills them, and which of
    // them it has given back.
    std::deque<int> m_queued;
    bool m_bReturned[nBuffers] = {};
    bool m_bWriteFailed = false;
    bool m_bWriteErrorShown = false;
    int m_nWriteError = 0;
    unsigned long long m_nDataBytes = 0; // whole buffers written to the "data" chunk
};
