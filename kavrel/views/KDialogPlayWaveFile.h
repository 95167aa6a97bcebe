// CKDialogPlayWaveFile: plays a whole WAV file in a media window.
#pragma once
#include "framework/ui/CDialog.h"
#include "framework/ui/CMciWnd.h"

class CKDialogPlayWaveFile : public CDialog {
public:
    enum { IDD = 4129 };
    explicit CKDialogPlayWaveFile(CWnd* pParent = nullptr);

    bool OnInitDialog() override;

    CString sTitle = "Воспроизведение всего звукового файла";
    CString sPathName;
    CMciWnd MediaWindow;
};
