// CKLocalMaxAmplView: the tracer's upper screen. The sonogram of the
// original sound with the harmonic traces marked over it; with editing on,
// the mouse marks traces for adding to or removing from the rebuilt signal
// with a tool whose cursor tells its mode and size.
#pragma once
#include "framework/ui/CCursor.h"
#include "glissar/GlissarCursors.h"
#include "kavrel/views/KWaveFilmView.h"

class CGlissarDoc;

// Colours of the trace marks by status byte.
struct KTraceMarkColours {
    static constexpr COLORREF LocalMax = RGB(159, 0, 0);          // a maximum below the visible levels
    static constexpr COLORREF Visible = RGB(255, 0, 0);           // a visible maximum
    static constexpr COLORREF InSynthesis = RGB(127, 127, 0);     // in the rebuilt signal, below the levels
    static constexpr COLORREF VisibleInSynthesis = RGB(255, 255, 0);
    static constexpr COLORREF Nothing = RGB(0, 0, 255);           // no slope known (only without the sonogram)
};
// The mark of a status byte: its colour, and whether it is a three-pixel
// stroke (true) or one pixel; false when nothing is drawn.
bool TraceMarkOf(unsigned char status, bool bShowTraces, COLORREF& colour, bool& bStroke);

class CKLocalMaxAmplView : public CKWaveFilmView {
    DECLARE_DYNCREATE(CKLocalMaxAmplView)

public:
    CKLocalMaxAmplView();

    int OnCreate(LPCREATESTRUCT lpCreateStruct = nullptr) override;
    // The document takes the relative visibility the user's profile keeps.
    void OnInitialUpdate() override;
    KRelativeVisibility* RelativeVisibility() override;
    void OnDraw(CDC* pDC) override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;

    CGlissarDoc* GetGlissarDoc() const;
    // The editing cursor of the document's present tool.
    HCURSOR GetToolCursor() const;

    HCURSOR hToolCursors[nGlissarCursors] = {};

private:
    // The cadre and bin under a client point.
    void ToolPoint(CPoint point, long& cadre, int& bin) const;
    // The document while its traces are being edited on a film, else nullptr
    // (the mouse then does what it does in any film view).
    CGlissarDoc* EditingDoc() const;
    // One step of the tool at a client point, the strokes it removed repainted.
    void ToolStep(CGlissarDoc* doc, CPoint point, void (CGlissarDoc::*step)(long cadre, int bin));
    void DrawTraceMarks(CDC* pDC);
    void InvalidatePendingMarks();
};
