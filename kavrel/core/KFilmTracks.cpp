#include "kavrel/core/KFilmTracks.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "kavrel/core/KWaveFilm.h"

namespace {

// The most samples one read brings in for a run of cadres; a run that would
// need more is read in several.
constexpr long kMaxBlock = 1L << 20;
// Kept cadres beyond which those far from the shown ones are forgotten.
constexpr size_t kMaxKept = 1 << 16;
// Frames below this many are not worth a second thread.
constexpr size_t kFramesForSecondCore = 64;

bool SecondCoreFree()
{
    static const bool two = std::thread::hardware_concurrency() >= 2;
    return two;
}

// Runs body(which, from, to) over [0, n): on two threads when worth it, each
// with its own analysis (which = 0 or 1).
template <class Body> void Share(size_t n, const Body& body)
{
    if (n >= kFramesForSecondCore && SecondCoreFree()) {
        const size_t half = n / 2;
        std::thread other([&] { body(1, half, n); });
        body(0, 0, half);
        other.join();
    } else {
        body(0, 0, n);
    }
}

} // namespace

bool SamePitchParams(const KPitchParams& a, const KPitchParams& b)
{
    return a.dFloor == b.dFloor && a.dCeiling == b.dCeiling && a.dSilenceThreshold == b.dSilenceThreshold &&
           a.dVoicingThreshold == b.dVoicingThreshold && a.dOctaveCost == b.dOctaveCost &&
           a.dOctaveJumpCost == b.dOctaveJumpCost && a.dVoicedUnvoicedCost == b.dVoicedUnvoicedCost &&
           a.nMaxCandidates == b.nMaxCandidates && a.bGaussian == b.bGaussian;
}

bool SameFormantParams(const KFormantParams& a, const KFormantParams& b)
{
    return a.dMaxFormant == b.dMaxFormant && a.nFormants == b.nFormants && a.dWindowLength == b.dWindowLength &&
           a.dPreEmphasisFrom == b.dPreEmphasisFrom;
}

CString KTrackParamsProblem(const KTrackParams& p)
{
    using namespace KTrackLimits;
    const KPitchParams& q = p.pitch;
    const KFormantParams& f = p.formants;
    // Written so that a NaN fails every test.
    auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
    if (!within(q.dFloor, kMinFloor, kMaxFloor))
        return "Нижняя граница основного тона должна быть от 20 до 1000 Гц.";
    if (!within(q.dCeiling, kMinFloor, kMaxCeiling) || !(q.dCeiling > q.dFloor))
        return "Верхняя граница основного тона должна быть выше нижней и не выше 10000 Гц.";
    if (!within(q.dSilenceThreshold, 0, 1))
        return "Порог тишины должен быть от 0 до 1.";
    if (!within(q.dVoicingThreshold, 0, 1))
        return "Порог вокализации должен быть от 0 до 1.";
    if (!within(q.dOctaveCost, 0, kMaxCost) || !within(q.dOctaveJumpCost, 0, kMaxCost) ||
        !within(q.dVoicedUnvoicedCost, 0, kMaxCost))
        return "Штрафы за октаву, за скачок октавы и за смену вокализации должны быть от 0 до 10.";
    if (q.nMaxCandidates < 2 || q.nMaxCandidates > 100)
        return "Число кандидатов основного тона должно быть от 2 до 100.";
    if (!within(f.dMaxFormant, kMinMaxFormant, kMaxMaxFormant))
        return "Наибольшая частота формант должна быть от 1000 до 20000 Гц.";
    if (f.nFormants < kMinFormants || f.nFormants > kMaxFormants)
        return "Число формант должно быть от 1 до 10.";
    if (!within(f.dWindowLength, kMinWindow, kMaxWindow))
        return "Длина окна формант должна быть от 0,005 до 0,1 с.";
    if (!within(f.dPreEmphasisFrom, 0, f.dMaxFormant))
        return "Частота предыскажения должна быть от 0 Гц до наибольшей частоты формант.";
    return CString();
}

KTrackParams KTrackParamsForRate(const KTrackParams& params, double rate)
{
    KTrackParams p = params;
    const double nyquist = rate / 2;
    if (nyquist > 0) {
        p.pitch.dCeiling = std::min(p.pitch.dCeiling, nyquist);
        p.formants.dMaxFormant = std::min(p.formants.dMaxFormant, nyquist);
    }
    return p;
}

KTrackParams CKFilmTracks::ParamsForFilm(const CKWaveFilm& film) const
{
    return KTrackParamsForRate(m_params, double(film.GetKWaveFrADC()));
}

CKFilmTracks::CKFilmTracks()
{
    m_wave.DoNotShowKWaveErrors();
}

CKFilmTracks::~CKFilmTracks() = default;

void CKFilmTracks::SetParams(const KTrackParams& params)
{
    if (!SamePitchParams(params.pitch, m_params.pitch)) {
        m_candidates.clear();
        m_paths.clear();
        m_pitch[0].reset();
        m_pitch[1].reset();
    }
    if (!SameFormantParams(params.formants, m_params.formants)) {
        m_formantFrames.clear();
        m_formant[0].reset();
        m_formant[1].reset();
    }
    m_params = params;
}

