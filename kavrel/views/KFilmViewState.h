// CKFilmViewState: what every view of a film's cadres shares, held once and
// used by each view by composition: the selection as last shown, the
// blinking of the caret, the cursor text's tool, the mouse rules that move
// the caret and the selection, and the update hints by which the views of
// one document follow each other. The views differ only in what they draw
// and in how a point becomes a caret (the sonogram also takes a frequency).
#pragma once
#include <functional>

#include "framework/ui/CScrollView.h"
#include "framework/ui/CToolTipCtrl.h"
#include "kavrel/core/KWaveFilm.h"

// The object of update hints 2 and 9: the film they are about. The film is
// not a CObject itself, so it travels in this envelope.
class CDC;
class CPen;
// A line in pen XORed into the picture, as the film views draw their carets
// (drawn twice it is gone); the context's pen and mix are kept.
void KDrawXorLine(CDC* pDC, CPen* pPen, int x0, int y0, int x1, int y1);

class CKWaveFilmHint : public CObject {
public:
    explicit CKWaveFilmHint(CKWaveFilm* p = nullptr) : pWaveFilm(p) {}
    CKWaveFilm* pWaveFilm;
};

// Update hints shared by the documents and views of the suite.
enum : LPARAM {
    HintNewFilm = 2,          // the film was built or rebuilt; the hint object is the film
    HintSelection = 4,        // the selected fragment changed
    HintPhoneObject = 6,      // a sound object was added; the hint object is the object
    HintPhoneObjectGone = 7,  // a sound object is about to be deleted; the hint object is the object
    HintDisplayLevels = 8,    // display levels or type changed
    HintCaret = 9,            // the caret moved; the hint object is the film
    HintCadreRectangle = 10,  // a rectangle of cadres by spectral lines changed
    HintPaperColour = 11,     // the paper-colour setting was toggled
    HintDisplayParameter = 12, // a sonogram display parameter changed
    HintTracks = 13            // the pitch and formant overlays or their parameters changed; the hint object is
                               // the host's CKTrackOverlays
};

class CKFilmViewState {
public:
    // pFilm is the view's own film pointer, read at every call.
    CKFilmViewState(CScrollView& view, CKWaveFilm*& pFilm) : View(view), pWaveFilm(pFilm) {}
    CKFilmViewState(const CKFilmViewState&) = delete;
    CKFilmViewState& operator=(const CKFilmViewState&) = delete;

    static constexpr UINT_PTR nBlinkTimer = 1;
    static constexpr UINT nBlinkMilliseconds = 500;

    // The view's window: a child of pParentWnd, top-level without one.
    BOOL CreateWindow(CWnd* pParentWnd, const RECT& rect, UINT nID);
    void StartBlinking();
    // Stops the blinking, gives up the mouse and the cursor tool: what a
    // view does before its window goes.
    void ReleaseWindow();

    // The update hint to every view of the document (to this view alone
    // when it has no document); pSender is left out.
    void SendHint(CView* pSender, LPARAM lHint, CObject* pHint = nullptr);
    // Hint 9 with the film, from nobody: every view follows the caret.
    void SendCaretHint();

    // The film's selection is what the view shows (after a new film).
    void RememberSelection();
    // Inverts on screen exactly the columns in which the film's selection
    // differs from the one shown, and remembers the new one.
    void RepaintSelectedFragment();

    // The mouse rules, in cadres: a click sets the caret and starts a
    // selection (Shift extends it); a drag extends it; a move carries the
    // caret when Ctrl says so. moveCaret puts the caret under a point.
    using CaretMover = std::function<void(CPoint)>;
    void OnLButtonDown(UINT nFlags, CPoint point, const CaretMover& moveCaret);
    void OnLButtonUp(CPoint point, const CaretMover& moveCaret);
    void OnMouseMove(UINT nFlags, CPoint point, const CaretMover& moveCaret);
    // The cursor text of the view, shown by its tool.
    void ShowCursorText(const CString& text);

    // The cadre under a client x.
    long CadreFromClientX(int x) const { return long(x) + View.GetScrollPosition().x; }
    // Plays the cadres the window shows.
    void PlayVisibleCadres();
    // The view's context menu at a screen point (-1, -1: from the keyboard).
    void ShowContextMenu(UINT nMenuID, CPoint point);

    CScrollView& View;
    CKWaveFilm*& pWaveFilm;
    long nOldSelectedCadre0 = 0;
    long nOldSelectedCadre1 = 0;
    UINT_PTR nTimerID = 0;
    CToolTipCtrl ToolTip;
    CKWaveFilmHint filmHint;
};
