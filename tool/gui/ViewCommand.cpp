// view: a window with the power curve above the sonogram of a whole file,
// for trying the views out before the workshop exists. The "Окна" menu
// shows the floating oscillogram, instant spectrum and phase portrait. With KAVREL_SCREENSHOT_DIR set it
// draws itself in every display type, and the floating windows, into that
// folder and ends.
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/ui/CControlBars.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CSplitterWnd.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KWndPicture.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "tool/gui/FloatingWindowShots.h"
#include "tool/ToolCommands.h"
#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KTrackOverlays.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"
#include "kavrel/views/KWaveFilmView.h"
#include "kavrel/views/KWaveView.h"

namespace {

// The viewer's frame and its menu bar.
constexpr UINT IDR_VIEWER = 700;
constexpr UINT ID_VIEWER_OSCILLOGRAM = 40001;
constexpr UINT ID_VIEWER_SPECTRUM = 40002;
constexpr UINT ID_VIEWER_PHASE_PORTRAIT = 40003;
constexpr int kPowerHeight = 120;

// The toolbar: the tracks' overlays, as in the workshop's.
const KToolBarTemplate kViewerToolBar(IDR_VIEWER, {CKTrackOverlays::ID_SHOW_PITCH_TRACK,
                                                   CKTrackOverlays::ID_SHOW_FORMANT_TRACKS,
                                                   CKTrackOverlays::ID_TRACK_PARAMETERS});

const KMenuTemplate kViewerMenu(IDR_VIEWER, {
    KMenuItem("Вид", {
        KMenuItem("Основной тон", CKTrackOverlays::ID_SHOW_PITCH_TRACK),
        KMenuItem("Форманты", CKTrackOverlays::ID_SHOW_FORMANT_TRACKS),
        KMenuItem("Параметры основного тона и формант…", CKTrackOverlays::ID_TRACK_PARAMETERS),
    }),
    KMenuItem("Окна", {
        KMenuItem("Осциллограмма", ID_VIEWER_OSCILLOGRAM),
        KMenuItem("Мгновенный спектр", ID_VIEWER_SPECTRUM),
        KMenuItem("Фазовый портрет", ID_VIEWER_PHASE_PORTRAIT),
    }),
});

// The view's document: it owns the film and carries the hints between views.
class CKViewerDoc : public CDocument {
public:
    CKWaveFilm Film;
    // The overlays of its sonogram, their parameters from the profile.
    std::shared_ptr<CKTrackOverlays> pTrackOverlays = std::make_shared<CKTrackOverlays>();
    void SendTracksHint() { UpdateAllViews(nullptr, HintTracks, pTrackOverlays.get()); }
    ~CKViewerDoc() override
    {
        DestroyKWaveFilmFloatingWindows(Film);
        Film.DestroyKWaveViews();
    }
};

// The power curve over the sonogram, one pixel per cadre in both, with one
// horizontal scroll bar for the two.
class CKViewerFrame : public CFrameWnd {
public:
    CKViewerFrame(CKViewerDoc& doc, int cx, int cy) : m_Doc(doc), m_cx(cx), m_cy(cy)
    {
        MapCommand(ID_VIEWER_OSCILLOGRAM, &CKViewerFrame::OnShowOscillogram);
        MapCommand(ID_VIEWER_SPECTRUM, &CKViewerFrame::OnShowSpectrum);
        MapCommand(ID_VIEWER_PHASE_PORTRAIT, &CKViewerFrame::OnShowPhasePortrait);
        MapCommandAndUpdate(CKTrackOverlays::ID_SHOW_PITCH_TRACK, &CKViewerFrame::OnShowPitchTrack,
                            &CKViewerFrame::OnUpdateShowPitchTrack);
        MapCommandAndUpdate(CKTrackOverlays::ID_SHOW_FORMANT_TRACKS, &CKViewerFrame::OnShowFormantTracks,
                            &CKViewerFrame::OnUpdateShowFormantTracks);
        MapCommand(CKTrackOverlays::ID_TRACK_PARAMETERS, &CKViewerFrame::OnTrackParameters);
        MapUpdate(CKTrackOverlays::ID_INDICATOR_TRACKS, &CKViewerFrame::OnUpdateTracksPane);
    }

