// CKDialogPlayFilmViewFragment: plays the part of the sound visible in a
// sonogram, or the film's selected fragment, through the wave-out device
// with a digital gain in 6 dB steps, counting the samples the gain clips.
// Two one-second buffers stay queued on the device; each is refilled as
// the device gives it back. Other playback dialogs derive from it with a
// form and a sound of their own (the tracer plays its screens so).
#pragma once
#include <memory>

#include "framework/audio/WaveAudio.h"
#include "kavrel/views/KFilmViewDialog.h"

class CKDialogPlayFilmViewFragment : public CKFilmViewDialog {
public:
    enum { IDD = 4140 };
    explicit CKDialogPlayFilmViewFragment(CKWaveFilmView* pView, CWnd* pParent = nullptr);
    ~CKDialogPlayFilmViewFragment() override;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The device's notifications come first, then the base handling.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnPlayScreen();
    void OnPlayFragment();
    void OnStop();

    // Plays samples [s, e) of the sound.
    void StartPlaying(long s, long e);
    void StopPlaying();
    bool IsPlaying() const { return hWaveOut != nullptr; }

    // What each wave-out call's failure means to the user; empty for a
    // result the call does not document.
    enum class EWaveOutCall { Open, Prepare, Write, Reset, Close };
    static CString WaveOutErrorReason(EWaveOutCall call, MMRESULT result);

    WAVEFORMATEX Format{};
    long nBufferLength = 0;            // samples per buffer: one second
    std::unique_ptr<short[]> pBuffer[2];
    WAVEHDR WaveHeader[2]{};
    HWAVEOUT hWaveOut = nullptr;
    MMRESULT Status = MMSYSERR_NOERROR; // result of the last wave-out call
    CString sErrorText;
    long nNextSample = 0;               // [next, end) is still to be queued
    long nEndSample = 0;
    int nQueued = 0;                    // headers on the device
    long nTotal = 0;                    // samples queued since the start
    long nClipped = 0;                  // samples clipped since the start
    int nGain = 0;                      // 0 … 14: a shift left by that many bits
    CString sClipText;

    static constexpr int kGainRadios[15] = {5083, 5084, 5085, 5086, 5087, 5088, 5089, 5090,
                                            5091, 5092, 5093, 5094, 5095, 5096, 5113};
    static constexpr int kScreenButton = 5081, kFragmentButton = 5097, kStopButton = 5082, kClipTextStatic = 5099;

protected:
    // For a dialog of form nIDTemplate that plays with this engine; it sets
    // its controls below and, to play a sound other than pView's film, the
    // source. pView may then be null.
    CKDialogPlayFilmViewFragment(UINT nIDTemplate, CKWaveFilmView* pView, CWnd* pParent);

    // The sound. Its format gives the rate played (the samples are always
    // one channel of 16 bits); false when there is nothing to play, and the
    // dialog ends. By default the parent view's film.
    virtual bool GetSourceFormat(WAVEFORMATEX& format);
    virtual long GetSourceSizeInSamples();
    // n samples from sample nFirst into pBuffer; zeros where the sound has none.
    virtual void FillSourceSamples(short* pBuffer, long nFirst, long n);

    // The controls: the two starting buttons (enabled while idle), the stop
    // button, the clip text and the 15 gain radios in order.
    int nStartButtonIDs[2] = {kScreenButton, kFragmentButton};
    int nStopButtonID = kStopButton;
    int nClipTextID = kClipTextStatic;
    const int* pGainRadioIDs = kGainRadios;

private:
    int readGain();
    // Fills header i with the next samples, gain applied; their count.
    long fillNextBuffer(int i);
    void showClipText();
    void showError(const CString& first, EWaveOutCall call, MMRESULT result);
    void setIdle(bool bIdle);
    void freeBuffers();

    // Notifications still to come from a device already stopped: the
    // buffers its reset returned and its close.
    int nStaleDone = 0;
    int nStaleClose = 0;
    bool bDeviceNotClosed = false;
};
