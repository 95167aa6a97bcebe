#include "framework/ui/CSplitterWnd.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "framework/ui/CDocument.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CScrollView.h"
#include "framework/ui/KEventFilter.h"
#include "framework/ui/KWndWidget.h"

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

namespace {
// Where each of n tracks starts and how long it is: all but the last keep
// their size while room lasts, the last takes what is left; bars lie between.
std::vector<std::pair<int, int>> Tracks(const std::vector<int>& sizes, int total, int bar)
{
    std::vector<std::pair<int, int>> out;
    int pos = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const int room = std::max(0, total - pos);
        const int len = i + 1 == sizes.size() ? room : std::clamp(sizes[i], 0, room);
        out.emplace_back(pos, len);
        pos += len + bar;
    }
    return out;
}
// While a bar is tracked every key and mouse event of the program goes to
// the splitter, before the frame's accelerators and the panes see it.
bool TrackSplitEvent(CSplitterWnd* pSplitter, QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        e->accept();
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(e)->key();
        UINT vk = 0;
        switch (key) {
        case Qt::Key_Return: case Qt::Key_Enter: vk = VK_RETURN; break;
        case Qt::Key_Escape: vk = VK_ESCAPE; break;
        case Qt::Key_Left: vk = VK_LEFT; break;
        case Qt::Key_Right: vk = VK_RIGHT; break;
        case Qt::Key_Up: vk = VK_UP; break;
        case Qt::Key_Down: vk = VK_DOWN; break;
        default: break;
        }
        if (vk) pSplitter->OnKeyDown(vk, 1, 0);
        return true;
    }
    case QEvent::KeyRelease:
        return true;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        QWidget* w = pSplitter->GetWidget();
        if (!w) return false;
        const QPoint p = w->mapFromGlobal(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        if (e->type() == QEvent::MouseMove) pSplitter->OnMouseMove(0, CPoint(p.x(), p.y()));
        else if (e->type() == QEvent::MouseButtonPress) pSplitter->OnLButtonDown(MK_LBUTTON, CPoint(p.x(), p.y()));
        return true;
    }
    default:
        return false;
    }
}

} // namespace

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd()
{
    // A splitter going away while its bar is tracked only lets go of the
    // program's events; its panes and frame may be gone already.
    if (m_pTrackFilter) qApp->removeEventFilter(m_pTrackFilter.get());
    if (GetCapture() == this) ReleaseCapture();
    // Panes go before the widget they live in.
    m_panes.clear();
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (GetWidget() || !pParentWnd || nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16) return FALSE;
    m_bSharedH = (dwStyle & WS_HSCROLL) != 0;
    m_bSharedV = (dwStyle & WS_VSCROLL) != 0;
    const CRect r(0, 0, 0, 0);
    if (!CWnd::Create(nullptr, nullptr, (dwStyle | WS_CHILD) & ~(WS_HSCROLL | WS_VSCROLL), r, pParentWnd, nID))
        return FALSE;
    m_rows.assign(size_t(nRows), Info{});
    m_cols.assign(size_t(nCols), Info{});
    m_panes.clear();
    m_panes.resize(size_t(nRows * nCols));
    m_paneLimits.assign(size_t(nRows * nCols), CSize(0, 0));
    QWidget* w = GetWidget();
    w->setFocusPolicy(Qt::NoFocus);
    if (m_bSharedH)
        for (int c = 0; c < nCols; ++c) {
            auto* bar = new QScrollBar(Qt::Horizontal, w);
            connectShared(bar, true, c);
            m_hBars.push_back(bar);
        }
    if (m_bSharedV)
        for (int rr = 0; rr < nRows; ++rr) {
            auto* bar = new QScrollBar(Qt::Vertical, w);
            connectShared(bar, false, rr);
            m_vBars.push_back(bar);
        }
    if (auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd)) frame->RecalcLayout();
    return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit,
                              CCreateContext* pContext)
{
    if (row < 0 || col < 0 || row >= GetRowCount() || col >= GetColumnCount() || !pViewClass) return FALSE;
    auto& slot = m_panes[size_t(row * GetColumnCount() + col)];
    if (slot) return FALSE;
    CObject* obj = pViewClass->CreateObject();
    auto* wnd = dynamic_cast<CWnd*>(obj);
    if (!wnd) {
        delete obj;
        return FALSE;
    }
    const CRect r(0, 0, std::max<LONG>(0, sizeInit.cx), std::max<LONG>(0, sizeInit.cy));
    if (!wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, r, this, UINT(IdFromRowCol(row, col)))) {
        delete wnd;
        return FALSE;
    }
    if (auto* view = dynamic_cast<CView*>(wnd); view && pContext && pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(view);
    slot.reset(wnd);
    // The initial size is the pane's ideal size, as the platform takes it.
    if (m_cols[size_t(col)].nCur == 0 && sizeInit.cx > 0) m_cols[size_t(col)].nCur = sizeInit.cx;
    if (m_rows[size_t(row)].nCur == 0 && sizeInit.cy > 0) m_rows[size_t(row)].nCur = sizeInit.cy;
    RecalcLayout();
    return TRUE;
}

