// The pitch and formant overlays of the sonogram: whether each is shown,
// the parameters of both tracks (kept in the profile, never in a document)
// and the analysed cadres, one set shared by every sonogram of a document.
// The host (the workshop's document, the viewer) owns it, carries the
// commands of its "Вид" menu and hands it to its views by hint 13; a view
// that was given none has one of its own with both overlays off.
#pragma once
#include <memory>
#include <vector>

#include "framework/base/CObject.h"
#include "framework/ui/WinTypes.h"
#include "kavrel/core/KFilmTracks.h"

class CCmdUI;
class CDC;
class CWinApp;
class CWnd;

class CKTrackOverlays : public CObject, public std::enable_shared_from_this<CKTrackOverlays> {
public:
    // The commands of the "Вид" menu and of the toolbar.
    enum : UINT {
        ID_SHOW_PITCH_TRACK = 36900,
        ID_SHOW_FORMANT_TRACKS = 36901,
        ID_TRACK_PARAMETERS = 36902,
        ID_INDICATOR_TRACKS = 36903 // the status pane of the values at the caret
    };
    static constexpr const char* kProfileSection = "Tracks";

    bool bPitch = false;
    bool bFormants = false;
    CKFilmTracks Cache;

    // The parameters from the running program's profile (the defaults
    // where it has none or holds values out of range), and back.
    void ReadProfile();
    void WriteProfile() const;

    void TogglePitch() { bPitch = !bPitch; }
    void ToggleFormants() { bFormants = !bFormants; }
    void OnUpdatePitch(CCmdUI* pCmdUI) const;
    void OnUpdateFormants(CCmdUI* pCmdUI) const;
    // The parameters dialog; on OK the values are kept in the profile and
    // the tracks they change analysed anew. True on OK.
    bool EditParams(CWnd* pParent);

    // What the status pane shows at the film's caret: empty with both off.
    CString CaretText(const CKWaveFilm& film);
};

// Profile storage of the parameters: numbers as text, written and read
// the same way whatever the locale.
KTrackParams KReadTrackParams(CWinApp* app);
void KWriteTrackParams(CWinApp* app, const KTrackParams& p);

// "F0 = 213 Гц, F1 = 512, F2 = 1490, F3 = 2480 Гц" for the tracks shown;
// "F0 —" where unvoiced, "F1–F3 —" where no formant was found.
CString KTracksStatusText(const KTracksAtCadre& at, bool bPitch, bool bFormants);

// The pitch line's own scale, logarithmic in Hz: the floor at yBottom, the
// ceiling at yTop.
struct KPitchScale {
    double dFloor = 75, dCeiling = 600;
    int yTop = 0, yBottom = 0;
    double Y(double f) const;
};
// The scale over the picture rows top .. bottom-1 as they are shown, kept
// kPitchScaleMargin rows inside so that the end labels can be read.
constexpr int kPitchScaleMargin = 8;
KPitchScale KPitchScaleOver(const KPitchParams& p, int top, int bottom);
// The labelled frequencies: the floor, the ceiling and the round values
// (1, 1.5, 2, 3, 5, 7 times a power of ten) between them, ascending.
std::vector<double> KPitchScaleTicks(double floor, double ceiling);
// The picture row of a frequency on a sonogram of nLines rows (line k at
// row nLines - 1 - k); -1 when it lies above the shown band.
int KSonogramRowOfFrequency(double f, double fs, int nFFT, int nLines);

// The colours of the overlays (COLORREF).
constexpr COLORREF kPitchLineColour = 0xFFFF00;   // cyan
constexpr COLORREF kPitchHaloColour = 0x000000;
constexpr COLORREF kFormantDotColour = 0x0000FF;  // red
// Frames more than this many dB below the loudest shown get no formant dots.
constexpr double kFormantDynamicRange = 30;

// Drawing in view coordinates: the pitch line of cadres x0 .. x0+f0.size()-1
// with its scale at the right edge of rc; the formant dots of the frames
// within kFormantDynamicRange of the loudest of them.
void KDrawPitchTrack(CDC* pDC, const CRect& rc, const KPitchScale& scale, long x0, const std::vector<double>& f0);
void KDrawFormantTracks(CDC* pDC, long x0, const std::vector<const KFormantFrame*>& frames, double fs, int nFFT,
                        int nLines);

// The envelope of hint 13 is the overlays object itself.
