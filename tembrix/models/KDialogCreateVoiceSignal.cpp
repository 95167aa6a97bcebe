#include "tembrix/models/KDialogCreateVoiceSignal.h"

#include "framework/base/UserServices.h"
#include "tembrix/models/res/TembrixModelsForms.h"

CKDialogCreateVoiceSignal::CKDialogCreateVoiceSignal(CWnd* pParent) : CDialog(IDD, pParent)
{
    RegisterTembrixModelsForms();
    MapCommand(IDC_SHOW_MODEL, &CKDialogCreateVoiceSignal::OnShowModel);
    MapCommand(IDC_CREATE_FILE, &CKDialogCreateVoiceSignal::OnCreateFile);
}

void CKDialogCreateVoiceSignal::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, IDC_F0, F0, 1, 1000);
    DDX_TextInRange(pDX, IDC_T1, T1, 0, 1);
    DDX_TextInRange(pDX, IDC_T2, T2, 0, 1);
    DDX_TextInRange(pDX, IDC_T3, T3, 0, 1);
    DDX_TextInRange(pDX, IDC_A1, A1, 0, 1);
    DDX_TextInRange(pDX, IDC_A2, A2, 0, 1);
    DDX_Check(pDX, IDC_CORRECT, bCorrectByResidual);
    DDX_TextInRange(pDX, IDC_NOISE, Noise_dB, -1000, 1000);
    DDX_TextInRange(pDX, IDC_CHEST_F, ChestF, 0, 1000);
    DDX_TextInRange(pDX, IDC_CHEST_A, ChestA_dB, -1000, 1000);
    DDX_TextInRange(pDX, IDC_CHEST_PHASE, ChestPhase, -1000, 1000);
    DDX_TextInRange(pDX, IDC_DF0, dF0, 0, 1);
    DDX_TextInRange(pDX, IDC_DT1, dT1, 0, 1);
    DDX_TextInRange(pDX, IDC_DT2, dT2, 0, 1);
    DDX_TextInRange(pDX, IDC_DT3, dT3, 0, 1);
    DDX_TextInRange(pDX, IDC_DA1, dA1, 0, 1);
    DDX_TextInRange(pDX, IDC_DA2, dA2, 0, 1);
}

bool CKDialogCreateVoiceSignal::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CWnd* place = GetDlgItem(IDC_MODEL_PLACE)) {
        CRect r;
        place->GetWindowRect(&r);
        ScreenToClient(&r);
        VoiceModel.Create(r, this, 1);
        VoiceModel.ShowWindow(SW_SHOW);
    }
    return true;
}

void CKDialogCreateVoiceSignal::OnShowModel()
{
    if (!UpdateData(true))
        return;
    Params.F0 = F0;
    Params.Noise_dB = Noise_dB;
    Params.ChestF = ChestF;
    Params.ChestA_dB = ChestA_dB;
    Params.ChestPhase = ChestPhase;
    Params.T1 = T1;
    Params.T2 = T2;
    Params.T3 = T3;
    Params.A1 = A1;
    Params.A2 = A2;
    Params.dF0 = dF0;
    Params.dT1 = dT1;
    Params.dT2 = dT2;
    Params.dT3 = dT3;
    Params.dA1 = dA1;
    Params.dA2 = dA2;
    if (VoiceModel.BuildPulse(Params, bCorrectByResidual != 0)) {
        VoiceModel.Invalidate();
        VoiceModel.UpdateWindow();
    } else {
        MessageBox("Противоречивые входные параметры модели.");
    }
}

void CKDialogCreateVoiceSignal::OnCreateFile()
{
    FileDialogRequest request;
    request.bOpen = false;
    request.sDefaultExt = "WAV";
    request.sFileName = "_VoiceModel";
    request.nFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    request.sFilter = "WAVE файлы (*.wav)|*.wav||";
    request.sTitle = "Задание имени синтезируемого файла-сигнала (в формате WAV)";
    if (!UserInteraction().FileDialog(request))
        return;
    CWaitCursor wait;
    std::vector<short> samples;
    const bool ok = GenerateVoiceSignal(VoiceModel, Params, samples) && WriteVoiceSignalFile(request.sPathName, samples);
    // The window shows the last period drawn.
    VoiceModel.Invalidate();
    if (ok)
        UserInteraction().MessageBeep(MB_OK);
}
