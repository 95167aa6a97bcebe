// The windowed implementation of the user-interaction services.
#pragma once
#include "framework/base/UserServices.h"

class CQtUserInteraction : public IUserInteraction {
public:
    int MessageBox(const CString& text, const CString& caption, UINT style) override;
    bool FileDialog(FileDialogRequest& request) override;
    bool PrintDialog(PrintDialogRequest& request) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void Beep(DWORD frequency, DWORD duration) override;
    void MessageBeep(UINT type) override;
};

// "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||" -> "WAV файлы (*.wav);;Все файлы (*)".
CString KQtFilterFromFrameworkFilter(const CString& filter);

// Plays a tone through the sound device; installed by the audio layer.
using ToneFunction = void (*)(DWORD frequency, DWORD duration);
void SetToneFunction(ToneFunction f);

// Qt's own texts (the buttons, the print, preview and file dialogs) in
// Russian, when the system has Qt's translations; false when it has none.
bool KInstallQtRussianTexts();
