#include "tembrix/models/KDialogCreateVoiceSignal.h"

#include "framework/base/UserServices.h"
#include "kavrel/core/KWaveWriteToFile.h"
#include "tembrix/models/res/TembrixModelsForms.h"

CKDialogCreateVoiceSignal::CKDialogCreateVoiceSignal(CWnd* pParent) : CDialog(IDD, pParent)
{
    RegisterTembrixModelsForms();
    MapCommand(IDC_SHOW_MODEL, &CKDialogCreateVoiceSignal::OnShowModel);
    MapCommand(IDC_CREATE_FILE, &CKDialogCreateVoiceSignal::OnCreateFile);
}

std::span<const CKDialogCreateVoiceSignal::Field> CKDialogCreateVoiceSignal::FieldTable()
{
    using P = KVOICE_MODEL_PARAMS;
    static const Field fields[] = {
        {IDC_F0, &P::F0, 1, 1000, "--f0", "F0"},
        {IDC_T1, &P::T1, 0, 1, "--t1", "T1"},
        {IDC_T2, &P::T2, 0, 1, "--t2", "T2"},
        {IDC_T3, &P::T3, 0, 1, "--t3", "T3"},
        {IDC_A1, &P::A1, 0, 1, "--a1", "A1"},
        {IDC_A2, &P::A2, 0, 1, "--a2", "A2"},
        {IDC_NOISE, &P::Noise_dB, -1000, 1000, "--noise", "Шум [дБ]"},
        {IDC_CHEST_F, &P::ChestF, 0, 1000, "--chest-f", "F [Гц]"},
        {IDC_CHEST_A, &P::ChestA_dB, -1000, 1000, "--chest-a", "A [дБ]"},
        {IDC_CHEST_PHASE, &P::ChestPhase, -1000, 1000, "--chest-phase", "Фаза [гр.]"},
        {IDC_DF0, &P::dF0, 0, 1, "--df0", "dF0"},
        {IDC_DT1, &P::dT1, 0, 1, "--dt1", "dT1"},
        {IDC_DT2, &P::dT2, 0, 1, "--dt2", "dT2"},
        {IDC_DT3, &P::dT3, 0, 1, "--dt3", "dT3"},
        {IDC_DA1, &P::dA1, 0, 1, "--da1", "dA1"},
        {IDC_DA2, &P::dA2, 0, 1, "--da2", "dA2"},
    };
    return fields;
}

KVOICE_MODEL_PARAMS CKDialogCreateVoiceSignal::FirstFields()
{
    KVOICE_MODEL_PARAMS R;
    R.ChestF = 0;
    return R;
}

void CKDialogCreateVoiceSignal::DoDataExchange(CDataExchange* pDX)
{
    // The check box cannot fail, so where it stands among the fields changes nothing.
    DDX_Check(pDX, IDC_CORRECT, bCorrectByResidual);
    for (const Field& f : FieldTable())
        DDX_TextInRange(pDX, f.nID, Fields.*f.value, f.lo, f.hi);
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
    Params = Fields;
    if (VoiceModel.BuildPulse(Params, bCorrectByResidual != 0)) {
        VoiceModel.Invalidate();
        VoiceModel.UpdateWindow();
    } else {
        MessageBox("Противоречивые входные параметры модели.");
    }
}

void CKDialogCreateVoiceSignal::OnCreateFile()
{
    CString path;
    if (!CKWaveWriteToFile::ChooseFile(path, "WAV", "_VoiceModel", "WAVE файлы (*.wav)|*.wav||",
                                       "Задание имени синтезируемого файла-сигнала (в формате WAV)"))
        return;
    CWaitCursor wait;
    std::vector<short> samples;
    const bool ok = GenerateVoiceSignal(VoiceModel, Params, samples) && WriteVoiceSignalFile(path, samples);
    // The window shows the last period drawn.
    VoiceModel.Invalidate();
    if (ok)
        UserInteraction().MessageBeep(MB_OK);
}
