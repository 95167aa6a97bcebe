// The files a new sound object brings with it, as the workshop makes them
// when the object is created: their names, and the first, empty document of
// the object's type with its float wave file of zeros.
#pragma once
#include "framework/base/CString.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KWaveFilm.h"

// "%s%s_%i." of the document folder, the sound file's title and the index,
// ended by type (gsr, ksg, ocn, vrn); the float wave "%s%s_%i.kfw" for the
// types 1 to 4. A text-only object keeps the bare "%s%s_%i." and no float wave.
void SetNewPhoneObjectFilePathNames(CKPhoneObject* po, const CString& sDocFolder, const CString& sTitle);

// Writes the object's first document over the selection of pWF: a tracer
// document and its .kfw of zeros for the types 1 and 3; nothing for 0 and 2;
// the reverberation analyser's document for 4 through the writer installed
// below (without one, false with a message). False (with the message shown)
// on any failure.
bool WriteNewPhoneObjectFiles(CKPhoneObject* po, CKWaveFilm* pWF);

// The reverberation analyser's document library writes a new object's first
// .vrn over the selection of pWF; false when it could not. A program that
// links that library installs it once at start (the workshop, the tool).
using KReverberationDocWriter = bool (*)(CKPhoneObject* pNewPO, CKWaveFilm* pWF);
void SetReverberationDocWriter(KReverberationDocWriter writer);
KReverberationDocWriter GetReverberationDocWriter();
