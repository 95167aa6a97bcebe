// Capteon: records sound from the default input device into a new WAV file.
#include <numbers>
#include <cmath>

#include "capteon/CapteonDlg.h"
#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/base/TempFile.h"
#include "framework/base/ThreadPriority.h"
#include "framework/ui/KDialogProgram.h"
#include "framework/ui/KScreenshot.h"

class CCapteonApp : public CKDialogProgramApp<CCapteonDlg> {
public:
    CCapteonApp() : CKDialogProgramApp("Capteon") {}

    bool InitInstance() override
    {
        // Buffers must be queued again promptly; a system that refuses the
        // higher priority still records, with less slack.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        return CKDialogProgramApp::InitInstance();
    }

private:
    // For the pictures: the recorder a minute and a quarter into a
    // recording from the simulated device.
    void DrawPictures(CCapteonDlg&) override
    {
        if (SelectedAudioBackend() != EAudioBackend::Virtual)
            return;
        CVirtualAudio::SetRealTimeClock(false);
        CVirtualAudio::SetInputFunction([](long frame, int) {
            const double t = frame / 11025.0; // seconds at the default rate
            // The level wanders between about -45 and -5 dB, with a pause
            // now and then and two overloaded seconds.
            double level = -25.0 + 20.0 * std::sin(2 * std::numbers::pi * t / 41.0) * std::sin(2 * std::numbers::pi * t / 13.0);
            if (std::fmod(t, 29.0) < 1.0)
                level = -200.0;
            if (t >= 47.0 && t < 49.0)
                level = 6.0;
            const double v = 32767.0 * std::pow(10.0, level / 20.0) * std::sin(2 * std::numbers::pi * 180.0 * t);
            return short(std::lround(std::fmax(-32768.0, std::fmin(32767.0, v))));
        });
        const CString path = KGetTempPath() + "capteon-screenshot.wav";
        CScriptedUserInteraction script;
        script.QueueFile(path);
        script.QueueAnswer(IDYES);
        CCapteonDlg dlg;
        if (!dlg.Create(IDD_CAPTEON_DIALOG))
            return;
        dlg.ClickDlgButton(IDC_CHOOSE_FILE);
        dlg.ClickDlgButton(IDC_RECORD);
        const DWORD rate = DWORD(dlg.nFrequencyADC);
        for (int second = 0; second < 75; ++second) {
            CVirtualAudio::AdvanceClockByFrames(rate, long(rate));
            KPumpMessages();
        }
        KSaveWindowScreenshot(&dlg, "recording");
        dlg.ClickDlgButton(IDC_STOP);
        dlg.ClickDlgButton(IDCANCEL); // the answer deletes the file
        dlg.DestroyWindow();
    }
};

int main(int argc, char** argv)
{
    CCapteonApp app;
    return app.Run(argc, argv);
}
