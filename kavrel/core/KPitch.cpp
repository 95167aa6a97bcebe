// Placeholder while the tracker is written: every frame unvoiced.
#include <cstddef>
using std::size_t;
#include "kavrel/core/KPitch.h"

CKPitchAnalysis::CKPitchAnalysis(const KPitchParams& params, double rate, double peak) : m_p(params), m_rate(rate), m_peak(peak)
{
    m_nWindow = long(3 / params.dFloor * rate);
}
CKPitchAnalysis::~CKPitchAnalysis() = default;
long CKPitchAnalysis::FirstSampleOfFrame(double c) const { return long(c) - m_nWindow / 2; }
void CKPitchAnalysis::Candidates(const float*, KPitchCandidates& out) { out.v.assign(1, {}); }
void CKPitchAnalysis::Candidates(const KSampleSource&, double, KPitchCandidates& out) { out.v.assign(1, {}); }
std::vector<KPitchFrame> KPitchPath(const std::vector<KPitchCandidates>& frames, const KPitchParams&, double)
{
    return std::vector<KPitchFrame>(frames.size());
}
std::vector<KPitchFrame> KTrackPitch(const KSampleSource&, const std::vector<double>& times, const KPitchParams&,
                                     bool (*)(void*), void*)
{
    std::vector<KPitchFrame> f(times.size());
    for (size_t i = 0; i < f.size(); ++i)
        f[i].dTime = times[i];
    return f;
}
