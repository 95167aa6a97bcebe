#include "pelmora/KWave.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/base/UserServices.h"

CKWave::~CKWave()
{
    CloseKWaveFile();
}

void CKWave::ShowText(const CString& text)
{
    AfxMessageBox("Сообщение о звуковом файле - \n" + sPathName + ":\n\n" + text, MB_OK);
}

bool CKWave::show_mmio_error_if_any(MMRESULT r)
{
    if (r == 0)
        return false;
    CString text;
    if (r == MMIOERR_CANNOTWRITE)
        text.Format("\n%i = MMIOERR_CANNOTWRITE", int(r));
    else if (r == MMIOERR_CANNOTSEEK)
        text.Format("\n%i = MMIOERR_CANNOTSEEK", int(r));
    else if (r == MMIOERR_CHUNKNOTFOUND)
        text.Format("\n%i = MMIOERR_CHUNKNOTFOUND", int(r));
    else
        text = "\nНеизвестная ошибка.";
    ShowText(text);
    return true;
}

// The formats the suite's library reader takes, read the same way: a
// listener's own stimuli may be 24-bit or float recordings too.
bool CKWave::read_and_check_format()
{
    std::memset(&Format, 0, sizeof Format);
    BYTE fmt[64] = {};
    LONG want = LONG(std::min<DWORD>(ckFmt.cksize, sizeof fmt));
    LONG got = mmioRead(hmmio, fmt, want);
    if (got != want) {
        ShowText("Ошибка чтения чанка формата.");
        if (got == -1)
            ShowText("Плохая ошибка.\nВозвращен код ошибки -1 при чтении чанка формата");
        return false;
    }
    std::memcpy(&Format, fmt, std::min<size_t>(size_t(want), sizeof Format));
    std::string why;
    if (!KParsePcmFormat(fmt, size_t(want), Layout, why)) {
        ShowText(KPcmRefusalText(Format, why).c_str());
        return false;
    }
    return true;
}

bool CKWave::OpenKWaveFile(CString sPath, CString sTitle)
{
    CloseKWaveFile();
    sPathName = sPath;
    sFileTitle = sTitle;
    MMIOINFO info;
    hmmio = mmioOpen(sPathName.GetString(), &info, MMIO_READ | MMIO_DENYNONE);
    if (!hmmio) {
        ShowText(info.wErrorRet == MMIOERR_INVALIDFILE
                     ? "Файл не открывается: это не обычный файл, а устройство или канал."
                     : "Файл не открывается.");
        return false;
    }
    ckRiff = MMCKINFO();
    ckRiff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ckFmt = MMCKINFO();
    ckFmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ckData = MMCKINFO();
    ckData.ckid = mmioFOURCC('d', 'a', 't', 'a');
    bool ok = !show_mmio_error_if_any(mmioDescend(hmmio, &ckRiff, nullptr, MMIO_FINDRIFF)) &&
              !show_mmio_error_if_any(mmioDescend(hmmio, &ckFmt, &ckRiff, MMIO_FINDCHUNK)) && read_and_check_format();
    // The data chunk is looked for from the start of the form, whichever side of "fmt " it stands.
    ok = ok && mmioSeek(hmmio, (long long)ckRiff.dwDataOffset + 4, SEEK_SET) != -1 &&
         !show_mmio_error_if_any(mmioDescend(hmmio, &ckData, &ckRiff, MMIO_FINDCHUNK));
    if (!ok) {
        mmioClose(hmmio, 0);
        hmmio = nullptr;
        return false;
    }
    // A data chunk that claims more than the file holds is read as far as the file goes.
    long long available = std::max(0LL, (long long)mmioSeek(hmmio, 0, SEEK_END) - (long long)ckData.dwDataOffset);
    nSizeInSamples = long(std::min<long long>(ckData.cksize, available) / Format.nBlockAlign);
    bGood = true;
    return true;
}

void CKWave::CloseKWaveFile()
{
    if (hmmio)
        show_mmio_error_if_any(mmioClose(hmmio, 0));
    hmmio = nullptr;
    bGood = false;
    nSizeInSamples = 0;
}

bool CKWave::ReadWholeKWave(std::vector<double>& samples)
{
    samples.clear();
    if (!bGood)
        return false;
    const long bytes = nSizeInSamples * Format.nBlockAlign;
    std::vector<unsigned char> raw(static_cast<size_t>(bytes));
    if (mmioSeek(hmmio, ckData.dwDataOffset, SEEK_SET) == -1) {
        ShowText("Не удалось позиционироваться на начало звукового сигнала.");
        return false;
    }
    if (bytes > 0 && mmioRead(hmmio, raw.data(), LONG(bytes)) != LONG(bytes)) {
        ShowText("Не удалось прочитать звуковой сигнал.");
        return false;
    }
    const int channels = Format.nChannels;
    const int channel = nChannel >= 0 && nChannel < channels ? nChannel : 0;
    std::vector<short> wide(static_cast<size_t>(nSizeInSamples));
    KPcmFramesTo16(raw.data(), nSizeInSamples, Layout, channel, wide.data());
    samples.assign(wide.begin(), wide.end());
    return true;
}
