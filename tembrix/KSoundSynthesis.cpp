#include "tembrix/KSoundSynthesis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <unistd.h>

namespace ksynth {

namespace {
constexpr long kBlock = 1024;
}

// ---- the work file ------------------------------------------------------------------

CKFloatWorkFile::~CKFloatWorkFile()
{
    Close();
}

CKFloatWorkFile::OpenResult CKFloatWorkFile::Open()
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec || folder.empty() || folder.string().size() + 12 >= 4096)
        return NoTempFolder;
    std::string name = (folder / "TBXXXXXXX").string();
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return CannotCreate;
    m_pFile = fdopen(fd, "w+b");
    if (!m_pFile) {
        ::close(fd);
        std::remove(name.c_str());
        return CannotOpen;
    }
    m_sPath = name;
    m_nSize = 0;
    return Opened;
}

bool CKFloatWorkFile::Append(const float* v, long n)
{
    if (!m_pFile || std::fseek(m_pFile, m_nSize * long(sizeof(float)), SEEK_SET) != 0)
        return false;
    const long put = long(std::fwrite(v, sizeof(float), size_t(n), m_pFile));
    m_nSize += put;
    return put == n;
}

long CKFloatWorkFile::Read(long at, float* dst, long n)
{
    n = std::min(n, m_nSize - at);
    if (!m_pFile || at < 0 || n <= 0 || std::fseek(m_pFile, at * long(sizeof(float)), SEEK_SET) != 0)
        return 0;
    return long(std::fread(dst, sizeof(float), size_t(n), m_pFile));
}

bool CKFloatWorkFile::Write(long at, const float* src, long n)
{
    if (!m_pFile || at < 0 || at + n > m_nSize || std::fseek(m_pFile, at * long(sizeof(float)), SEEK_SET) != 0)
        return false;
    return long(std::fwrite(src, sizeof(float), size_t(n), m_pFile)) == n;
}

void CKFloatWorkFile::Close()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
}

void CKFloatWorkFile::Remove()
{
    Close();
    if (!m_sPath.empty())
        std::remove(m_sPath.c_str());
    m_sPath.clear();
}

// ---- normalisation -------------------------------------------------------------------

double GainOfLevel(double dLevelChange_dB)
{
    return std::pow(10.0, dLevelChange_dB / 20.0);
}

double PeakOf(CKFloatWorkFile& work)
{
    std::vector<float> b(kBlock);
    double peak = 0;
    for (long p = 0;; p += kBlock) {
        const long n = work.Read(p, b.data(), kBlock);
        if (n <= 0)
            break;
        for (long k = 0; k < n; ++k)
            peak = std::max(peak, double(std::fabs(b[size_t(k)])));
    }
    return peak;
}

bool WriteNormalised(CKFloatWorkFile& work, double peak, const kresample::BlockWriter& write,
                     const kresample::Progress& progress)
{
    // A silent work file stays silent rather than dividing by its zero peak.
    const double scale = peak > 0 ? 32766.0 / peak : 0.0;
    std::vector<float> b(kBlock);
    std::vector<short> s(kBlock);
    for (long p = 0;; p += kBlock) {
        const long n = work.Read(p, b.data(), kBlock);
        if (n <= 0)
            break;
        for (long k = 0; k < n; ++k)
            s[size_t(k)] = kresample::ToSample(scale * double(b[size_t(k)]));
        if (!write(s.data(), n))
            return false;
        if (progress)
            progress(p + n, work.Size());
    }
    return true;
}

bool CopySignal(long nSamples, const kresample::WindowReader& read, CKFloatWorkFile& work)
{
    std::vector<short> s(kBlock);
    std::vector<float> f(kBlock);
    for (long p = 0; p < nSamples; p += kBlock) {
        if (!read(s.data(), p, kBlock))
            return false;
        std::copy(s.begin(), s.end(), f.begin());
        if (!work.Append(f.data(), kBlock))
            return false;
    }
    return true;
}

// ---- sound objects -------------------------------------------------------------------

