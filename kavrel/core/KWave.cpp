#include "kavrel/core/KWave.h"
#include "kavrel/core/KWindowHooks.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <ctime>
#include <thread>

#include "framework/base/MciService.h"
#include "framework/base/UserServices.h"

namespace {
constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');
constexpr long kDefaultWindowWidth = 1024;
const char* const kNotRegularFile = "Файл не открывается: это не обычный файл, а устройство или канал.";

const char* const kSeekFailure =
    "FillBufFromSampleNSamples() -> ( SeekedPosition == -1 )\n\nПлохая ошибка %i.\nНе удалось провильно позиционироваться на сигнале.";
const char* const kReadFailure =
    "FillBufFromSampleNSamples() -> ( ReadedBytes != %s ).\n\nПлохая ошибка %i.\nНе удалось правильно прочитать фрагмент сигнала.";
} // namespace

CKWave::CKWave()
    : sKN("Лаборатория Каврель"), sKP("kavrel@example.org"), sKM("https://kavrel.example.org")
{
}

CKWave::~CKWave()
{
    // The window would otherwise outlive the samples it draws.
    if (pKWaveView && KGetWindowHooks().DestroyWaveViews)
        KGetWindowHooks().DestroyWaveViews(this);
    CloseKWaveFile();
}

void CKWave::RepaintKWaveWindow()
{
    if (pKWaveView && KGetWindowHooks().RepaintWaveView)
        KGetWindowHooks().RepaintWaveView(pKWaveView);
}

void CKWave::ShowText(const CString& text)
{
    AfxMessageBox("Сообщение о звуковом файле - \n" + sPathName + ":\n\n" + text, MB_OK);
}

bool CKWave::show_mmio_error_if_any(MMRESULT r)
{
    if (r == 0)
        return false;
    if (bShowErrors) {
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
    }
    return true;
}

bool CKWave::open_hmmio_file_wave()
{
    nReadAheadFirst = -1;
    ReadAhead.clear();
    MMIOINFO info;
    hmmio = mmioOpen(sPathName.GetString(), &info, MMIO_READ | MMIO_DENYNONE);
    if (!hmmio) {
        if (bShowErrors)
            ShowText(info.wErrorRet == MMIOERR_INVALIDFILE ? kNotRegularFile : "Файл не открывается.");
        return false;
    }
    return true;
}

