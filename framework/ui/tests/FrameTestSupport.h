// A small document program for the frame tests: a document holding one
// number, a view that paints it and handles a command, and the resources
// (strings, menus, toolbar, accelerators) a program registers at start.
#pragma once
#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>
#include <vector>

#include "framework/base/CArchive.h"
#include "framework/base/StringTable.h"
#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CScrollView.h"
#include "framework/ui/CSplitterWnd.h"

namespace frame_test {

enum : UINT {
    IDR_SDI = 300, IDR_MDI_MAIN = 301, IDR_MDI_DOC = 302,
    ID_VIEW_CMD = 40001, ID_DOC_CMD = 40002, ID_FRAME_CMD = 40003, ID_APP_CMD = 40004, ID_NOBODY = 40005,
    ID_CHECKED = 40006, ID_DISABLED = 40007, ID_PANE_TEXT = 40008,
};

inline void Pump()
{
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The document: one 4-byte number.
class CNumberDoc : public CDocument {
    DECLARE_DYNCREATE(CNumberDoc)
public:
    CNumberDoc();
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) ar << nValue;
        else ar >> nValue;
    }
    void DeleteContents() override { nValue = 0; }
    void OnDocCmd() { calls.push_back(ID_DOC_CMD); }
    int nValue = 0;
    static std::vector<UINT> calls;
};

class CNumberView : public CScrollView {
    DECLARE_DYNCREATE(CNumberView)
public:
    CNumberView();
    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override
    {
        ++nInitialUpdates;
        SetScrollSizes(0, CSize(nTotal, 100));
    }
    void OnViewCmd() { CNumberDoc::calls.push_back(ID_VIEW_CMD); }
    void OnUpdateChecked(CCmdUI* p) { p->SetCheck(1); }
    void OnUpdateDisabled(CCmdUI* p) { p->Enable(false); }
    int nInitialUpdates = 0;
    static int nTotal;
};

class CTestFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CTestFrame)
public:
    CTestFrame();
    int OnCreate(LPCREATESTRUCT lpcs) override;
    void OnFrameCmd() { CNumberDoc::calls.push_back(ID_FRAME_CMD); }
    void OnUpdatePane(CCmdUI* p) { p->SetText("текст панели"); p->Enable(); }
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
};

// The workshop's pane grid: 3 by 3 number views, rows 80, 512 and 40
// high, only the third column open; the first pane is the active one.
class CSplitFrame : public CFrameWnd {
public:
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override
    {
        if (!m_wndSplitter.CreateStatic(this, 3, 3, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL)) return FALSE;
        for (int c = 0; c < 3; ++c) {
            if (!m_wndSplitter.CreateView(0, c, RUNTIME_CLASS(CNumberView), CSize(0, 80), pContext) ||
                !m_wndSplitter.CreateView(1, c, RUNTIME_CLASS(CNumberView), CSize(0, 512), pContext) ||
                !m_wndSplitter.CreateView(2, c, RUNTIME_CLASS(CNumberView), CSize(1000, 40), pContext))
                return FALSE;
        }
        m_wndSplitter.SetRowInfo(0, 80, 0);
        m_wndSplitter.SetRowInfo(1, 512, 0);
        m_wndSplitter.SetRowInfo(2, 40, 0);
        m_wndSplitter.SetColumnInfo(0, 0, 0);
        m_wndSplitter.SetColumnInfo(1, 0, 0);
        m_wndSplitter.SetColumnInfo(2, 1000, 0);
        SetActiveView(static_cast<CView*>(m_wndSplitter.GetPane(0, 0)));
        return TRUE;
    }
    CSplitterWnd m_wndSplitter;
};

// Loads frame IDR_SDI over doc (with the view class given, if any), sizes
// and shows it with its first update done; false when the frame refuses.
inline bool ShowFrameOver(CFrameWnd& frame, CDocument& doc, int cx, int cy, const CRuntimeClass* pViewClass = nullptr)
{
    CCreateContext ctx;
    ctx.m_pNewViewClass = pViewClass;
    ctx.m_pCurrentDoc = &doc;
    if (!frame.LoadFrame(IDR_SDI, WS_OVERLAPPEDWINDOW, nullptr, &ctx))
        return false;
    frame.GetWidget()->resize(cx, cy);
    frame.ShowWindow(SW_SHOW);
    frame.InitialUpdateFrame(&doc, TRUE);
    Pump();
    return true;
}

} // namespace frame_test
