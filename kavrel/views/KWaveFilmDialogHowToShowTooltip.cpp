#include "kavrel/views/KWaveFilmDialogHowToShowTooltip.h"

#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KDialogRadios.h"

namespace {
// The radio buttons of each group in index order (their IDs are not consecutive).
constexpr int kFrequencyRadios[4] = {5108, 5109, 5120, 5110};
constexpr int kTimeRadios[3] = {5111, 5112, 5113};
constexpr int kPowerRadios[3] = {5117, 5118, 5119};
} // namespace

CKWaveFilmDialogHowToShowTooltip::CKWaveFilmDialogHowToShowTooltip(CWnd* pParent) : CDialog(IDD, pParent) {}

void CKWaveFilmDialogHowToShowTooltip::DoDataExchange(CDataExchange* pDX)
{
    KExchangeRadios(pDX, kFrequencyRadios, nFrequency);
    KExchangeRadios(pDX, kTimeRadios, nTime);
    KExchangeRadios(pDX, kPowerRadios, nPower);
}

bool CKWaveFilmDialogHowToShowTooltip::OnInitDialog()
{
    const int t = tooltipFlags & CKWaveFilm::TooltipTimeBits, f = tooltipFlags & CKWaveFilm::TooltipFrequencyBits, p = tooltipFlags & CKWaveFilm::TooltipPowerBits;
    nTime = t == CKWaveFilm::TooltipTimeAbsolute ? 0 : t == CKWaveFilm::TooltipTimeRelative ? 1 : 2;
    nFrequency = f == CKWaveFilm::TooltipFrequencyAbsolute ? 0 : f == CKWaveFilm::TooltipFrequencyRelative ? 1 : f == CKWaveFilm::TooltipFrequencyDerivative ? 2 : 3;
    nPower = p == CKWaveFilm::TooltipPowerAbsolute ? 0 : p == CKWaveFilm::TooltipPowerRelative ? 1 : 2;
    UpdateData(false);
    return CDialog::OnInitDialog();
}

void CKWaveFilmDialogHowToShowTooltip::OnOK()
{
    if (!UpdateData(true))
        return;
    const int timeBits[3] = {CKWaveFilm::TooltipTimeAbsolute, CKWaveFilm::TooltipTimeRelative, 0};
    const int frequencyBits[4] = {CKWaveFilm::TooltipFrequencyAbsolute, CKWaveFilm::TooltipFrequencyRelative, CKWaveFilm::TooltipFrequencyDerivative, 0};
    const int powerBits[3] = {CKWaveFilm::TooltipPowerAbsolute, CKWaveFilm::TooltipPowerRelative, 0};
    // Bits above the three groups are not this dialog's: they are kept.
    tooltipFlags = (tooltipFlags & ~(CKWaveFilm::TooltipTimeBits | CKWaveFilm::TooltipFrequencyBits | CKWaveFilm::TooltipPowerBits)) | timeBits[nTime] |
                   frequencyBits[nFrequency] | powerBits[nPower];
    EndDialog(IDOK);
}