void CKFilmTracks::Clear()
{
    m_candidates.clear();
    m_formantFrames.clear();
    m_paths.clear();
    m_pitch[0].reset();
    m_pitch[1].reset();
    m_formant[0].reset();
    m_formant[1].reset();
    m_dPeak = -1;
    m_nCadres = -1; // the wave is looked at again
}

bool CKFilmTracks::follow(const CKWaveFilm& film)
{
    if (!film.IsInternalStatusOK() || !film.KWaveIsGood())
        return false;
    const CString path = film.GetKWaveFilePathName();
    const bool sameSound = m_source && m_wave.KWaveIsGood() && path == m_sPath && film.nChannel == m_nChannel &&
                           film.GetKWaveSizeInSamples() == m_nSize && double(film.GetKWaveFrADC()) == m_dRate;
    if (!sameSound) {
        Clear();
        m_source.reset();
        m_wave.ReadSilently();
        if (!m_wave.OpenKWaveFile(path, film.GetKWaveFileTitle()))
            return false;
        m_wave.nChannel = std::clamp(film.nChannel, 0, std::max(0, m_wave.GetKWaveNChannels() - 1));
        m_source = std::make_unique<CKWaveSampleSource>(m_wave);
        m_sPath = path;
        m_nChannel = film.nChannel;
        m_nSize = film.GetKWaveSizeInSamples();
        m_dRate = double(film.GetKWaveFrADC());
    }
    if (film.GetZeroCadreSamplePosition() != m_nZero || film.GetCadreStepInSamples() != m_nStep ||
        film.GetNCadres() != m_nCadres) {
        const double peak = m_dPeak;
        Clear();
        m_dPeak = peak; // the same sound
        m_nZero = film.GetZeroCadreSamplePosition();
        m_nStep = film.GetCadreStepInSamples();
        m_nCadres = film.GetNCadres();
    }
    return m_dRate > 0;
}

template <class Map> std::vector<long> CKFilmTracks::forgetFarAndListMissing(Map& kept, long a, long b)
{
    if (kept.size() > kMaxKept) {
        const long reach = long(kMaxKept / 4);
        for (auto it = kept.begin(); it != kept.end();)
            it = it->first < a - reach || it->first >= b + reach ? kept.erase(it) : std::next(it);
    }
    std::vector<long> missing;
    for (long c = a; c < b; ++c)
        if (!kept.count(c))
            missing.push_back(c);
    return missing;
}

void CKFilmTracks::analysePitch(const CKWaveFilm& film, const std::vector<long>& cadres)
{
    if (cadres.empty())
        return;
    if (m_dPeak < 0)
        m_dPeak = KSourceAbsolutePeak(*m_source);
    for (auto& p : m_pitch)
        if (!p)
            p = std::make_unique<CKPitchAnalysis>(KTrackParamsForRate(m_params, m_dRate).pitch, m_dRate, m_dPeak);
    const long window = m_pitch[0]->WindowLength();
    std::vector<KPitchCandidates> out;
    std::vector<float> block;
    // Runs of cadres whose windows one read covers.
    for (size_t i = 0; i < cadres.size();) {
        const double centre0 = double(film.GetSampleFromCadreNumber(cadres[i]));
        const long first = m_pitch[0]->FirstSampleOfFrame(centre0);
        size_t j = i + 1;
        while (j < cadres.size() && cadres[j] == cadres[j - 1] + 1 &&
               m_pitch[0]->FirstSampleOfFrame(double(film.GetSampleFromCadreNumber(cadres[j]))) + window - first <=
                   kMaxBlock)
            ++j;
        const long last = m_pitch[0]->FirstSampleOfFrame(double(film.GetSampleFromCadreNumber(cadres[j - 1])));
        block.resize(size_t(last + window - first));
        m_source->Read(first, long(block.size()), block.data());
        out.assign(j - i, KPitchCandidates{});
        Share(j - i, [&](int which, size_t from, size_t to) {
            for (size_t k = from; k < to; ++k) {
                const double centre = double(film.GetSampleFromCadreNumber(cadres[i + k]));
                const long offset = m_pitch[which]->FirstSampleOfFrame(centre) - first;
                m_pitch[which]->Candidates(block.data() + offset, out[k]);
            }
        });
        for (size_t k = 0; k < out.size(); ++k)
            m_candidates[cadres[i + k]] = std::move(out[k]);
        nPitchCadresAnalysed += long(j - i);
        i = j;
    }
}

