#include "kavrel/views/KTrackOverlays.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>

#include "framework/ui/CCmdTarget.h"
#include "framework/ui/CDC.h"
#include "framework/ui/CGdiObjects.h"
#include "framework/ui/CWinApp.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KDialogTrackParams.h"

// ---- the profile -----------------------------------------------------------------

namespace {

// The entries and the parameter each one holds.
template <class F> void ForEachEntry(KTrackParams& p, const F& f)
{
    f("PitchFloor", p.pitch.dFloor);
    f("PitchCeiling", p.pitch.dCeiling);
    f("SilenceThreshold", p.pitch.dSilenceThreshold);
    f("VoicingThreshold", p.pitch.dVoicingThreshold);
    f("OctaveCost", p.pitch.dOctaveCost);
    f("OctaveJumpCost", p.pitch.dOctaveJumpCost);
    f("VoicedUnvoicedCost", p.pitch.dVoicedUnvoicedCost);
    f("MaxFormant", p.formants.dMaxFormant);
    f("FormantWindowLength", p.formants.dWindowLength);
}
constexpr const char* kFormantsEntry = "NumberOfFormants";
constexpr const char* kGaussianEntry = "GaussianWindow";

// A number as the profile holds it, read whatever the locale; false for
// anything else (then the default stays).
bool ParseNumber(const CString& text, double& v)
{
    CString trimmed = text;
    const std::string s = trimmed.Trim().str();
    if (s.empty())
        return false;
    double x = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), x);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(x))
        return false;
    v = x;
    return true;
}

CString NumberText(double v)
{
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? CString(std::string(buf, end).c_str()) : CString("0");
}

} // namespace

KTrackParams KReadTrackParams(CWinApp* app)
{
    KTrackParams p;
    if (!app)
        return p;
    const char* section = CKTrackOverlays::kProfileSection;
    ForEachEntry(p, [&](const char* entry, double& v) { ParseNumber(app->GetProfileString(section, entry, ""), v); });
    p.formants.nFormants = app->GetProfileInt(section, kFormantsEntry, p.formants.nFormants);
    p.pitch.bGaussian = app->GetProfileInt(section, kGaussianEntry, 0) == 1;
    // A profile edited by hand, or by another version, may hold what the
    // analyses cannot take: then all is as at first.
    if (!KTrackParamsProblem(p).IsEmpty())
        return KTrackParams{};
    return p;
}

void KWriteTrackParams(CWinApp* app, const KTrackParams& params)
{
    if (!app)
        return;
    KTrackParams p = params;
    const char* section = CKTrackOverlays::kProfileSection;
    ForEachEntry(p, [&](const char* entry, double& v) { app->WriteProfileString(section, entry, NumberText(v)); });
    app->WriteProfileInt(section, kFormantsEntry, p.formants.nFormants);
    app->WriteProfileInt(section, kGaussianEntry, p.pitch.bGaussian ? 1 : 0);
}

// ---- the overlays object -----------------------------------------------------------

void CKTrackOverlays::ReadProfile()
{
    Cache.SetParams(KReadTrackParams(AfxGetApp()));
}

void CKTrackOverlays::WriteProfile() const
{
    KWriteTrackParams(AfxGetApp(), Cache.Params());
}

void CKTrackOverlays::OnUpdatePitch(CCmdUI* pCmdUI) const
{
    pCmdUI->SetCheck(bPitch ? 1 : 0);
}

void CKTrackOverlays::OnUpdateFormants(CCmdUI* pCmdUI) const
{
    pCmdUI->SetCheck(bFormants ? 1 : 0);
}

bool CKTrackOverlays::EditParams(CWnd* pParent)
{
    CKDialogTrackParams dlg(pParent);
    dlg.Params = Cache.Params();
    if (dlg.DoModal() != IDOK)
        return false;
    Cache.SetParams(dlg.Params);
    WriteProfile();
    return true;
}

CString CKTrackOverlays::CaretText(const CKWaveFilm& film)
{
    if (!bPitch && !bFormants)
        return CString();
    return KTracksStatusText(Cache.AtCadre(film, film.GetKCaretCadre(), bPitch, bFormants), bPitch, bFormants);
}

CString KTracksStatusText(const KTracksAtCadre& at, bool bPitch, bool bFormants)
{
    CString text;
    if (bPitch) {
        if (at.dF0 > 0)
            text.Format("F0 = %.0f Гц", at.dF0);
        else
            text = "F0 —";
    }
    if (bFormants) {
        CString part;
        const size_t n = std::min<size_t>(3, at.formants.size());
        for (size_t i = 0; i < n; ++i) {
            CString one;
            one.Format("%sF%d = %.0f", i ? ", " : "", int(i + 1), at.formants[i].dFrequency);
            part += one;
        }
        part += n ? " Гц" : "F1–F3 —";
        if (!text.IsEmpty())
            text += ", ";
        text += part;
    }
    return text;
}

// ---- geometry ----------------------------------------------------------------------

double KPitchScale::Y(double f) const
{
    const double span = std::log(dCeiling / dFloor);
    const double u = span > 0 && f > 0 ? std::log(f / dFloor) / span : 0;
    return double(yBottom) - std::clamp(u, 0.0, 1.0) * double(yBottom - yTop);
}