// A file that is no RIFF WAVE form is named by what it starts with, so that
// a FLAC or an MP3 given by mistake says so.
bool CKWave::is_riff_wave_file()
{
    BYTE head[64] = {};
    const LONG got = mmioRead(hmmio, head, LONG(sizeof head));
    const size_t n = got > 0 ? size_t(got) : 0;
    mmioSeek(hmmio, 0, SEEK_SET);
    if (n >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
        return true;
    if (bShowErrors)
        ShowText(CString("Это не звуковой файл WAV (RIFF WAVE): его начало - ") + KDescribeFileStart(head, n).c_str() +
                 ".\n\nФайлы FLAC, Ogg, MP3, AIFF и CAF мастерская открывает через копию в формате WAV.");
    return false;
}

bool CKWave::descend_into_riff_wave_chunk()
{
    ckRiff = MMCKINFO();
    ckRiff.fccType = kWave;
    nLastMmioResult = mmioDescend(hmmio, &ckRiff, nullptr, MMIO_FINDRIFF);
    return !show_mmio_error_if_any(nLastMmioResult);
}

bool CKWave::descend_into_fmt__chunk()
{
    ckFmt = MMCKINFO();
    ckFmt.ckid = kFmt;
    nLastMmioResult = mmioDescend(hmmio, &ckFmt, &ckRiff, MMIO_FINDCHUNK);
    return !show_mmio_error_if_any(nLastMmioResult);
}

void CKWave::show_format_message(const std::string& why)
{
    ShowText(KPcmRefusalText(Format, why).c_str());
}

bool CKWave::read_and_check_format()
{
    std::memset(&Format, 0, sizeof Format);
    // The record, and for an extensible file its subformat after it.
    BYTE fmt[64] = {};
    LONG want = ckFmt.cksize < sizeof fmt ? LONG(ckFmt.cksize) : LONG(sizeof fmt);
    LONG got = mmioRead(hmmio, fmt, want);
    if (got != want) {
        if (bShowErrors) {
            ShowText("Ошибка чтения чанка формата.");
            if (got == -1)
                ShowText("Плохая ошибка.\nВозвращен код ошибки -1 при чтении чанка формата");
        }
        return false;
    }
    std::memcpy(&Format, fmt, std::min<size_t>(size_t(want), sizeof Format));
    std::string why;
    if (!KParsePcmFormat(fmt, size_t(want), Layout, why)) {
        show_format_message(why);
        return false;
    }
    return true;
}

bool CKWave::descend_into_data_chunk()
{
    ckData = MMCKINFO();
    ckData.ckid = kData;
    nLastMmioResult = mmioDescend(hmmio, &ckData, &ckRiff, MMIO_FINDCHUNK);
    return !show_mmio_error_if_any(nLastMmioResult);
}

bool CKWave::OpenKWaveFile(CString sPath, CString sTitle)
{
    CloseKWaveFile();
    sPathName = sPath;
    sFileTitle = sTitle;
    if (!open_hmmio_file_wave())
        return false;
    bool ok = is_riff_wave_file() && descend_into_riff_wave_chunk() && descend_into_fmt__chunk() && read_and_check_format();
    if (ok) {
        // The data chunk is looked for from the start of the form, so that
        // it is found whichever side of "fmt " it stands.
        ok = mmioSeek(hmmio, (long long)ckRiff.dwDataOffset + 4, SEEK_SET) != -1 && descend_into_data_chunk();
    }
    if (!ok) {
        mmioClose(hmmio, 0);
        hmmio = nullptr;
    nReadAheadFirst = -1;
    ReadAhead.clear();
        bGood = false;
        return false;
    }
    // A data chunk that claims more than the file holds (a writer that was
    // cut off) is read as far as the file goes.
    long long available = mmioSeek(hmmio, 0, SEEK_END) - (long long)ckData.dwDataOffset;
    long long dataBytes = ckData.cksize;
    if (available < 0)
        available = 0;
    if (dataBytes > available)
        dataBytes = available;
    nSizeInSamples = long(dataBytes / Format.nBlockAlign);
    mmioSeek(hmmio, ckData.dwDataOffset, SEEK_SET);
    bGood = true;

    long w = Window.nSize / 2;
    if (w < 1)
        w = kDefaultWindowWidth;
    if (!SetKWaveWindowWidthInSamples(w))
        return bGood;
    PositKWaveWindowOnSample(nWindowSamplePosition);
    return true;
}

bool CKWave::OpenKWaveFile()
{
    CloseKWaveFile();
    FileDialogRequest request;
    request.bOpen = true;
    request.nFlags = OFN_FILEMUSTEXIST;
    request.sFilter = "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||";
    request.sTitle = "С каким звуковым файлом будем работать?";
    if (!UserInteraction().FileDialog(request))
        return false;
    if (!OpenKWaveFile(request.sPathName, request.sFileTitle))
        AfxMessageBox("Не удается открыть указанный Вами файл -\n" + request.sPathName, MB_OK);
    return bGood;
}

void CKWave::CloseKWaveFile()
{
    if (hmmio) {
        nLastMmioResult = mmioClose(hmmio, 0);
        show_mmio_error_if_any(nLastMmioResult);
    }
    hmmio = nullptr;
    nReadAheadFirst = -1;
    ReadAhead.clear();
    bGood = false;
    nLastMmioResult = 1;
    nWindowSamplePosition = 0;
}

bool CKWave::SetKWaveWindowWidthInSamples(long w)
{
    if (w < 2)
        return false;
    if (w & 1)
        ++w;
    if (w > 0x3FFFFFFF)
        return false;
    if (Window.nSize != int(2 * w)) {
        if (!Window.SetSize(int(2 * w)))
            return false;
    }
    // Without a file the width is still kept, for the next open: a
    // spectrum may be given its NFFT before its file, and its window must
    // be NFFT wide all the same.
    if (!bGood) {
        Window.Clear();
        return false;
    }
    PositKWaveWindowOnSample(nWindowSamplePosition);
    return true;
}

bool CKWave::PositKWaveWindowOnSample(long s)
{
    if (!bGood)
        return false;
    nWindowSamplePosition = s;
    const long w = Window.nSize / 2;
    // A position at the very bottom of the range must not wrap round into
    // the file: it is wholly before the start all the same.
    const long first = s >= std::numeric_limits<long>::min() + w / 2 ? s - w / 2 : std::numeric_limits<long>::min();
    return FillKWaveBufFromSampleNSamples(Window.pArray, first, w);
}

bool CKWave::FillKWaveBufFromSampleNSamples(void* pDst, long nFirst, long n)
{
    if (n < 1 || !pDst)
        return false;
    // A closed wave reads nothing and says nothing; its caller gets silence.
    if (!bGood) {
        std::memset(pDst, 0, size_t(std::min<long>(n, 0x3FFFFFFF)) * sizeof(short));
        return false;
    }
    // Far outside the data, in samples, before any product can overflow.
    if (nFirst >= nSizeInSamples || (__int128)nFirst + n <= 0) {
        if ((__int128)n * Format.nBlockAlign > 0x7FFFFFFF)
            return false;
        std::memset(pDst, 0, size_t(n) * sizeof(short));
        return true;
    }
    const long long B = Format.nBlockAlign;
    const long long A = (long long)nFirst * B;
    const long long N = (long long)n * B;
    const long long E = A + N;
    const long long T = (long long)nSizeInSamples * B;
    const long long offset = ckData.dwDataOffset;

    if (N < 1 || N > 0x7FFFFFFF)
        return false;
    if (RawBuffer.nSize < N && !RawBuffer.SetSize(int(N)))
        return false;
    BYTE* raw = RawBuffer.pArray;
    // Silence outside the data: 8-bit samples are unsigned around 128, so a
    // zero byte there would read as full negative scale.
    const int silence = !Layout.bFloat && Layout.nContainerBits == 8 ? 0x80 : 0;

    int failedPath = 0;
    bool seekFailed = false;
    auto seek = [&](long long pos) { return hmmio && mmioSeek(hmmio, pos, SEEK_SET) != -1; };
    auto read = [&](BYTE* p, long long count) { return hmmio && mmioRead(hmmio, p, LONG(count)) == LONG(count); };

    if (E <= 0 || A >= T) {
        std::memset(raw, silence, size_t(N));
    } else if (A >= 0 && E <= T) {
        // Films read window after overlapping window: the data is read in
        // blocks and the windows taken from the last one.
        if (A >= nReadAheadFirst && E <= nReadAheadFirst + (long long)ReadAhead.size()) {
            std::memcpy(raw, ReadAhead.data() + (A - nReadAheadFirst), size_t(N));
        } else if (!seek(offset + A)) {
            failedPath = 1, seekFailed = true;
        } else {
            const long long want = std::min(T - A, std::max(N, kReadAheadBytes));
            ReadAhead.resize(size_t(want));
            const LONG got = hmmio ? mmioRead(hmmio, ReadAhead.data(), LONG(want)) : -1;
            if (got < N) {
                nReadAheadFirst = -1;
                ReadAhead.clear();
                failedPath = 2;
            } else {
                ReadAhead.resize(size_t(got));
                nReadAheadFirst = A;
                std::memcpy(raw, ReadAhead.data(), size_t(N));
            }
        }
    } else if (A >= 0) {
        std::memset(raw + (T - A), silence, size_t(E - T));
        if (!seek(offset + A))
            failedPath = 5, seekFailed = true;
        else if (!read(raw, T - A))
            failedPath = 6;
    } else if (E <= T) {
        std::memset(raw, silence, size_t(-A));
        if (!seek(offset))
            failedPath = 3, seekFailed = true;
        else if (!read(raw - A, E))
            failedPath = 4;
    } else {
        std::memset(raw, silence, size_t(-A));
        std::memset(raw - A + T, silence, size_t(E - T));
        if (!seek(offset))
            failedPath = 7, seekFailed = true;
        else if (!read(raw - A, T))
            failedPath = 8;
    }

    if (failedPath && bSilentReads) {
        std::memset(raw, silence, size_t(N));
    } else if (failedPath) {
        CString text;
        if (seekFailed)
            text.Format(kSeekFailure, failedPath);
        else
            text.Format(kReadFailure, failedPath == 2 ? "n_bytes" : "byte_n", failedPath);
        ShowText(text);
        std::memset(raw, silence, size_t(N));
    }

    auto* out = static_cast<short*>(pDst);
    const int C = Format.nChannels;
    const int ch = nChannel >= 0 && nChannel < C ? nChannel : 0;
    if (!Layout.IsNarrowPcm()) {
        KPcmFramesTo16(raw, n, Layout, ch, out);
    } else if (Format.wBitsPerSample == 16 && C == 1 && std::endian::native == std::endian::little) {
        std::memcpy(out, raw, size_t(n) * 2); // the file's own little-endian samples
    } else if (Format.wBitsPerSample == 16) {
        const BYTE* p = raw + 2 * ch;
        const int step = 2 * C;
        for (long i = 0; i < n; ++i, p += step)
            out[i] = short(std::uint16_t(p[0] | (p[1] << 8)));
    } else {
        const BYTE* p = raw + ch;
        const int step = C;
        for (long i = 0; i < n; ++i, p += step)
            out[i] = short((int(*p) - 128) * 256);
    }
    return true;
}

long CKWave::SeekBlockAlignedWaveSample(long s)
{
    // No RIFF file reaches 2^40 bytes; beyond that the product could overflow.
    constexpr long kFar = 1L << 40;
    if (!hmmio || s < -kFar || s > kFar)
        return -1;
    return long(mmioSeek(hmmio, (long long)ckData.dwDataOffset + (long long)s * Format.nBlockAlign, SEEK_SET));
}

long CKWave::ReadBlockAlignedWaveSamples(void* p, long n)
{
    if (!hmmio || n <= 0)
        return 0;
    long r = mmioRead(hmmio, p, LONG((long long)n * Format.nBlockAlign));
    return r < 0 ? 0 : r;
}

long CKWave::ReadBlockAlignedWaveSamples16(short* p, long n)
{
    const long B = Format.nBlockAlign;
    if (!hmmio || n <= 0 || B < 1 || (long long)n * B > 0x7FFFFFFF)
        return 0;
    if (RawBuffer.nSize < n * B && !RawBuffer.SetSize(int(n * B)))
        return 0;
    const long got = ReadBlockAlignedWaveSamples(RawBuffer.pArray, n) / B;
    KPcmFramesTo16(RawBuffer.pArray, got, Layout, -1, p);
    return got;
}

WAVEFORMATEX CKWave::GetKWaveFormat16() const
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = Format.nChannels;
    f.nSamplesPerSec = Format.nSamplesPerSec;
    f.wBitsPerSample = 16;
    f.nBlockAlign = WORD(2 * Format.nChannels);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

namespace {

// True when the command failed; the message then was shown if asked for.
bool show_mci_error_if_any(IMciService& mci, MCIERROR r, bool bShowErrors)
{
    if (r == 0)
        return false;
    if (bShowErrors) {
        CString text;
        if (!mci.GetErrorString(r, text) || text.IsEmpty())
            text = "Неизвестная ошибка воспроизведения звукового файла.";
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
    return true;
}

long seconds_to_samples(double t, long nFrADC)
{
    double s = t * double(nFrADC);
    if (std::isnan(s))
        return 0;
    if (s >= double(LONG_MAX))
        return LONG_MAX;
    if (s <= double(LONG_MIN))
        return LONG_MIN;
    return long(s);
}

} // namespace

void CKWave::PlayKWave(long nFrom, long nTo)
{
    const std::time_t tStart = std::time(nullptr);
    IMciService& mci = MciService();
    MCIDEVICEID id = 0;
    DWORD nLength = 0;
    bool bOk = !show_mci_error_if_any(mci, mci.Open("waveaudio", sPathName, &id), bShowErrors) &&
               !show_mci_error_if_any(mci, mci.SetTimeFormat(id, MCI_FORMAT_SAMPLES), bShowErrors) &&
               !show_mci_error_if_any(mci, mci.StatusLength(id, &nLength), bShowErrors);
    if (bOk) {
        if (nFrom < 0)
            nFrom = 0;
        if (nTo < nFrom)
            nTo = nFrom;
        long nEnd = std::min(nTo, long(nLength));
        // A start past the end plays nothing rather than failing for seconds.
        nFrom = std::min(nFrom, nEnd);
        // A device busy with another sound may free itself in a moment.
        MCIERROR r;
        while ((r = mci.PlayWait(id, DWORD(nFrom), DWORD(nEnd))) != 0 && std::time(nullptr) - tStart <= 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        show_mci_error_if_any(mci, r, bShowErrors);
    }
    // Nothing to close when the open itself failed.
    if (id != 0)
        show_mci_error_if_any(mci, mci.Close(id), bShowErrors);
}

void CKWave::PlayKWave(double t0, double t1)
{
    PlayKWave(seconds_to_samples(t0, GetKWaveFrADC()), seconds_to_samples(t1, GetKWaveFrADC()));
}
