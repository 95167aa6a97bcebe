// The workshop's analysis document (.tbx) without its windows: what it
// stores, and how a document just read is made ready on its sound. The
// workshop, the batch tool and the fuzz harness read a .tbx through these.
#pragma once
#include "framework/base/CArchive.h"
#include "framework/base/CObList.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KWaveFilm.h"

// The film's record, the list of sound objects (each on one of the 128
// levels), the highest level used and the index of the next object.
// A list holding anything else, or a level outside the 128, fails the load
// as a malformed archive.
void KSerializeWorkshopDocument(CArchive& ar, CKWaveFilm& film, CObList& objects, int& nMaxLevel,
                                int& nNextPhoneObjectIndex);

// Whether a stored film is one the workshop makes of its sound: cadres from
// sample 0 at a step the SigmaFr dialog allows, as many as the whole sound
// gives at that step (one more or less is let pass), of a transform size
// the spectra take.
bool KFilmFitsWholeSound(const CKWaveFilm& film);
// Whether a sound object lies within a sound of nSizeInSamples samples,
// its last sample not before its first.
bool KPhoneObjectFitsSound(const CKPhoneObject& po, long nSizeInSamples);

// After the record is read: the sound opened again in the film and its four
// spectra with the stored NFFT and SigmaFr, the film and the objects checked
// against it, and the power of every cadre computed. False, with the
// message shown, when the sound does not open, the record does not fit it
// or the power file cannot be made; nothing is computed for a record that
// does not fit. sDocPath names the document in the messages.
bool KOpenWorkshopFilm(CKWaveFilm& film, const CObList& objects, const char* sDocPath);
