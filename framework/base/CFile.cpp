#include "framework/base/CFile.h"

#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int CFileException::OsErrorToException(int osError)
{
    switch (osError) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EBUSY:
        return removeCurrentDir;
    case ESPIPE:
    case EOVERFLOW:
        return badSeek;
    case EIO:
    case ENXIO:
        return hardIO;
    case ETXTBSY:
        return sharingViolation;
    case EDEADLK:
    case ENOLCK:
        return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return genericException;
    }
}

CFile::~CFile()
{
    Abort();
}

void CFile::fail(int osError)
{
    m_lastError = CFileException(CFileException::OsErrorToException(osError), osError, m_strFileName.GetString());
}

bool CFile::Open(const char* path, UINT openFlags, CFileException* error)
{
    Abort();
    m_strFileName = path;
    m_lastError = CFileException();
    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
    case modeWrite:
        flags |= O_WRONLY;
        break;
    case modeReadWrite:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    // Not blocking while opening: a FIFO named by a damaged or hostile
    // document would otherwise hang the program here, waiting for a writer.
    m_fd = ::open(path, flags | O_NONBLOCK, 0666);
    if (m_fd < 0) {
        fail(errno);
        if (error)
            *error = m_lastError;
        return false;
    }
    struct stat st;
    const bool statOk = ::fstat(m_fd, &st) == 0;
    int refusal = 0;
    if (statOk && S_ISDIR(st.st_mode))
        refusal = EISDIR;
    // What is read is a document or a sound: a regular file, never a device
    // or a pipe that could stall or feed endless bytes.
    else if ((openFlags & 3) == modeRead && (!statOk || !S_ISREG(st.st_mode)))
        refusal = EINVAL;
    if (refusal) {
        ::close(m_fd);
        m_fd = -1;
        if (refusal == EISDIR)
            fail(EISDIR);
        else
            m_lastError = CFileException(CFileException::invalidFile, EINVAL, m_strFileName.GetString());
        if (error)
            *error = m_lastError;
        return false;
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    return true;
}

void CFile::Close()
{
    m_lastError = CFileException();
    if (m_fd >= 0) {
        if (::close(m_fd) != 0)
            fail(errno);
        m_fd = -1;
    }
}

void CFile::Abort()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

namespace {
// Moves count bytes with io (::read or ::write) until they are through, the
// file ends or a call fails; an interrupted call is made again. Returns how
// many moved; error is the failed call's errno, 0 when none failed.
template <class Byte, class Io> UINT Transfer(int fd, Byte* p, UINT count, Io io, int& error)
{
    error = 0;
    UINT done = 0;
    while (done < count) {
        ssize_t n = io(fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0)
            break;
        done += UINT(n);
    }
    return done;
}
} // namespace

UINT CFile::Read(void* buffer, UINT count)
{
    m_lastError = CFileException();
    if (m_fd < 0) {
        fail(EBADF);
        return 0;
    }
    int error;
    const UINT done = Transfer(m_fd, static_cast<char*>(buffer), count, ::read, error);
    if (error)
        fail(error);
    return done;
}

bool CFile::Write(const void* buffer, UINT count)
{
    m_lastError = CFileException();
    if (m_fd < 0) {
        fail(EBADF);
        return false;
    }
    int error;
    const UINT done = Transfer(m_fd, static_cast<const char*>(buffer), count, ::write, error);
    if (error)
        fail(error);
    else if (done < count)
        fail(ENOSPC); // the device took no more
    return done == count;
}

long long CFile::Seek(long long offset, UINT from)
{
    m_lastError = CFileException();
    if (m_fd < 0) {
        fail(EBADF);
        return -1;
    }
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    off_t r = ::lseek(m_fd, off_t(offset), whence);
    if (r < 0) {
        fail(errno);
        return -1;
    }
    return r;
}

long long CFile::GetPosition() const
{
    return m_fd < 0 ? -1 : (long long)::lseek(m_fd, 0, SEEK_CUR);
}

long long CFile::GetLength() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return st.st_size;
}

bool CFile::SetLength(long long length)
{
    if (m_fd < 0 || ::ftruncate(m_fd, off_t(length)) != 0) {
        fail(m_fd < 0 ? EBADF : errno);
        return false;
    }
    return true;
}

bool CFile::Flush()
{
    if (m_fd < 0 || ::fsync(m_fd) != 0) {
        if (m_fd >= 0 && (errno == EINVAL || errno == EROFS))
            return true; // not a regular file: nothing to flush
        fail(m_fd < 0 ? EBADF : errno);
        return false;
    }
    return true;
}

CString KFullPath(const CString& path)
{
    if (path.IsEmpty())
        return path;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path.GetString(), ec);
    if (ec)
        return path;
    return CString(full.lexically_normal().string().c_str());
}

bool KIsSameFile(const char* a, const char* b)
{
    struct stat sa, sb;
    if (!a || !b || ::stat(a, &sa) != 0 || ::stat(b, &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
