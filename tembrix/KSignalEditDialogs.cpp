#include "tembrix/KSignalEditDialogs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/ui/CControls.h"
#include "tembrix/TembrixIds.h"

CKDialogCutWaveFile::CKDialogCutWaveFile(CWnd* pParent) : CDialog(IDD_CUT_WAVE_FILE, pParent) {}

void CKDialogCutWaveFile::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_CUT_DELETE, nWhat);
    DDX_Radio(pDX, IDC_CUT_ROUGH, nQuality);
}

CDialogCutSignalBeforeCaret::CDialogCutSignalBeforeCaret(CWnd* pParent)
    : CDialog(IDD_CUT_SIGNAL_BEFORE_CARET, pParent)
{
}

void CDialogCutSignalBeforeCaret::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_CUT_SIDE_LEFT, nSide);
}

namespace {
constexpr int kMaxAmplitude = 32767;
}

CKDialogSetAGC::CKDialogSetAGC(CWnd* pParent) : CDialog(IDD_SET_AGC, pParent)
{
    MapNotify(IDC_AGC_MAX_AMPLITUDE, EN_CHANGE, &CKDialogSetAGC::OnChangeMaxAmplitude);
    MapNotify(IDC_AGC_MAX_AMPLITUDE_SPIN, UDN_DELTAPOS, &CKDialogSetAGC::OnDeltaposMaxAmplitudeSpin);
}

CString CKDialogSetAGC::AmplitudeLabel(int nAmplitude)
{
    CString text;
    if (nAmplitude >= 1 && nAmplitude <= kMaxAmplitude)
        text.Format("= %.2f дБ", 20 * std::log10(double(nAmplitude) / kMaxAmplitude));
    return text;
}

void CKDialogSetAGC::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, IDC_AGC_MAX_AMPLITUDE, nNewMaxAmplitude, 1, kMaxAmplitude);
    DDX_TextInRange(pDX, IDC_AGC_FRAME_RATE, dAGCFrameRate, 0.0001, 100000.);
    DDX_TextInRange(pDX, IDC_AGC_MAX_FRAME_GAIN, dMaxFrameGain_dB, 0., 110.);
}

bool CKDialogSetAGC::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_AGC_MAX_AMPLITUDE_SPIN)) {
        spin->SetRange(1, kMaxAmplitude);
        spin->SetPos(nNewMaxAmplitude);
    }
    SetDlgItemText(IDC_AGC_MAX_AMPLITUDE_DB, AmplitudeLabel(nNewMaxAmplitude));
    bShown = true;
    return true;
}

int CKDialogSetAGC::EditedAmplitude()
{
    const CString text = GetDlgItemText(IDC_AGC_MAX_AMPLITUDE);
    char* end = nullptr;
    const long v = std::strtol(text.GetString(), &end, 10);
    if (end == text.GetString() || *end != '\0' || v < 1 || v > kMaxAmplitude)
        return 0;
    return int(v);
}

void CKDialogSetAGC::OnChangeMaxAmplitude()
{
    // While the form is being filled the label is set once, at the end.
    if (!bShown)
        return;
    SetDlgItemText(IDC_AGC_MAX_AMPLITUDE_DB, AmplitudeLabel(EditedAmplitude()));
}

void CKDialogSetAGC::OnDeltaposMaxAmplitudeSpin(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* p = reinterpret_cast<NMUPDOWN*>(pNMHDR);
    // The arrows step the number the edit holds, not a position of their own.
    const int base = EditedAmplitude() ? EditedAmplitude() : nNewMaxAmplitude;
    const int next = std::clamp(base + p->iDelta, 1, kMaxAmplitude);
    CString text;
    text.Format("%d", next);
    SetDlgItemText(IDC_AGC_MAX_AMPLITUDE, text);
    if (CSpinButtonCtrl* spin = GetDlgItemAs<CSpinButtonCtrl>(IDC_AGC_MAX_AMPLITUDE_SPIN))
        spin->SetPos(next);
    *pResult = 1;
}
