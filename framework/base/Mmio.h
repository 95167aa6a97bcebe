// RIFF chunk files with the calling pattern and result codes of the
// platform's multimedia file I/O: open, descend into a RIFF form or a
// chunk, read and write, seek, create a chunk, ascend (patching its size),
// close.
#pragma once
#include "framework/base/Types.h"

typedef UINT MMRESULT;
struct MmioFile;
typedef MmioFile* HMMIO;

enum : UINT {
    MMSYSERR_NOERROR = 0,
    MMIOERR_BASE = 256,
    MMIOERR_FILENOTFOUND = 257,
    MMIOERR_OUTOFMEMORY = 258,
    MMIOERR_CANNOTOPEN = 259,
    MMIOERR_CANNOTCLOSE = 260,
    MMIOERR_CANNOTREAD = 261,
    MMIOERR_CANNOTWRITE = 262,
    MMIOERR_CANNOTSEEK = 263,
    MMIOERR_CANNOTEXPAND = 264,
    MMIOERR_CHUNKNOTFOUND = 265,
    MMIOERR_ACCESSDENIED = 268,
    MMIOERR_INVALIDFILE = 272, // not a regular file: a device, a pipe
};

enum : DWORD {
    MMIO_READ = 0x0000,
    MMIO_WRITE = 0x0001,
    MMIO_READWRITE = 0x0002,
    MMIO_EXCLUSIVE = 0x0010,
    MMIO_DENYWRITE = 0x0020,
    MMIO_DENYREAD = 0x0030,
    MMIO_DENYNONE = 0x0040,
    MMIO_CREATE = 0x1000,
    MMIO_ALLOCBUF = 0x00010000,
};

enum : UINT {
    MMIO_FINDCHUNK = 0x0010,
    MMIO_FINDRIFF = 0x0020,
    MMIO_FINDLIST = 0x0040,
    MMIO_CREATERIFF = 0x0020,
    MMIO_CREATELIST = 0x0040,
};

constexpr DWORD MMIO_DIRTY = 0x10000000;

struct MMCKINFO {
    FOURCC ckid = 0;
    DWORD cksize = 0;
    FOURCC fccType = 0;
    DWORD dwDataOffset = 0;
    DWORD dwFlags = 0;
};

struct MMIOINFO {
    UINT wErrorRet = 0;
};

#ifndef SEEK_SET
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
#endif

// Null on failure; the reason then stands in info->wErrorRet.
HMMIO mmioOpen(const char* path, MMIOINFO* info, DWORD flags);
MMRESULT mmioClose(HMMIO h, UINT flags = 0);
// Bytes read, 0 at the end, -1 on an error.
LONG mmioRead(HMMIO h, void* p, LONG n);
LONG mmioWrite(HMMIO h, const void* p, LONG n);
// The new position, or -1. Positions are 64-bit up to the end of the
// largest RIFF file (8 bytes of header and 4 GiB - 1 of form). A handle
// opened for reading only cannot seek past the end of its file.
long long mmioSeek(HMMIO h, long long offset, int origin);
MMRESULT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags);
MMRESULT mmioAscend(HMMIO h, MMCKINFO* ck, UINT flags = 0);
MMRESULT mmioCreateChunk(HMMIO h, MMCKINFO* ck, UINT flags);

// Failure points, so that every caller's failure path can be walked: the
// call of this kind after the next nSkip ones fails with this result (an
// open reports it in wErrorRet, a write returns -1), as the platform's
// calls can on a full or vanished disk.
enum class KMmioCall { Open, Write, CreateChunk, Ascend };
void KFailMmioCall(KMmioCall call, MMRESULT result, int nSkip = 0);
// Forgets every failure point that has not fired.
void KClearMmioFailures();
