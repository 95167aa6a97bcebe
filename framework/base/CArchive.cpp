#include "framework/base/CArchive.h"

#include <cstring>
#include <limits>

#include "framework/base/Cp1251.h"

namespace {
constexpr size_t kBufferSize = 4096;
}

CArchive::CArchive(CFile* pFile, UINT nMode) : m_nMode(nMode), m_pFile(pFile) {}

CArchive::CArchive(std::vector<BYTE>* pBuffer, UINT nMode) : m_nMode(nMode), m_pMemory(pBuffer) {}

CArchive::~CArchive()
{
    // A destructor must not throw: a store that was never closed is flushed
    // here quietly; its caller learns of a failure only through Close. A
    // load gives back its read-ahead, as Close would.
    if (!m_bClosed) {
        try {
            Flush();
        } catch (...) {
        }
    }
    freeObjectMaps(m_pObjectMaps);
}

void CArchive::ThrowArchive(int cause) const
{
    throw CArchiveException(cause, m_pFile ? m_pFile->GetFilePath().GetString() : nullptr);
}

void CArchive::Flush()
{
    if (IsLoading()) {
        // Give back what was read ahead, so that the file stands just past
        // what was loaded, as the platform's archive leaves it.
        size_t unread = m_nBufferPos < m_buffer.size() ? m_buffer.size() - m_nBufferPos : 0;
        if (m_pFile && unread)
            m_pFile->Seek(-(long long)unread, CFile::current);
        m_buffer.clear();
        m_nBufferPos = 0;
        return;
    }
    if (m_buffer.empty())
        return;
    if (m_pMemory) {
        m_pMemory->insert(m_pMemory->end(), m_buffer.begin(), m_buffer.end());
    } else if (m_pFile && !m_pFile->Write(m_buffer.data(), UINT(m_buffer.size()))) {
        m_buffer.clear();
        throw m_pFile->GetLastError();
    }
    m_buffer.clear();
}

void CArchive::Close()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    Flush();
}

void CArchive::Write(const void* p, UINT nBytes)
{
    if (!IsStoring())
        ThrowArchive(CArchiveException::readOnly);
    auto* b = static_cast<const BYTE*>(p);
    m_buffer.insert(m_buffer.end(), b, b + nBytes);
    if (m_buffer.size() >= kBufferSize)
        Flush();
}

void CArchive::fillReadBuffer()
{
    m_buffer.resize(kBufferSize);
    UINT n = m_pFile ? m_pFile->Read(m_buffer.data(), UINT(kBufferSize)) : 0;
    m_buffer.resize(n);
    m_nBufferPos = 0;
}

UINT CArchive::Read(void* p, UINT nBytes)
{
    if (!IsLoading())
        ThrowArchive(CArchiveException::writeOnly);
    auto* out = static_cast<BYTE*>(p);
    if (m_pMemory) {
        size_t left = m_pMemory->size() - m_nMemoryPos;
        size_t n = nBytes < left ? nBytes : left;
        if (n)
            std::memcpy(out, m_pMemory->data() + m_nMemoryPos, n);
        m_nMemoryPos += n;
        return UINT(n);
    }
    UINT done = 0;
    while (done < nBytes) {
        if (m_nBufferPos >= m_buffer.size()) {
            fillReadBuffer();
            if (m_buffer.empty())
                break;
        }
        size_t n = std::min<size_t>(nBytes - done, m_buffer.size() - m_nBufferPos);
        std::memcpy(out + done, m_buffer.data() + m_nBufferPos, n);
        m_nBufferPos += n;
        done += UINT(n);
    }
    return done;
}

void CArchive::ReadExact(void* p, UINT nBytes)
{
    if (Read(p, nBytes) != nBytes)
        ThrowArchive(CArchiveException::endOfFile);
}

long long CArchive::GetRemaining() const
{
    if (m_pMemory)
        return (long long)(m_pMemory->size() - m_nMemoryPos);
    if (!m_pFile)
        return 0;
    long long len = m_pFile->GetLength(), pos = m_pFile->GetPosition();
    long long buffered = (long long)(m_buffer.size() - m_nBufferPos);
    return (len < 0 || pos < 0) ? buffered : len - pos + buffered;
}

template <typename T> void CArchive::put(T v)
{
    BYTE b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T)); // the machine is little-endian, as the formats are
    Write(b, sizeof(T));
}

template <typename T> T CArchive::get()
{
    T v;
    BYTE b[sizeof(T)];
    ReadExact(b, sizeof(T));
    std::memcpy(&v, b, sizeof(T));
    return v;
}