    // The toolbar of the tracks, and a status bar for their values at the caret.
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override
    {
        static const UINT indicators[] = {ID_SEPARATOR, CKTrackOverlays::ID_INDICATOR_TRACKS};
        if (CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
            !m_wndToolBar.Create(this, DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | CBRS_TOP, AFX_IDW_TOOLBAR) ||
            !m_wndToolBar.LoadToolBar(IDR_VIEWER) || !m_wndStatusBar.Create(this) ||
            !m_wndStatusBar.SetIndicators(indicators, 2))
            return -1;
        m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
        return 0;
    }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override
    {
        cs.cx = m_cx;
        cs.cy = m_cy;
        return TRUE;
    }

    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override
    {
        const int sonogramHeight = m_Doc.Film.GetNFFT() / 2;
        if (!m_wndSplitter.CreateStatic(this, 2, 1, DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | DWORD(WS_HSCROLL)))
            return FALSE;
        if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CKPowerFilmView), CSize(m_cx, kPowerHeight), pContext) ||
            !m_wndSplitter.CreateView(1, 0, RUNTIME_CLASS(CKWaveFilmView), CSize(m_cx, sonogramHeight), pContext))
            return FALSE;
        m_wndSplitter.SetRowInfo(0, kPowerHeight, 20);
        m_wndSplitter.SetRowInfo(1, sonogramHeight, 20);
        SetActiveView(SonogramView());
        return TRUE;
    }

    CKPowerFilmView* PowerView() const { return static_cast<CKPowerFilmView*>(m_wndSplitter.GetPane(0, 0)); }
    CKWaveFilmView* SonogramView() const { return static_cast<CKWaveFilmView*>(m_wndSplitter.GetPane(1, 0)); }

    void OnShowOscillogram()
    {
        if (m_Doc.Film.CreateKWaveView(this))
            m_Doc.Film.ShowKWaveWindow(true);
    }

    // The film shows a window it made before again.
    void OnShowSpectrum() { m_Doc.Film.CreateKWaveSpectrumView(this); }
    void OnShowPhasePortrait() { m_Doc.Film.CreateKWaveSpectrumPhasePortraitView(this); }

    void OnShowPitchTrack()
    {
        m_Doc.pTrackOverlays->TogglePitch();
        m_Doc.SendTracksHint();
    }
    void OnShowFormantTracks()
    {
        m_Doc.pTrackOverlays->ToggleFormants();
        m_Doc.SendTracksHint();
    }
    void OnTrackParameters()
    {
        if (m_Doc.pTrackOverlays->EditParams(this))
            m_Doc.SendTracksHint();
    }
    void OnUpdateShowPitchTrack(CCmdUI* pCmdUI) { m_Doc.pTrackOverlays->OnUpdatePitch(pCmdUI); }
    void OnUpdateShowFormantTracks(CCmdUI* pCmdUI) { m_Doc.pTrackOverlays->OnUpdateFormants(pCmdUI); }
    void OnUpdateTracksPane(CCmdUI* pCmdUI)
    {
        const CString text = m_Doc.pTrackOverlays->CaretText(m_Doc.Film);
        const int index = m_wndStatusBar.CommandToIndex(CKTrackOverlays::ID_INDICATOR_TRACKS);
        if (index >= 0) {
            m_wndStatusBar.SetPaneInfo(index, CKTrackOverlays::ID_INDICATOR_TRACKS, SBPS_NORMAL,
                                       m_wndStatusBar.GetTextWidth(text));
            m_wndStatusBar.SetPaneText(index, text);
        }
        pCmdUI->Enable(true);
    }

    CSplitterWnd m_wndSplitter;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;

private:
    CKViewerDoc& m_Doc;
    int m_cx, m_cy;
};

class CKViewerApp : public CWinApp {
public:
    explicit CKViewerApp(const CString& sPath) : CWinApp("Kavrel"), m_sPath(sPath) {}