std::vector<double> SoftEdge(long nStep, double dSigma)
{
    std::vector<double> e(static_cast<size_t>(std::max(0L, 5 * nStep)));
    for (size_t l = 0; l < e.size(); ++l)
        e[l] = dSigma > 0 ? std::exp(-double(l) * double(l) / (2 * dSigma * dSigma)) : (l == 0 ? 1.0 : 0.0);
    return e;
}

void ApplyTextObject(const SoundObject& o, const SynthesisContext& c, CKFloatWorkFile& work)
{
    const long w = c.nStep, C = o.nLastSample - o.nFirstSample + 1;
    if (w <= 0 || C <= 5 * w)
        return;
    // The object goes through w samples at a time, so that a long object
    // needs no more memory than a short one: each sample is weighted as the
    // whole segment would weight it, and then added into the work file.
    std::vector<float> segment;
    std::vector<short> buffer;
    try {
        segment.resize(size_t(w));
    } catch (const std::bad_alloc&) {
        c.report("Не хватило памяти для pWaveFloatSegment!\nОперация не выполнена.");
        return;
    }
    try {
        buffer.resize(size_t(w));
    } catch (const std::bad_alloc&) {
        c.report("Не хватило памяти для p_short_buffer!\nОперация не выполнена.");
        return;
    }
    const std::vector<double> e = SoftEdge(w, c.dEdgeSigma);
    const long E = 5 * w;
    // Sample k of the segment: the head edge weight e(E − 1 − k) and the tail
    // one e(k − (C − E)) where they reach it; where both do (a short object)
    // the one of the smaller l comes first, the head's on a tie, as when the
    // edges are laid over the whole segment l by l.
    auto weighted = [&](long k, float v) {
        const long lh = k < E ? E - 1 - k : -1, lt = k >= C - E ? k - (C - E) : -1;
        if (lh >= 0 && (lt < 0 || lh <= lt)) {
            v *= float(e[size_t(lh)]);
            if (lt >= 0)
                v *= float(e[size_t(lt)]);
        } else if (lt >= 0) {
            v *= float(e[size_t(lt)]);
            if (lh >= 0)
                v *= float(e[size_t(lh)]);
        }
        return v;
    };
    const double gm1 = GainOfLevel(o.dLevelChange_dB) - 1;
    std::vector<float> b(static_cast<size_t>(w));
    for (long k = 0; k < C; k += w) {
        const long want = std::min(w, C - k);
        if (!c.read(buffer.data(), o.nFirstSample + k, want))
            return;
        for (long i = 0; i < want; ++i)
            segment[size_t(i)] = weighted(k + i, float(buffer[size_t(i)]));
        const long n = work.Read(o.nFirstSample + k, b.data(), want);
        if (n <= 0)
            break;
        for (long i = 0; i < n; ++i)
            b[size_t(i)] = float(b[size_t(i)] + gm1 * segment[size_t(i)]);
        work.Write(o.nFirstSample + k, b.data(), n);
    }
}

void ApplyMicroHarmonicObject(const SoundObject& o, const SynthesisContext& c, CKFloatWorkFile& work)
{
    std::FILE* f = std::fopen(o.sFloatWavePath.c_str(), "rb");
    if (!f) {
        char text[2048];
        std::snprintf(text, sizeof text,
                      "Во время слияния синтезированных звуковых файлов всех фонообъектов не удалось открыть файл "
                      "%s\n\nОн не включен в итоговый синтезированный файл - %s",
                      o.sFloatWavePath.c_str(), c.sOutputPath.c_str());
        c.report(text);
        return;
    }
    const double gm1 = GainOfLevel(o.dLevelChange_dB) - 1;
    const long C = o.nLastSample - o.nFirstSample + 1;
    std::vector<float> fw(kBlock), b(kBlock);
    for (long p = 0; p < C; p += kBlock) {
        const long want = std::min(kBlock, C - p);
        const long got = long(std::fread(fw.data(), sizeof(float), size_t(want), f));
        if (got <= 0)
            break;
        // Only the samples that the work file holds take the traces.
        const long n = work.Read(o.nFirstSample + p, b.data(), got);
        for (long k = 0; k < n; ++k)
            b[size_t(k)] = float(b[size_t(k)] + gm1 * fw[size_t(k)]);
        if (n > 0)
            work.Write(o.nFirstSample + p, b.data(), n);
        if (got < want)
            break;
    }
    std::fclose(f);
}

