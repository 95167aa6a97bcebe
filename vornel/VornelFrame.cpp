#include "vornel/VornelFrame.h"

#include "framework/base/StringTable.h"
#include "vornel/DialogJumpToFreq.h"
#include "vornel/VornelAmplView.h"
#include "vornel/VornelIds.h"
#include "vornel/VornelPhazeView.h"
#include "vornel/doc/VornelDoc.h"
#include "kavrel/views/KCompanionProgram.h"

IMPLEMENT_DYNCREATE(CVornelFrame, CFrameWnd)

CVornelFrame::CVornelFrame()
{
    MapCommandAndUpdate(ID_VORNEL_JUMP_TO_FREQ, &CVornelFrame::OnJumpToFreq, &CVornelFrame::OnUpdateJumpToFreq);
}

int CVornelFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    static const UINT indicators[] = {ID_SEPARATOR,       IDS_VORNEL_FREQUENCY, IDS_VORNEL_POWER, IDS_VORNEL_PHASE,
                                      ID_INDICATOR_CAPS, ID_INDICATOR_NUM,     ID_INDICATOR_SCRL};
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
        !KCreateProgramBars(this, m_wndToolBar, m_wndStatusBar, IDR_VORNEL_MAINFRAME, indicators))
        return -1;
    // The frequency, power and phase panes are as wide as their names.
    for (int i = 1; i <= 3; ++i) {
        const CString text = AfxLoadString(indicators[i]);
        m_wndStatusBar.SetPaneInfo(i, indicators[i], SBPS_NORMAL, m_wndStatusBar.GetTextWidth(text));
        m_wndStatusBar.SetPaneText(i, text);
    }
    return 0;
}

BOOL CVornelFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 2, 2))
        return FALSE;
    for (int col = 0; col < 2; ++col)
        if (!m_wndSplitter.CreateView(0, col, RUNTIME_CLASS(CVornelAmplView), CSize(nColumnWidth, nAmplHeight),
                                      pContext) ||
            !m_wndSplitter.CreateView(1, col, RUNTIME_CLASS(CVornelPhazeView), CSize(nColumnWidth, nPhazeHeight),
                                      pContext))
            return FALSE;
    m_wndSplitter.SetRowInfo(0, nAmplHeight, 10);
    m_wndSplitter.SetRowInfo(1, nPhazeHeight, 10);
    m_wndSplitter.SetColumnInfo(0, nColumnWidth, 10);
    m_wndSplitter.SetColumnInfo(1, nColumnWidth, 10);
    SetActiveView(AmplView(0));
    return TRUE;
}

CVornelAmplView* CVornelFrame::AmplView(int col) const
{
    return dynamic_cast<CVornelAmplView*>(m_wndSplitter.GetPane(0, col));
}

CVornelPhazeView* CVornelFrame::PhazeView(int col) const
{
    return dynamic_cast<CVornelPhazeView*>(m_wndSplitter.GetPane(1, col));
}

CVornelDoc* CVornelFrame::GetVornelDoc()
{
    return dynamic_cast<CVornelDoc*>(GetActiveDocument());
}

void CVornelFrame::OnJumpToFreq()
{
    CVornelDoc* doc = GetVornelDoc();
    auto* view = dynamic_cast<CScrollView*>(GetActiveView());
    if (!doc || !view)
        return;
    CRect rc;
    view->GetClientRect(&rc);
    CDialogJumpToFreq dlg(doc->GetFs(), doc->nFFT, rc.Width(), this);
    if (dlg.DoModal() != IDOK)
        return;
    view->ScrollToPosition(CPoint(dlg.nBin, 0));
    doc->UpdateAllViews(nullptr, 0, nullptr);
}

void CVornelFrame::OnUpdateJumpToFreq(CCmdUI* pCmdUI)
{
    const CVornelDoc* doc = GetVornelDoc();
    pCmdUI->Enable(doc && !doc->bWholeSpectrumInWindow);
}
