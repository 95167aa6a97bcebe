// CKWaveFilmDialogHowToShowTooltip: which values the sonogram's cursor text
// shows. It reads the flag word (tooltipFlags) into three radio groups and
// builds it again from them on OK.
#pragma once
#include "framework/ui/CDialog.h"
#include "kavrel/core/KWaveFilm.h"

class CKWaveFilmDialogHowToShowTooltip : public CDialog {
public:
    enum { IDD = 4149 };
    explicit CKWaveFilmDialogHowToShowTooltip(CWnd* pParent = nullptr);

    int tooltipFlags = CKWaveFilm::kDefaultTooltipFlags;
    int nFrequency = 0; // absolute, relative to the caret, derivative, none
    int nTime = 0;      // absolute, relative to the caret, none
    int nPower = 0;     // absolute, relative to the caret, none

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
