#include "kavrel/core/KWaveWriteToFile.h"

#include <cstring>

#include "framework/base/UserServices.h"

CKWaveWriteToFile::CKWaveWriteToFile()
    : sWaveFilePath("C:\\TEMP\\KTemporal.wav"), bOpen(false), nDataBytes(0)
{
    std::memset(&Header, 0, sizeof Header);
    std::memcpy(Header.RiffId, "RIFF", 4);
    std::memcpy(Header.WaveId, "WAVE", 4);
    std::memcpy(Header.FmtId, "fmt ", 4);
    std::memcpy(Header.DataId, "data", 4);
    Header.Format.wFormatTag = WAVE_FORMAT_PCM;
    Header.Format.wBitsPerSample = 16;
    Header.Format.cbSize = 0;
    Set_FrADC_Nchannels(11025, 1);
}

CKWaveWriteToFile::~CKWaveWriteToFile()
{
    Close();
}

void CKWaveWriteToFile::Set_FrADC_Nchannels(unsigned long nFrADC, int nChannels)
{
    Header.Format.nSamplesPerSec = DWORD(nFrADC);
    Header.Format.nChannels = WORD(nChannels);
    Header.Format.nAvgBytesPerSec = DWORD(nFrADC * 2 * nChannels);
    Header.Format.nBlockAlign = WORD(2 * nChannels);
}

bool CKWaveWriteToFile::Create(CString sPath, unsigned long nFrADC, int nChannels)
{
    if (bOpen)
        Close();
    bOpen = false;
    sWaveFilePath = sPath;
    if (!WaveFile.Open(sPath, CFile::modeReadWrite | CFile::modeCreate | CFile::typeBinary)) {
        AfxMessageBox(sPath + "\n- не удается открыть этот файл для записи в него звуковой сигнал.", MB_OK);
        return false;
    }
    Set_FrADC_Nchannels(nFrADC, nChannels);
    if (!WaveFile.Write(&Header, sizeof Header)) {
        WaveFile.Abort();
        AfxMessageBox(sPath + "\n- не удается записать в этот файл заголовок звукового сигнала.", MB_OK);
        return false;
    }
    bOpen = true;
    nDataBytes = 0;
    return true;
}

bool CKWaveWriteToFile::Create(unsigned long nFrADC, int nChannels)
{
    CString sPath;
    return ChooseFile(sPath) && Create(sPath, nFrADC, nChannels);
}

bool CKWaveWriteToFile::ChooseFile(CString& sPath)
{
    return ChooseFile(sPath, "wav", "KTemporal", "Wave файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||",
                      "В какой файл записать звуковой сигнал?");
}

bool CKWaveWriteToFile::ChooseFile(CString& sPath, const char* ext, const char* name, const char* filter,
                                   const char* title)
{
    FileDialogRequest request;
    request.bOpen = false;
    request.sDefaultExt = ext;
    request.sFileName = name;
    request.nFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    request.sFilter = filter;
    request.sTitle = title;
    if (!UserInteraction().FileDialog(request))
        return false;
    sPath = request.sPathName;
    return true;
}

bool CKWaveWriteToFile::Write(const void* pData, int nBytes)
{
    if (!bOpen)
        return false;
    if (nBytes < 0 || !WaveFile.Write(pData, UINT(nBytes))) {
        AfxMessageBox(sWaveFilePath + "\n- не удается записать в этот файл звуковой сигнал.", MB_OK);
        return false;
    }
    nDataBytes += (unsigned long)nBytes;
    return true;
}

bool CKWaveWriteToFile::Close()
{
    if (!bOpen)
        return false;
    // Whatever happens below, the file is finished with: a second Close
    // (the destructor's) must not write into it again.
    bOpen = false;
    Header.nDataSize = DWORD(nDataBytes);
    Header.nRiffSize = DWORD(nDataBytes + 38);
    Header.nFmtSize = 18;
    if (WaveFile.SeekToBegin() != 0) {
        WaveFile.Abort();
        AfxMessageBox(sWaveFilePath + "\n- не удается поместиться в начало звукового файла.", MB_OK);
        return false;
    }
    if (!WaveFile.Write(&Header, sizeof Header)) {
        WaveFile.Abort();
        AfxMessageBox(sWaveFilePath + "\n- не удается записать заголовок в этот файл.", MB_OK);
        return false;
    }
    WaveFile.Close();
    return true;
}
