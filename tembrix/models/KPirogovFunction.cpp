#include "tembrix/models/KPirogovFunction.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <numbers>

#include "framework/base/CFile.h"
#include "framework/base/Cp1251.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KWaveFilm.h"

namespace {

constexpr int kLines = 512; // the function is defined for NFFT 1024 only

std::string format(const char* fmt, double a, double b)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

} // namespace

KPirogovBands::KPirogovBands()
{
    for (int t = 0; t < kNBands; ++t)
        fc[t] = std::floor(25 * std::pow(2.0, t / 3.0) + 1e-9);
    for (int t = 0; t + 1 < kNBands; ++t)
        b[t] = (fc[t + 1] - fc[t]) / 2;
    b[kNBands - 1] = std::pow(2.0, 1 / 3.0) * b[kNBands - 2];
}

double KPirogovBands::Weight(int t, double f) const
{
    const double d = f - fc[t];
    return std::exp(-d * d / (2 * b[t] * b[t])) / (std::sqrt(2 * std::numbers::pi) * b[t]);
}

int PirogovDefaultCadresPerFrame(const CKWaveFilm& film)
{
    const double step = film.GetCadreStepInSeconds();
    const double k = step > 0 ? 1 / (step * 30) : 1;
    // A step longer than a thirtieth of a second would give no cadre at all.
    return k < 1 ? 1 : k > 100000 ? 100000 : int(k);
}

static int lineOf(const CKWaveFilm& film, double f)
{
    const long Fs = film.GetKWaveFrADC();
    const double line = Fs > 0 ? film.GetNFFT() * f / double(Fs) : 0;
    // Below 8192 Hz the 4000 Hz line lies past the last one.
    return line < 0 ? 0 : line > kLines - 1 ? kLines - 1 : int(line);
}

int PirogovDefaultLowLine(const CKWaveFilm& film)
{
    return lineOf(film, 300);
}

int PirogovDefaultHighLine(const CKWaveFilm& film)
{
    return lineOf(film, 4000);
}

void PirogovBandRange(const KPirogovBands& bands, double fLow, double fHigh, int& tLow, int& tHigh)
{
    tLow = KPirogovBands::kNBands;
    for (int t = 0; t < KPirogovBands::kNBands; ++t)
        if (bands.fc[t] >= fLow) {
            tLow = t;
            break;
        }
    tHigh = -1;
    for (int t = KPirogovBands::kNBands - 1; t >= 0; --t)
        if (bands.fc[t] <= fHigh) {
            tHigh = t;
            break;
        }
}

double PirogovFrameValue(const double* Ep, const double* Ef, int K, int tLow, int tHigh)
{
    double v = 0;
    for (int t = tLow; t <= tHigh; ++t)
        v += std::fabs(10 * std::log10(Ep[t] / K + 1e-30) - 10 * std::log10(Ef[t] / K + 1e-30));
    return v;
}

bool ForEachPirogovValue(CKWaveFilm& film, long s0, long s1, int K, int tLow, int tHigh,
                         const std::function<bool(long c, float v)>& take)
{
    if (s0 > s1)
        std::swap(s0, s1);
    const long N = s1 - s0 + 1;
    if (K < 1 || N < 2L * K)
        return true;
    // Frame c reads cadres c − K + 1 .. c + K − 1: the spectra of a ring of
    // 2K − 1 cadres serve every frame, whatever the length of the selection.
    const long nRing = 2L * K - 1;
    std::unique_ptr<double[]> S(new (std::nothrow) double[size_t(nRing) * kLines]);
    if (!S) {
        AfxMessageBox("Не хватило оперативной памяти для спектров выделенного фрагмента.");
        return false;
    }
    std::unique_ptr<double[]> w(new (std::nothrow) double[size_t(K)]);
    if (!w) {
        AfxMessageBox("Не хватило оперативной памяти для весового окна кадров.");
        return false;
    }
    for (int i = 0; i < K; ++i)
        w[i] = std::sin(std::numbers::pi * i / K);

    CKSpectrum* s = film.pS0;
    auto spectrum = [&](long j) { return S.get() + size_t(j % nRing) * kLines; };
    auto compute = [&](long j) {
        s->Wave.PositKWaveWindowOnSample(film.GetSampleFromCadreNumber(s0 + j));
        film.FFT.CalculateWithWeighting(s);
        const double* power = s->GetAmplPower();
        std::copy(power, power + kLines, spectrum(j));
    };

    const KPirogovBands bands;
    std::vector<double> W(size_t(KPirogovBands::kNBands) * kLines);
    for (int t = 0; t < KPirogovBands::kNBands; ++t)
        for (int m = 0; m < kLines; ++m)
            W[size_t(t) * kLines + m] = bands.Weight(t, film.GetFreqInHertzFromSpectrumSample(m));

    // The first frame's cadres; each later frame brings one new cadre.
    for (long j = 1; j < 2L * K - 1; ++j)
        compute(j);
    std::vector<double> P(kLines), F(kLines);
    double Ep[KPirogovBands::kNBands], Ef[KPirogovBands::kNBands];
    for (long c = K; c <= N - K; ++c) {
        compute(c + K - 1);
        std::fill(P.begin(), P.end(), 0.0);
        std::fill(F.begin(), F.end(), 0.0);
        for (int i = 0; i < K; ++i) {
            const double* past = spectrum(c - i);
            const double* future = spectrum(c + i);
            for (int m = 0; m < kLines; ++m) {
                P[size_t(m)] += w[i] * past[m];
                F[size_t(m)] += w[i] * future[m];
            }
        }
        for (int t = 0; t < KPirogovBands::kNBands; ++t) {
            const double* Wt = W.data() + size_t(t) * kLines;
            double ep = 0, ef = 0;
            for (int m = 0; m < kLines; ++m) {
                ep += P[size_t(m)] * Wt[m];
                ef += F[size_t(m)] * Wt[m];
            }
            Ep[t] = ep;
            Ef[t] = ef;
        }
        if (!take(c, float(PirogovFrameValue(Ep, Ef, K, tLow, tHigh))))
            return false;
    }
    return true;
}

