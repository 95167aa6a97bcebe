// Sound files the WAV reader does not read itself (FLAC, Ogg Vorbis and
// Opus, MP3, AIFF/AIFC, CAF), decoded by libsndfile into a 16-bit PCM WAV
// copy with every channel and the same rate, which the reader then opens.
// The samples are rounded to 16 bits as the reader rounds wide WAV samples.
#pragma once
#include <functional>

#include "framework/base/CString.h"

// The container a file's first bytes announce, when it is one the decoder
// takes ("FLAC", "Ogg", "MP3", "AIFF", "CAF"); empty for a WAV file, for a
// file that cannot be read and for anything else.
CString KCompressedSoundKind(const CString& path);

// The version of libsndfile in use, as it names itself.
CString KSoundDecoderVersion();

enum class KDecodeStatus { Done, Cancelled, Failed };

// Told the fraction done (0 .. 1) now and then; returning false cancels.
using KDecodeProgress = std::function<bool(double)>;

// Decodes src into a new 16-bit WAV file at dst. dst must not exist: the
// copy never replaces a file. On cancellation or failure nothing is left at
// dst; on failure why says what went wrong, in Russian.
KDecodeStatus KDecodeSoundToWav16(const CString& src, const CString& dst, const KDecodeProgress& progress, CString& why);

// NAME.wav beside src (NAME being src's name without its extension), or
// NAME-1.wav, NAME-2.wav... in the same folder, the first that does not exist.
CString KFreeWavCopyPathBeside(const CString& src);
// The same in another folder.
CString KFreeWavCopyPathIn(const CString& folder, const CString& src);
