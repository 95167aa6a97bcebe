#include "tembrix/TembrixFrame.h"

#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tembrix/TembrixView.h"

IMPLEMENT_DYNCREATE(CTembrixFrame, CMDIChildWnd)

BOOL CTembrixFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= DWORD(WS_VISIBLE) | DWORD(WS_MAXIMIZE);
    return CMDIChildWnd::PreCreateWindow(cs);
}

BOOL CTembrixFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    const DWORD style = DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | DWORD(WS_CLIPSIBLINGS) | DWORD(WS_BORDER) |
                        DWORD(WS_HSCROLL) | DWORD(WS_VSCROLL);
    if (!m_wndSplitter.CreateStatic(this, 3, 3, style, AFX_IDW_PANE_FIRST))
        return FALSE;
    for (int c = 0; c < 3; ++c) {
        if (!m_wndSplitter.CreateView(0, c, RUNTIME_CLASS(CKPowerFilmView), CSize(0, kPowerHeight), pContext) ||
            !m_wndSplitter.CreateView(1, c, RUNTIME_CLASS(CKWaveFilmView), CSize(0, kSonogramHeight), pContext) ||
            !m_wndSplitter.CreateView(2, c, RUNTIME_CLASS(CTembrixView), CSize(kOpenColumnWidth, kStripHeight),
                                      pContext))
            return FALSE;
    }
    m_wndSplitter.SetRowInfo(0, kPowerHeight, 0);
    m_wndSplitter.SetRowInfo(1, kSonogramHeight, 0);
    m_wndSplitter.SetRowInfo(2, kStripHeight, 0);
    m_wndSplitter.SetColumnInfo(0, 0, 0);
    m_wndSplitter.SetColumnInfo(1, 0, 0);
    m_wndSplitter.SetColumnInfo(2, kOpenColumnWidth, 0);
    SetActiveView(PowerView(0));
    return TRUE;
}

CKPowerFilmView* CTembrixFrame::PowerView(int col) const
{
    return dynamic_cast<CKPowerFilmView*>(m_wndSplitter.GetPane(0, col));
}

CKWaveFilmView* CTembrixFrame::SonogramView(int col) const
{
    return dynamic_cast<CKWaveFilmView*>(m_wndSplitter.GetPane(1, col));
}

CTembrixView* CTembrixFrame::StripView(int col) const
{
    return dynamic_cast<CTembrixView*>(m_wndSplitter.GetPane(2, col));
}
