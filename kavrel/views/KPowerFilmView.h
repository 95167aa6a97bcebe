// CKPowerFilmView: the power of every cadre of a film as a curve, drawn from
// the film's power file on the sonogram's horizontal scale (one pixel per
// cadre), so that the two views of one document line up column for column.
// It shares the caret, the selection and the cursor-text settings with the
// sonogram and chooses its vertical range from 10 to 110 dB.
#pragma once
#include "framework/ui/CScrollView.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KFilmViewState.h"

class CKPowerFilmView : public CScrollView {
    DECLARE_DYNCREATE(CKPowerFilmView)

protected:
    CKPowerFilmView();

public:
    ~CKPowerFilmView() override;

    // Context menu and its commands.
    enum : UINT {
        IDR_POWER_FILM_VIEW_MENU = 4104,
        ID_PLAY_VIEW = 36779,
        ID_POWER_RANGE_10 = 36780, // 36780 + k: a range of 10·(k + 1) dB
        ID_POWER_RANGE_110 = 36790
    };
    static constexpr COLORREF kBackground = 0x003F00;
    static constexpr COLORREF kLightBackground = 0xFFFFFF;
    static constexpr COLORREF kGridColour = 0x7F7F7F;
    static constexpr COLORREF kCurveColour = 0x00FF00;
    static constexpr COLORREF kCurveOnLightColour = 0x000000;

    // Creates the window as a child of pParentWnd (top-level without one)
    // (OnCreate runs inside); false when it fails.
    using CWnd::Create;
    BOOL Create(CWnd* pParentWnd, const RECT& rect, UINT nID = 0);
    // The tooltip; -1 fails the creation.
    int OnCreate(LPCREATESTRUCT lpCreateStruct = nullptr) override;
    // Stops the blink timer, then destroys the window.
    BOOL DestroyWindow() override;

    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;

    void OnPlayView();
    void OnPowerRange(UINT nID);
    void OnUpdatePowerRange(CCmdUI* pCmdUI);

    // Scroll range: one pixel per cadre, horizontally only.
    void SetNewScrollSizes();
    // One step of the blinking caret line.
    void PutKCaret();

    CKWaveFilm* GetWaveFilm() const { return pWaveFilm; }
    const CString& GetCursorText() const { return sCursorText; }
    CToolTipCtrl& GetToolTip() { return State.ToolTip; }

    CKWaveFilm* pWaveFilm = nullptr;
    // Selection, blinking, cursor tool and hints, as the sonogram has them.
    CKFilmViewState State{*this, pWaveFilm};
    float TopLevel = 0.0f; // dB at the top edge
    float Range = 60.0f;   // dB over the client height
    long nCaretColumn = 0;
    bool bCaretShown = false;
    CString sCursorText;
    CPen CaretPen;
    CPen GridPen;
    CPen CurvePen;
    CPen CurveOnLightPen;

protected:
    void SetCaretFromClientPoint(CPoint point);
    void BuildCursorText(long cadre);
};