KPitchScale KPitchScaleOver(const KPitchParams& p, int top, int bottom)
{
    KPitchScale s;
    s.dFloor = p.dFloor;
    s.dCeiling = p.dCeiling;
    s.yTop = top + kPitchScaleMargin;
    s.yBottom = std::max(s.yTop, bottom - 1 - kPitchScaleMargin);
    return s;
}

std::vector<double> KPitchScaleTicks(double floor, double ceiling)
{
    std::vector<double> ticks;
    if (!(floor > 0) || !(ceiling > floor))
        return ticks;
    ticks.push_back(floor);
    static const double kMantissas[] = {1, 1.5, 2, 3, 5, 7};
    for (double decade = std::pow(10.0, std::floor(std::log10(floor))); decade <= ceiling; decade *= 10)
        for (double m : kMantissas) {
            const double v = m * decade;
            if (v > floor * 1.0001 && v < ceiling / 1.0001)
                ticks.push_back(v);
        }
    ticks.push_back(ceiling);
    return ticks;
}

int KSonogramRowOfFrequency(double f, double fs, int nFFT, int nLines)
{
    if (!(fs > 0) || nFFT <= 0 || !(f >= 0))
        return -1;
    const long line = std::lround(f / fs * double(nFFT));
    if (line >= nLines || line > nFFT / 2)
        return -1;
    return int(nLines - 1 - line);
}

// ---- drawing -----------------------------------------------------------------------

void KDrawPitchTrack(CDC* pDC, const CRect& rc, const KPitchScale& scale, long x0, const std::vector<double>& f0)
{
    // Three bright rows between two dark ones: it reads over greys and over
    // the colour types alike. (Thin pens all: a wide one costs several
    // times as much.)
    CPen halo(PS_SOLID, 1, kPitchHaloColour), line(PS_SOLID, 1, kPitchLineColour);
    CPen* oldPen = pDC->SelectObject(&halo);
    std::vector<POINT> run;
    for (const auto& [pen, dy] : {std::pair{&halo, -2}, std::pair{&halo, 2}, std::pair{&line, -1},
                                  std::pair{&line, 1}, std::pair{&line, 0}}) {
        pDC->SelectObject(pen);
        for (size_t i = 0; i <= f0.size(); ++i) {
            if (i < f0.size() && f0[i] > 0) {
                run.push_back(POINT{int(x0 + long(i)), int(std::lround(scale.Y(f0[i]))) + dy});
                continue;
            }
            // A voiced stretch of one cadre is a short dash.
            if (run.size() == 1)
                run.push_back(POINT{run[0].x + 1, run[0].y});
            if (run.size() > 1)
                pDC->Polyline(run.data(), int(run.size()));
            run.clear();
        }
    }

    // The scale at the right edge: a line, ticks to the left, labels beside them.
    const int xr = rc.right - 1;
    pDC->MoveTo(xr, scale.yTop);
    pDC->LineTo(xr, scale.yBottom + 1);
    const COLORREF oldText = pDC->SetTextColor(kPitchLineColour);
    const COLORREF oldBk = pDC->SetBkColor(kPitchHaloColour);
    const int oldMode = pDC->SetBkMode(OPAQUE);
    const UINT oldAlign = pDC->SetTextAlign(TA_RIGHT | TA_TOP);
    const int h = std::max<int>(1, pDC->GetTextExtent("0").cy);
    const std::vector<double> ticks = KPitchScaleTicks(scale.dFloor, scale.dCeiling);
    // The ends first; inner labels only where they leave room.
    std::vector<int> labelled;
    auto label = [&](double f, bool always) {
        const int y = int(std::lround(scale.Y(f)));
        pDC->MoveTo(xr - 5, y);
        pDC->LineTo(xr, y);
        for (int other : labelled)
            if (!always && std::abs(other - y) < h + 1)
                return;
        CString text;
        text.Format(f == scale.dCeiling ? "%.0f Гц" : "%.0f", f);
        pDC->TextOut(xr - 7, y - h / 2, text.GetString());
        labelled.push_back(y);
    };
    if (!ticks.empty()) {
        label(ticks.back(), true);
        label(ticks.front(), true);
        for (size_t i = 1; i + 1 < ticks.size(); ++i)
            label(ticks[i], false);
    }
    pDC->SetTextAlign(oldAlign);
    pDC->SetBkMode(oldMode);
    pDC->SetBkColor(oldBk);
    pDC->SetTextColor(oldText);
    pDC->SelectObject(oldPen);
}

void KDrawFormantTracks(CDC* pDC, long x0, const std::vector<const KFormantFrame*>& frames, double fs, int nFFT,
                        int nLines)
{
    // As in a spectrogram's dynamic range: no dots where the sound is far
    // quieter than the loudest shown, which would be formants of silence.
    double loudest = -1e300;
    for (const KFormantFrame* f : frames)
        if (f)
            loudest = std::max(loudest, f->dLevel);
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i] || frames[i]->dLevel < loudest - kFormantDynamicRange)
            continue;
        const int x = int(x0 + long(i));
        for (const KFormant& f : frames[i]->formants) {
            const int y = KSonogramRowOfFrequency(f.dFrequency, fs, nFFT, nLines);
            if (y >= 0)
                pDC->FillSolidRect(x - 1, y - 1, 3, 3, kFormantDotColour);
        }
    }
}
