// CView: a window that shows a document. It paints through OnDraw and
// follows the document through OnUpdate.
#pragma once
#include "framework/ui/CWnd.h"

class CDocument;
class CPrintInfo;

class CView : public CWnd {
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    virtual void OnDraw(CDC* pDC) = 0;
    // Default: an update with no hint.
    virtual void OnInitialUpdate();
    // Default: repaint everything.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);

    void OnPaint() override;

protected:
    CDocument* m_pDocument = nullptr;

private:
    friend class CDocument;
};
