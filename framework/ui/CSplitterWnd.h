// CSplitterWnd: a static grid of panes, each a view, with bars between them
// that the user drags to resize rows and columns. With WS_HSCROLL or
// WS_VSCROLL the splitter shows one scroll bar per column (and per row),
// shared by that column's panes, so the panes of a column scroll together
// and each column on its own.
#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "framework/ui/AfxIds.h"
#include "framework/ui/CWnd.h"

struct CCreateContext;
class CScrollView;
class QObject;
class QScrollBar;

class CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    virtual BOOL CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit,
                            CCreateContext* pContext);

    int GetRowCount() const { return int(m_rows.size()); }
    int GetColumnCount() const { return int(m_cols.size()); }
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return int(AFX_IDW_PANE_FIRST) + row * 16 + col; }
    bool IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const;
    void SetActivePane(int row, int col, CWnd* pWnd = nullptr);
    CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr) const;
    // Places panes, bars and shared scroll bars from the current sizes.
    virtual void RecalcLayout();

    // What a user's drag of a bar does: the bar after row (column) index
    // moves to position pos in the splitter's client coordinates.
    void DragRowBar(int row, int pos);
    void DragColumnBar(int col, int pos);
    // Whether a row bar was dragged since the splitter was made: a window
    // that sizes its rows itself leaves them to the user from then on.
    bool RowBarDragged() const { return m_bRowBarDragged; }
    static constexpr int cxSplitter = 6;

    // Next and previous pane (F6, Shift+F6): the open panes in row order,
    // round the grid.
    BOOL CanActivateNext(BOOL bPrev = FALSE) const;
    void ActivateNext(BOOL bPrev = FALSE);

    // "Расщепить окно": the first bar (the crossing of the first row and
    // column bars in a grid) follows the mouse, or moves by the arrow keys,
    // until a click or Enter keeps it where it is; Esc puts it back.
    BOOL DoKeyboardSplit();
    bool IsTracking() const { return m_bTracking; }
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    static constexpr int cxKeyboardStep = 8;

    // Shared scroll bars: a view in the splitter reports its range and
    // position here instead of showing bars of its own. A bar is hidden
    // while none of its column's (row's) panes has anything to scroll.
    bool HasSharedBar(bool bHorz) const { return bHorz ? m_bSharedH : m_bSharedV; }
    void UpdateSharedBar(CScrollView* pView, bool bHorz, int nLimit, int nPage, int nLine, int nPos);
    QScrollBar* GetSharedBar(CWnd* pPane, bool bHorz) const;

    void OnSize(UINT nType, int cx, int cy) override;
    void OnPaint() override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;

private:
    struct Info {
        int nCur = 0;
        int nMin = 0;
    };
    // The rows (bRow) or the columns, and the room they share in the client area.
    std::vector<Info>& infos(bool bRow) { return bRow ? m_rows : m_cols; }
    const std::vector<Info>& infos(bool bRow) const { return bRow ? m_rows : m_cols; }
    int room(bool bRow) const;
    // Where each row (column) starts and how long it is now.
    std::vector<std::pair<int, int>> tracks(bool bRow) const;
    void setInfo(bool bRow, int index, int ideal, int min);
    void getInfo(bool bRow, int index, int& cur, int& min) const;
    void dragBar(bool bRow, int index, int pos);
    // The row (column) whose bar lies under pos, -1 when none does.
    int barUnder(bool bRow, int pos) const;
    void sharedScroll(bool bHorz, int index, UINT code, int pos);
    void connectShared(QScrollBar* bar, bool bHorz, int index);
    void showSharedBar(bool bHorz, int index);
    // Where the bar after row (column) index lies in client coordinates.
    int barPos(bool bRow, int index) const;
    void trackTo(CPoint point);
    void endTracking(bool bKeep);

    std::vector<Info> m_rows;
    bool m_bRowBarDragged = false;
    std::vector<Info> m_cols;
    std::vector<std::unique_ptr<CWnd>> m_panes; // row-major
    std::vector<CSize> m_paneLimits;            // row-major: each pane's scroll limits as last reported
    bool m_bSharedH = false;
    bool m_bSharedV = false;
    std::vector<QScrollBar*> m_hBars; // one per column
    std::vector<QScrollBar*> m_vBars; // one per row
    int m_nDragRow = -1;
    int m_nDragCol = -1;
    int m_nActiveRow = 0;
    int m_nActiveCol = 0;
    bool m_bTracking = false;
    int m_nTrackRow = -1; // the bars that follow the mouse while tracking
    int m_nTrackCol = -1;
    std::vector<Info> m_rowsBefore, m_colsBefore; // what Esc puts back
    std::unique_ptr<QObject> m_pTrackFilter;
};