bool CKFilmTracks::Pitch(const CKWaveFilm& film, long c0, long c1, std::vector<double>& f0)
{
    f0.assign(size_t(std::max(0L, c1 - c0)), 0.0);
    if (c1 <= c0 || !follow(film))
        return false;
    const KPitchParams pitch = KTrackParamsForRate(m_params, m_dRate).pitch;
    if (!HasPitchRange(pitch))
        return true; // a floor above what the sound holds: nothing voiced
    const long a = std::max(0L, c0 - kPathMargin), b = std::min(film.GetNCadres(), c1 + kPathMargin);
    if (b <= a)
        return true;
    // A repaint that scrolled nowhere finds the path it drew last time: the
    // same candidates give the same path.
    for (const Path& p : m_paths)
        if (p.nFrom == a && long(p.f0.size()) == b - a) {
            for (long c = std::max(a, c0); c < std::min(b, c1); ++c)
                f0[size_t(c - c0)] = p.f0[size_t(c - a)];
            return true;
        }
    const std::vector<long> missing = forgetFarAndListMissing(m_candidates, a, b);
    analysePitch(film, missing);
    std::vector<KPitchCandidates> frames;
    frames.reserve(size_t(b - a));
    for (long c = a; c < b; ++c)
        frames.push_back(m_candidates[c]);
    const std::vector<KPitchFrame> found = KPitchPath(frames, pitch, film.GetCadreStepInSeconds());
    Path path;
    path.nFrom = a;
    path.nInner0 = std::max(a, c0);
    path.nInner1 = std::min(b, c1);
    path.f0.assign(size_t(b - a), 0.0);
    for (size_t k = 0; k < found.size() && k < path.f0.size(); ++k)
        path.f0[k] = found[k].dF0;
    for (long c = path.nInner0; c < path.nInner1; ++c)
        f0[size_t(c - c0)] = path.f0[size_t(c - a)];
    // The same stretch asked again replaces its path.
    for (auto it = m_paths.begin(); it != m_paths.end();)
        it = it->nInner0 == path.nInner0 && it->nInner1 == path.nInner1 ? m_paths.erase(it) : std::next(it);
    m_paths.insert(m_paths.begin(), std::move(path));
    constexpr size_t kKeptPaths = 4;
    if (m_paths.size() > kKeptPaths)
        m_paths.resize(kKeptPaths);
    return true;
}

void CKFilmTracks::analyseFormants(const CKWaveFilm& film, const std::vector<long>& cadres)
{
    if (cadres.empty())
        return;
    for (auto& p : m_formant)
        if (!p)
            p = std::make_unique<CKFormantAnalysis>(KTrackParamsForRate(m_params, m_dRate).formants, m_dRate);
    std::vector<float> grid;
    std::vector<KFormantFrame> out;
    for (size_t i = 0; i < cadres.size();) {
        long first = 0, count = 0;
        m_formant[0]->FrameSpan(film.GetTimeInSecondsFromCadre(cadres[i]), first, count);
        size_t j = i + 1;
        long end = first + count;
        while (j < cadres.size() && cadres[j] == cadres[j - 1] + 1) {
            long f = 0, n = 0;
            m_formant[0]->FrameSpan(film.GetTimeInSecondsFromCadre(cadres[j]), f, n);
            if (f + n - first > kMaxBlock)
                break;
            end = std::max(end, f + n);
            ++j;
        }
        m_formant[0]->Resample(*m_source, first, end - first, grid);
        out.assign(j - i, KFormantFrame{});
        Share(j - i, [&](int which, size_t from, size_t to) {
            for (size_t k = from; k < to; ++k)
                m_formant[which]->Frame(grid.data(), first, film.GetTimeInSecondsFromCadre(cadres[i + k]), out[k]);
        });
        for (size_t k = 0; k < out.size(); ++k)
            m_formantFrames[cadres[i + k]] = std::move(out[k]);
        nFormantCadresAnalysed += long(j - i);
        i = j;
    }
}

bool CKFilmTracks::Formants(const CKWaveFilm& film, long c0, long c1, std::vector<const KFormantFrame*>& frames)
{
    frames.assign(size_t(std::max(0L, c1 - c0)), nullptr);
    if (c1 <= c0 || !follow(film))
        return false;
    const long a = std::max(0L, c0), b = std::min(film.GetNCadres(), c1);
    if (b <= a)
        return true;
    const std::vector<long> missing = forgetFarAndListMissing(m_formantFrames, a, b);
    analyseFormants(film, missing);
    for (long c = a; c < b; ++c)
        frames[size_t(c - c0)] = &m_formantFrames[c];
    return true;
}

KTracksAtCadre CKFilmTracks::AtCadre(const CKWaveFilm& film, long c, bool bPitch, bool bFormants)
{
    KTracksAtCadre at;
    if (bPitch && follow(film)) {
        // The widest path over the cadre: that of the sonogram which shows it.
        const Path* best = nullptr;
        for (const Path& p : m_paths)
            if (c >= p.nInner0 && c < p.nInner1 && (!best || p.nInner1 - p.nInner0 > best->nInner1 - best->nInner0))
                best = &p;
        if (best) {
            at.dF0 = best->f0[size_t(c - best->nFrom)];
        } else {
            std::vector<double> f0;
            if (Pitch(film, c, c + 1, f0))
                at.dF0 = f0[0];
        }
    }
    if (bFormants) {
        std::vector<const KFormantFrame*> frames;
        if (Formants(film, c, c + 1, frames) && frames[0])
            at.formants = frames[0]->formants;
    }
    return at;
}