    bool InitInstance() override
    {
        CKWaveFilm& film = m_Doc.Film;
        if (!OpenKWaveFilmOnWholeFile(film, m_sPath, FileTitleOf(m_sPath), 1024) || !film.PowerCreate()) {
            m_nResult = 1;
            return false;
        }
        m_Doc.pTrackOverlays->ReadProfile();
        m_pFrame = new CKViewerFrame(m_Doc, 960, kPowerHeight + film.GetNFFT() / 2 + 104);
        CString title;
        title.Format("Сонограмма - %s", film.GetKWaveFileTitle().GetString());
        m_pFrame->SetTitle(title);
        CCreateContext ctx;
        ctx.m_pCurrentDoc = &m_Doc;
        if (!m_pFrame->LoadFrame(IDR_VIEWER, WS_OVERLAPPEDWINDOW, nullptr, &ctx)) {
            m_nResult = 1;
            return false;
        }
        m_pMainWnd = m_pFrame;
        CKWaveFilmHint hint(&film);
        m_Doc.UpdateAllViews(nullptr, HintNewFilm, &hint);
        m_Doc.SendTracksHint();
        m_pFrame->InitialUpdateFrame(&m_Doc, TRUE);
        m_pFrame->SonogramView()->SetFocus();

        if (const char* dir = std::getenv("KAVREL_SCREENSHOT_DIR"); dir && *dir) {
            shootEveryType(dir);
            shootOverlays(dir);
            shootTracks(dir);
            shootFloatingWindows(dir);
            ShootFilmFloatingWindows(m_Doc.Film, m_pFrame, dir);
            return false;
        }
        return true;
    }

    int ExitInstance() override
    {
        // The windows go while the window system is still there, the
        // floating ones and the views before the document and its film.
        DestroyKWaveFilmFloatingWindows(m_Doc.Film);
        m_Doc.Film.DestroyKWaveViews();
        if (m_pFrame) {
            const std::vector<CView*> views = m_Doc.GetViews(); // a copy: removing changes the list
            for (CView* v : views)
                m_Doc.RemoveView(v);
            m_pFrame->DestroyWindow();
            delete m_pFrame;
            m_pFrame = nullptr;
        }
        m_pMainWnd = nullptr;
        return m_nResult;
    }

private:
    // What the display dialog does on a change of type: spectra and picture anew.
    void setType(int flags)
    {
        CKWaveFilmView* view = m_pFrame->SonogramView();
        m_Doc.Film.displayFlags = flags;
        for (int s = 0; s < view->nColumns; ++s)
            view->spectraColumnMap.pArray[s] = view->bitmapColumnMap.pArray[s] =
                CKWaveFilmView::SlotDisplayTypeChanged;
        view->SendMessage(CKWaveFilmView::WM_RECALCULATE_PICTURE);
        view->UpdateWindow();
    }

    void shootEveryType(const char* dir)
    {
        // The caret blinks by ticks of this program alone while it shoots.
        m_pFrame->SonogramView()->KillTimer(CKFilmViewState::nBlinkTimer);
        static const struct {
            const char* name;
            int flags;
        } kTypes[] = {{"grey", CKWaveFilm::DisplayAmplitudeGrey},
                      {"grey-inverse", CKWaveFilm::DisplayAmplitudeGrey | CKWaveFilm::DisplayInverse},
                      {"colour", CKWaveFilm::DisplayAmplitudeColour},
                      {"phase", CKWaveFilm::DisplayPhaseAmplGrowth | CKWaveFilm::DisplayInverse},
                      {"phasefreq", CKWaveFilm::DisplayPhaseFreqGrowth | CKWaveFilm::DisplayInverse},
                      {"harmonogram", CKWaveFilm::DisplayHarmonogram}};
        m_pFrame->PowerView()->Invalidate(TRUE);
        m_pFrame->PowerView()->UpdateWindow();
        for (const auto& t : kTypes) {
            setType(t.flags);
            CString path;
            path.Format("%s/kavrel-view-%s.png", dir, t.name);
            KSaveWindowPicture(m_pFrame, path);
        }
    }

