// view: a window with the sonogram of a whole file, for trying the view out
// before the workshop exists. With KAVREL_SCREENSHOT_DIR set it draws itself
// in every display type into that folder and ends.
#include <cstdlib>
#include <vector>

#include "framework/ui/CDocument.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KWndDestroy.h"
#include "framework/ui/KWndPicture.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/tool/FloatingWindowShots.h"
#include "kavrel/tool/ToolCommands.h"
#include "kavrel/views/KWaveFilmView.h"

namespace {

// The top-level window: the view fills it, and the commands of the view's
// popup menu, which the menu sends to this owner, go on to the view.
class CKViewerWnd : public CWnd {
public:
    CKWaveFilmView* pView = nullptr;

    void OnSize(UINT, int cx, int cy) override
    {
        if (pView && pView->GetWidget())
            pView->MoveWindow(0, 0, cx, cy);
    }
    bool OnCmdMsg(UINT nID, UINT nCode) override
    {
        return (pView && pView->OnCmdMsg(nID, nCode)) || CWnd::OnCmdMsg(nID, nCode);
    }
    bool OnUpdateCmdUI(CCmdUI* pCmdUI) override { return pView && pView->OnUpdateCmdUI(pCmdUI); }
    bool IsCommandHandled(UINT nID) override { return pView && pView->IsCommandHandled(nID); }
};

// The view's document: it owns the film and carries the hints between views.
class CKViewerDoc : public CDocument {
public:
    CKWaveFilm Film;
};

class CKViewerApp : public CWinApp {
public:
    explicit CKViewerApp(const CString& sPath) : CWinApp("Kavrel"), m_sPath(sPath) {}

    bool InitInstance() override
    {
        CKWaveFilm& film = m_Doc.Film;
        if (!OpenKWaveFilmOnWholeFile(film, m_sPath, FileTitleOf(m_sPath), 1024)) {
            m_nResult = 1;
            return false;
        }
        // Every line, and the scroll bar when the film is wider than the window.
        const int width = 960;
        const int height = film.GetNFFT() / 2 + (film.GetNCadres() > width ? 16 : 0);
        CString title;
        title.Format("Сонограмма - %s", film.GetKWaveFileTitle().GetString());
        if (!m_Frame.Create(nullptr, title.GetString(), WS_OVERLAPPEDWINDOW, CRect(80, 80, 80 + width, 80 + height),
                            nullptr)) {
            m_nResult = 1;
            return false;
        }
        m_pView.reset(static_cast<CKWaveFilmView*>(RUNTIME_CLASS(CKWaveFilmView)->CreateObject()));
        CRect rc;
        m_Frame.GetClientRect(&rc);
        if (!m_pView->Create(&m_Frame, rc)) {
            m_nResult = 1;
            return false;
        }
        m_Frame.pView = m_pView.get();
        m_Doc.AddView(m_pView.get());
        CKWaveFilmHint hint(&film);
        m_Doc.UpdateAllViews(nullptr, CKWaveFilmView::HintNewFilm, &hint);
        m_pView->OnInitialUpdate();
        m_pMainWnd = &m_Frame;
        m_Frame.ShowWindow(SW_SHOW);
        m_pView->SetFocus();

        if (const char* dir = std::getenv("KAVREL_SCREENSHOT_DIR"); dir && *dir) {
            shootEveryType(dir);
            ShootFilmFloatingWindows(m_Doc.Film, &m_Frame, dir);
            return false;
        }
        return true;
    }

    int ExitInstance() override
    {
        // The windows go while the window system is still there, the view
        // before its document and film.
        if (m_pView) {
            m_Doc.RemoveView(m_pView.get());
            m_Frame.pView = nullptr;
            m_pView.reset();
        }
        KDestroyWindowWidget(&m_Frame);
        m_pMainWnd = nullptr;
        return m_nResult;
    }

private:
    void shootEveryType(const char* dir)
    {
        static const struct {
            const char* name;
            int flags;
        } kTypes[] = {{"grey", CKWaveFilmView::AmplitudeGrey},
                      {"grey-inverse", CKWaveFilmView::AmplitudeGrey | CKWaveFilmView::Inverse},
                      {"colour", CKWaveFilmView::AmplitudeColour},
                      {"phase", CKWaveFilmView::PhaseAmplGrowth | CKWaveFilmView::Inverse},
                      {"phasefreq", CKWaveFilmView::PhaseFreqGrowth | CKWaveFilmView::Inverse},
                      {"harmonogram", CKWaveFilmView::Harmonogram}};
        for (const auto& t : kTypes) {
            m_Doc.Film.displayFlags = t.flags;
            // What the display dialog does on a change of type.
            for (int s = 0; s < m_pView->nColumns; ++s)
                m_pView->spectraColumnMap.pArray[s] = m_pView->bitmapColumnMap.pArray[s] =
                    CKWaveFilmView::SlotDisplayTypeChanged;
            m_pView->SendMessage(CKWaveFilmView::WM_RECALCULATE_PICTURE);
            m_pView->UpdateWindow();
            CString path;
            path.Format("%s/kavrel-view-%s.png", dir, t.name);
            KSaveWindowPicture(&m_Frame, path);
        }
    }

    CString m_sPath;
    int m_nResult = 0;
    CKViewerDoc m_Doc;
    CKViewerWnd m_Frame;
    std::unique_ptr<CKWaveFilmView> m_pView;
};

} // namespace

int RunView(const ToolArgs& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "Использование: kavrel view FILE.wav\n");
        return 2;
    }
    static char name[] = "kavrel";
    char* argv[] = {name, nullptr};
    CKViewerApp app(args[0]);
    return app.Run(1, argv);
}
