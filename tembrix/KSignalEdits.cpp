#include "tembrix/KSignalEdits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <numbers>
#include <sys/mman.h>
#include <unistd.h>

#include "framework/base/CFile.h"
#include "framework/base/FileMapping.h"
#include "framework/base/ProgressService.h"
#include "framework/base/TempFile.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KWave.h"
#include "tembrix/KFastCorrelation.h"
#include "tembrix/KWaveOutputSteps.h"

namespace {

// The progress indicator of one edit, in percent of its work.
class CEditProgress {
public:
    CEditProgress(const char* status, long long total) : nTotal(std::max(1LL, total))
    {
        ProgressService().Open(0, 100, status);
    }
    ~CEditProgress() { ProgressService().Close(); }
    void Set(long long done)
    {
        const int pos = int(std::clamp(done * 100 / nTotal, 0LL, 100LL));
        if (pos != nPos) {
            ProgressService().SetPos(nPos = pos);
            // The output goes with the unwinding (CKWaveOutputSteps removes it).
            KThrowIfProgressCancelled();
        }
    }

private:
    long long nTotal;
    int nPos = -1;
};

bool WriteSamples(CKWaveOutputSteps& out, const short* p, long n)
{
    return out.Write(p, n * long(sizeof(short)));
}

} // namespace

std::vector<double> KPeriodicHann(long n)
{
    std::vector<double> h(size_t(std::max(0L, n)));
    for (long k = 0; k < n; ++k)
        h[size_t(k)] = (1 - std::cos(2 * std::numbers::pi * double(k) / double(n))) / 2;
    return h;
}

short KToSample16(double v)
{
    if (v > 32766.9)
        return 32767;
    if (v < -32767.9)
        return -32768;
    return short(std::trunc(v));
}

WAVEFORMATEX KSegmentEditFormat(const WAVEFORMATEX& source)
{
    WAVEFORMATEX f = source;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = 2 * source.nSamplesPerSec;
    // An extensible source's extra bytes do not follow a plain record.
    if (source.wFormatTag != WAVE_FORMAT_PCM)
        f.cbSize = 0;
    return f;
}

KEditOutcome KWriteSegmentEdit(CKWave& wave, long w, long s0, long s1, int nWhat, int nQuality, CKWaveOutputSteps& out)
{
    if (w < 1)
        return KEditOutcome::Failed;
    if (s0 > s1)
        std::swap(s0, s1);
    const long N = wave.GetKWaveSizeInSamples();
    std::vector<short> buf;
    std::vector<double> h;
    try {
        buf.resize(size_t(nQuality ? 8 * w : w));
        if (nQuality)
            h = KPeriodicHann(4 * w);
    } catch (const std::bad_alloc&) {
        return KEditOutcome::Memory;
    }
    if (!out.Begin(KSegmentEditFormat(wave.GetKWaveFormat())))
        return KEditOutcome::Failed;
    CEditProgress progress("Запись отредактированного сигнала...", nWhat ? s1 - s0 : N);
    short* b = buf.data();
    // Blocks of w samples from p while p <= last; false when a write failed.
    auto copyBlocks = [&](long& p, long last) {
        for (; p <= last; p += w) {
            if (!wave.FillKWaveBufFromSampleNSamples(b, p, w))
                return true;
            if (!WriteSamples(out, b, w))
                return false;
            progress.Set(nWhat ? p - s0 : p);
        }
        return true;
    };
    // Both passes end where the samples run out; a failed write ends them too.
    bool ok = true;
    long p = s0;
    if (nWhat == 1) {
        if (nQuality) {
            wave.FillKWaveBufFromSampleNSamples(b, s0 - 2 * w, 2 * w);
            for (long k = 0; k < 2 * w; ++k)
                b[k] = short(std::trunc(b[k] * h[size_t(k)]));
            ok = WriteSamples(out, b, 2 * w);
        }
        ok = ok && copyBlocks(p, s1);
        if (ok && nQuality) {
            wave.FillKWaveBufFromSampleNSamples(b, p, 2 * w);
            for (long k = 0; k < 2 * w; ++k)
                b[k] = short(std::trunc(b[k] * h[size_t(2 * w + k)]));
            ok = WriteSamples(out, b, 2 * w);
        }
    } else {
        // The head up to the first block boundary past s0.
        p = 0;
        do {
            if (!wave.FillKWaveBufFromSampleNSamples(b, p, w) || !WriteSamples(out, b, w)) {
                ok = false;
                break;
            }
            p += w;
            progress.Set(p);
        } while (p <= s0);
        if (ok && nQuality) {
            short* A = b;
            short* B = b + 2 * w;
            short* y = b + 4 * w;
            wave.FillKWaveBufFromSampleNSamples(A, p, 2 * w);
            wave.FillKWaveBufFromSampleNSamples(B, s1 - 2 * w, 2 * w);
            for (long k = 0; k < 2 * w; ++k)
                y[k] = KToSample16(B[k] * h[size_t(k)] + A[k] * h[size_t(2 * w + k)]);
            ok = WriteSamples(out, y, 2 * w);
        }
        p = s1;
        ok = ok && copyBlocks(p, N);
    }
    (void)ok;
    return out.End() ? KEditOutcome::Written : KEditOutcome::Failed;
}

