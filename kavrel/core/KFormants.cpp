// Placeholder while the analysis is written: no formants.
#include <cstddef>
using std::size_t;
#include "kavrel/core/KFormants.h"

CKFormantAnalysis::CKFormantAnalysis(const KFormantParams& params, double rate) : m_p(params), m_rate(rate), m_rate2(2 * params.dMaxFormant) {}
CKFormantAnalysis::~CKFormantAnalysis() = default;
void CKFormantAnalysis::Resample(const KSampleSource&, long, long n, std::vector<float>& out) const { out.assign(size_t(n), 0.f); }
void CKFormantAnalysis::FrameSpan(double t, long& first, long& count) const { count = long(2 * m_p.dWindowLength * m_rate2); first = long(t * m_rate2) - count / 2; }
void CKFormantAnalysis::Frame(const float*, long, double t, KFormantFrame& out) { out.dTime = t; out.formants.clear(); }
std::vector<KFormantFrame> KTrackFormants(const KSampleSource&, const std::vector<double>& times, const KFormantParams&, bool (*)(void*), void*)
{
    std::vector<KFormantFrame> f(times.size());
    for (size_t i = 0; i < f.size(); ++i)
        f[i].dTime = times[i];
    return f;
}
