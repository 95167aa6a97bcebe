// CKDialogCreateVoiceSignal: the voice impulse model. "Посмотреть на
// модельный сигнал" builds and draws one period from the fields; "Создать
// звуковой файл" writes 10 s of jittered periods of the record last shown.
#pragma once
#include <span>

#include "framework/ui/CDialog.h"
#include "tembrix/models/KVoiceModel.h"

class CKDialogCreateVoiceSignal : public CDialog {
public:
    enum { IDD = 2144 };
    enum : int {
        IDC_CREATE_FILE = 3071,
        IDC_SHOW_MODEL = 3073,
        IDC_MODEL_PLACE = 3074,
        IDC_F0 = 3075,
        IDC_T1 = 3076,
        IDC_T2 = 3077,
        IDC_T3 = 3078,
        IDC_A1 = 3079,
        IDC_A2 = 3080,
        IDC_CORRECT = 3081,
        IDC_NOISE = 3082,
        IDC_CHEST_A = 3083,
        IDC_CHEST_F = 3084,
        IDC_DF0 = 3085,
        IDC_CHEST_PHASE = 3086,
        IDC_DT1 = 3087,
        IDC_DT2 = 3088,
        IDC_DT3 = 3089,
        IDC_DA1 = 3090,
        IDC_DA2 = 3091,
    };

    explicit CKDialogCreateVoiceSignal(CWnd* pParent = nullptr);

    // The record the file is generated from, as 3073 last set it.
    KVOICE_MODEL_PARAMS Params;
    CKVoiceModel VoiceModel;

    // One edit field of the model: its control, the record's member it
    // holds, its range, and the batch tool's option and message label for it.
    struct Field {
        int nID;
        double KVOICE_MODEL_PARAMS::*value;
        double lo, hi;
        const char* key;
        const char* label;
    };
    // In the order of the form: the means, the noise and chest resonance, the deviations.
    static std::span<const Field> FieldTable();
    // The record as the fields first stand: the chest resonance at 0 Hz.
    static KVOICE_MODEL_PARAMS FirstFields();

    // The edit fields.
    KVOICE_MODEL_PARAMS Fields = FirstFields();
    int bCorrectByResidual = 0;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnShowModel();
    void OnCreateFile();
};
