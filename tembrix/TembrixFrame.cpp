#include "tembrix/TembrixFrame.h"

#include <algorithm>

#include "framework/ui/AfxIds.h"
#include "kavrel/views/KPowerFilmView.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFormulas.h"
#include "tembrix/TembrixView.h"

IMPLEMENT_DYNCREATE(CTembrixFrame, CMDIChildWnd)

CTembrixFrame::CTembrixFrame()
{
    // After a document opens the active pane is the power curve of a closed
    // column: printing must not depend on the user clicking into the strip.
    for (UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        MapCommandWithId(id, &CTembrixFrame::OnPrintColumn);
}

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
    // The panes take these sizes now, not at the frame's next resize: until
    // then the first column would show what only the third should.
    m_wndSplitter.RecalcLayout();
    SetActiveView(PowerView(0));
    return TRUE;
}

void CTembrixFrame::FitStripToLevels(int nMaxLevel)
{
    if (!m_wndSplitter.GetWidget() || m_wndSplitter.GetRowCount() != 3 || m_wndSplitter.RowBarDragged())
        return;
    int power = 0, sonogram = 0, strip = 0, min = 0;
    m_wndSplitter.GetRowInfo(0, power, min);
    m_wndSplitter.GetRowInfo(1, sonogram, min);
    m_wndSplitter.GetRowInfo(2, strip, min);
    const int levels = std::clamp(nMaxLevel + 1, 1, kFittedLevels);
    const int need = StripHeight(levels - 1);
    // The strip takes what the rows above leave.
    const int wanted = std::clamp(sonogram + strip - need, kMinSonogramHeight, kSonogramHeight);
    if (wanted == nFittedSonogramHeight)
        return;
    nFittedSonogramHeight = wanted;
    m_wndSplitter.SetRowInfo(1, wanted, 0);
    m_wndSplitter.RecalcLayout();
}

void CTembrixFrame::OnSize(UINT nType, int cx, int cy)
{
    CMDIChildWnd::OnSize(nType, cx, cy);
    // A taller or shorter frame changes what the strip can be given.
    nFittedSonogramHeight = -1;
    if (const CTembrixView* strip = StripView(2))
        if (const CTembrixDoc* doc = strip->GetDocument())
            FitStripToLevels(doc->nMaxLevel);
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

int CTembrixFrame::ColumnOf(const CWnd* pPane) const
{
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            if (pPane && m_wndSplitter.GetPane(r, c) == pPane)
                return c;
    return -1;
}

int CTembrixFrame::PrintedColumn() const
{
    int active = ColumnOf(GetActiveView());
    int cx = 0, cxMin = 0;
    if (active >= 0)
        m_wndSplitter.GetColumnInfo(active, cx, cxMin);
    if (active >= 0 && cx > 0)
        return active;
    int widest = 2, widestCx = 0;
    for (int c = 0; c < 3; ++c) {
        m_wndSplitter.GetColumnInfo(c, cx, cxMin);
        if (cx > widestCx) {
            widest = c;
            widestCx = cx;
        }
    }
    return widest;
}

void CTembrixFrame::OnPrintColumn(UINT nID)
{
    if (CTembrixView* strip = StripView(PrintedColumn()))
        strip->OnCmdMsg(nID, BN_CLICKED);
}