float PirogovFrameTime(const CKWaveFilm& film, long s0, long c)
{
    return float(film.GetTimeInSecondsFromCadre(s0 + c));
}

static long pirogovValueCount(long s0, long s1, int K)
{
    const long N = (s0 > s1 ? s0 - s1 : s1 - s0) + 1;
    return K < 1 || N < 2L * K ? 0 : N - 2L * K + 1;
}

bool ComputePirogovFunction(CKWaveFilm& film, long s0, long s1, int K, int tLow, int tHigh,
                            std::vector<float>& times, std::vector<float>& values)
{
    times.clear();
    values.clear();
    const long nValues = pirogovValueCount(s0, s1, K);
    try {
        times.reserve(size_t(nValues));
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Не хватило оперативной памяти для массива pTime.");
        return false;
    }
    try {
        values.reserve(size_t(nValues));
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Не хватило оперативной памяти для массива pFunction.");
        return false;
    }
    const long first = std::min(s0, s1);
    return ForEachPirogovValue(film, s0, s1, K, tLow, tHigh, [&](long c, float v) {
        values.push_back(v);
        times.push_back(PirogovFrameTime(film, first, c));
        return true;
    });
}

KPirogovStatistics ComputePirogovStatistics(const std::vector<float>& values)
{
    KPirogovStatistics st;
    const int n = int(values.size());
    st.n = n;
    if (n == 0)
        return st;
    st.sorted = values;
    std::sort(st.sorted.begin(), st.sorted.end());
    const std::vector<float>& s = st.sorted;
    st.min = s.front();
    st.max = s.back();
    for (int i = 0; i < 100; ++i) {
        const double x = double(i) * n / 100;
        const int k = int(std::floor(x));
        const double next = k + 1 < n ? s[size_t(k) + 1] : s[size_t(n) - 1];
        st.percentiles[i] = s[size_t(k)] + (next - s[size_t(k)]) * (x - k);
    }
    st.percentiles[100] = st.max;

    double sum = 0;
    const double range = st.max - st.min;
    for (float v : values) {
        // Equal values have no spread to divide: they all count in the first bin.
        const int b = range > 0 ? int((double(v) - st.min) * 99 / range) : 0;
        ++st.histogram[std::clamp(b, 0, 99)];
        sum += v;
    }
    st.mean = sum / n;
    double squares = 0;
    for (float v : values)
        squares += (v - st.mean) * (v - st.mean);
    st.deviation = n > 1 ? std::sqrt(squares / (n - 1)) : 0.0;
    st.variation = st.mean != 0 ? st.deviation / st.mean : 0.0;
    double e = 0;
    for (int h : st.histogram)
        if (h > 0) {
            const double p = double(h) / n;
            e += p * std::log2(p);
        }
    st.entropy = -e / 100;
    return st;
}

std::string PirogovReportHead(const CString& sPath, const KPirogovStatistics& st)
{
    std::string text = "\n" + sPath.str();
    text += "\nЧисло помех";
    text += format("\nЧисло испытаний\t%.0f", st.n, 0);
    text += format("\n\nСреднее значение\t%f", double(float(st.mean)), 0);
    text += format("\nСтандартное отклонение\t%f", double(float(st.deviation)), 0);
    text += format("\nКоэффициент вариации\t%f", double(float(st.variation)), 0);
    text += format("\nЭнтропия\t%f", double(float(st.entropy)), 0);
    text += "\n\nНомер квантеля\tКвантиль (процентиль)";
    for (int i = 0; i <= 100; ++i)
        text += format("\n%.0f\t%f", i, st.percentiles[i]);
    return text;
}

