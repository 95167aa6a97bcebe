#include "kavrel/views/KDialogTrackParams.h"

CKDialogTrackParams::CKDialogTrackParams(CWnd* pParent) : CDialog(IDD, pParent) {}

void CKDialogTrackParams::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_PITCH_FLOOR, Params.pitch.dFloor);
    DDX_Text(pDX, IDC_PITCH_CEILING, Params.pitch.dCeiling);
    DDX_Text(pDX, IDC_SILENCE_THRESHOLD, Params.pitch.dSilenceThreshold);
    DDX_Text(pDX, IDC_VOICING_THRESHOLD, Params.pitch.dVoicingThreshold);
    DDX_Text(pDX, IDC_OCTAVE_COST, Params.pitch.dOctaveCost);
    DDX_Text(pDX, IDC_OCTAVE_JUMP_COST, Params.pitch.dOctaveJumpCost);
    DDX_Text(pDX, IDC_VOICED_UNVOICED_COST, Params.pitch.dVoicedUnvoicedCost);
    int gaussian = Params.pitch.bGaussian ? 1 : 0;
    DDX_Check(pDX, IDC_GAUSSIAN_WINDOW, gaussian);
    Params.pitch.bGaussian = gaussian != 0;
    DDX_Text(pDX, IDC_MAX_FORMANT, Params.formants.dMaxFormant);
    DDX_Text(pDX, IDC_NUMBER_OF_FORMANTS, Params.formants.nFormants);
    DDX_Text(pDX, IDC_FORMANT_WINDOW, Params.formants.dWindowLength);
}

void CKDialogTrackParams::OnOK()
{
    // The numbers are read into a copy: a refused OK leaves Params as it was.
    const KTrackParams kept = Params;
    if (!UpdateData(true)) {
        Params = kept;
        return;
    }
    const CString problem = KTrackParamsProblem(Params);
    if (!problem.IsEmpty()) {
        Params = kept;
        MessageBox(problem, "Параметры основного тона и формант", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}
