#include "glissar/GlissarFrame.h"

#include "framework/ui/CWinApp.h"
#include "glissar/DialogSetToolsSize.h"
#include "glissar/GlissarIds.h"
#include "glissar/KDialogPlayOriginalOrSynthetic.h"
#include "glissar/KFloatWaveFilmView.h"
#include "glissar/KLocalMaxAmplView.h"
#include "glissar/doc/GlissarDoc.h"
#include "kavrel/views/KCompanionProgram.h"

IMPLEMENT_DYNCREATE(CGlissarFrame, CFrameWnd)

CGlissarFrame::CGlissarFrame()
{
    MapCommandAndUpdate(ID_GLISSAR_TOOLS_SIZE, &CGlissarFrame::OnToolsSize, &CGlissarFrame::OnUpdateToolsSize);
    MapCommand(ID_GLISSAR_PLAY_SCREENS, &CGlissarFrame::OnPlayScreens);
}

int CGlissarFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
        !KCreateProgramBars(this, m_wndToolBar, m_wndStatusBar, IDR_GLISSAR_MAINFRAME, indicators))
        return -1;
    return 0;
}

BOOL CGlissarFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 2, 1, DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | DWORD(WS_HSCROLL)))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CKLocalMaxAmplView), CSize(nColumnWidth, nUpperHeight),
                                  pContext) ||
        !m_wndSplitter.CreateView(1, 0, RUNTIME_CLASS(CKFloatWaveFilmView), CSize(nColumnWidth, nLowerHeight),
                                  pContext))
        return FALSE;
    m_wndSplitter.SetRowInfo(0, nUpperHeight, 20);
    m_wndSplitter.SetRowInfo(1, nLowerHeight, 20);
    SetActiveView(UpperView());
    return TRUE;
}

LRESULT CGlissarFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Queued: the document that asked is still running its command.
    if (message == WM_END_PROGRAM) {
        OnClose();
        return 0;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

CKLocalMaxAmplView* CGlissarFrame::UpperView() const
{
    return dynamic_cast<CKLocalMaxAmplView*>(m_wndSplitter.GetPane(0, 0));
}

CKFloatWaveFilmView* CGlissarFrame::LowerView() const
{
    return dynamic_cast<CKFloatWaveFilmView*>(m_wndSplitter.GetPane(1, 0));
}

CGlissarDoc* CGlissarFrame::GetGlissarDoc()
{
    return dynamic_cast<CGlissarDoc*>(GetActiveDocument());
}

void CGlissarFrame::OnToolsSize()
{
    CGlissarDoc* doc = GetGlissarDoc();
    if (!doc)
        return;
    CDialogSetToolsSize dlg(doc->nToolsSize, this);
    if (dlg.DoModal() == IDOK)
        doc->nToolsSize = dlg.nToolsSize;
}

void CGlissarFrame::OnUpdateToolsSize(CCmdUI* pCmdUI)
{
    const CGlissarDoc* doc = GetGlissarDoc();
    pCmdUI->Enable(doc && doc->bEditTraces);
}

void CGlissarFrame::OnPlayScreens()
{
    if (CGlissarDoc* doc = GetGlissarDoc()) {
        CKDialogPlayOriginalOrSynthetic dlg(doc, this);
        dlg.DoModal();
    }
}

void InstallGlissarDocHooks()
{
    CGlissarDocHooks& hooks = GlissarDocHooks();
    hooks.ShowOnlyMarkedTracesChanged = [](CGlissarDoc* doc) {
        for (CView* v : doc->GetViews())
            if (auto* lower = dynamic_cast<CKFloatWaveFilmView*>(v)) {
                lower->bShowOnlyMarkedTraces = doc->bShowOnlyMarkedTraces;
                lower->ForgetColumns();
                lower->Invalidate(FALSE);
            }
    };
    hooks.FirstViewFrame = [](CGlissarDoc* doc) -> CWnd* {
        const std::vector<CView*> views = doc->GetViews();
        return views.empty() ? nullptr : views.front()->GetParentFrame();
    };
    // The traces are gone and the file on disk is whole: nothing to save.
    hooks.EndProgram = [](CGlissarDoc* doc) {
        doc->SetModifiedFlag(FALSE);
        if (CWinApp* app = AfxGetApp())
            if (CWnd* main = app->m_pMainWnd)
                main->PostMessage(CGlissarFrame::WM_END_PROGRAM);
    };
}
