#include "kavrel/core/KPhoneObject.h"

IMPLEMENT_SERIAL(CKPhoneObject, CObject, 1)

CKPhoneObject::CKPhoneObject()
    : nFlag(0),
      sName("Имя не указано"),
      sComment("Без комментариев"),
      nFirstSample(0),
      nLastSample(0),
      nType(0),
      nIndex(0),
      nLevel(0),
      dLevelChange_dB(0.0)
{
}

void CKPhoneObject::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << nFlag << sName << sComment << nFirstSample << nLastSample << nType << nIndex << nLevel
           << sPhoneObjectDocFilePathName << sPhoneObjectFloatWaveFilePathName << dLevelChange_dB;
    } else {
        ar >> nFlag >> sName >> sComment >> nFirstSample >> nLastSample >> nType >> nIndex >> nLevel
            >> sPhoneObjectDocFilePathName >> sPhoneObjectFloatWaveFilePathName >> dLevelChange_dB;
        // The types the description dialog offers and the level change its
        // spin allows; anything else is a damaged record.
        if (nType < 0 || nType > 4 || !(dLevelChange_dB >= -110.0 && dLevelChange_dB <= 110.0))
            ar.ThrowArchive(CArchiveException::genericException);
    }
}

void CKPhoneObject::InitializeFromAnotherKPhoneObject(CKPhoneObject* p)
{
    if (!p || p == this)
        return;
    sName = p->sName;
    sComment = p->sComment;
    nFirstSample = p->nFirstSample;
    nLastSample = p->nLastSample;
    nType = p->nType;
    nIndex = p->nIndex;
    nLevel = p->nLevel;
    sPhoneObjectDocFilePathName = p->sPhoneObjectDocFilePathName;
    sPhoneObjectFloatWaveFilePathName = p->sPhoneObjectFloatWaveFilePathName;
    dLevelChange_dB = p->dLevelChange_dB;
}

CString GetKPhoneObjectTypeText(int nType)
{
    static const char* const texts[] = {"только текст.", "микрогармоники.", "одиночная гармоника.", "голос.",
                                        "реверберация."};
    return nType >= 0 && nType < 5 ? CString(texts[nType]) : CString();
}

int KLowestFreeLevel(const std::vector<const CKPhoneObject*>& objects, long nFirst, long nLast)
{
    bool taken[kPhoneObjectLevels] = {};
    for (const CKPhoneObject* po : objects)
        if (KSpanBlocksLevel(po->nFirstSample, po->nLastSample, nFirst, nLast) && po->nLevel >= 0 && po->nLevel < kPhoneObjectLevels)
            taken[po->nLevel] = true;
    for (int k = 0; k < kPhoneObjectLevels; ++k)
        if (!taken[k])
            return k;
    return -1;
}