    // The overlays: frequency axes, a selected fragment and the caret cross.
    void shootOverlays(const char* dir)
    {
        CKWaveFilm& film = m_Doc.Film;
        CKWaveFilmView* view = m_pFrame->SonogramView();
        view->OnCommand(CKWaveFilmView::ID_DRAW_FREQ_AXES, BN_CLICKED);
        const long n = film.GetNCadres();
        film.SetSelectedFragmentAbsCadres(n / 4, n / 2);
        film.SetKCaretCadre(3 * n / 4);
        film.SetKCaretFrequency(1500);
        m_Doc.UpdateAllViews(nullptr, HintSelection);
        setType(CKWaveFilm::DisplayAmplitudeGrey);
        for (int tick = 0; tick < 2 && !view->bCaretShown; ++tick)
            view->OnTimer(CKFilmViewState::nBlinkTimer);
        CString path;
        path.Format("%s/kavrel-view-overlays.png", dir);
        KSaveWindowPicture(m_pFrame, path);
        view->OnCommand(CKWaveFilmView::ID_DRAW_FREQ_AXES, BN_CLICKED);
    }

    // The pitch and formant tracks over the grey sonogram, the caret on the
    // loudest cadre and its values in the status bar.
    void shootTracks(const char* dir)
    {
        CKWaveFilm& film = m_Doc.Film;
        long loudest = 0;
        for (long c = 0; c < film.GetNCadres(); ++c)
            if (film.GetPowerInCadre(c) > film.GetPowerInCadre(loudest))
                loudest = c;
        film.SetSelectedFragmentAbsCadres(0, 0);
        film.SetKCaretCadre(loudest);
        m_Doc.UpdateAllViews(nullptr, HintSelection);
        m_pFrame->OnShowPitchTrack();
        m_pFrame->OnShowFormantTracks();
        m_pFrame->SonogramView()->UpdateWindow();
        m_pFrame->m_wndStatusBar.OnUpdateCmdUI(m_pFrame, TRUE);
        KSaveWindowPicture(m_pFrame, CString(dir) + "/kavrel-view-tracks.png");
        m_pFrame->OnShowPitchTrack();
        m_pFrame->OnShowFormantTracks();
    }

    // The power curve alone, and the oscillogram at the caret put on the
    // loudest cadre, with a selection to show its inversion.
    void shootFloatingWindows(const char* dir)
    {
        CKWaveFilm& film = m_Doc.Film;
        long loudest = 0;
        for (long c = 0; c < film.GetNCadres(); ++c)
            if (film.GetPowerInCadre(c) > film.GetPowerInCadre(loudest))
                loudest = c;
        film.SetSelectedFragmentAbsCadres(loudest - 20, loudest + 20);
        film.SetKCaretCadre(loudest);
        CKWaveFilmHint hint(&film);
        m_Doc.UpdateAllViews(nullptr, HintSelection);
        m_Doc.UpdateAllViews(nullptr, HintCaret, &hint);
        CKPowerFilmView* power = m_pFrame->PowerView();
        power->OnCmdMsg(CKPowerFilmView::ID_POWER_RANGE_10 + 7);
        for (CView* v : m_Doc.GetViews()) {
            v->Invalidate(TRUE);
            v->UpdateWindow();
        }
        KSaveWindowPicture(power, CString(dir) + "/kavrel-view-power.png");
        KSaveWindowPicture(m_pFrame, CString(dir) + "/kavrel-view-frame.png");

        m_pFrame->OnShowOscillogram();
        if (CKWaveView* osc = film.pKWaveView) {
            osc->Invalidate(TRUE);
            osc->UpdateWindow();
            KSaveWindowPicture(osc, CString(dir) + "/kavrel-view-oscillogram.png");
        }
    }

    CString m_sPath;
    int m_nResult = 0;
    CKViewerDoc m_Doc;
    CKViewerFrame* m_pFrame = nullptr;
};

} // namespace

static int RunView(const ToolArgs& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "Использование: kavrel view FILE.wav\n");
        return 2;
    }
    // Without a display the program says how to run it: with this whole command.
    std::string name = "kavrel view " + std::string(args[0].GetString());
    char* argv[] = {name.data(), nullptr};
    CKViewerApp app(args[0]);
    return app.Run(1, argv);
}

static const ToolCommandRegistration kViewCommand({6, "view", "kavrel view FILE.wav", RunView});
