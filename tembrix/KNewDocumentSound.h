// The sound of a new document, as File New asks for it: a WAV file opened
// as it stands, or a FLAC, Ogg, MP3, AIFF or CAF file decoded into a 16-bit
// WAV copy at a place the user chooses, which the document then names.
#pragma once
#include "framework/base/CString.h"

class CKWave;

// The open dialog's filter: every sound the workshop takes, then WAV alone.
extern const char* const kNewDocumentSoundFilter;

// Asks for the sound and opens wave on it (on the copy for a compressed
// file). False when the user cancelled or the file could not be opened
// (the reason shown).
bool KAskForNewDocumentSound(CKWave& wave);

// Decodes src into a WAV copy, the place asked with the save dialog
// (NAME.wav beside src, or the first free NAME-k.wav), never over an existing
// file, with the progress shown. The copy's path, or empty when cancelled or
// failed (the reason shown).
CString KMakeWavCopyOfSound(const CString& src);
