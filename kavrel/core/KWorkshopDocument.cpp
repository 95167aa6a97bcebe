#include "kavrel/core/KWorkshopDocument.h"

#include "framework/base/UserServices.h"

void KSerializeWorkshopDocument(CArchive& ar, CKWaveFilm& film, CObList& objects, int& nMaxLevel,
                                int& nNextPhoneObjectIndex)
{
    film.KSerialize(ar);
    objects.Serialize(ar);
    if (ar.IsStoring()) {
        ar << nMaxLevel << nNextPhoneObjectIndex;
        return;
    }
    // Only sound objects on one of the 128 levels may stand in the list: the
    // views take every element for one and place it by its level.
    POSITION pos = objects.GetHeadPosition();
    while (pos) {
        const auto* po = dynamic_cast<CKPhoneObject*>(objects.GetNext(pos));
        if (!po)
            ar.ThrowArchive(CArchiveException::badClass);
        if (po->nLevel < 0 || po->nLevel >= kPhoneObjectLevels)
            ar.ThrowArchive(CArchiveException::genericException);
    }
    ar >> nMaxLevel >> nNextPhoneObjectIndex;
    if (nMaxLevel < -1 || nMaxLevel >= kPhoneObjectLevels)
        ar.ThrowArchive(CArchiveException::genericException);
}

bool KFilmFitsWholeSound(const CKWaveFilm& film)
{
    const int nfft = film.GetNFFT();
    if (nfft < 16 || (nfft & (nfft - 1)) != 0)
        return false;
    const long step = film.GetCadreStepInSamples();
    if (film.GetZeroCadreSamplePosition() != 0 || step < 1 || step > CKWaveFilm::kMaxCadreStep)
        return false;
    const long made = CKWaveFilm::NCadresOfSpan(0, film.GetKWaveSizeInSamples(), step);
    const long n = film.GetNCadres();
    return n >= 2 && n >= made - 1 && n <= made + 1;
}

bool KPhoneObjectFitsSound(const CKPhoneObject& po, long nSizeInSamples)
{
    return po.nFirstSample >= 0 && po.nLastSample >= po.nFirstSample && po.nLastSample <= nSizeInSamples;
}

bool KOpenWorkshopFilm(CKWaveFilm& film, const CObList& objects, const char* sDocPath)
{
    const CString path = film.GetKWaveFilePathName(), title = film.GetKWaveFileTitle();
    // A sound the record's own reading could not open (and the user did not
    // find) has been reported already: the readers would only say so again.
    if (film.KWaveIsGood())
        film.OpenKWaveFile(path, title);
    for (CKSpectrum* s : {film.pS0, film.pS1, film.pS2, film.pS3})
        if (film.KWaveIsGood())
            s->Wave.OpenKWaveFile(path, title);
    for (CKSpectrum* s : {film.pS0, film.pS1, film.pS2, film.pS3})
        s->SetNFFT(film.GetNFFT());
    film.pS0->SetSigmaF(film.GetSigmaFr());
    film.pS1->SetSigmaF(film.GetSigmaFr());
    film.pS2->SetSigmaF(film.GetSigmaFr() / 2);
    film.pS3->SetSigmaF(film.GetSigmaFr() / 2);
    if (!film.KWaveIsGood()) {
        CString text;
        text.Format("Не удалось открыть звуковой файл\n%s", path.GetString());
        AfxMessageBox(text);
        return false;
    }
    // Only now is the sound's length known. A film that does not cut this
    // sound into cadres would divide by a zero step, read outside its level
    // arrays or compute and store the power of cadres the sound never had;
    // an object outside the sound has nothing to show or play. Either is a
    // bad file, refused before any work is done for it.
    bool fits = KFilmFitsWholeSound(film);
    POSITION pos = objects.GetHeadPosition();
    while (fits && pos)
        fits = KPhoneObjectFitsSound(*static_cast<const CKPhoneObject*>(objects.GetNext(pos)),
                                     film.GetKWaveSizeInSamples());
    if (!fits) {
        CString text;
        text.Format("Неожиданный формат файла %s.", sDocPath);
        AfxMessageBox(text, MB_ICONEXCLAMATION);
        return false;
    }
    return film.PowerCreate();
}
