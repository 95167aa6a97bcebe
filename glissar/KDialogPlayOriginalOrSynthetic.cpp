#include "glissar/KDialogPlayOriginalOrSynthetic.h"

#include <algorithm>
#include <vector>

#include "glissar/GlissarIds.h"
#include "glissar/doc/GlissarDoc.h"

namespace {
constexpr int kTracerGainRadios[15] = {6150, 6151, 6152, 6153, 6154, 6155, 6156, 6157,
                                       6158, 6159, 6160, 6161, 6162, 6163, 6164};
} // namespace

void FillLowerScreenSamples(const short* pOriginal, const float* pFloat, long nFloat, long i, long n,
                            bool bOnlyMarkedTraces, short* pOut)
{
    for (long k = 0; k < n; ++k) {
        const long j = i + k;
        if (j < 0 || j >= nFloat) {
            pOut[k] = 0;
            continue;
        }
        // Truncated towards zero, then kept to its low 16 bits as the sample.
        const float v = bOnlyMarkedTraces ? pFloat[j] : float(pOriginal[k]) - pFloat[j];
        const double clamped = std::clamp(double(v), -2147483648.0, 2147483647.0);
        pOut[k] = short(static_cast<unsigned short>(static_cast<long long>(clamped) & 0xFFFF));
    }
}

CKDialogPlayOriginalOrSynthetic::CKDialogPlayOriginalOrSynthetic(CGlissarDoc* p, CWnd* pParent)
    : CKDialogPlayFilmViewFragment(IDD_PLAY_ORIGINAL_OR_SYNTHETIC, nullptr, pParent), pDoc(p)
{
    nStartButtonIDs[0] = IDC_PLAY_ORIGINAL;
    nStartButtonIDs[1] = IDC_PLAY_SYNTHETIC;
    nStopButtonID = IDC_PLAY_STOP;
    nClipTextID = IDC_PLAY_CLIP_TEXT;
    // Named apart from the base class's own table, which would be found first.
    pGainRadioIDs = kTracerGainRadios;
    MapCommand(IDC_PLAY_ORIGINAL, &CKDialogPlayOriginalOrSynthetic::OnPlayOriginal);
    MapCommand(IDC_PLAY_SYNTHETIC, &CKDialogPlayOriginalOrSynthetic::OnPlaySynthetic);
    MapCommand(IDC_PLAY_STOP, &CKDialogPlayOriginalOrSynthetic::OnStop);
    if (pDoc)
        nCadre0Sample = pDoc->pWaveFilm.GetSampleFromCadreNumber(0);
}

void CKDialogPlayOriginalOrSynthetic::OnPlayOriginal() { playWholeObject(SourceOriginal); }
void CKDialogPlayOriginalOrSynthetic::OnPlaySynthetic() { playWholeObject(SourceLowerScreen); }

void CKDialogPlayOriginalOrSynthetic::playWholeObject(int source)
{
    if (!pDoc || IsPlaying())
        return;
    nSource = source;
    CKWaveFilm& film = pDoc->pWaveFilm;
    nCadre0Sample = film.GetSampleFromCadreNumber(0);
    StartPlaying(nCadre0Sample, film.GetSampleFromCadreNumber(film.GetNCadres()));
}

bool CKDialogPlayOriginalOrSynthetic::GetSourceFormat(WAVEFORMATEX& format)
{
    if (!pDoc || !pDoc->pWaveFilm.KWaveIsGood())
        return false;
    format = pDoc->pWaveFilm.GetKWaveFormat();
    return true;
}

long CKDialogPlayOriginalOrSynthetic::GetSourceSizeInSamples()
{
    return pDoc ? pDoc->pWaveFilm.GetKWaveSizeInSamples() : 0;
}

void CKDialogPlayOriginalOrSynthetic::FillSourceSamples(short* p, long nFirst, long n)
{
    if (!pDoc) {
        std::fill(p, p + n, short(0));
        return;
    }
    CKWaveFilm& film = pDoc->pWaveFilm;
    if (nSource == SourceOriginal) {
        film.FillKWaveBufFromSampleNSamples(p, nFirst, n);
        return;
    }
    std::vector<short> original(size_t(std::max(n, 0L)));
    if (!pDoc->bShowOnlyMarkedTraces)
        film.FillKWaveBufFromSampleNSamples(original.data(), nFirst, n);
    CKFloatWave& wave = pDoc->pFloatWave;
    FillLowerScreenSamples(original.data(), wave.GetFloatWaveBuffer(), wave.GetFloatWaveLength(), nFirst - nCadre0Sample,
                           n, pDoc->bShowOnlyMarkedTraces, p);
}
