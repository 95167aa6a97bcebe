// CKPhoneObject: a sound object, a named and typed fragment of the signal
// placed on one of the workshop's levels. Documents store it through the
// archive, on its own or as an element of an object list.
#pragma once
#include "framework/base/CArchive.h"
#include "framework/base/CObject.h"
#include "framework/base/CString.h"
#include "framework/base/Types.h"

#include <vector>

// The workshop's levels, on one of which every sound object lies.
constexpr int kPhoneObjectLevels = 128;

class CKPhoneObject : public CObject {
    DECLARE_SERIAL(CKPhoneObject)

public:
    CKPhoneObject();
    ~CKPhoneObject() override = default;
    // nFlag, then the fields in member order; strings in Windows-1251.
    void Serialize(CArchive& ar) override;
    void AssertValid() const override {}
    void Dump() const override {}

    // Takes every field of p but nFlag, which stays this object's own.
    void InitializeFromAnotherKPhoneObject(CKPhoneObject* p);

    BYTE nFlag;                                  // stored with the object, not interpreted
    CString sName;
    CString sComment;
    int nFirstSample;
    int nLastSample;                             // inclusive
    int nType;                                   // 0 text only, 1 micro-harmonics, 2 single harmonic, 3 voice, 4 reverberation
    int nIndex;                                  // within its document
    int nLevel;                                  // 0..127
    CString sPhoneObjectDocFilePathName;         // the object's own document
    CString sPhoneObjectFloatWaveFilePathName;
    double dLevelChange_dB;                      // -110..110
};

// The text shown for a phone object type ("только текст." for 0 ...); empty
// for a type outside 0..4.
CString GetKPhoneObjectTypeText(int nType);

// Whether a span [nFirst, nLast] blocks the level of an object over
// [poFirst, poLast]: they overlap by more than a touch.
inline bool KSpanBlocksLevel(long poFirst, long poLast, long nFirst, long nLast)
{
    return poFirst < nLast && nFirst < poLast;
}
// The lowest level that no object strictly overlapping the samples
// [nFirst, nLast] holds; -1 when all 128 are taken. An object that only
// touches the span (its last sample the span's first, or its first the
// span's last) does not block its level.
int KLowestFreeLevel(const std::vector<const CKPhoneObject*>& objects, long nFirst, long nLast);
