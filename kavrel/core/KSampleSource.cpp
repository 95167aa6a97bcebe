#include "kavrel/core/KSampleSource.h"

#include <algorithm>
#include <cmath>

#include "kavrel/core/KWave.h"

void CKArraySampleSource::Read(long first, long n, float* out) const
{
    const long size = Size();
    for (long i = 0; i < n; ++i) {
        const long s = first + i;
        out[i] = s >= 0 && s < size ? m_samples[size_t(s)] : 0.f;
    }
}

long CKWaveSampleSource::Size() const { return m_wave.GetKWaveSizeInSamples(); }
double CKWaveSampleSource::Rate() const { return double(m_wave.GetKWaveFrADC()); }

void CKWaveSampleSource::Read(long first, long n, float* out) const
{
    // The wave reads its chosen channel as 16-bit samples, in pieces so the
    // short buffer stays small.
    constexpr long kPiece = 65536;
    std::vector<short> s(size_t(std::min(n, kPiece)));
    for (long done = 0; done < n; done += kPiece) {
        const long m = std::min(kPiece, n - done);
        if (!m_wave.FillKWaveBufFromSampleNSamples(s.data(), first + done, m))
            std::fill(s.begin(), s.begin() + m, short(0));
        for (long i = 0; i < m; ++i)
            out[done + i] = float(s[size_t(i)]);
    }
}

double KSourceAbsolutePeak(const KSampleSource& source)
{
    constexpr long kBlock = 1 << 18;
    const long size = source.Size();
    std::vector<float> b(size_t(std::min(size, kBlock)) + 1);
    double sum = 0;
    float lo = 0, hi = 0;
    for (long a = 0; a < size; a += kBlock) {
        const long m = std::min(kBlock, size - a);
        source.Read(a, m, b.data());
        for (long i = 0; i < m; ++i) {
            sum += b[size_t(i)];
            lo = std::min(lo, b[size_t(i)]);
            hi = std::max(hi, b[size_t(i)]);
        }
    }
    if (size == 0)
        return 0;
    const double mean = sum / double(size);
    return std::max(std::fabs(double(hi) - mean), std::fabs(double(lo) - mean));
}
