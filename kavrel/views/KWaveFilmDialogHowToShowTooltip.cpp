#include "kavrel/views/KWaveFilmDialogHowToShowTooltip.h"

namespace {
// The radio buttons of each group in index order (their IDs are not consecutive).
constexpr int kFrequencyRadios[4] = {5108, 5109, 5120, 5110};
constexpr int kTimeRadios[3] = {5111, 5112, 5113};
constexpr int kPowerRadios[3] = {5117, 5118, 5119};

template <int N> void exchangeRadios(CDataExchange* pDX, const int (&ids)[N], int& index)
{
    CDialog* d = pDX->m_pDlgWnd;
    if (pDX->m_bSaveAndValidate) {
        for (int i = 0; i < N; ++i) {
            if (d->IsDlgButtonChecked(ids[i]))
                index = i;
        }
    } else {
        for (int i = 0; i < N; ++i)
            d->GetDlgItemAs<CButton>(ids[i])->SetCheck(i == index ? BST_CHECKED : BST_UNCHECKED);
    }
}
} // namespace

CKWaveFilmDialogHowToShowTooltip::CKWaveFilmDialogHowToShowTooltip(CWnd* pParent) : CDialog(IDD, pParent) {}

void CKWaveFilmDialogHowToShowTooltip::DoDataExchange(CDataExchange* pDX)
{
    exchangeRadios(pDX, kFrequencyRadios, nFrequency);
    exchangeRadios(pDX, kTimeRadios, nTime);
    exchangeRadios(pDX, kPowerRadios, nPower);
}

bool CKWaveFilmDialogHowToShowTooltip::OnInitDialog()
{
    const int t = tooltipFlags & TimeBits, f = tooltipFlags & FrequencyBits, p = tooltipFlags & PowerBits;
    nTime = t == TimeAbsolute ? 0 : t == TimeRelative ? 1 : 2;
    nFrequency = f == FrequencyAbsolute ? 0 : f == FrequencyRelative ? 1 : f == FrequencyDerivative ? 2 : 3;
    nPower = p == PowerAbsolute ? 0 : p == PowerRelative ? 1 : 2;
    UpdateData(false);
    return CDialog::OnInitDialog();
}

void CKWaveFilmDialogHowToShowTooltip::OnOK()
{
    if (!UpdateData(true))
        return;
    const int timeBits[3] = {TimeAbsolute, TimeRelative, 0};
    const int frequencyBits[4] = {FrequencyAbsolute, FrequencyRelative, FrequencyDerivative, 0};
    const int powerBits[3] = {PowerAbsolute, PowerRelative, 0};
    // Bits above the three groups are not this dialog's: they are kept.
    tooltipFlags = (tooltipFlags & ~(TimeBits | FrequencyBits | PowerBits)) | timeBits[nTime] |
                   frequencyBits[nFrequency] | powerBits[nPower];
    EndDialog(IDOK);
}
