// CKFloatWave: the tracer's rebuilt signal of one sound object, one float
// per sample in the units of the 16-bit samples, read through a window
// centred on a chosen sample; kept on disk as the object's .kfw file.
#pragma once
#include "framework/base/CString.h"
#include "framework/base/Types.h"
#include "kavrel/core/KArrays.h"

class CFile;

class CKFloatWave {
public:
    // Empty: no buffer and no window until CreateKFloatWave.
    CKFloatWave();
    virtual ~CKFloatWave() = default;
    CKFloatWave(const CKFloatWave&) = delete;
    CKFloatWave& operator=(const CKFloatWave&) = delete;

    // length zeros, with a window of width 2 on sample 1.
    bool CreateKFloatWave(long length);
    void ClearKFloatWave();

    // Width rounded up to even; false (width 0) when the wave is shorter.
    bool SetFloatWaveWindowWidthInSamples(long width);
    // False when the window had to be moved inside the wave.
    bool PositFloatWaveWindowOnSample(long position);
    float* GetFloatWaveWindow() { return pWindow; }
    long GetFloatWaveWindowWidthInSamples() const { return nWindowWidth; }
    long GetFloatWaveWindowSamplePosition() const { return nWindowPosition; }

    bool HasFloatWaveBuffer() const { return Buffer.pArray != nullptr && Buffer.nSize > 0; }
    long GetFloatWaveLength() const { return HasFloatWaveBuffer() ? Buffer.nSize : 0; }
    float* GetFloatWaveBuffer() { return Buffer.pArray; }

    // The .kfw file: the buffer as little-endian floats, nothing else.
    bool SaveFloatWaveBufferToFile(const CString& sPath);
    bool LoadFloatWaveBufferFromFile(const CString& sPath);

    float* pWindow = nullptr;
    CKArrayFloat Buffer;
    int nWindowWidth = 0;
    int nWindowPosition = 0;

private:
    // The .kfw open for what the buffer needs ("записи", "чтения"); the
    // message when it cannot be opened.
    bool OpenFloatWaveFile(CFile& file, const CString& sPath, UINT nOpenFlags, const char* pszPurpose);
};

// Writes n bytes to the open .kfw at sPath. A short .kfw would be taken for
// the object's signal next time: a failed write abandons the file and shows
// why.
bool KWriteFloatWaveBytes(CFile& file, const void* p, UINT n, const CString& sPath);
