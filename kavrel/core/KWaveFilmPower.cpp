// The film's power level file: the peak level of every cadre, one float
// per cadre in a temporary file, so that the power view can draw a long
// signal without rescanning it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

#include "framework/base/ProgressService.h"
#include "framework/base/TempFile.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KWaveFilm.h"

namespace {

// Samples read at once while the levels are computed (half a megabyte of a mono file).
constexpr long kPowerBlockSamples = 1L << 18;

} // namespace

bool CKWaveFilm::OpenNewPowerFile(const char* prefix)
{
    PowerFileException = CFileException();
    sPowerFilePathName = KCreateTempFileName(KGetTempPath(), prefix);
    if (sPowerFilePathName.IsEmpty()) {
        PowerFileException = CFileException(CFileException::accessDenied, -1, KGetTempPath());
        return false;
    }
    return PowerFile.Open(sPowerFilePathName, CFile::modeReadWrite | CFile::modeCreate | CFile::typeBinary,
                          &PowerFileException);
}

int CKWaveFilm::ReOpenPowerFile()
{
    ClosePowerFile();
    return OpenNewPowerFile("KPN") ? 1 : 0;
}

void CKWaveFilm::ClosePowerFile()
{
    bPowerFileIsReady = false;
    CString path = sPowerFilePathName;
    if (PowerFile.IsOpen())
        PowerFile.Close();
    if (!path.IsEmpty())
        ::unlink(path); // a failed deletion is of no consequence
    sPowerFilePathName.Empty();
}

bool CKWaveFilm::PowerCreate()
{
    bPowerFileIsReady = false;
    CWaitCursor wait;

    ReOpenPowerFile();
    if (!PowerFile.IsOpen() || NCadres < 0 || !PowerFile.SetLength(4LL * NCadres)) {
        AfxMessageBox("Не удалось установить новую длину файла уровня мощности (видимо, не хватило памяти на диске с "
                      "временными системными файлами.\n\nСледует пересчитать уровень мощности сигнала!",
                      MB_OK);
        return false;
    }
    PowerFile.SeekToBegin();
    const long step = CadreStepInSamples;
    // A window narrower than two samples cannot be set; one of two holds a cadre of one.
    SetKWaveWindowWidthInSamples(step < 2 ? 2 : step);

    IProgressService& progress = ProgressService();
    progress.Open(0, 200, "Идет вычисление динамики уровня мощности всего сигнала ...");

    // Levels go out in blocks: one write per cadre would cost a system call each.
    std::vector<float> block;
    block.reserve(4096);
    auto flush = [&]() {
        bool ok = block.empty() || PowerFile.Write(block.data(), UINT(block.size() * sizeof(float)));
        block.clear();
        return ok;
    };

    // The samples of many cadres come in one read: a read per cadre costs
    // a seek and a system call each, which on an hour-long film is most of
    // the time an opening takes. Cadre i's neighbourhood is what its window
    // would hold first: n samples from w/2 before its centre.
    const long width = GetKWaveWindowWidthInSamples();
    const long n = step < width ? step : width;
    const long perBlock = step >= kPowerBlockSamples ? 1 : kPowerBlockSamples / step;
    std::unique_ptr<short[]> samples(new (std::nothrow) short[size_t((perBlock - 1) * step + n)]);
    if (!samples) {
        progress.Close();
        AfxMessageBox("Не хватило оперативной памяти для вычисления динамики уровня мощности сигнала.", MB_OK);
        return false;
    }

    const double log2x300 = 300 * std::log10(2.0);
    bool result = true, cancelled = false;
    int q = 0;
    for (long i0 = 0; i0 < NCadres && result; i0 += perBlock) {
        const long count = std::min(perBlock, NCadres - i0);
        FillKWaveBufFromSampleNSamples(samples.get(), ZeroCadreSamplePosition + i0 * step - width / 2,
                                       (count - 1) * step + n);
        for (long i = i0; i < i0 + count && result; ++i) {
            const short* w = samples.get() + (i - i0) * step;
            int p = 1;
            for (long k = 0; k < n; ++k) {
                int a = w[k] < 0 ? -int(w[k]) : int(w[k]);
                if (a > p)
                    p = a;
            }
            if (p == 1)
                p = 2;
            block.push_back(float(20 * std::log10(double(p)) - log2x300));
            if (block.size() == block.capacity() && !flush())
                result = false;
            if (q + 1 < double(i + 1) * 200.0 / double(NCadres)) {
                ++q;
                progress.SetPos(q);
                // "Прервать": the film is left without its power file.
                if (progress.Cancelled())
                    result = false, cancelled = true;
            }
        }
    }
    if (result && !flush())
        result = false;
    if (!result && !cancelled)
        AfxMessageBox("Какая-то ошибка записи в файл динамики уровня мощности сигнала.\n\nСледует пересчитать уровень "
                      "мощности сигнала!",
                      MB_OK);

    PositKWaveWindowOnSample(ZeroCadreSamplePosition);
    bPowerFileIsReady = result;
    progress.Close();
    return result;
}

void CKWaveFilm::ShowPowerSeekOrReadError(bool seek)
{
    AfxMessageBox(seek ? "Какая-то ошибка позиционирования на графике динамики уровня мощности сигнала!"
                       : "Какая-то ошибка чтения из файла динамики уровня мощности сигнала!",
                  MB_OK);
}

float* CKWaveFilm::PowerPositBufferOnCadre(long c0, long n)
{
    if (!bPowerFileIsReady)
        return PowerBuffer.pArray;
    if (c0 < 0)
        c0 = 0;
    if (n < 0 || n > 0x3FFFFFFF || !PowerBuffer.SetSize(int(n)))
        return PowerBuffer.pArray;
    float* buf = PowerBuffer.pArray;
    long got = 0;
    if (PowerFile.Seek(4LL * c0, CFile::begin) != 4LL * c0) {
        ShowPowerSeekOrReadError(true);
    } else if (n > 0) {
        UINT bytes = PowerFile.Read(buf, UINT(4 * n));
        if (bytes == 0 && PowerFile.GetLastError().m_cause != CFileException::none) {
            ShowPowerSeekOrReadError(false);
            bytes = 0;
        }
        got = long(bytes / 4);
    }
    for (long i = got; i < n; ++i)
        buf[i] = kPowerUnreadable;
    nPowerBufferFirstCadre = c0;
    return buf;
}

float CKWaveFilm::GetPowerInCadre(long c)
{
    if (!bPowerFileIsReady)
        return kPowerNotReady;
    if (!PowerBuffer.pArray)
        return kPowerNoBuffer;
    if (c < 0 || c >= NCadres)
        return kPowerCadreOutOfRange;
    if (PowerFile.Seek(4LL * c, CFile::begin) != 4LL * c) {
        ShowPowerSeekOrReadError(true);
        return kPowerUnreadable;
    }
    float v;
    UINT bytes = PowerFile.Read(&v, 4);
    if (bytes != 4) {
        if (PowerFile.GetLastError().m_cause != CFileException::none)
            ShowPowerSeekOrReadError(false);
        return kPowerUnreadable;
    }
    return v;
}