// Rows and columns are one idea along two directions: bRow picks which.
int CSplitterWnd::room(bool bRow) const
{
    CRect c;
    GetClientRect(&c);
    // A shared scroll bar takes a strip across the other direction.
    const int bar = (bRow ? m_bSharedH : m_bSharedV) ? KWndWidget::BarThickness() : 0;
    return std::max(0, int(bRow ? c.Height() : c.Width()) - bar);
}

std::vector<std::pair<int, int>> CSplitterWnd::tracks(bool bRow) const
{
    std::vector<int> sizes;
    for (const Info& i : infos(bRow)) sizes.push_back(i.nCur);
    return Tracks(sizes, room(bRow), cxSplitter);
}

void CSplitterWnd::setInfo(bool bRow, int index, int ideal, int min)
{
    std::vector<Info>& v = infos(bRow);
    if (index < 0 || index >= int(v.size())) return;
    v[size_t(index)] = Info{std::max(0, ideal), std::max(0, min)};
}

void CSplitterWnd::getInfo(bool bRow, int index, int& cur, int& min) const
{
    cur = min = 0;
    const std::vector<Info>& v = infos(bRow);
    if (index < 0 || index >= int(v.size())) return;
    cur = tracks(bRow)[size_t(index)].second;
    min = v[size_t(index)].nMin;
}

void CSplitterWnd::dragBar(bool bRow, int index, int pos)
{
    std::vector<Info>& v = infos(bRow);
    if (index < 0 || index + 1 >= int(v.size())) return;
    const int start = tracks(bRow)[size_t(index)].first;
    Info& i = v[size_t(index)];
    m_bRowBarDragged = m_bRowBarDragged || bRow;
    i.nCur = std::max(0, pos - start);
    if (i.nCur < i.nMin) i.nCur = 0; // a pane smaller than its minimum closes
    RecalcLayout();
}

int CSplitterWnd::barUnder(bool bRow, int pos) const
{
    const auto t = tracks(bRow);
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        const int end = t[i].first + t[i].second;
        if (pos >= end && pos < end + cxSplitter) return int(i);
    }
    return -1;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin) { setInfo(true, row, cyIdeal, cyMin); }
void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const { getInfo(true, row, cyCur, cyMin); }
void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) { setInfo(false, col, cxIdeal, cxMin); }
void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const { getInfo(false, col, cxCur, cxMin); }

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    if (row < 0 || col < 0 || row >= GetRowCount() || col >= GetColumnCount()) return nullptr;
    return m_panes[size_t(row * GetColumnCount() + col)].get();
}

bool CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const
{
    for (int r = 0; r < GetRowCount(); ++r)
        for (int c = 0; c < GetColumnCount(); ++c)
            if (GetPane(r, c) == pWnd && pWnd) {
                if (pRow) *pRow = r;
                if (pCol) *pCol = c;
                return true;
            }
    return false;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd)
{
    CWnd* pane = pWnd ? pWnd : GetPane(row, col);
    int r = row, c = col;
    if (!pane || !IsChildPane(pane, &r, &c)) return;
    m_nActiveRow = r;
    m_nActiveCol = c;
    if (CFrameWnd* f = CFrameWnd::GetParentFrameOf(this)) {
        if (auto* v = dynamic_cast<CView*>(pane)) f->SetActiveView(v);
    }
}

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol) const
{
    CWnd* active = nullptr;
    if (CFrameWnd* f = CFrameWnd::GetParentFrameOf(this)) active = f->GetActiveView();
    if (!active || !IsChildPane(active, pRow, pCol)) {
        active = GetPane(m_nActiveRow, m_nActiveCol);
        if (pRow) *pRow = m_nActiveRow;
        if (pCol) *pCol = m_nActiveCol;
    }
    return active;
}

