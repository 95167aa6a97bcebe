// The pitch and formant tracks of a film's cadres, as the sonogram shows
// them: one frame per cadre centre. Each cadre is analysed once and kept
// (its pitch candidates, its formants), so that a repaint costs only the
// path through the kept candidates and a scroll only the cadres that came
// in. The sound is read through a wave of its own on the film's file, never
// through the film's readers, which the sonogram moves about.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/base/CString.h"
#include "kavrel/core/KFormants.h"
#include "kavrel/core/KPitch.h"
#include "kavrel/core/KSampleSource.h"
#include "kavrel/core/KWave.h"

class CKWaveFilm;

// What the user sets for both tracks.
struct KTrackParams {
    KPitchParams pitch;
    KFormantParams formants;
};
bool SamePitchParams(const KPitchParams& a, const KPitchParams& b);
bool SameFormantParams(const KFormantParams& a, const KFormantParams& b);

// The ranges the parameters dialog takes.
namespace KTrackLimits {
constexpr double kMinFloor = 20, kMaxFloor = 1000, kMaxCeiling = 10000;
constexpr double kMaxCost = 10;
constexpr double kMinMaxFormant = 1000, kMaxMaxFormant = 20000;
constexpr int kMinFormants = 1, kMaxFormants = 10;
constexpr double kMinWindow = 0.005, kMaxWindow = 0.1;
} // namespace KTrackLimits

// What is wrong with the parameters, in the user's words; empty when the
// analyses can take them.
CString KTrackParamsProblem(const KTrackParams& p);

// The parameters as a sound of this rate takes them: the pitch ceiling and
// the highest formant no higher than half the rate (as the batch tool's
// defaults give way). A floor at or above that ceiling leaves the pitch
// with nothing to find: HasPitchRange tells.
KTrackParams KTrackParamsForRate(const KTrackParams& p, double rate);
inline bool HasPitchRange(const KPitchParams& p) { return p.dFloor > 0 && p.dCeiling > p.dFloor; }

// The values at one cadre: F0 (0 where unvoiced) and the formants.
struct KTracksAtCadre {
    double dF0 = 0;
    std::vector<KFormant> formants;
};

class CKFilmTracks {
public:
    // Cadres either side of the shown ones that the pitch path runs over.
    static constexpr long kPathMargin = 50;

    CKFilmTracks();
    ~CKFilmTracks();
    CKFilmTracks(const CKFilmTracks&) = delete;
    CKFilmTracks& operator=(const CKFilmTracks&) = delete;

    const KTrackParams& Params() const { return m_params; }
    // What the analyses of this film's sound take (KTrackParamsForRate).
    KTrackParams ParamsForFilm(const CKWaveFilm& film) const;
    // New parameters: the track whose parameters changed is analysed anew.
    void SetParams(const KTrackParams& params);
    // Everything analysed anew (a new film).
    void Clear();

    // F0 of cadres c0 .. c1-1 (0 where unvoiced or outside the film), from
    // a path over them with kPathMargin cadres to spare either side. False
    // when the film's sound cannot be read (f0 is all zeros then).
    bool Pitch(const CKWaveFilm& film, long c0, long c1, std::vector<double>& f0);
    // The formant frames of cadres c0 .. c1-1 (null outside the film), kept
    // here until the next call that analyses.
    bool Formants(const CKWaveFilm& film, long c0, long c1, std::vector<const KFormantFrame*>& frames);
    // Both at one cadre; the pitch as the last path over it found it when
    // one did, so that what is written matches what is drawn.
    KTracksAtCadre AtCadre(const CKWaveFilm& film, long c, bool bPitch, bool bFormants);

    // How many cadres were analysed since the start: the tests and the
    // benchmark see what a repaint or a scroll cost.
    long nPitchCadresAnalysed = 0;
    long nFormantCadresAnalysed = 0;

private:
    // The own wave follows the film's file and channel; the kept cadres
    // follow the film's grid. False when the sound cannot be read.
    bool follow(const CKWaveFilm& film);
    void analysePitch(const CKWaveFilm& film, const std::vector<long>& cadres);
    void analyseFormants(const CKWaveFilm& film, const std::vector<long>& cadres);
    // Cadres kept far from a .. b-1 go once too many are kept; the cadres
    // of a .. b-1 not kept are listed.
    template <class Map> static std::vector<long> forgetFarAndListMissing(Map& kept, long a, long b);

    KTrackParams m_params;
    CKWave m_wave;
    std::unique_ptr<CKWaveSampleSource> m_source;
    CString m_sPath;
    int m_nChannel = -1;
    long m_nSize = -1, m_nZero = -1, m_nStep = -1, m_nCadres = -1;
    double m_dRate = 0;
    double m_dPeak = -1; // of the whole sound; -1 until read
    std::unordered_map<long, KPitchCandidates> m_candidates;
    std::unordered_map<long, KFormantFrame> m_formantFrames;
    std::unique_ptr<CKPitchAnalysis> m_pitch[2];
    std::unique_ptr<CKFormantAnalysis> m_formant[2];
    // The last paths, the newest first (one for each sonogram of a
    // document, and the status pane's): F0 of cadres nFrom .., and the
    // cadres asked for, without the margins.
    struct Path {
        long nFrom = 0, nInner0 = 0, nInner1 = 0;
        std::vector<double> f0;
    };
    std::vector<Path> m_paths;
};
