// CKMediaWindow: the media window of a whole sound file (play, pause, stop,
// a position bar and the elapsed time), playing through the wave-out device.
#pragma once
#include <memory>

#include "framework/ui/CWnd.h"

class CKMediaWindow : public CWnd {
public:
    CKMediaWindow();
    ~CKMediaWindow() override;

    // Creates the window as a child of pParent's widget for this file.
    bool Create(CWnd* pParent, const CString& sPathName);

    bool Play();
    void Pause();
    void Stop();
    bool IsPlaying() const;
    // Sample frames played so far and in all.
    long GetPosition() const;
    long GetLength() const;
    CString GetElapsedText() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    struct Engine;

private:
    void refreshControls();
    std::unique_ptr<Engine> m_pEngine;
};