CArchive& CArchive::operator<<(bool v) { put<BYTE>(v ? 1 : 0); return *this; }
CArchive& CArchive::operator<<(char v) { put<char>(v); return *this; }
CArchive& CArchive::operator<<(unsigned char v) { put<BYTE>(v); return *this; }
CArchive& CArchive::operator<<(short v) { put<std::int16_t>(v); return *this; }
CArchive& CArchive::operator<<(unsigned short v) { put<std::uint16_t>(v); return *this; }
CArchive& CArchive::operator<<(int v) { put<std::int32_t>(v); return *this; }
CArchive& CArchive::operator<<(unsigned int v) { put<std::uint32_t>(v); return *this; }
CArchive& CArchive::operator<<(long v) { put<std::int32_t>(std::int32_t(v)); return *this; }
CArchive& CArchive::operator<<(unsigned long v) { put<std::uint32_t>(std::uint32_t(v)); return *this; }
CArchive& CArchive::operator<<(float v) { put<float>(v); return *this; }
CArchive& CArchive::operator<<(double v) { put<double>(v); return *this; }

CArchive& CArchive::operator>>(bool& v) { v = get<BYTE>() != 0; return *this; }
CArchive& CArchive::operator>>(char& v) { v = get<char>(); return *this; }
CArchive& CArchive::operator>>(unsigned char& v) { v = get<BYTE>(); return *this; }
CArchive& CArchive::operator>>(short& v) { v = get<std::int16_t>(); return *this; }
CArchive& CArchive::operator>>(unsigned short& v) { v = get<std::uint16_t>(); return *this; }
CArchive& CArchive::operator>>(int& v) { v = get<std::int32_t>(); return *this; }
CArchive& CArchive::operator>>(unsigned int& v) { v = get<std::uint32_t>(); return *this; }
CArchive& CArchive::operator>>(long& v) { v = get<std::int32_t>(); return *this; }
CArchive& CArchive::operator>>(unsigned long& v) { v = get<std::uint32_t>(); return *this; }
CArchive& CArchive::operator>>(float& v) { v = get<float>(); return *this; }
CArchive& CArchive::operator>>(double& v) { v = get<double>(); return *this; }

void CArchive::WriteStringLength(unsigned long nLength, bool bUnicode)
{
    if (bUnicode) {
        put<BYTE>(0xFF);
        put<std::uint16_t>(0xFFFE);
    }
    if (nLength < 255) {
        put<BYTE>(BYTE(nLength));
    } else if (nLength < 0xFFFE) {
        put<BYTE>(0xFF);
        put<std::uint16_t>(std::uint16_t(nLength));
    } else {
        put<BYTE>(0xFF);
        put<std::uint16_t>(0xFFFF);
        put<std::uint32_t>(std::uint32_t(nLength));
    }
}

unsigned long CArchive::ReadStringLength(bool& bUnicode)
{
    bUnicode = false;
    BYTE b = get<BYTE>();
    if (b < 0xFF)
        return b;
    std::uint16_t w = get<std::uint16_t>();
    if (w == 0xFFFE) {
        // The UTF-16 form: the marker, then the length in the same forms.
        bUnicode = true;
        b = get<BYTE>();
        if (b < 0xFF)
            return b;
        w = get<std::uint16_t>();
        if (w == 0xFFFE)
            ThrowArchive(CArchiveException::genericException);
    }
    if (w < 0xFFFF)
        return w;
    std::uint32_t d = get<std::uint32_t>();
    if (d == 0xFFFFFFFFu)
        ThrowArchive(CArchiveException::genericException); // 64-bit lengths: nothing of ours is that long
    return d;
}

CArchive& CArchive::operator<<(const CString& s)
{
    std::string narrow;
    if (Utf8ToCp1251(s.str(), narrow)) {
        WriteStringLength(narrow.size(), false);
        Write(narrow.data(), UINT(narrow.size()));
    } else {
        // Windows-1251 cannot hold it (a path with other characters): the
        // UTF-16 form keeps it whole.
        std::u16string wide = Utf8ToUtf16(s.str());
        WriteStringLength(wide.size(), true);
        for (char16_t c : wide)
            put<std::uint16_t>(std::uint16_t(c));
    }
    return *this;
}

CArchive& CArchive::operator>>(CString& s)
{
    bool bUnicode;
    unsigned long n = ReadStringLength(bUnicode);
    unsigned long long bytes = (unsigned long long)n * (bUnicode ? 2 : 1);
    if ((long long)bytes > GetRemaining())
        ThrowArchive(CArchiveException::endOfFile);
    if (bUnicode) {
        std::u16string wide(n, u'\0');
        for (auto& c : wide)
            c = char16_t(get<std::uint16_t>());
        s = CString(Utf16ToUtf8(wide));
    } else {
        std::string narrow(n, '\0');
        ReadExact(narrow.data(), UINT(n));
        s = CString(Cp1251ToUtf8(narrow));
    }
    return *this;
}
