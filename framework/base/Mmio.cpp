#include "framework/base/Mmio.h"

#include <cstring>
#include <mutex>
#include <new>

#include "framework/base/CFile.h"

struct MmioFile {
    CFile file;
    bool bWritable = false;
};

namespace {

constexpr FOURCC kRiff = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC kList = mmioFOURCC('L', 'I', 'S', 'T');
// The end of a RIFF form of the largest size its 32-bit field can hold.
constexpr long long kMaxRiffPosition = 8LL + 0xFFFFFFFFLL;

bool readDword(HMMIO h, DWORD& v)
{
    BYTE b[4];
    if (h->file.Read(b, 4) != 4)
        return false;
    v = DWORD(b[0]) | (DWORD(b[1]) << 8) | (DWORD(b[2]) << 16) | (DWORD(b[3]) << 24);
    return true;
}

bool writeDword(HMMIO h, DWORD v)
{
    BYTE b[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
    return h->file.Write(b, 4);
}

struct FailurePoint {
    MMRESULT result = 0;
    int nSkip = 0;
};
std::mutex g_failLock;
FailurePoint g_failures[4];

// The injected result for this call, or 0.
MMRESULT takeFailure(KMmioCall call)
{
    std::lock_guard<std::mutex> guard(g_failLock);
    FailurePoint& f = g_failures[int(call)];
    if (!f.result)
        return 0;
    if (f.nSkip > 0) {
        --f.nSkip;
        return 0;
    }
    const MMRESULT r = f.result;
    f = FailurePoint{};
    return r;
}

} // namespace

void KFailMmioCall(KMmioCall call, MMRESULT result, int nSkip)
{
    std::lock_guard<std::mutex> guard(g_failLock);
    g_failures[int(call)] = FailurePoint{result, nSkip};
}

void KClearMmioFailures()
{
    std::lock_guard<std::mutex> guard(g_failLock);
    for (FailurePoint& f : g_failures)
        f = FailurePoint{};
}

HMMIO mmioOpen(const char* path, MMIOINFO* info, DWORD flags)
{
    if (const MMRESULT r = takeFailure(KMmioCall::Open)) {
        if (info)
            info->wErrorRet = r;
        return nullptr;
    }
    auto* h = new (std::nothrow) MmioFile;
    if (!h) {
        if (info)
            info->wErrorRet = MMIOERR_OUTOFMEMORY;
        return nullptr;
    }
    UINT mode = CFile::typeBinary;
    switch (flags & 3) {
    case MMIO_WRITE:
        mode |= CFile::modeWrite;
        h->bWritable = true;
        break;
    case MMIO_READWRITE:
        mode |= CFile::modeReadWrite;
        h->bWritable = true;
        break;
    default:
        mode |= CFile::modeRead;
        break;
    }
    if (flags & MMIO_CREATE) {
        mode |= CFile::modeCreate;
        if (!h->bWritable) {
            mode = (mode & ~3u) | CFile::modeReadWrite;
            h->bWritable = true;
        }
    }
    CFileException e;
    if (!h->file.Open(path, mode, &e)) {
        if (info)
            info->wErrorRet = e.m_cause == CFileException::fileNotFound  ? MMIOERR_FILENOTFOUND
                              : e.m_cause == CFileException::accessDenied ? MMIOERR_ACCESSDENIED
                              : e.m_cause == CFileException::invalidFile  ? MMIOERR_INVALIDFILE
                                                                          : MMIOERR_CANNOTOPEN;
        delete h;
        return nullptr;
    }
    if (info)
        info->wErrorRet = 0;
    return h;
}

MMRESULT mmioClose(HMMIO h, UINT)
{
    if (!h)
        return MMIOERR_CANNOTCLOSE;
    h->file.Close();
    bool ok = h->file.GetLastError().m_cause == CFileException::none;
    delete h;
    return ok ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}

LONG mmioRead(HMMIO h, void* p, LONG n)
{
    if (!h || n < 0)
        return -1;
    UINT got = h->file.Read(p, UINT(n));
    if (got == 0 && n > 0 && h->file.GetLastError().m_cause != CFileException::none)
        return -1;
    return LONG(got);
}

LONG mmioWrite(HMMIO h, const void* p, LONG n)
{
    if (!h || n < 0 || !h->bWritable || takeFailure(KMmioCall::Write))
        return -1;
    return h->file.Write(p, UINT(n)) ? n : -1;
}

long long mmioSeek(HMMIO h, long long offset, int origin)
{
    if (!h)
        return -1;
    long long base = 0;
    if (origin == SEEK_CUR)
        base = h->file.GetPosition();
    else if (origin == SEEK_END)
        base = h->file.GetLength();
    else if (origin != SEEK_SET)
        return -1;
    long long target = base + offset;
    if (base < 0 || target < 0 || target > kMaxRiffPosition)
        return -1;
    if (!h->bWritable && target > h->file.GetLength())
        return -1;
    return h->file.Seek(target, CFile::begin);
}

MMRESULT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags)
{
    if (!h || !ck)
        return MMIOERR_CANNOTREAD;
    long long fileSize = h->file.GetLength();
    long long end = fileSize;
    if (parent) {
        end = (long long)parent->dwDataOffset + parent->cksize;
        // A parent whose size was never patched (0) or that claims more than
        // the file holds is taken to run to the end of the file.
        if (parent->cksize == 0 || end > fileSize)
            end = fileSize;
    }
    FOURCC wantId = ck->ckid, wantType = ck->fccType;
    if (flags & MMIO_FINDRIFF)
        wantId = kRiff;
    else if (flags & MMIO_FINDLIST)
        wantId = kList;
    bool find = flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);

    for (;;) {
        long long pos = h->file.GetPosition();
        if (pos < 0 || pos + 8 > end)
            return MMIOERR_CHUNKNOTFOUND;
        MMCKINFO found;
        if (!readDword(h, found.ckid) || !readDword(h, found.cksize))
            return MMIOERR_CHUNKNOTFOUND;
        found.dwDataOffset = DWORD(pos + 8);
        found.dwFlags = 0;
        bool hasType = found.ckid == kRiff || found.ckid == kList;
        if (hasType && !readDword(h, found.fccType))
            return MMIOERR_CHUNKNOTFOUND;
        if (!hasType)
            found.fccType = 0;
        bool match = !find || (found.ckid == wantId && (!(flags & (MMIO_FINDRIFF | MMIO_FINDLIST)) || found.fccType == wantType));
        if (match) {
            *ck = found;
            return MMSYSERR_NOERROR;
        }
        long long next = (long long)found.dwDataOffset + found.cksize + (found.cksize & 1);
        if (next >= end || h->file.Seek(next, CFile::begin) < 0)
            return MMIOERR_CHUNKNOTFOUND;
    }
}