std::string PirogovReportDensity(const KPirogovStatistics& st)
{
    std::string text = "\n\nФП\tПлотность вероятностей";
    for (int b = 0; b < 100; ++b)
        text += format("\n%f\t%f", st.min + b * (st.max - st.min) / 100, double(st.histogram[b]) / st.n);
    return text;
}

std::string PirogovReportFunctionTitle(const CString& sPath)
{
    return "\n\nФонетическая функция Пирогова\n" + sPath.str() + "\nВремя (с)\tФП";
}

void AppendPirogovReportLine(std::string& text, float time, float value)
{
    text += format("\n%f\t%f", double(time), double(value));
}

std::string PirogovReportFunction(const CString& sPath, const std::vector<float>& times,
                                  const std::vector<float>& values)
{
    std::string text = PirogovReportFunctionTitle(sPath);
    for (size_t k = 0; k < values.size(); ++k)
        AppendPirogovReportLine(text, times[k], values[k]);
    return text;
}

bool CreatePirogovFunctionFile(CKWaveFilm& film, int K, int nLowLine, int nHighLine, const CString& sPath,
                               KPirogovStatistics* pStatistics)
{
    CFile file;
    if (!file.Open(sPath, CFile::modeCreate | CFile::modeWrite)) {
        CString text;
        text.Format("%s\n%s", "Не удалось создать и открыть выходной файл:\n", sPath.GetString());
        AfxMessageBox(text);
        // Nothing computed could be written anywhere.
        return false;
    }
    CWaitCursor wait;
    if (film.GetNFFT() != 1024) {
        AfxMessageBox("Размерность FFT должна быть ТОЛЬКО 1024.");
        return false;
    }
    const KPirogovBands bands;
    int tLow = 0, tHigh = 0;
    PirogovBandRange(bands, film.pS0->GetFrequencyInHertzFromFrequencyInSample(nLowLine),
                     film.pS0->GetFrequencyInHertzFromFrequencyInSample(nHighLine), tLow, tHigh);
    if (tLow > tHigh) {
        AfxMessageBox("Между нижней и верхней спектральными линиями нет ни одной третьоктавной полосы.");
        return false;
    }
    const long s0 = std::min(film.GetSelectedFragmentAbsCadre0(), film.GetSelectedFragmentAbsCadre1());
    const long s1 = std::max(film.GetSelectedFragmentAbsCadre0(), film.GetSelectedFragmentAbsCadre1());
    // Only the values are kept (the percentiles need them all); each time
    // follows from its cadre again as the report is written.
    std::vector<float> values;
    try {
        values.reserve(size_t(pirogovValueCount(s0, s1, K)));
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Не хватило оперативной памяти для массива pFunction.");
        return false;
    }
    if (!ForEachPirogovValue(film, s0, s1, K, tLow, tHigh, [&](long, float v) {
            values.push_back(v);
            return true;
        }))
        return false;
    if (values.empty()) {
        CString text;
        text.Format("Выделенный фрагмент слишком короток: для функции Пирогова нужно не менее %li кадров.",
                    2L * K);
        AfxMessageBox(text);
        return false;
    }
    KPirogovStatistics st;
    try {
        st = ComputePirogovStatistics(values);
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Не хватило оперативной памяти для массива pFunctionSorted.");
        return false;
    }
    bool ok = true;
    std::string bytes;
    auto put = [&](const std::string& block) {
        Utf8ToCp1251(block, bytes);
        ok = ok && file.Write(bytes.data(), UINT(bytes.size()));
    };
    put(PirogovReportHead(sPath, st));
    put(PirogovReportDensity(st));
    // The function of a long selection goes out in pieces, not as one text.
    std::string text = PirogovReportFunctionTitle(sPath);
    for (size_t k = 0; k < values.size() && ok; ++k) {
        AppendPirogovReportLine(text, PirogovFrameTime(film, s0, long(k) + K), values[k]);
        if (text.size() >= 1 << 16) {
            put(text);
            text.clear();
        }
    }
    put(text);
    file.Close();
    if (!ok) {
        CString text;
        text.Format("Не удалось записать выходной файл:\n%s", sPath.GetString());
        AfxMessageBox(text);
        return false;
    }
    if (pStatistics)
        *pStatistics = std::move(st);
    return true;
}
