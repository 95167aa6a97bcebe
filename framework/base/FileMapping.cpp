#include "framework/base/FileMapping.h"

#include <fcntl.h>
#include <limits>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

struct KFileMappingObject {
    int fd;
    bool bWritable;
    unsigned long long nSize;
};

namespace {

std::mutex g_lock;
std::map<const void*, size_t> g_views; // base address → mapped length
int g_nFailCreate = 0;
int g_nFailView = 0;

// The failure injected for the next call, once; 0 when none.
int takeInjected(int& slot)
{
    std::lock_guard<std::mutex> guard(g_lock);
    const int e = slot;
    slot = 0;
    return e;
}

template <class T> T failWith(int osError, T result)
{
    errno = osError;
    return result;
}

} // namespace

void KFailNextCreateFileMapping(int osError)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_nFailCreate = osError;
}

void KFailNextMapViewOfFile(int osError)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_nFailView = osError;
}

HFILEMAPPING CreateFileMapping(const CFile& file, DWORD flProtect, unsigned long long nMaximumSize)
{
    if (const int e = takeInjected(g_nFailCreate))
        return failWith<HFILEMAPPING>(e, nullptr);
    const int fd = file.GetFileDescriptor();
    if (fd < 0)
        return failWith<HFILEMAPPING>(EBADF, nullptr);
    if (flProtect != PAGE_READONLY && flProtect != PAGE_READWRITE)
        return failWith<HFILEMAPPING>(EINVAL, nullptr);
    const int mode = ::fcntl(fd, F_GETFL);
    if (mode < 0)
        return failWith<HFILEMAPPING>(errno, nullptr);
    const int access = mode & O_ACCMODE;
    const bool bWritable = flProtect == PAGE_READWRITE;
    if (access == O_WRONLY || (bWritable && access != O_RDWR))
        return failWith<HFILEMAPPING>(EACCES, nullptr);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return failWith<HFILEMAPPING>(errno, nullptr);
    if (!S_ISREG(st.st_mode))
        return failWith<HFILEMAPPING>(EINVAL, nullptr);
    if (nMaximumSize > static_cast<unsigned long long>(std::numeric_limits<off_t>::max()))
        return failWith<HFILEMAPPING>(EFBIG, nullptr);
    const unsigned long long nLength = static_cast<unsigned long long>(st.st_size);
    const unsigned long long nSize = nMaximumSize ? nMaximumSize : nLength;
    if (nSize == 0)
        return failWith<HFILEMAPPING>(EINVAL, nullptr);
    if (nSize > nLength) {
        if (!bWritable)
            return failWith<HFILEMAPPING>(EACCES, nullptr);
        if (::ftruncate(fd, off_t(nSize)) != 0)
            return failWith<HFILEMAPPING>(errno, nullptr);
    }
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return failWith<HFILEMAPPING>(errno, nullptr);
    return new KFileMappingObject{own, bWritable, nSize};
}

void* MapViewOfFile(HFILEMAPPING hMapping, DWORD dwDesiredAccess, unsigned long long nOffset, size_t nBytes)
{
    if (const int e = takeInjected(g_nFailView))
        return failWith<void*>(e, nullptr);
    if (!hMapping)
        return failWith<void*>(EBADF, nullptr);
    const bool bWrite = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
    if (!bWrite && !(dwDesiredAccess & FILE_MAP_READ))
        return failWith<void*>(EINVAL, nullptr);
    if (bWrite && !hMapping->bWritable)
        return failWith<void*>(EACCES, nullptr);
    const unsigned long long page = static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
    if (nOffset % page != 0 || nOffset >= hMapping->nSize)
        return failWith<void*>(EINVAL, nullptr);
    const unsigned long long nRest = hMapping->nSize - nOffset;
    if (nBytes == 0) {
        if (nRest > std::numeric_limits<size_t>::max())
            return failWith<void*>(ENOMEM, nullptr);
        nBytes = size_t(nRest);
    } else if (nBytes > nRest) {
        return failWith<void*>(EACCES, nullptr);
    }
    void* p = ::mmap(nullptr, nBytes, bWrite ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, hMapping->fd,
                     off_t(nOffset));
    if (p == MAP_FAILED)
        return nullptr; // errno from mmap
    std::lock_guard<std::mutex> guard(g_lock);
    g_views[p] = nBytes;
    return p;
}

BOOL UnmapViewOfFile(const void* pBaseAddress)
{
    size_t nBytes = 0;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = g_views.find(pBaseAddress);
        if (it == g_views.end())
            return failWith<BOOL>(EINVAL, FALSE);
        nBytes = it->second;
        g_views.erase(it);
    }
    return ::munmap(const_cast<void*>(pBaseAddress), nBytes) == 0 ? TRUE : FALSE;
}

BOOL CloseHandle(HFILEMAPPING hMapping)
{
    if (!hMapping)
        return failWith<BOOL>(EBADF, FALSE);
    const bool ok = ::close(hMapping->fd) == 0;
    delete hMapping;
    return ok ? TRUE : FALSE;
}