void ApplyObjects(const std::vector<SoundObject>& objects, const SynthesisContext& c, CKFloatWorkFile& work,
                  const kresample::Progress& progress)
{
    long done = 0;
    for (const SoundObject& o : objects) {
        if (o.nType == 0)
            ApplyTextObject(o, c, work);
        else if (o.nType == 1)
            ApplyMicroHarmonicObject(o, c, work);
        if (progress)
            progress(++done, long(objects.size()));
    }
}

// ---- the cocktail --------------------------------------------------------------------

CocktailResult MakeCocktail(const CocktailParams& p, const kresample::Progress& progress)
{
    CocktailResult out;
    const long L = std::max(0L, p.nLength);
    const int NFFT = p.nFFT, h = NFFT / 2;
    std::vector<double> sum, gauss;
    std::vector<short> q;
    try {
        sum.assign(size_t(L + NFFT), 0.0);
    } catch (const std::bad_alloc&) {
        out.sNoMemory = "Не хватило памяти для pdCooktailWave";
        return out;
    }
    try {
        out.wave.assign(size_t(L), 0);
    } catch (const std::bad_alloc&) {
        out.sNoMemory = "Не хватило памяти для psCooktailWave";
        return out;
    }
    try {
        gauss.assign(size_t(NFFT), 0.0);
        q.assign(size_t(NFFT), 0);
    } catch (const std::bad_alloc&) {
        out.wave.clear();
        out.sNoMemory = "Не хватило памяти для pdGauss";
        return out;
    }
    for (int i = 0; i < h && i < int(p.halfGauss.size()); ++i) {
        gauss[size_t(h + i)] = p.halfGauss[size_t(i)];
        if (i > 0)
            gauss[size_t(h - i)] = p.halfGauss[size_t(i)];
    }

    // Every grain must land inside the sum buffer of L + NFFT values.
    const long D = std::min(L, p.sampleOfCadre(p.c1) - p.sampleOfCadre(p.c0));
    long rmin = L, rmax = 0;
    if (D > 0 && p.c1 > p.c0) {
        const long total = long(p.nAdditions) * (p.c1 - p.c0);
        long done = 0;
        for (int n = 0; n < p.nAdditions; ++n)
            for (long k = p.c0; k < p.c1; ++k) {
                if (!p.window(p.sampleOfCadre(k), q.data()))
                    std::fill(q.begin(), q.end(), 0);
                const unsigned r1 = unsigned(p.random()), r2 = unsigned(p.random()), r3 = unsigned(p.random());
                const long r = long((r2 * 65536u + (r1 % 2u) * 32768u + r3) % unsigned(D));
                for (int j = 0; j < NFFT; ++j)
                    sum[size_t(r + j)] += q[size_t(j)] * gauss[size_t(j)];
                rmin = std::min(rmin, r);
                rmax = std::max(rmax, r);
                if (progress && (++done % 256 == 0 || done == total))
                    progress(done, total);
            }
    }

    const long a = NFFT + rmin, b = rmax - NFFT, n = b - a;
    out.a = a;
    out.b = b;
    // Too few cadres scattered to leave a stretch clear of the ragged ends:
    // there is nothing useful to repeat, so the cocktail stays silent.
    if (n <= 0)
        return out;
    double mean = 0;
    for (long i = a; i < b; ++i)
        mean += sum[size_t(i)];
    mean /= double(n);
    for (double& v : sum)
        v -= mean;
    double peak = 0;
    for (long i = a; i < b; ++i)
        peak = std::max(peak, std::fabs(sum[size_t(i)]));
    if (!(peak > 0))
        peak = 1;
    // The stretch a..b (n + 1 values), then the same stretch again from its
    // start as often as the length asks.
    for (long u = 0; u < L; ++u)
        out.wave[size_t(u)] = kresample::ToSample(32766.0 / peak * sum[size_t(a + u % (n + 1))]);
    return out;
}

} // namespace ksynth
