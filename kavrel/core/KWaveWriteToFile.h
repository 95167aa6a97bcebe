// CKWaveWriteToFile: writes a 16-bit PCM WAV file in one pass; the sizes
// in its 46-byte header are filled in when the file is closed.
#pragma once
#include "framework/base/CFile.h"
#include "framework/base/CString.h"
#include "framework/base/NoCopy.h"
#include "framework/base/Types.h"
#include "framework/base/WaveFormat.h"

#pragma pack(push, 1)
struct KWAVE_FILE_HEADER {
    char RiffId[4];
    DWORD nRiffSize;
    char WaveId[4];
    char FmtId[4];
    DWORD nFmtSize;
    WAVEFORMATEX Format; // the "fmt " chunk's record, as the platform declares it
    char DataId[4];
    DWORD nDataSize;
};
#pragma pack(pop)
static_assert(sizeof(KWAVE_FILE_HEADER) == 46);

class CKWaveWriteToFile : private KNoCopy {
public:
    CKWaveWriteToFile();
    virtual ~CKWaveWriteToFile();

    bool Create(CString sPath, unsigned long nFrADC, int nChannels);
    bool Create(CString sPath) { return Create(sPath, 11025, 1); }
    // Asks for the file with the save dialog.
    bool Create(unsigned long nFrADC, int nChannels);
    // The save dialog alone: the path chosen, nothing created yet.
    static bool ChooseFile(CString& sPath);
    // The same dialog (an existing file replaced only when the user agrees)
    // with this default extension, offered name, filter and title.
    static bool ChooseFile(CString& sPath, const char* ext, const char* name, const char* filter, const char* title);
    bool Create() { return Create(11025, 1); }
    bool Write(const void* pData, int nBytes);
    bool Close();
    void Set_FrADC_Nchannels(unsigned long nFrADC, int nChannels);
    CString GetWaveFilePath() const { return sWaveFilePath; }

    CString sWaveFilePath;
    KWAVE_FILE_HEADER Header;
    bool bOpen;
    CFile WaveFile;
    unsigned long nDataBytes;
};
