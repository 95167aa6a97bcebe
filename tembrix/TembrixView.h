// CTembrixView: the strip of sound objects under the sonogram. Its
// horizontal axis is the sonogram's (one pixel per cadre); vertically a
// time ruler sits above the 128 levels, each object a small window on its
// level. The selection band and the blinking caret are shared with the
// film's other views.
#pragma once
#include <vector>

#include "kavrel/core/KPhoneObject.h"
#include "kavrel/views/KFilmView.h"

class CTembrixDoc;
class CKPhoneObjectWnd;

class CTembrixView : public CKFilmView {
    DECLARE_DYNCREATE(CTembrixView)

protected:
    CTembrixView();

public:
    ~CTembrixView() override;

    // An object window tells its view that the document changed.
    enum : UINT { WM_PHONE_OBJECT_CHANGED = WM_USER + 8 };
    // A deleted object's window asks to be taken away (wParam: the window).
    enum : UINT { WM_REMOVE_PHONE_OBJECT_WND = WM_USER + 9 };

    CTembrixDoc* GetDocument() const;

    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    BOOL DestroyWindow() override;
    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Printing gives one page: the column of this strip as the screen shows
    // it, power curve and sonogram above the strip with its objects.
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;

    void OnRulerInSeconds();
    void OnUpdateRulerInSeconds(CCmdUI* pCmdUI);

    void SetNewScrollSizes();
    // Asks the frame to give the strip's row room for the levels in use.
    void FitStripToLevels();
    // One toggle of the blinking caret line.
    void PutKCaret() override;
    // The window of a new object; false (with a message) when it cannot be made.
    bool CreatePhoneObjectWnd(CKPhoneObject* po);
    // The window lets go of its object at once and leaves the strip soon after.
    void ForgetPhoneObjectWnd(CKPhoneObjectWnd* pWnd);
    // The object's window is taken off the strip and destroyed.
    void RemovePhoneObjectWnd(CKPhoneObjectWnd* pWnd);
    // The object's rectangle in the strip's coordinates (pixel x = cadre).
    CRect PhoneObjectRect(const CKPhoneObject* po) const;
    // Its window's rectangle in client coordinates: the shown part only.
    CRect ShownObjectWindowRect(const CKPhoneObject* po, int* pHiddenLeft, int* pFullWidth) const;
    // The ruler's step in seconds for the film and the label font.
    int RulerStep(CDC* pDC) const;

    static constexpr COLORREF kBackground = RGB(0, 127, 0);
    static constexpr COLORREF kPaperBackground = RGB(255, 255, 255);

    int nTotalWidth = 100, nTotalHeight = 100;
    int nPageWidth = 10, nPageHeight = 10;
    int nLineWidth = 1, nLineHeight = 1;
    std::vector<CKPhoneObjectWnd*> PhoneObjectWndList;
    long nBandFirstCadre = 0, nBandLastCadre = 0;
    UINT_PTR nTimerID = 0;
    bool bClockLabels = false;
    CPen RulerPen;      // white: screen colours
    CPen RulerPaperPen; // black: paper colours

private:
    void MoveObjectWindows();
};

// One sound object on the strip: a click selects its span, a double click
// starts its companion program, the context menu deletes it or shows its
// properties.
class CKPhoneObjectWnd : public CWnd {
public:
    explicit CKPhoneObjectWnd(CKPhoneObject* po);

    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonDblClk(UINT nFlags, CPoint point) override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;

    void OnDeletePhoneObject();
    void OnPhoneObjectProperties();

    // Fill and text colours by type (0..4).
    static COLORREF FillOfType(int nType);
    static COLORREF TextOfType(int nType);

    CKPhoneObject* pPhoneObject;
    long nProcessId = 0; // of the last companion program it started
    int nHiddenLeft = 0; // pixels of the object left of the window
    int nFullWidth = 0;  // the whole object's width in pixels
};
