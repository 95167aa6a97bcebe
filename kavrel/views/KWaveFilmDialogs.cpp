// The film's operations that open dialogs: they live with the dialogs, so
// that the signal core stays free of windows.
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KDialogSetSigmaFr.h"
#include "kavrel/views/KWaveFilmDialogHowToShowTooltip.h"

int CKWaveFilm::DialogSetSigmaFr()
{
    CKDialogSetSigmaFr dlg;
    dlg.SigmaFr = float(SigmaFr);
    dlg.FrADC = unsigned(GetKWaveFrADC());
    dlg.NFFT = nFFT;
    dlg.CadreStepInSamples = int(CadreStepInSamples);
    dlg.NChannels = GetKWaveNChannels();
    dlg.nChannel = nChannel;
    const INT_PTR result = dlg.DoModal();
    if (result != IDOK)
        return int(result);
    SetSigmaFrCadreStepAndChannel(dlg.NFFT, dlg.CadreStepInSamples, dlg.SigmaFr, dlg.NChannels < 2 ? 0 : dlg.nChannel);
    return IDOK;
}

void CKWaveFilm::SetHowToShowTooltip()
{
    CKWaveFilmDialogHowToShowTooltip dlg;
    dlg.tooltipFlags = tooltipFlags;
    if (dlg.DoModal() == IDOK)
        tooltipFlags = dlg.tooltipFlags;
}
