#include "glissar/doc/KFloatWave.h"

#include "framework/base/CFile.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KDisplayFileExceptions.h"

namespace {
// One read or write of the file layer moves at most this much.
constexpr long long kChunkBytes = 1 << 26;
} // namespace

CKFloatWave::CKFloatWave()
{
    // The array comes with one element; a float wave has none until it is created.
    delete[] Buffer.pArray;
    Buffer.pArray = nullptr;
    Buffer.nSize = 0;
    Buffer.nAllocated = 0;
}

bool CKFloatWave::CreateKFloatWave(long length)
{
    if (length < 0 || length > 0x7FFFFFFFL || !Buffer.SetSize(int(length)))
        return false;
    pWindow = Buffer.pArray;
    ClearKFloatWave();
    nWindowWidth = 2;
    PositFloatWaveWindowOnSample(1);
    return true;
}

void CKFloatWave::ClearKFloatWave()
{
    for (int i = 0; i < Buffer.nSize; ++i)
        Buffer.pArray[i] = 0.0f;
}

bool CKFloatWave::SetFloatWaveWindowWidthInSamples(long width)
{
    if (width <= 1 || !HasFloatWaveBuffer())
        return false;
    if (width & 1)
        ++width;
    if (width == nWindowWidth)
        return true;
    if (GetFloatWaveLength() >= width) {
        nWindowWidth = int(width);
        PositFloatWaveWindowOnSample(nWindowPosition);
        return true;
    }
    nWindowWidth = 0;
    return false;
}

bool CKFloatWave::PositFloatWaveWindowOnSample(long position)
{
    const long half = nWindowWidth / 2;
    const long length = GetFloatWaveLength();
    bool fitted = true;
    if (position < half) {
        position = half;
        fitted = false;
    }
    if (position + half > length) {
        position = length - half;
        fitted = false;
    }
    nWindowPosition = int(position);
    if (Buffer.pArray)
        pWindow = Buffer.pArray + (position - half);
    return fitted;
}

bool KWriteFloatWaveBytes(CFile& file, const void* p, UINT n, const CString& sPath)
{
    if (file.Write(p, n))
        return true;
    CFileException e = file.GetLastError();
    e.m_strFileName = sPath;
    file.Abort();
    CKDisplayFileExceptions().ShowMessageBox(&e);
    return false;
}

bool CKFloatWave::OpenFloatWaveFile(CFile& file, const CString& sPath, UINT nOpenFlags, const char* pszPurpose)
{
    if (!HasFloatWaveBuffer())
        return false;
    CFileException fe;
    if (file.Open(sPath, nOpenFlags | CFile::shareExclusive, &fe))
        return true;
    CString text;
    text.Format("Не удалось открыть файл\n%s\n для %s float wave file.", sPath.GetString(), pszPurpose);
    AfxMessageBox(text, MB_OK);
    return false;
}

bool CKFloatWave::SaveFloatWaveBufferToFile(const CString& sPath)
{
    CFile file;
    if (!OpenFloatWaveFile(file, sPath, CFile::modeCreate | CFile::modeReadWrite, "записи"))
        return false;
    const char* p = reinterpret_cast<const char*>(Buffer.pArray);
    long long left = (long long)GetFloatWaveLength() * 4;
    while (left > 0) {
        const UINT n = UINT(left < kChunkBytes ? left : kChunkBytes);
        if (!KWriteFloatWaveBytes(file, p, n, sPath))
            return false;
        p += n;
        left -= n;
    }
    file.Close();
    return true;
}

bool CKFloatWave::LoadFloatWaveBufferFromFile(const CString& sPath)
{
    CFile file;
    if (!OpenFloatWaveFile(file, sPath, CFile::modeRead, "чтения"))
        return false;
    char* p = reinterpret_cast<char*>(Buffer.pArray);
    const long long wanted = (long long)GetFloatWaveLength() * 4;
    long long got = 0;
    while (got < wanted) {
        const long long left = wanted - got;
        const UINT n = file.Read(p + got, UINT(left < kChunkBytes ? left : kChunkBytes));
        if (n == 0)
            break;
        got += n;
    }
    file.Close();
    if (got < wanted) {
        CString text;
        text.Format("Удалось прочитать лишь %li байтов\n(а требовалось - %li)\nиз открытого файла\n%s\n для чтения float wave file.",
                    long(got), long(wanted), sPath.GetString());
        AfxMessageBox(text, MB_OK);
        return false;
    }
    return true;
}
