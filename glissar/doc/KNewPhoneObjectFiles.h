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

// Whether a file that an object of this index could bring (its document of
// any type, or its float wave) already stands in the folder: another
// document on the same sound in the same folder numbers its objects alike.
bool PhoneObjectFilesExist(const CString& sDocFolder, const CString& sTitle, int nIndex);

// Writes the object's first document over the selection of pWF: a tracer
// document and its .kfw of zeros for the types 1 and 3, the analyser's
// document alone for 4 (its stretch already cut to 65536 samples by the
// caller); nothing for 0 and 2. False (with the message shown) on any failure,
// and when one of those files exists already: it is never written over.
bool WriteNewPhoneObjectFiles(CKPhoneObject* po, CKWaveFilm* pWF);

