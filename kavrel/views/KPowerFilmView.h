// CKPowerFilmView: the power of every cadre of a film as a curve, drawn from
// the film's power file on the sonogram's horizontal scale (one pixel per
// cadre), so that the two views of one document line up column for column.
// It shares the caret, the selection and the cursor-text settings with the
// sonogram and chooses its vertical range from 10 to 110 dB.
#pragma once
#include "kavrel/views/KFilmView.h"

class CKPowerFilmView : public CKFilmView {
    DECLARE_DYNCREATE(CKPowerFilmView)

protected:
    CKPowerFilmView();

public:
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

    // The tooltip; -1 fails the creation.
    int OnCreate(LPCREATESTRUCT lpCreateStruct = nullptr) override;

    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;

    void OnPowerRange(UINT nID);
    void OnUpdatePowerRange(CCmdUI* pCmdUI);

    // Scroll range: one pixel per cadre, horizontally only.
    void SetNewScrollSizes();
    // One step of the blinking caret line.
    void PutKCaret() override;

    const CString& GetCursorText() const { return sCursorText; }

    float TopLevel = 0.0f; // dB at the top edge
    float Range = 60.0f;   // dB over the client height
    CString sCursorText;
    CPen GridPen;
    CPen CurvePen;
    CPen CurveOnLightPen;

protected:
    void BuildCursorText(long cadre);
};
