// CMciWnd: the media control window of a whole sound file, in the manner
// of the platform's MCIWnd: a child window with play and stop buttons that
// plays the file through the wave-out device without blocking the thread.
#pragma once
#include <QPointer>
#include <QWidget>
#include <vector>

#include "framework/audio/WaveAudio.h"
#include "framework/ui/CWnd.h"

class CMciWnd : public CWnd {
public:
    CMciWnd() = default;
    ~CMciWnd() override;

    // Creates the window inside pParent (a top-level one when null) and
    // loads the file: a PCM WAV file, 8 or 16 bits, mono or stereo. False
    // when the file cannot be read; the window then stays, with play disabled.
    bool Create(CWnd* pParent, const CString& sPathName);

    bool Play();
    void Stop();
    bool IsPlaying() const { return m_hDevice != nullptr; }
    // Sample frames in the loaded file.
    long GetLength() const;
    const WAVEFORMATEX& GetFormat() const { return m_Format; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool load(const CString& sPathName);
    void refreshControls();

    WAVEFORMATEX m_Format{};
    std::vector<char> m_Data;
    HWAVEOUT m_hDevice = nullptr;
    WAVEHDR m_Header{};
    // The buttons go with the parent's widget, which may go before this object.
    QPointer<QWidget> m_pPlay;
    QPointer<QWidget> m_pStop;
};
