// The film's record in documents, and the film of another film's selection.
#include <algorithm>
#include <cmath>

#include "framework/base/UserServices.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KWaveFilm.h"

namespace {

// A record that cannot be a film's: said plainly, then the load fails as
// any malformed archive does.
[[noreturn]] void rejectRecord(CArchive& ar, const char* what)
{
    CString text;
    text.Format("Запись сонофильма в документе повреждена:\n%s.\n\nДокумент открыт не будет.", what);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    ar.ThrowArchive(CArchiveException::genericException);
}

const char* const kMovedFileQuestion =
    "Как быть?\n\nНе удалось открыть звуковой файл.\n\nЕсли Вы переносили файл-документ *.TBX и связанный с ним "
    "соответствующий звуковой файл *.WAV, то можно попытаться восстановить потерянную связь. Но гарантировать "
    "работоспособность ВСЕЙ системы \"Tembrix\" при этом нельзя.\n\nБудете пытаться найти звуковой файл в другом месте?";

} // namespace

void CKWaveFilm::KSerialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << MoveCaretOnlyWithCtrl << displayFlags;
        ar << GetKWaveFilePathName() << GetKWaveFileTitle();
        ar << KCaretFrequency << KCaretSample << SelectedFragmentAbsCadre0 << SelectedFragmentAbsCadre1;
        ar << ZeroCadreSamplePosition << CadreStepInSamples << NCadres << SigmaFr << nFFT << InternalWaveFilmStatus;
        for (int i = 0; i < nFFT / 2; ++i) {
            ar << (i < validDownLevel.nSize ? validDownLevel.pArray[i] : 0.0f);
            ar << (i < validUpLevel.nSize ? validUpLevel.pArray[i] : 0.0f);
        }
        ar << phaseLimitNeg << phaseLimitPos << phaseFreqLimitNeg << phaseFreqLimitPos;
        ar << harmonogramDown << harmonogramUp << auxRangeDown << auxRangeUp;
        ar << lightBackground << tooltipFlags;
        return;
    }

    ar >> MoveCaretOnlyWithCtrl >> displayFlags;
    CString path, title;
    ar >> path >> title;
    // The question that follows says the sound would not open: the reader's
    // own message would only say it first.
    const bool showing = bShowErrors;
    DoNotShowKWaveErrors();
    bool opened = OpenKWaveFile(path, title);
    bShowErrors = showing;
    while (!opened) {
        if (AfxMessageBox(kMovedFileQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
            break;
        opened = OpenKWaveFile();
    }

    double caretFrequency, sigmaFr;
    long caretSample, cadre0, cadre1, zero, step, nCadres;
    int nfft;
    unsigned char status;
    ar >> caretFrequency >> caretSample >> cadre0 >> cadre1 >> zero >> step >> nCadres >> sigmaFr >> nfft >> status;
    // Checked before anything is sized from them.
    if (!KIsTransformSize(nfft, 4))
        rejectRecord(ar, "длина преобразования Фурье не из допустимых");
    if (step < 0 || step > kMaxCadreStep || nCadres < 0 || (step > 0 && nCadres > 0x7FFFFFFFL / step) || zero < 0)
        rejectRecord(ar, "недопустимая геометрия кадров");
    // The ranges the SigmaFr dialog allows; beyond them the margins of the
    // analysis, computed from SigmaFr, no longer fit in an int.
    if (!(sigmaFr >= kMinSigmaFr && sigmaFr <= kMaxSigmaFr))
        rejectRecord(ar, "разрешение по частоте SigmaFr вне пределов от 0.001 до 1000000 Гц");
    if (cadre0 < 0 || cadre1 < cadre0 || cadre1 > std::max(nCadres - 1, 0L) || caretSample < 0 ||
        !std::isfinite(caretFrequency))
        rejectRecord(ar, "выделенный фрагмент или курсор вне сонофильма");
    if ((long long)(nfft / 2) * 8 > ar.GetRemaining())
        ar.ThrowArchive(CArchiveException::endOfFile);

    KCaretFrequency = caretFrequency;
    KCaretSample = caretSample;
    SelectedFragmentAbsCadre0 = cadre0;
    SelectedFragmentAbsCadre1 = cadre1;
    ZeroCadreSamplePosition = zero;
    CadreStepInSamples = step;
    NCadres = nCadres;
    SigmaFr = sigmaFr;
    nFFT = nfft;
    InternalWaveFilmStatus = status;

    validDownLevel.SetSize(nFFT / 2);
    validUpLevel.SetSize(nFFT / 2);
    bool finite = true;
    for (int i = 0; i < nFFT / 2; ++i) {
        ar >> validDownLevel.pArray[i] >> validUpLevel.pArray[i];
        finite = finite && std::isfinite(validDownLevel.pArray[i]) && std::isfinite(validUpLevel.pArray[i]);
    }
    ar >> phaseLimitNeg >> phaseLimitPos >> phaseFreqLimitNeg >> phaseFreqLimitPos;
    ar >> harmonogramDown >> harmonogramUp >> auxRangeDown >> auxRangeUp;
    for (const double v : {double(phaseLimitNeg), double(phaseLimitPos), double(phaseFreqLimitNeg),
                           double(phaseFreqLimitPos), harmonogramDown, harmonogramUp, auxRangeDown, auxRangeUp})
        finite = finite && std::isfinite(v);
    if (!finite)
        rejectRecord(ar, "уровни или пределы отображения не являются числами");
    ar >> lightBackground >> tooltipFlags;
    // Only the bits the display commands and the cursor-text dialog set.
    if ((displayFlags & ~(DisplayTypeMask | DisplayInverse)) != 0 || (lightBackground != 0 && lightBackground != 1) ||
        (tooltipFlags & ~(TooltipTimeBits | TooltipFrequencyBits | TooltipPowerBits)) != 0)
        rejectRecord(ar, "недопустимый режим отображения");
}

void CKWaveFilm::InitializeFromSelectedFragmentAnotherKWaveFilm(CKWaveFilm* p)
{
    SigmaFr = p->SigmaFr;
    nFFT = p->nFFT;
    OpenKWaveFile(p->GetKWaveFilePathName(), p->GetKWaveFileTitle());
    CadreStepInSamples = p->CadreStepInSamples;
    SetFirstAndLastSample(p->GetSampleFromCadreNumber(p->SelectedFragmentAbsCadre0),
                          p->GetSampleFromCadreNumber(p->SelectedFragmentAbsCadre1));
    int lines = nFFT / 2;
    validDownLevel.SetSize(lines);
    validUpLevel.SetSize(lines);
    for (int i = 0; i < lines; ++i) {
        validDownLevel.pArray[i] = i < p->validDownLevel.nSize ? p->validDownLevel.pArray[i] : 0.0f;
        validUpLevel.pArray[i] = i < p->validUpLevel.nSize ? p->validUpLevel.pArray[i] : 0.0f;
    }
    phaseLimitNeg = p->phaseLimitNeg;
    phaseLimitPos = p->phaseLimitPos;
    phaseFreqLimitNeg = p->phaseFreqLimitNeg;
    phaseFreqLimitPos = p->phaseFreqLimitPos;
    harmonogramDown = p->harmonogramDown;
    harmonogramUp = p->harmonogramUp;
    auxRangeDown = p->auxRangeDown;
    auxRangeUp = p->auxRangeUp;
    SelectedFragmentAbsCadre0 = 0;
    SelectedFragmentAbsCadre1 = 0;
    KCaretFrequency = p->KCaretFrequency;
    KCaretSample = p->KCaretSample;
    MoveCaretOnlyWithCtrl = p->MoveCaretOnlyWithCtrl;
    displayFlags = p->displayFlags;
    InternalWaveFilmStatus = 0;
}
