// CFile and CFileException: binary files with the framework's open modes,
// failures described by the framework's cause codes.
#pragma once
#include "framework/base/CString.h"
#include "framework/base/Types.h"

class CFileException {
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    CFileException() = default;
    CFileException(int cause, int osError = -1, const char* fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // The cause for a system error number.
    static int OsErrorToException(int osError);

    int m_cause = none;
    int m_lOsError = -1;
    CString m_strFileName;
};

// Whether two paths name one file (the same inode, through links or other
// spellings of the path); false when either does not exist.
bool KIsSameFile(const char* a, const char* b);

// The path made whole against the current folder, with "." and ".."
// steps taken out but links left as they are: what documents store, so
// that a file opened by a relative name is found again from elsewhere.
CString KFullPath(const CString& path);

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Sharing flags are accepted and not enforced: POSIX has no mandatory
    // sharing, and no program of the suite relies on being refused.
    bool Open(const char* path, UINT openFlags, CFileException* error = nullptr);
    void Close();
    // Abort closes without reporting anything, for clean-up after a failure.
    void Abort();
    bool IsOpen() const { return m_fd >= 0; }
    // The system's descriptor of the open file (-1 when closed), for the
    // calls that work on the file itself, such as mapping it into memory.
    int GetFileDescriptor() const { return m_fd; }

    // Returns the bytes read (0 at the end or on an error, see GetLastError).
    UINT Read(void* buffer, UINT count);
    // All or nothing: false when fewer than count bytes could be written.
    bool Write(const void* buffer, UINT count);
    // The new position, or -1 on failure.
    long long Seek(long long offset, UINT from);
    long long SeekToBegin() { return Seek(0, begin); }
    long long SeekToEnd() { return Seek(0, end); }
    long long GetPosition() const;
    long long GetLength() const;
    bool SetLength(long long length);
    bool Flush();

    const CString& GetFilePath() const { return m_strFileName; }
    // The exception that the last operation would have thrown (cause 0: it succeeded).
    const CFileException& GetLastError() const { return m_lastError; }

private:
    void fail(int osError);

    int m_fd = -1;
    CString m_strFileName;
    CFileException m_lastError;
};