KEditOutcome KWriteSideDeletion(CKWave& wave, long c, int nSide, long w, CKWaveOutputSteps& out)
{
    const long N = wave.GetKWaveSizeInSamples();
    // Plain 8 and 16-bit frames are copied as they stand; wider or float
    // ones come out as 16-bit samples of every channel, as all output is.
    const bool bRaw = wave.KWaveIsNarrowPcm();
    const WAVEFORMATEX format = bRaw ? wave.GetKWaveFormat() : wave.GetKWaveFormat16();
    const long B = wave.GetKWaveBlockAlign();
    if (w < 1 || B < 1)
        return KEditOutcome::Failed;
    c = std::clamp(c, 0L, N);
    std::vector<BYTE> buf;
    std::vector<short> wide;
    try {
        buf.resize(size_t(w) * size_t(B));
        if (!bRaw)
            wide.resize(size_t(w) * size_t(wave.GetKWaveNChannels()));
    } catch (const std::bad_alloc&) {
        return KEditOutcome::Memory;
    }
    if (!out.Begin(format))
        return KEditOutcome::Failed;
    CEditProgress progress("Запись отредактированного сигнала...", nSide ? c : N - c);
    // Raw reads stop at the end of the data chunk: what follows it in the
    // file (other chunks) is no sound.
    long p = nSide ? 0 : c;
    wave.SeekBlockAlignedWaveSample(p);
    for (;;) {
        const long k = std::min(w, N - p);
        if (k <= 0)
            break;
        long got;
        bool written;
        if (bRaw) {
            got = wave.ReadBlockAlignedWaveSamples(buf.data(), k);
            written = out.Write(buf.data(), got);
        } else {
            const long frames = wave.ReadBlockAlignedWaveSamples16(wide.data(), k);
            got = frames * B;
            written = out.Write(wide.data(), frames * format.nBlockAlign);
        }
        if (!written)
            break;
        p += got / B;
        progress.Set(nSide ? p : p - c);
        if (got < k * B)
            break;
        if (nSide && p > c)
            break;
    }
    return out.End() ? KEditOutcome::Written : KEditOutcome::Failed;
}

// ---- power levelling ----------------------------------------------------------------

long long KAGCHop(double dFs, double dFrameRate)
{
    const double h = dFs / dFrameRate + 0.5;
    if (!(h >= 0) || h > 1e15)
        return 0;
    return (long long)h;
}

double KAGCGain(double P, double a, double Gmax)
{
    return P > 0 ? std::min(a, P * Gmax) / P : 0;
}

