// The workshop's operations that write a new sound from the analysed film,
// from the point where their dialogs have been answered and the output path
// chosen: the document's commands and the batch tool run this same code.
// Messages are shown through the user services; each answers true when the
// output was written whole.
#pragma once
#include <vector>

#include "framework/base/CString.h"
#include "tembrix/KSignalEdits.h"

class CKWaveFilm;
class CKPhoneObject;

extern const char* const kOnlyMonoMessage;          // the resamplers' refusal of a stereo sound
extern const char* const kOnlyMonoSynthesisMessage; // the same for reversal and synthesis
// Shows the message and answers true when the analysed sound is not mono.
bool KRefuseIfNotMono(const CKWaveFilm& film, const char* message);
// Shows the message and answers true when the sound is too short for ×2 and ×4 to write a sample.
bool KRefuseIfTooShortToUpsample(CKWaveFilm& film);

// Delete (nWhat 0) or keep (1) the selected fragment, roughly (nQuality 0) or carefully (1).
bool KWriteEditedSegment(CKWaveFilm& film, int nWhat, int nQuality, const CString& path);
// Delete what lies left (nSide 0) or right (1) of the caret.
bool KWriteEditedSide(CKWaveFilm& film, int nSide, const CString& path);
bool KWriteLevelled(CKWaveFilm& film, const KAGCSettings& settings, const CString& path);
// ×2 or ×4 (factor), or down by M.
bool KWriteUpsampled(CKWaveFilm& film, int factor, const CString& path);
bool KWriteDownsampled(CKWaveFilm& film, int M, const CString& path);
bool KWriteReversedCadres(CKWaveFilm& film, int nKeepEvery, bool bReverse, const CString& path);
// The synthesis from the sound objects (types 0 and 1 apply, in list order).
bool KWriteSynthesis(CKWaveFilm& film, const std::vector<const CKPhoneObject*>& objects, const CString& path);
// The cocktail with the standard generator seeded with `seed`, written by the
// library writer to path, or where its save dialog says when path is empty.
bool KWriteCocktail(CKWaveFilm& film, int nAdditions, unsigned seed, const CString& path);
