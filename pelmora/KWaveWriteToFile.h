// CKWaveWriteToFile: Pelmora's own writer of 16-bit PCM WAV files, in one
// pass: a provisional 46-byte header at Create, the samples, the final
// header with the sizes at Close.
#pragma once
#include "framework/base/CFile.h"
#include "framework/base/CString.h"
#include "framework/base/Types.h"
#include "framework/base/WaveFormat.h"

#pragma pack(push, 1)
struct KWAVE_FILE_HEADER {
    char RiffId[4];
    DWORD nRiffSize;
    char WaveId[4];
    char FmtId[4];
    DWORD nFmtSize;
    WAVEFORMATEX Format; // the 18-byte form
    char DataId[4];
    DWORD nDataSize;
};
#pragma pack(pop)
static_assert(sizeof(KWAVE_FILE_HEADER) == 46);

class CKWaveWriteToFile {
public:
    CKWaveWriteToFile();
    virtual ~CKWaveWriteToFile();
    CKWaveWriteToFile(const CKWaveWriteToFile&) = delete;
    CKWaveWriteToFile& operator=(const CKWaveWriteToFile&) = delete;

    bool Create(CString sPath, unsigned long nFrADC, int nChannels);
    bool Write(const void* pData, int nBytes);
    bool Close();
    CString GetWaveFilePath() const { return sWaveFilePath; }

    CString sWaveFilePath;
    KWAVE_FILE_HEADER Header;
    bool bOpen = false;
    CFile WaveFile;
    unsigned long nDataBytes = 0;

private:
    void Set_FrADC_Nchannels(unsigned long nFrADC, int nChannels);
};
