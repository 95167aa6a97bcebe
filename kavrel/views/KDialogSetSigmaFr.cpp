#include "kavrel/views/KDialogSetSigmaFr.h"

#include <numbers>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "framework/base/UserServices.h"

namespace {
constexpr int kSigmaEdit = 5003, kSigmaSpin = 5004, kRateEdit = 5010, kStepEdit = 5012, kStepSpin = 5011;
constexpr int kLink = 5009, kNFFT256 = 5006, kNFFT1024 = 5007, kNFFT4096 = 5008, kLeft = 5111, kRight = 5112;
// One spin step changes the resolution or the step by 2.8 %.
constexpr double kSpinFactor = 1.028;
// The NFFT buttons and the NFFT each one sets.
constexpr struct {
    UINT id;
    int nfft;
} kNFFTButtons[] = {{kNFFT256, 256}, {kNFFT1024, 1024}, {kNFFT4096, 4096}};
// The five cadre rate presets from the fastest (step 2) to the slowest (409).
constexpr UINT kCadreRatePresets[] = {5113, 5116, 5115, 5117, 5114};
// The analysis presets and the resolution each one sets, Hz.
constexpr struct {
    UINT id;
    double sigma;
} kAnalysisPresets[] = {{5118, 240}, {5119, 30}};
} // namespace

CKDialogSetSigmaFr::CKDialogSetSigmaFr(CWnd* pParent) : CDialog(IDD, pParent)
{
    MapNotify(kSigmaEdit, EN_CHANGE, &CKDialogSetSigmaFr::OnChangeSigmaFr);
    MapNotify(kSigmaSpin, UDN_DELTAPOS, &CKDialogSetSigmaFr::OnDeltaposSpinSigmaFr);
    MapNotify(kStepSpin, UDN_DELTAPOS, &CKDialogSetSigmaFr::OnDeltaposSpinCadreStep);
    MapCommand(kLink, &CKDialogSetSigmaFr::OnLinkOptimally);
    for (const auto& b : kNFFTButtons)
        MapCommandWithId(b.id, &CKDialogSetSigmaFr::OnNFFT);
    for (UINT id : kCadreRatePresets)
        MapCommandWithId(id, &CKDialogSetSigmaFr::OnCadreRatePreset);
    for (const auto& a : kAnalysisPresets)
        MapCommandWithId(a.id, &CKDialogSetSigmaFr::OnAnalysisPreset);
    MapCommand(5123, &CKDialogSetSigmaFr::OnBnClickedCadreFrDefault);
}

double CKDialogSetSigmaFr::LinesPerSigma(int n) const
{
    return 2 * std::numbers::pi * n * double(SigmaFr) / double(FrADC);
}

int CKDialogSetSigmaFr::StepFromSigma(double sigma) const
{
    const double step = double(FrADC) / (2 * std::numbers::pi * sigma);
    if (!(step > kMinStep))
        return kMinStep;
    return step >= kMaxStep ? kMaxStep : int(step);
}

double CKDialogSetSigmaFr::SigmaFromStep(int step) const
{
    return double(FrADC) / (2 * std::numbers::pi * step);
}

void CKDialogSetSigmaFr::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, kSigmaEdit, SigmaFr, 0.001, 1000000.);
    DDX_Text(pDX, kRateEdit, CadreFr);
    DDX_TextInRange(pDX, kStepEdit, CadreStepInSamples, 2, 1000000);
    DDX_Check(pDX, kLink, bLinkOptimally);
    DDX_Radio(pDX, kLeft, nChannel);
}

bool CKDialogSetSigmaFr::OnInitDialog()
{
    CDialog::OnInitDialog();
    bLinkOptimally = 1;
    CadreStepInSamples = std::clamp(CadreStepInSamples, kMinStep, kMaxStep);
    CString text;
    text.Format("АЦП = %li Гц", long(FrADC));
    SetDlgItemText(5002, text);
    if (NChannels < 2) {
        GetDlgItem(kLeft)->EnableWindow(false);
        GetDlgItem(kRight)->EnableWindow(false);
    }
    GetDlgItemAs<CSpinButtonCtrl>(kSigmaSpin)->SetRange(1, 2);
    DisplayUpdate();
    return true;
}

void CKDialogSetSigmaFr::DisplayUpdate(bool bRewriteSigma)
{
    CheckDlgButton(NFFT == 256 ? kNFFT256 : NFFT == 4096 ? kNFFT4096 : kNFFT1024, BST_CHECKED);
    const int sizes[3] = {256, 1024, 4096};
    const int buttons[3] = {kNFFT256, kNFFT1024, kNFFT4096};
    for (int i = 0; i < 3; ++i) {
        CString caption;
        caption.Format("%.2f", LinesPerSigma(sizes[i]));
        SetDlgItemText(buttons[i], caption);
    }
    CadreFr = float(double(FrADC) / CadreStepInSamples);
    if (bRewriteSigma) {
        UpdateData(false);
    } else {
        const CString typed = GetDlgItemText(kSigmaEdit);
        UpdateData(false);
        SetDlgItemText(kSigmaEdit, typed);
    }
}

