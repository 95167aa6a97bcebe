// CView: a window that shows a document. It paints through OnDraw and
// follows the document through OnUpdate; commands it does not handle go on
// to its document.
#pragma once
#include "framework/ui/CWnd.h"

class CDocument;
class CFrameWnd;
class CPrintInfo;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // The frame the view lives in (through splitters), or null.
    CFrameWnd* GetParentFrame() const;

    virtual void OnDraw(CDC* pDC) = 0;
    // Default: an update with no hint.
    virtual void OnInitialUpdate();
    // Default: repaint everything.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

    void OnPaint() override;
    void OnMouseActivate() override;
    bool OnCmdMsg(UINT nID, UINT nCode = 0) override;
    bool OnUpdateCmdUI(CCmdUI* pCmdUI) override;
    bool IsCommandHandled(UINT nID) override;

protected:
    CDocument* m_pDocument = nullptr;

private:
    friend class CDocument;
};
