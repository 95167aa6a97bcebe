// CScrollView: a view larger than its window. The position is in pixels
// (MM_TEXT); OnDraw's context is shifted by it, and the scroll bars beside
// the client area move it with the platform's SB_ codes.
#pragma once
#include "framework/ui/CView.h"

class CScrollBar;

enum : UINT {
    SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1,
    SB_PAGEUP = 2, SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6,
    SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8
};
enum : int { SB_HORZ = 0, SB_VERT = 1 };
enum : UINT { SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_TRACKPOS = 0x10, SIF_ALL = 0x17 };

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
typedef SCROLLINFO* LPSCROLLINFO;

class CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    CScrollView();
    ~CScrollView() override;

    // A zero page is a tenth of the total, a zero line a tenth of the page.
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = CSize(0, 0),
                        const SIZE& sizeLine = CSize(0, 0));
    CPoint GetScrollPosition() const { return m_ptPos; }
    CPoint GetDeviceScrollPosition() const { return m_ptPos; }
    CSize GetTotalSize() const { return m_sizeTotal; }
    // Clamped to [0, total - client] on each axis.
    void ScrollToPosition(POINT pt);

    // The true 32-bit positions, the thumb's one while it is dragged.
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL) const;
    int GetScrollPos(int nBar) const { return nBar == SB_HORZ ? m_ptPos.x : m_ptPos.y; }
    int GetScrollLimit(int nBar) const;

    // nPos carries the whole thumb position for SB_THUMBTRACK and
    // SB_THUMBPOSITION (the scroll bars here are not limited to 16 bits).
    virtual void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    virtual void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    // Default: three lines a notch, vertically when the view scrolls so.
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;

    // A scroll bar of the splitter the view lives in moved (shared by the
    // panes of a column or a row).
    void OnSharedScroll(bool bHorz, UINT nSBCode, int nPos);

    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;
    void OnSize(UINT nType, int cx, int cy) override;

protected:
    // What both scroll handlers do: the new position for the code, then the scroll.
    void OnScroll(bool bHorz, UINT nSBCode, UINT nPos);

private:
    void updateBars();
    // The splitter whose bar this view uses in that direction, or null.
    class CSplitterWnd* sharingSplitter(bool bHorz) const;
    void connectBar(bool bHorz);

    CSize m_sizeTotal{0, 0};
    CSize m_sizePage{0, 0};
    CSize m_sizeLine{0, 0};
    CPoint m_ptPos{0, 0};
    CPoint m_ptTrack{0, 0};
    bool m_bTrackH = false;
    bool m_bTrackV = false;
    bool m_bConnectedH = false;
    bool m_bConnectedV = false;
    bool m_bInUpdate = false;
};