// Typing the resolution follows it at once when the text is a number in
// range; anything else waits for OK, whose data exchange says what is wrong.
void CKDialogSetSigmaFr::OnChangeSigmaFr()
{
    std::string t = GetDlgItemText(kSigmaEdit).Trim().str();
    std::replace(t.begin(), t.end(), ',', '.');
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (t.empty() || !end || *end != '\0' || !(v >= 0.001 && v <= 1000000.))
        return;
    SigmaFr = float(v);
    bLinkOptimally = IsDlgButtonChecked(kLink);
    if (bLinkOptimally)
        CadreStepInSamples = StepFromSigma(SigmaFr);
    DisplayUpdate(false);
}

void CKDialogSetSigmaFr::OnDeltaposSpinSigmaFr(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    double sigma = SigmaFr;
    if (p->iDelta < 0)
        sigma /= kSpinFactor;
    else if (p->iDelta > 0)
        sigma *= kSpinFactor;
    SigmaFr = float(std::clamp(sigma, 0.001, 100000.));
    if (bLinkOptimally)
        CadreStepInSamples = StepFromSigma(SigmaFr);
    DisplayUpdate();
    *pResult = 0;
}

void CKDialogSetSigmaFr::OnDeltaposSpinCadreStep(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    int step = CadreStepInSamples;
    if (p->iDelta < 0) {
        const int lower = int(step / kSpinFactor);
        step = lower < step ? lower : step - 1;
    } else if (p->iDelta > 0) {
        const int higher = int(step * kSpinFactor);
        step = higher > step ? higher : step + 1;
    }
    CadreStepInSamples = std::clamp(step, kMinStep, kMaxStep);
    if (bLinkOptimally)
        SigmaFr = float(SigmaFromStep(CadreStepInSamples));
    DisplayUpdate();
    *pResult = 0;
}

void CKDialogSetSigmaFr::OnLinkOptimally()
{
    if (!IsDlgButtonChecked(kLink)) {
        bLinkOptimally = 0;
        return;
    }
    switch (MessageBox(CString("YES - Изменить разрешение спектров по частоте, а частоту кадров оставить неизменной;\n"
                                  "NO - Изменить частоту кадров, а разрешение по частоте оставить неизменной."),
                       "Как понимать это задание?", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        bLinkOptimally = 1;
        SigmaFr = float(SigmaFromStep(CadreStepInSamples));
        break;
    case IDNO:
        bLinkOptimally = 1;
        CadreStepInSamples = StepFromSigma(SigmaFr);
        break;
    default:
        bLinkOptimally = 0;
        break;
    }
    DisplayUpdate();
}

void CKDialogSetSigmaFr::OnNFFT(UINT nID)
{
    for (const auto& b : kNFFTButtons)
        if (b.id == nID)
            NFFT = b.nfft;
    DisplayUpdate();
}

// The transform must hold the window: about five σT on each side, i.e.
// 5·Fs/(π·σF) samples in all.
void CKDialogSetSigmaFr::SetCadreRatePreset(int step)
{
    CadreStepInSamples = step;
    if (bLinkOptimally)
        SigmaFr = float(SigmaFromStep(step));
    const double window = 5 * double(FrADC) / (std::numbers::pi * SigmaFr);
    NFFT = window > 1024 ? 4096 : window > 256 ? 1024 : 256;
    DisplayUpdate();
}

void CKDialogSetSigmaFr::SetAnalysisPreset(double sigma)
{
    CadreStepInSamples = int(double(FrADC) / (2 * std::numbers::pi * sigma));
    if (bLinkOptimally)
        SigmaFr = float(SigmaFromStep(CadreStepInSamples));
    NFFT = 5 * double(FrADC) / (std::numbers::pi * SigmaFr) > 1024 ? 4096 : 1024;
    DisplayUpdate();
}

// The five cadre rates lie evenly on a log scale between steps 2 and 409.
void CKDialogSetSigmaFr::OnCadreRatePreset(UINT nID)
{
    for (int k = 0; k < 5; ++k)
        if (kCadreRatePresets[k] == nID)
            SetCadreRatePreset(int(kMinStep * std::pow(double(kMaxStep) / kMinStep, k / 4.)));
}

void CKDialogSetSigmaFr::OnAnalysisPreset(UINT nID)
{
    for (const auto& a : kAnalysisPresets)
        if (a.id == nID)
            SetAnalysisPreset(a.sigma);
}

void CKDialogSetSigmaFr::OnBnClickedCadreFrDefault()
{
    NFFT = 1024;
    CadreStepInSamples = 102;
    bLinkOptimally = 1;
    SigmaFr = float(SigmaFromStep(102));
    DisplayUpdate();
}

void CKDialogSetSigmaFr::OnOK()
{
    if (!UpdateData(true))
        return;
    if (LinesPerSigma(NFFT) < 10) {
        const int answer = MessageBox(
            CString("Выбрана не достаточно большая высота фасфильма.\n"
                    "При этом качество спектрального анализа получается не высшим\n"
                    "(на кнопке должно быть число не менее 10).\n\nЧто делать?\n\n"
                    "Оставить эту высоту фасфильма\nс ухудшенным спектральным анализом (Да=Yes)\nили\n"
                    "вернуться и исправить ситуацию (Нет=No)?"),
            "Уточняющий вопрос", MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES)
            return;
    }
    EndDialog(IDOK);
}
