// CView: a window that shows a document. It paints through OnDraw and
// follows the document through OnUpdate; commands it does not handle go on
// to its document.
#pragma once
#include "framework/ui/CWnd.h"

class CDocument;
class CFrameWnd;
class CPrintInfo;
class CSplitterWnd;

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
    // Printing a page prepares the printer's context here too; without a
    // page count only the first page is printed.
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

    // Printing, in the order a job runs: the job is prepared (page count,
    // print dialog), begins, prints each page through OnPrepareDC and
    // OnPrint, and ends. The default preparation shows the print dialog;
    // the default page is the view's drawing.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    // The print dialog, unless the job is direct or a preview; FALSE when cancelled.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // The print commands, for views that print to map to ID_FILE_PRINT,
    // ID_FILE_PRINT_DIRECT and ID_FILE_PRINT_PREVIEW.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    // The splitter the view is a pane of, or null.
    CSplitterWnd* GetParentSplitter() const;
    // F6 / Shift+F6 and "Расщепить окно", for a view that is a splitter's pane.
    BOOL OnNextPaneCmd(UINT nID);
    void OnUpdateNextPaneMenu(CCmdUI* pCmdUI);
    BOOL OnSplitCmd(UINT nID);
    void OnUpdateSplitCmd(CCmdUI* pCmdUI);

    void OnPaint() override;
    void OnMouseActivate() override;

protected:
    // Commands the view does not handle go on to its document.
    CCmdTarget* GetRouteNext() const override;

    CDocument* m_pDocument = nullptr;

private:
    friend class CDocument;
    void printJob(bool bDirect, bool bPreview);
};
