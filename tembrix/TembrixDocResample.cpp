// The document's commands that write a new sound from the analysed one:
// ×2 and ×4 sampling rate, decimation, cadre reversal, synthesis from the
// sound objects and the cocktail. Here the dialogs are asked and the output
// chosen; the operations themselves are in KFilmOperations.
#include "tembrix/TembrixDoc.h"

#include <algorithm>
#include <ctime>

#include "framework/base/ProgressService.h"
#include "tembrix/KDialogMakeWaveCooktail.h"
#include "tembrix/KDialogReverseCadres.h"
#include "tembrix/KDialogSetDownsampling.h"
#include "tembrix/KFilmOperations.h"
#include "tembrix/KWaveOutputSteps.h"
#include "tembrix/TembrixIds.h"

namespace {

const char* const kTitleNormalised = "Задание нового имени выходного нормированного файла-сигнала (в формате WAV)";
const char* const kTitleDownsampled = "Задание нового имени выходного файла-сигнала (в формате WAV)";
const char* const kTitleSynthesised = "Задание имени синтезируемого файла-сигнала (в формате WAV)";

} // namespace

void CTembrixDoc::OnUpsample(UINT nID)
{
    if (KRefuseIfNotMono(WaveFilm, kOnlyMonoMessage) || KRefuseIfTooShortToUpsample(WaveFilm))
        return;
    const int factor = nID == ID_UPSAMPLE_4 ? 4 : 2;
    const CString name = OutputInitialName(factor == 4 ? "_UpSampling x 4" : "_UpSampling x 2");
    KRunWaveOutputCommand(nullptr, name, kTitleNormalised, WaveFilm.GetKWaveFilePathName(),
                          [&](const CString& path) { KWriteUpsampled(WaveFilm, factor, path); });
}

void CTembrixDoc::OnDownsample()
{
    if (KRefuseIfNotMono(WaveFilm, kOnlyMonoMessage))
        return;
    CKDialogSetDownsampling dlg;
    dlg.nOldFrADC = int(WaveFilm.GetKWaveFrADC());
    const CString name = OutputInitialName("_Downsampling");
    KRunWaveOutputCommand(&dlg, name, kTitleDownsampled, WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
        // A factor above the old rate leaves a new rate of zero: nothing to divide by.
        const int M = dlg.nNewFrADC > 0 ? std::max(1, dlg.nOldFrADC / dlg.nNewFrADC) : std::max(1, dlg.nFactor);
        KWriteDownsampled(WaveFilm, M, path);
    });
}

void CTembrixDoc::OnReverseCadres()
{
    if (KRefuseIfNotMono(WaveFilm, kOnlyMonoSynthesisMessage))
        return;
    CKDialogReverseCadres dlg;
    KRunWaveOutputCommand(&dlg, WaveFilm.GetKWaveFileTitle() + "_Reversed_cadres", kTitleSynthesised,
                          WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
                              KWriteReversedCadres(WaveFilm, dlg.nKeepEvery, dlg.bReverse, path);
                          });
}

void CTembrixDoc::OnSynthesis()
{
    if (KRefuseIfNotMono(WaveFilm, kOnlyMonoSynthesisMessage))
        return;
    KRunWaveOutputCommand(nullptr, WaveFilm.GetKWaveFileTitle() + "_Synthetic", kTitleSynthesised,
                          WaveFilm.GetKWaveFilePathName(),
                          [&](const CString& path) { KWriteSynthesis(WaveFilm, PhoneObjects(), path); });
}

void CTembrixDoc::OnSoundCocktail()
{
    CKDialogMakeWaveCooktail dlg;
    if (dlg.DoModal() != IDOK)
        return;
    // Seeded with the processor clock; the library writer asks for the file itself.
    try {
        KWriteCocktail(WaveFilm, dlg.nAdditions, unsigned(std::clock()), CString());
    } catch (const KProgressCancelled&) {
        // Stopped before the file was asked for: nothing was written.
        AfxMessageBox(kStoppedByUser);
    }
}
