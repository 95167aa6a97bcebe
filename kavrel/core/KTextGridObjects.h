// Sound objects to and from Praat's TextGrid. Out: one interval tier per
// level in use, named as the workshop numbers its levels, an interval per
// object labelled with its name, the gaps empty. In: every labelled
// interval of every interval tier a text-only object on the first level
// free over its span, tier after tier; point tiers are named and skipped.
#pragma once
#include <string>
#include <vector>

#include "framework/base/CString.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KTextGrid.h"

// The tier of a level, "Уровень N" with N the level the object's
// properties show (from 0); the second, third... tier of one level, which
// holds its objects overlapping the first's, "Уровень N (2)"...
std::string KLevelTierName(int nLevel, int nPart);

// The grid of a document's objects over a sound of nSizeInSamples samples
// at nRate: from 0 to the sound's duration; an object from its first
// sample to one past its last, or to the first sample of the next object
// on its tier when that one starts on its last sample (the touch the
// workshop allows). Objects of one level that overlap more than that go to
// the level's further tiers. Comments other than the default one go into a
// point tier "Уровень N: комментарии" after their tier, at the middle of
// their object. Objects outside the sound are cut to it or left out.
KTextGrid KTextGridOfPhoneObjects(const std::vector<const CKPhoneObject*>& objects, long nRate, long nSizeInSamples);

// A text-only object an interval becomes.
struct KImportedObject {
    std::string sName;
    int nFirstSample = 0, nLastSample = 0, nLevel = 0;
};

struct KTextGridImport {
    std::vector<KImportedObject> objects;
    std::vector<std::string> pointTiers; // "«name» (слой N)", skipped
    int nOutside = 0;                    // labelled intervals outside the sound or shorter than half a sample
    double dGridDuration = 0, dSoundDuration = 0;
};

// More labelled intervals than this are refused: the strip would hold more
// windows than anyone can work with, and finding levels grows with the square.
constexpr int kMaxTextGridObjects = 50000;

// The objects of a grid beside the existing ones, in tier order: an
// interval [xmin, xmax] covers the samples from round(xmin·rate) to
// round(xmax·rate) − 1, cut to the sound; a label of blanks only counts as
// empty. False with the message when an object finds no free level or
// there are too many.
bool KPlaceTextGridObjects(const KTextGrid& grid, const std::vector<const CKPhoneObject*>& existing, long nRate,
                           long nSizeInSamples, KTextGridImport& result, CString& sError);

// What an import brings and what it leaves out, for the user.
CString KTextGridImportReport(const KTextGridImport& result);
