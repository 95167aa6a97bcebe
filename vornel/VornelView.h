// CVornelView: the template's own view, a plain scroll view that draws
// nothing (the frame's splitter puts the four panes in its place). It
// carries the print commands, so each pane prints what it shows.
#pragma once
#include "framework/ui/CScrollView.h"

class CVornelDoc;

class CVornelView : public CScrollView {
    DECLARE_DYNCREATE(CVornelView)
public:
    CVornelView();

    // The geometry follows the client area and every change of the document.
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;

    CVornelDoc* GetVornelDoc() const;
    // Whether the pane shows its own horizontal (vertical) scroll bar.
    bool IsScrollBarShown(bool bHorz) const;

protected:
    // Sets the scroll sizes from the client area until the bars they call
    // for no longer change it.
    void SettleGeometry();
    // This pane's sizes for a client area of w x h.
    virtual void CalculateGeometry(int w, int h, CSize& total, CSize& page, CSize& line);

private:
    bool bSettling = false;
};