void CSplitterWnd::RecalcLayout()
{
    if (!GetWidget()) return;
    const int t = KWndWidget::BarThickness();
    const int aw = room(false);
    const int ah = room(true);
    const auto cols = tracks(false);
    const auto rows = tracks(true);
    for (int r = 0; r < GetRowCount(); ++r)
        for (int cc = 0; cc < GetColumnCount(); ++cc) {
            CWnd* pane = GetPane(r, cc);
            if (!pane || !pane->GetWidget()) continue;
            const auto [x, w] = cols[size_t(cc)];
            const auto [y, h] = rows[size_t(r)];
            pane->MoveWindow(x, y, w, h, TRUE);
            pane->GetWidget()->setVisible(w > 0 && h > 0);
        }
    for (size_t i = 0; i < m_hBars.size(); ++i) {
        m_hBars[i]->setGeometry(cols[i].first, ah, cols[i].second, t);
        showSharedBar(true, int(i));
    }
    for (size_t i = 0; i < m_vBars.size(); ++i) {
        m_vBars[i]->setGeometry(aw, rows[i].first, t, rows[i].second);
        showSharedBar(false, int(i));
    }
    Invalidate(TRUE);
}

void CSplitterWnd::DragRowBar(int row, int pos) { dragBar(true, row, pos); }
void CSplitterWnd::DragColumnBar(int col, int pos) { dragBar(false, col, pos); }

void CSplitterWnd::OnSize(UINT, int, int)
{
    RecalcLayout();
}

void CSplitterWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect c;
    GetClientRect(&c);
    dc.FillSolidRect(&c, RGB(212, 208, 200)); // the bars and the corner between scroll bars
}

void CSplitterWnd::connectShared(QScrollBar* bar, bool bHorz, int index)
{
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this, bar, bHorz, index](int action) {
        if (action == QAbstractSlider::SliderMove) {
            sharedScroll(bHorz, index, SB_THUMBTRACK, bar->sliderPosition());
            return;
        }
        UINT code;
        if (!KScrollCodeOfSliderAction(action, &code)) return;
        sharedScroll(bHorz, index, code, 0);
        sharedScroll(bHorz, index, SB_ENDSCROLL, 0);
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [this, bar, bHorz, index] {
        sharedScroll(bHorz, index, SB_THUMBPOSITION, bar->sliderPosition());
        sharedScroll(bHorz, index, SB_ENDSCROLL, 0);
    });
}

void CSplitterWnd::sharedScroll(bool bHorz, int index, UINT code, int pos)
{
    // Every pane of the column (row) hears the bar, as on the platform.
    const int n = bHorz ? GetRowCount() : GetColumnCount();
    for (int k = 0; k < n; ++k) {
        CWnd* pane = bHorz ? GetPane(k, index) : GetPane(index, k);
        if (auto* v = dynamic_cast<CScrollView*>(pane)) v->OnSharedScroll(bHorz, code, pos);
    }
}

void CSplitterWnd::UpdateSharedBar(CScrollView* pView, bool bHorz, int nLimit, int nPage, int nLine, int nPos)
{
    QScrollBar* bar = GetSharedBar(pView, bHorz);
    int r = 0, c = 0;
    if (!bar || !IsChildPane(pView, &r, &c)) return;
    CSize& limit = m_paneLimits[size_t(r * GetColumnCount() + c)];
    (bHorz ? limit.cx : limit.cy) = std::max(0, nLimit);
    {
        const QSignalBlocker block(bar);
        bar->setRange(0, std::max(0, nLimit));
        bar->setPageStep(std::max(1, nPage));
        bar->setSingleStep(std::max(1, nLine));
        if (!bar->isSliderDown()) bar->setValue(nPos);
    }
    showSharedBar(bHorz, bHorz ? c : r);
}

void CSplitterWnd::showSharedBar(bool bHorz, int index)
{
    QScrollBar* bar = bHorz ? m_hBars[size_t(index)] : m_vBars[size_t(index)];
    // Shown while its column (row) is open and one of its panes has somewhere to scroll.
    bool wanted = false;
    if ((bHorz ? bar->width() : bar->height()) > 0) {
        const int n = bHorz ? GetRowCount() : GetColumnCount();
        for (int k = 0; k < n && !wanted; ++k) {
            const CSize& limit = m_paneLimits[size_t(bHorz ? k * GetColumnCount() + index : index * GetColumnCount() + k)];
            wanted = (bHorz ? limit.cx : limit.cy) > 0;
        }
    }
    bar->setVisible(wanted);
}

QScrollBar* CSplitterWnd::GetSharedBar(CWnd* pPane, bool bHorz) const
{
    int r = 0, c = 0;
    if (!IsChildPane(pPane, &r, &c)) return nullptr;
    if (bHorz) return c < int(m_hBars.size()) ? m_hBars[size_t(c)] : nullptr;
    return r < int(m_vBars.size()) ? m_vBars[size_t(r)] : nullptr;
}

BOOL CSplitterWnd::CanActivateNext(BOOL) const
{
    int open = 0;
    for (int r = 0; r < GetRowCount(); ++r)
        for (int c = 0; c < GetColumnCount(); ++c) {
            CWnd* pane = GetPane(r, c);
            if (pane && pane->GetWidget() && !pane->GetWidget()->isHidden()) ++open;
        }
    return open > 1;
}

