// CKFilmView: the base of the views that lay a film out one cadre per screen
// column: the sonogram, the power curve and the workshop's strip of sound
// objects. It holds the film and the state they share, and does once what
// they all do alike: the window's creation and end, the mouse rules of the
// caret and the selection, the blink timer, the context menu and playing
// what the window shows. Each view draws itself and says how a point
// becomes a caret.
#pragma once
#include <functional>

#include "framework/ui/CGdiObjects.h"
#include "framework/ui/CScrollView.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KFilmViewState.h"

class CKFilmView : public CScrollView {
protected:
    // nMenuID: the view's context menu.
    explicit CKFilmView(UINT nMenuID);

public:
    // Stops the blink timer if the window never went.
    ~CKFilmView() override;

    // Creates the window as a child of pParentWnd (top-level without one)
    // (OnCreate runs inside); false when it fails.
    using CWnd::Create;
    BOOL Create(CWnd* pParentWnd, const RECT& rect, UINT nID = 0);
    // Stops the blink timer, then destroys the window.
    BOOL DestroyWindow() override;

    // The wheel does not move the film.
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
    // A caret line is taken away first: it would be left behind where the
    // view scrolls away from it. The sonogram's cross has its own rule.
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    // The blink timer makes one step of the caret.
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;
    // Plays the cadres the window shows.
    void OnPlayView();

    // One step of the blinking caret.
    virtual void PutKCaret() = 0;

    CKWaveFilm* GetWaveFilm() const { return pWaveFilm; }
    CToolTipCtrl& GetToolTip() { return State.ToolTip; }

    // The film shown (set by hint 2; never owned).
    CKWaveFilm* pWaveFilm = nullptr;
    // Selection, blinking, cursor tool and hints, shared with the other film views.
    CKFilmViewState State{*this, pWaveFilm};
    // The caret as last drawn: its column and whether it is on the screen;
    // its pen is white, drawn in XOR.
    long nCaretColumn = 0;
    bool bCaretShown = false;
    CPen CaretPen;

protected:
    // Hint 2: the film of the hint's object becomes the view's; false when
    // the view has no film after it.
    bool TakeFilmFromHint(CObject* pHint);
    // Puts the film's caret on the cadre under a client point and tells
    // every view; the sonogram also takes the frequency.
    virtual void SetCaretFromClientPoint(CPoint point);
    // The mouse's move by the rules of CKFilmViewState.
    void MoveCaretWithMouse(UINT nFlags, CPoint point);
    // One blink of a caret line at nCaretColumn, the client's height;
    // leaveOut clips away what the line must not cross.
    void BlinkCaretLine(const std::function<void(CDC&)>& leaveOut = {});

private:
    CKFilmViewState::CaretMover caretMover();

    UINT nMenuID;
};
