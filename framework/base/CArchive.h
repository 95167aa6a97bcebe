// CArchive: the framework's binary serialisation stream over a CFile or a
// memory buffer. Little-endian, with the platform's widths: int and long
// are 4 bytes, bool is one byte.
//
// Loading a short or malformed archive throws CArchiveException; a failed
// write throws CFileException. Both are caught by whoever opened the
// archive (the document layer) and never leave the library.
#pragma once
#include <vector>

#include "framework/base/CFile.h"
#include "framework/base/CString.h"
#include "framework/base/Types.h"

class CObject;
struct CRuntimeClass;
struct CArchiveObjectMaps;

class CArchiveException {
public:
    enum {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };
    explicit CArchiveException(int cause = none, const char* fileName = nullptr)
        : m_cause(cause), m_strFileName(fileName) {}
    int m_cause;
    CString m_strFileName;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(CFile* pFile, UINT nMode);
    // In memory: loading reads *pBuffer from the start; storing appends to it.
    CArchive(std::vector<BYTE>* pBuffer, UINT nMode);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_nMode == load; }
    bool IsStoring() const { return m_nMode == store; }
    CFile* GetFile() const { return m_pFile; }

    // Storing, writes what is buffered; loading, gives back what was read
    // ahead, leaving the file just past what was loaded. Close also ends the
    // archive's use.
    void Flush();
    void Close();

    void Write(const void* p, UINT nBytes);
    // Reads up to nBytes; returns how many were there.
    UINT Read(void* p, UINT nBytes);
    // Reads exactly nBytes or throws endOfFile.
    void ReadExact(void* p, UINT nBytes);
    // Bytes left to load; a claimed size is checked against it before anything is allocated.
    long long GetRemaining() const;

    CArchive& operator<<(bool v);
    CArchive& operator<<(char v);
    CArchive& operator<<(unsigned char v);
    CArchive& operator<<(short v);
    CArchive& operator<<(unsigned short v);
    CArchive& operator<<(int v);
    CArchive& operator<<(unsigned int v);
    CArchive& operator<<(long v);
    CArchive& operator<<(unsigned long v);
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const CString& s);

    CArchive& operator>>(bool& v);
    CArchive& operator>>(char& v);
    CArchive& operator>>(unsigned char& v);
    CArchive& operator>>(short& v);
    CArchive& operator>>(unsigned short& v);
    CArchive& operator>>(int& v);
    CArchive& operator>>(unsigned int& v);
    CArchive& operator>>(long& v);
    CArchive& operator>>(unsigned long& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(CString& s);

    // The string forms on their own, for callers that store lengths themselves.
    void WriteStringLength(unsigned long nLength, bool bUnicode);
    unsigned long ReadStringLength(bool& bUnicode);

    [[noreturn]] void ThrowArchive(int cause) const;

    // The object form (defined with CObject): a class tag, on a class's first
    // appearance its schema and name, then the object's Serialize; an object
    // stored before is a back-reference to its index. Loading refuses a class
    // it does not know (badClass), another schema (badSchema) and an index
    // it has not met (badIndex).
    void WriteObject(const CObject* pOb);
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    CArchive& operator<<(const CObject* pOb) { WriteObject(pOb); return *this; }
    CArchive& operator>>(CObject*& pOb) { pOb = ReadObject(nullptr); return *this; }

private:
    template <typename T> void put(T v);
    template <typename T> T get();
    void fillReadBuffer();

    UINT m_nMode;
    CFile* m_pFile = nullptr;
    std::vector<BYTE>* m_pMemory = nullptr;
    size_t m_nMemoryPos = 0;
    std::vector<BYTE> m_buffer; // pending writes, or read-ahead
    size_t m_nBufferPos = 0;
    bool m_bClosed = false;
    // Classes and objects met so far, made by the first object stored or loaded.
    CArchiveObjectMaps* m_pObjectMaps = nullptr;
    CArchiveObjectMaps& objectMaps();
    static void freeObjectMaps(CArchiveObjectMaps* p);
};
