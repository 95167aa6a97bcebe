// CKDialogTrackParams: the parameters of the pitch and formant tracks. The
// caller sets Params, runs the dialog and reads them back after OK; OK
// refuses, with what is wrong, values the analyses cannot take.
#pragma once
#include "framework/ui/CDialog.h"
#include "kavrel/core/KFilmTracks.h"

class CKDialogTrackParams : public CDialog {
public:
    enum { IDD = 4160 };
    enum : int {
        IDC_PITCH_FLOOR = 5201,
        IDC_PITCH_CEILING = 5202,
        IDC_SILENCE_THRESHOLD = 5203,
        IDC_VOICING_THRESHOLD = 5204,
        IDC_OCTAVE_COST = 5205,
        IDC_OCTAVE_JUMP_COST = 5206,
        IDC_VOICED_UNVOICED_COST = 5207,
        IDC_GAUSSIAN_WINDOW = 5208,
        IDC_MAX_FORMANT = 5211,
        IDC_NUMBER_OF_FORMANTS = 5212,
        IDC_FORMANT_WINDOW = 5213
    };
    explicit CKDialogTrackParams(CWnd* pParent = nullptr);

    KTrackParams Params;

    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
