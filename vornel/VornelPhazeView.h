// CVornelPhazeView: dPhase/dOmega of every bin as a black curve on white
// between the document's display limits, with the level of zero in grey,
// the largest rise between neighbouring bins written at the top and the
// frequency of the first visible bin at the bottom.
#pragma once
#include "vornel/VornelView.h"

class CVornelPhazeView : public CVornelView {
    DECLARE_DYNCREATE(CVornelPhazeView)
public:
    static constexpr COLORREF clrBackground = RGB(255, 255, 255);
    static constexpr COLORREF clrZero = RGB(127, 127, 127);
    static constexpr COLORREF clrCurve = RGB(0, 0, 0);

    void OnDraw(CDC* pDC) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    // The texts of the background follow the position: all is drawn anew.
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;

    // The two texts of the background, as they are written.
    CString TopText() const;
    CString BottomText() const;

protected:
    void CalculateGeometry(int w, int h, CSize& total, CSize& page, CSize& line) override;
};