void CSplitterWnd::ActivateNext(BOOL bPrev)
{
    const int n = GetRowCount() * GetColumnCount();
    int r = 0, c = 0;
    if (n == 0 || !GetActivePane(&r, &c)) return;
    const int from = r * GetColumnCount() + c;
    for (int k = 1; k < n; ++k) {
        const int i = ((bPrev ? from - k : from + k) % n + n) % n;
        CWnd* pane = m_panes[size_t(i)].get();
        // A closed pane (a zero-width column) is passed over.
        if (!pane || !pane->GetWidget() || pane->GetWidget()->isHidden()) continue;
        SetActivePane(i / GetColumnCount(), i % GetColumnCount());
        return;
    }
}

int CSplitterWnd::barPos(bool bRow, int index) const
{
    int pos = 0;
    for (int k = 0; k <= index; ++k) {
        int cur, mn;
        if (bRow) GetRowInfo(k, cur, mn);
        else GetColumnInfo(k, cur, mn);
        pos += cur + (k < index ? cxSplitter : 0);
    }
    return pos;
}

BOOL CSplitterWnd::DoKeyboardSplit()
{
    if (m_bTracking || !GetWidget()) return FALSE;
    m_nTrackRow = GetRowCount() > 1 ? 0 : -1;
    m_nTrackCol = GetColumnCount() > 1 ? 0 : -1;
    if (m_nTrackRow < 0 && m_nTrackCol < 0) return FALSE;
    m_rowsBefore = m_rows;
    m_colsBefore = m_cols;
    m_bTracking = true;
    SetCapture();
    m_pTrackFilter = std::make_unique<KEventFilter>([this](QObject*, QEvent* e) { return TrackSplitEvent(this, e); });
    qApp->installEventFilter(m_pTrackFilter.get());
    GetWidget()->setCursor(m_nTrackRow >= 0 && m_nTrackCol >= 0 ? Qt::SizeAllCursor
                           : m_nTrackRow >= 0                   ? Qt::SplitVCursor
                                                                : Qt::SplitHCursor);
    return TRUE;
}

void CSplitterWnd::trackTo(CPoint point)
{
    if (m_nTrackCol >= 0) DragColumnBar(m_nTrackCol, point.x);
    if (m_nTrackRow >= 0) DragRowBar(m_nTrackRow, point.y);
}

void CSplitterWnd::endTracking(bool bKeep)
{
    m_bTracking = false;
    if (m_pTrackFilter) qApp->removeEventFilter(m_pTrackFilter.get());
    m_pTrackFilter.reset();
    if (GetCapture() == this) ReleaseCapture();
    if (GetWidget()) GetWidget()->unsetCursor();
    if (!bKeep) {
        m_rows = m_rowsBefore;
        m_cols = m_colsBefore;
        RecalcLayout();
    }
    if (CWnd* pane = GetActivePane(); pane && pane->GetWidget()) pane->GetWidget()->setFocus();
}

void CSplitterWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (!m_bTracking) {
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    CPoint at(m_nTrackCol >= 0 ? barPos(false, m_nTrackCol) : 0, m_nTrackRow >= 0 ? barPos(true, m_nTrackRow) : 0);
    switch (nChar) {
    case VK_RETURN: endTracking(true); return;
    case VK_ESCAPE: endTracking(false); return;
    case VK_LEFT: at.x -= cxKeyboardStep; break;
    case VK_RIGHT: at.x += cxKeyboardStep; break;
    case VK_UP: at.y -= cxKeyboardStep; break;
    case VK_DOWN: at.y += cxKeyboardStep; break;
    default: return;
    }
    trackTo(CPoint(std::max<LONG>(0, at.x), std::max<LONG>(0, at.y)));
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint point)
{
    if (m_bTracking) {
        trackTo(point);
        endTracking(true);
        return;
    }
    // A press on a bar starts dragging it; a column's bar before a row's.
    for (bool bRow : {false, true})
        if (const int bar = barUnder(bRow, bRow ? point.y : point.x); bar >= 0) {
            (bRow ? m_nDragRow : m_nDragCol) = bar;
            SetCapture();
            return;
        }
}

void CSplitterWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_bTracking) trackTo(point);
    else if (m_nDragCol >= 0) DragColumnBar(m_nDragCol, point.x);
    else if (m_nDragRow >= 0) DragRowBar(m_nDragRow, point.y);
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint)
{
    if (m_nDragCol >= 0 || m_nDragRow >= 0) ReleaseCapture();
    m_nDragCol = m_nDragRow = -1;
}