bool KLevelPower(const KReadFrames& frames, long long N, int C, long long h, double a, double Gmax, float* Y,
                 const std::function<void(long long f)>& settled)
{
    if (N <= 0 || h <= 0 || C < 1)
        return true;
    const long long L = 2 * h;
    // No window reaches past the file, so no buffer needs more than N frames.
    const long long nMax = std::min(L, N);
    std::vector<short> raw;
    std::vector<double> x, window;
    auto g = [h](long long k) { return (1 + std::cos(std::numbers::pi * double(k - h) / double(h))) / 2; };
    try {
        raw.resize(size_t(nMax * C));
        x.resize(size_t(nMax * C));
        // The main and tail passes take the window from a table, the same
        // values without a cosine for every sample.
        window.resize(size_t(nMax));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (long long k = 0; k < nMax; ++k)
        window[size_t(k)] = g(k);
    // The level correction of the n frames in r; xb receives them mean-free.
    auto gainOf = [&](const short* r, long long n, double* xb) {
        double P = -100000;
        for (int ch = 0; ch < C; ++ch) {
            double m = 0;
            for (long long i = 0; i < n; ++i)
                m += r[i * C + ch];
            m /= double(n);
            for (long long i = 0; i < n; ++i) {
                const double v = (r[i * C + ch] - m) / 32767.0;
                xb[i * C + ch] = v;
                P = std::max(P, std::fabs(v));
            }
        }
        return KAGCGain(P, a, Gmax);
    };
    auto level = [&](long long u, long long n) {
        frames(u, n, raw.data());
        return gainOf(raw.data(), n, x.data());
    };
    CEditProgress progress("Нормирование уровня мощности сигнала...", N);
    // The main pass by stretches of whole windows, read at once and shared
    // between two threads. Frames of a stretch's middle hop get the falling
    // half of the first thread's last window and then the rising half of the
    // second thread's first window: that half waits in `seam` and is added
    // after both, so every value is summed in the order of the windows.
    const long long nMain = N >= L ? (N - L) / h + 1 : 0;
    const long long perThread = std::max(1LL, (1LL << 18) / L);
    std::vector<short> stretch;
    std::vector<double> x2, seam;
    try {
        if (nMain > 0) {
            stretch.resize(size_t(((std::min(2 * perThread, nMain) - 1) * h + L) * C));
            x2.resize(size_t(L * C));
            seam.resize(size_t(h * C));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (long long w0 = 0; w0 < nMain; w0 += 2 * perThread) {
        const long long nw = std::min(2 * perThread, nMain - w0);
        frames(w0 * h, (nw - 1) * h + L, stretch.data());
        long long seamWindow = -1;
        kresample::InHalves(long(nw), [&](int half, long first, long last) {
            double* xb = half == 0 ? x.data() : x2.data();
            for (long w = first; w < last; ++w) {
                const long long u = (w0 + w) * h;
                const double G = gainOf(stretch.data() + w * h * C, L, xb);
                long long k = 0;
                if (half == 1 && w == first) {
                    seamWindow = w0 + w;
                    for (; k < h; ++k)
                        for (int ch = 0; ch < C; ++ch)
                            seam[size_t(k * C + ch)] = window[size_t(k)] * G * xb[k * C + ch];
                }
                for (; k < L; ++k)
                    for (int ch = 0; ch < C; ++ch)
                        Y[(u + k) * C + ch] += window[size_t(k)] * G * xb[k * C + ch];
            }
        });
        if (seamWindow >= 0)
            for (long long i = 0; i < h * C; ++i)
                Y[seamWindow * h * C + i] += seam[size_t(i)];
        const long long u = (w0 + nw - 1) * h;
        progress.Set(u);
        // The next window starts at u + h: nothing before it changes again.
        if (settled)
            settled(u + h);
    }
    long long u = nMain * h;
    for (int pass = 0; pass < 2; ++pass, u += h) {
        const long long n = N - u;
        if (n <= 0)
            break;
        const double G = level(u, n);
        for (long long k = 0; k < n; ++k)
            for (int ch = 0; ch < C; ++ch)
                Y[(u + k) * C + ch] += window[size_t(k)] * G * x[size_t(k * C + ch)];
    }
    // The first h frames have only the rising halves so far: the falling
    // half of a window over the head completes their sum.
    const long long nHead = std::min(h, N);
    const double G = level(0, nHead);
    for (long long i = 0; i < nHead * C; ++i)
        Y[i] += g(h + i / C) * G * x[size_t(i)];
    return true;
}

namespace {

// Lets the settled part of the mapped result go from resident memory, page
// by page as it grows: the mapping is shared, so the values stay in the file
// and come back when read.
class CMappedRelease {
public:
    // Nothing before Y + from is ever released.
    CMappedRelease(float* Y, long long from) : m_mark(roundUp(reinterpret_cast<uintptr_t>(Y + from))), m_Y(Y) {}
    // Y[.., to) is settled.
    void Settled(long long to)
    {
        const uintptr_t end = reinterpret_cast<uintptr_t>(m_Y + to) & ~(page() - 1);
        if (end > m_mark) {
            ::madvise(reinterpret_cast<void*>(m_mark), size_t(end - m_mark), MADV_DONTNEED);
            m_mark = end;
        }
    }

private:
    static uintptr_t page()
    {
        static const uintptr_t p = uintptr_t(::sysconf(_SC_PAGESIZE));
        return p;
    }
    static uintptr_t roundUp(uintptr_t a) { return (a + page() - 1) & ~(page() - 1); }
    uintptr_t m_mark;
    float* m_Y;
};

const char* const kAGCMemoryFailure = "Не хватило памяти для рассчетов.\nПроцесс прерван.";

// The source's frames as 16-bit samples: 8-bit ones are widened as the
// reader widens them, and nothing past the data chunk is read.
KReadFrames WaveFrameReader(CKWave& wave, std::vector<BYTE>& raw)
{
    return [&wave, &raw](long long u, long long n, short* buf) {
        const int C = wave.GetKWaveNChannels();
        const int B = wave.GetKWaveBlockAlign();
        const bool b8 = wave.GetKWaveFormat().wBitsPerSample == 8;
        const bool bNarrow = wave.KWaveIsNarrowPcm();
        const long long avail = std::clamp(wave.GetKWaveSizeInSamples() - u, 0LL, n);
        long long got = 0;
        if (avail > 0 && wave.SeekBlockAlignedWaveSample(long(u)) >= 0) {
            if (!bNarrow) {
                got = wave.ReadBlockAlignedWaveSamples16(buf, long(avail));
            } else {
                if (raw.size() < size_t(avail * B))
                    raw.resize(size_t(avail * B));
                got = wave.ReadBlockAlignedWaveSamples(raw.data(), long(avail)) / B;
            }
        }
        if (bNarrow)
            for (long long i = 0; i < got * C; ++i)
                buf[i] = b8 ? short((int(raw[size_t(i)]) - 128) * 256)
                            : short(std::uint16_t(raw[size_t(2 * i)] | (raw[size_t(2 * i + 1)] << 8)));
        std::fill(buf + got * C, buf + n * C, short(0));
    };
}

} // namespace

KEditOutcome KWriteLevelledPower(CKWave& wave, const KAGCSettings& settings, CKWaveOutputSteps& out)
{
    const long long N = wave.GetKWaveSizeInSamples();
    const int C = wave.GetKWaveNChannels();
    const long long h = KAGCHop(double(wave.GetKWaveFrADC()), settings.dAGCFrameRate);
    if (h < 1) {
        // A hop of no frames would never advance through the file.
        CString text;
        text.Format("Частота кадров АРУ должна быть не больше удвоенной частоты дискретизации (%li Гц).",
                    2 * wave.GetKWaveFrADC());
        AfxMessageBox(text);
        return KEditOutcome::Failed;
    }
    const double Gmax = std::pow(10.0, settings.dMaxFrameGain_dB / 20);
    const double a = settings.nNewMaxAmplitude / 32767.0;
    const long long nBlock = std::max(1LL, std::min(2 * h, N));
    std::vector<BYTE> raw;
    std::vector<short> block;
    try {
        raw.reserve(size_t(nBlock * wave.GetKWaveBlockAlign()));
        block.resize(size_t(nBlock * C));
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kAGCMemoryFailure);
        return KEditOutcome::Memory;
    }

    const CString folder = KGetTempPath();
    if (folder.IsEmpty()) {
        AfxMessageBox("Не удалось получить имя временной папки для записи в нее черновика синтезированного звукового файла.");
        return KEditOutcome::Failed;
    }
    const CString tempPath = KCreateTempFileName(folder.GetString(), "TBX");
    if (tempPath.IsEmpty()) {
        AfxMessageBox("Не удалось создать временный файл для записи черновика синтезированного звукового файла.");
        return KEditOutcome::Failed;
    }
    CFile temp;
    if (!temp.Open(tempPath.GetString(), CFile::modeReadWrite | CFile::typeBinary)) {
        AfxMessageBox("Не удалось открыть временный файл для записи черновика синтезированного звукового файла.");
        std::remove(tempPath.GetString());
        return KEditOutcome::Failed;
    }
    const unsigned long long nBytes = (unsigned long long)(N * C) * sizeof(float);
    float* Y = nullptr;
    HFILEMAPPING mapping = nullptr;
    auto closeTemp = [&] {
        if (Y)
            UnmapViewOfFile(Y);
        if (mapping)
            CloseHandle(mapping);
        Y = nullptr;
        mapping = nullptr;
        temp.Close();
    };
    auto dropTemp = [&] {
        closeTemp();
        std::remove(tempPath.GetString());
    };
    // An empty file has nothing to map and nothing to level.
    if (nBytes > 0) {
        temp.SetLength((long long)nBytes);
        mapping = CreateFileMapping(temp, PAGE_READWRITE, nBytes);
        if (!mapping) {
            AfxMessageBox("Не удалось нормально создать временный файл.\nПроцесс прерван.\n\nCould not create file mapping object.");
            dropTemp();
            return KEditOutcome::Failed;
        }
        Y = static_cast<float*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0));
        if (!Y) {
            AfxMessageBox("Не удалось нормально открыть для обзора временный файл.\nПроцесс прерван.\n\nCould not map view of file.");
            dropTemp();
            return KEditOutcome::Failed;
        }
        // Settled stretches of the result leave resident memory for the
        // file's pages, so that a long file is levelled in a few megabytes.
        CMappedRelease release(Y, std::min(h, N) * C);
        const auto settled = [&](long long f) { release.Settled(std::min(f, N) * C); };
        bool levelled = false;
        try {
            levelled = KLevelPower(WaveFrameReader(wave, raw), N, C, h, a, Gmax, Y, settled);
        } catch (const KProgressCancelled&) {
            dropTemp(); // a stopped levelling leaves no draft
            throw;
        }
        if (!levelled) {
            AfxMessageBox(kAGCMemoryFailure);
            dropTemp();
            return KEditOutcome::Memory;
        }
    }

    // 8-bit sources come out widened to 16 bits; the rest of the record stays.
    WAVEFORMATEX format = wave.GetKWaveFormat();
    if (!wave.KWaveIsNarrowPcm())
        format = wave.GetKWaveFormat16(); // wider and float sources as plain 16-bit PCM
    format.wBitsPerSample = 16;
    format.nBlockAlign = WORD(2 * C);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (!out.Begin(format)) {
        closeTemp(); // the draft stays in the temporary folder
        return KEditOutcome::Failed;
    }
    CMappedRelease written(Y, 0);
    for (long long u = 0; u < N; u += nBlock) {
        const long long n = std::min(nBlock, N - u);
        for (long long i = 0; i < n * C; ++i)
            block[size_t(i)] = KToSample16(double(Y[u * C + i]) * 32767);
        if (!out.Write(block.data(), long(n * C * 2)))
            break;
        written.Settled((u + n) * C);
    }
    if (!out.End()) {
        closeTemp();
        return KEditOutcome::Failed;
    }
    dropTemp();
    return KEditOutcome::Written;
}
