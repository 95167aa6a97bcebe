// CMciWnd: the media control window of a whole sound file, in the manner of
// the platform's MCIWnd: play, pause and stop buttons, a position bar and
// the elapsed time, playing through the wave-out device a quarter second
// at a time, so that the thread never blocks and long files cost no memory.
#pragma once
#include <memory>

#include "framework/base/WaveFormat.h"
#include "framework/ui/CWnd.h"

class CMciWnd : public CWnd {
public:
    CMciWnd();
    ~CMciWnd() override;

    // Creates the window inside pParent (a top-level one when null) and
    // opens the file: a PCM WAV file, 8 or 16 bits, mono or stereo. False
    // when the file cannot be read; the window then stays, with Play disabled.
    bool Create(CWnd* pParent, const CString& sPathName);

    // Plays from the position (from the start once the end was reached);
    // after Pause, goes on.
    bool Play();
    // What is queued plays out; nothing more is queued until Play.
    void Pause();
    // Stops at once; the next Play starts where the sound stopped.
    void Stop();
    bool IsPlaying() const;
    // Sample frames played so far and in the file.
    long GetPosition() const;
    long GetLength() const;
    // "m:ss.s / m:ss.s", played and in all.
    CString GetElapsedText() const;
    const WAVEFORMATEX& GetFormat() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    struct Engine;

private:
    void refreshControls();
    std::unique_ptr<Engine> m_pEngine;
};