MMRESULT mmioAscend(HMMIO h, MMCKINFO* ck, UINT)
{
    if (const MMRESULT r = takeFailure(KMmioCall::Ascend))
        return r;
    if (!h || !ck)
        return MMIOERR_CANNOTSEEK;
    if (ck->dwFlags & MMIO_DIRTY) {
        long long pos = h->file.GetPosition();
        if (pos < 0)
            return MMIOERR_CANNOTSEEK;
        DWORD size = DWORD(pos - ck->dwDataOffset);
        if (size & 1) {
            BYTE pad = 0;
            if (!h->file.Write(&pad, 1))
                return MMIOERR_CANNOTWRITE;
        }
        if (size != ck->cksize) {
            if (h->file.Seek((long long)ck->dwDataOffset - 4, CFile::begin) < 0)
                return MMIOERR_CANNOTSEEK;
            if (!writeDword(h, size))
                return MMIOERR_CANNOTWRITE;
            ck->cksize = size;
        }
        ck->dwFlags &= ~MMIO_DIRTY;
    }
    long long next = (long long)ck->dwDataOffset + ck->cksize + (ck->cksize & 1);
    if (!h->bWritable && next > h->file.GetLength())
        next = h->file.GetLength();
    if (h->file.Seek(next, CFile::begin) < 0)
        return MMIOERR_CANNOTSEEK;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioCreateChunk(HMMIO h, MMCKINFO* ck, UINT flags)
{
    if (const MMRESULT r = takeFailure(KMmioCall::CreateChunk))
        return r;
    if (!h || !ck || !h->bWritable)
        return MMIOERR_CANNOTWRITE;
    long long pos = h->file.GetPosition();
    if (pos < 0)
        return MMIOERR_CANNOTSEEK;
    if (flags & MMIO_CREATERIFF)
        ck->ckid = kRiff;
    else if (flags & MMIO_CREATELIST)
        ck->ckid = kList;
    bool hasType = flags & (MMIO_CREATERIFF | MMIO_CREATELIST);
    if (!writeDword(h, ck->ckid) || !writeDword(h, ck->cksize))
        return MMIOERR_CANNOTWRITE;
    if (hasType && !writeDword(h, ck->fccType))
        return MMIOERR_CANNOTWRITE;
    ck->dwDataOffset = DWORD(pos + 8);
    ck->dwFlags = MMIO_DIRTY;
    return MMSYSERR_NOERROR;
}
