#include "framework/ui/CScrollView.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>

#include "framework/ui/CSplitterWnd.h"
#include "framework/ui/KWndWidget.h"

IMPLEMENT_DYNAMIC(CScrollView, CView)

CScrollView::CScrollView() = default;
CScrollView::~CScrollView() = default;

void CScrollView::SetScrollSizes(int, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine)
{
    m_sizeTotal = CSize(std::max<LONG>(0, sizeTotal.cx), std::max<LONG>(0, sizeTotal.cy));
    m_sizePage = sizePage;
    m_sizeLine = sizeLine;
    if (m_sizePage.cx == 0) m_sizePage.cx = m_sizeTotal.cx / 10;
    if (m_sizePage.cy == 0) m_sizePage.cy = m_sizeTotal.cy / 10;
    if (m_sizeLine.cx == 0) m_sizeLine.cx = m_sizePage.cx / 10;
    if (m_sizeLine.cy == 0) m_sizeLine.cy = m_sizePage.cy / 10;
    updateBars();
}

int CScrollView::GetScrollLimit(int nBar) const
{
    CRect c;
    GetClientRect(&c);
    return nBar == SB_HORZ ? std::max<int>(0, m_sizeTotal.cx - c.Width())
                           : std::max<int>(0, m_sizeTotal.cy - c.Height());
}

void CScrollView::connectBar(bool bHorz)
{
    KWndWidget* w = GetWndWidget();
    bool& connected = bHorz ? m_bConnectedH : m_bConnectedV;
    if (!w || connected) return;
    connected = true;
    QScrollBar* bar = w->EnsureBar(bHorz);
    auto send = [this, bHorz](UINT code, UINT pos) {
        if (bHorz) OnHScroll(code, pos, nullptr);
        else OnVScroll(code, pos, nullptr);
    };
    auto settle = [this, bar, bHorz] {
        bar->setSliderPosition(bHorz ? m_ptPos.x : m_ptPos.y);
    };
    QObject::connect(bar, &QAbstractSlider::actionTriggered, w, [this, bar, bHorz, send, settle](int action) {
        if (action == QAbstractSlider::SliderMove) {
            // The thumb follows the mouse; the view decides what to show.
            const int track = bar->sliderPosition();
            (bHorz ? m_ptTrack.x : m_ptTrack.y) = track;
            (bHorz ? m_bTrackH : m_bTrackV) = true;
            send(SB_THUMBTRACK, UINT(track));
            return;
        }
        UINT code;
        if (!KScrollCodeOfSliderAction(action, &code)) return;
        send(code, 0);
        send(SB_ENDSCROLL, 0);
        settle();
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, w, [this, bHorz, send, settle] {
        const int track = bHorz ? m_ptTrack.x : m_ptTrack.y;
        if (bHorz ? m_bTrackH : m_bTrackV) send(SB_THUMBPOSITION, UINT(track));
        send(SB_ENDSCROLL, 0);
        (bHorz ? m_bTrackH : m_bTrackV) = false;
        settle();
    });
}

void CScrollView::updateBars()
{
    KWndWidget* w = GetWndWidget();
    if (m_bInUpdate) return;
    m_bInUpdate = true;
    if (w) {
        // A bar takes room from the other direction, which may then need its bar too.
        const int t = KWndWidget::BarThickness();
        const int fw = w->width(), fh = w->height();
        bool needH = m_sizeTotal.cx > fw, needV = m_sizeTotal.cy > fh;
        if (needH && !needV) needV = m_sizeTotal.cy > fh - t;
        if (needV && !needH) needH = m_sizeTotal.cx > fw - t;
        // Inside a splitter with shared bars the splitter shows them.
        if (sharingSplitter(true)) needH = false;
        if (sharingSplitter(false)) needV = false;
        if (needH) connectBar(true);
        if (needV) connectBar(false);
        w->ShowBar(true, needH);
        w->ShowBar(false, needV);
    }
    const CPoint clamped(std::clamp<int>(m_ptPos.x, 0, GetScrollLimit(SB_HORZ)),
                         std::clamp<int>(m_ptPos.y, 0, GetScrollLimit(SB_VERT)));
    if (!(clamped == m_ptPos)) {
        m_ptPos = clamped;
        Invalidate(TRUE);
    }
    if (w) {
        CRect c;
        GetClientRect(&c);
        for (QScrollBar* bar : {w->HorzBar(), w->VertBar()}) {
            if (!bar) continue;
            const bool h = bar == w->HorzBar();
            const QSignalBlocker block(bar);
            bar->setRange(0, GetScrollLimit(h ? SB_HORZ : SB_VERT));
            bar->setPageStep(std::max<int>(1, h ? c.Width() : c.Height()));
            bar->setSingleStep(std::max<int>(1, h ? m_sizeLine.cx : m_sizeLine.cy));
            bar->setValue(h ? m_ptPos.x : m_ptPos.y);
        }
    }
    CRect c;
    GetClientRect(&c);
    if (CSplitterWnd* sp = sharingSplitter(true))
        sp->UpdateSharedBar(this, true, GetScrollLimit(SB_HORZ), c.Width(), m_sizeLine.cx, m_ptPos.x);
    if (CSplitterWnd* sp = sharingSplitter(false))
        sp->UpdateSharedBar(this, false, GetScrollLimit(SB_VERT), c.Height(), m_sizeLine.cy, m_ptPos.y);
    m_bInUpdate = false;
}

void CScrollView::ScrollToPosition(POINT pt)
{
    const CPoint next(std::clamp<int>(pt.x, 0, GetScrollLimit(SB_HORZ)),
                      std::clamp<int>(pt.y, 0, GetScrollLimit(SB_VERT)));
    if (next == m_ptPos) return;
    m_ptPos = next;
    if (KWndWidget* w = GetWndWidget()) {
        if (QScrollBar* b = w->HorzBar()) { const QSignalBlocker block(b); b->setValue(m_ptPos.x); }
        if (QScrollBar* b = w->VertBar()) { const QSignalBlocker block(b); b->setValue(m_ptPos.y); }
    }
    updateBars();
    Invalidate(TRUE);
}

BOOL CScrollView::GetScrollInfo(int nBar, LPSCROLLINFO si, UINT nMask) const
{
    if (!si) return FALSE;
    CRect c;
    GetClientRect(&c);
    const bool h = nBar == SB_HORZ;
    si->fMask = nMask;
    si->nMin = 0;
    si->nMax = std::max<int>(0, (h ? m_sizeTotal.cx : m_sizeTotal.cy) - 1);
    si->nPage = UINT(std::max<int>(0, h ? c.Width() : c.Height()));
    si->nPos = h ? m_ptPos.x : m_ptPos.y;
    const bool tracking = h ? m_bTrackH : m_bTrackV;
    si->nTrackPos = tracking ? (h ? m_ptTrack.x : m_ptTrack.y) : si->nPos;
    return TRUE;
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    OnScroll(true, nSBCode, nPos);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    OnScroll(false, nSBCode, nPos);
}

void CScrollView::OnScroll(bool bHorz, UINT nSBCode, UINT nPos)
{
    const long cur = bHorz ? m_ptPos.x : m_ptPos.y;
    const long line = bHorz ? m_sizeLine.cx : m_sizeLine.cy;
    const long page = bHorz ? m_sizePage.cx : m_sizePage.cy;
    long next = cur;
    switch (nSBCode) {
    case SB_LINEUP: next = cur - line; break;
    case SB_LINEDOWN: next = cur + line; break;
    case SB_PAGEUP: next = cur - page; break;
    case SB_PAGEDOWN: next = cur + page; break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = INT_MAX; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = long(nPos); break;
    default: return; // SB_ENDSCROLL
    }
    next = std::clamp<long>(next, 0, GetScrollLimit(bHorz ? SB_HORZ : SB_VERT));
    ScrollToPosition(bHorz ? CPoint(int(next), m_ptPos.y) : CPoint(m_ptPos.x, int(next)));
}

BOOL CScrollView::OnMouseWheel(UINT, short zDelta, CPoint)
{
    const bool vert = GetScrollLimit(SB_VERT) > 0;
    const int lines = -zDelta * 3 / 120;
    const int step = vert ? m_sizeLine.cy : m_sizeLine.cx;
    const CPoint to = vert ? CPoint(m_ptPos.x, m_ptPos.y + lines * step) : CPoint(m_ptPos.x + lines * step, m_ptPos.y);
    ScrollToPosition(to);
    return TRUE;
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    CView::OnPrepareDC(pDC, pInfo);
    pDC->SetMapMode(MM_TEXT);
    // A printed page starts at the document's origin, wherever the window scrolled.
    if (pDC->IsPrinting()) pDC->SetViewportOrg(0, 0);
    else pDC->SetViewportOrg(-m_ptPos.x, -m_ptPos.y);
}

void CScrollView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    updateBars();
}

CSplitterWnd* CScrollView::sharingSplitter(bool bHorz) const
{
    auto* sp = dynamic_cast<CSplitterWnd*>(GetParent());
    return sp && sp->HasSharedBar(bHorz) ? sp : nullptr;
}

void CScrollView::OnSharedScroll(bool bHorz, UINT nSBCode, int nPos)
{
    if (nSBCode == SB_THUMBTRACK) {
        (bHorz ? m_ptTrack.x : m_ptTrack.y) = nPos;
        (bHorz ? m_bTrackH : m_bTrackV) = true;
    }
    if (bHorz) OnHScroll(nSBCode, UINT(nPos), nullptr);
    else OnVScroll(nSBCode, UINT(nPos), nullptr);
    if (nSBCode == SB_THUMBPOSITION || nSBCode == SB_ENDSCROLL) (bHorz ? m_bTrackH : m_bTrackV) = false;
}

bool KScrollCodeOfSliderAction(int action, UINT* pCode)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: *pCode = SB_LINEUP; return true;
    case QAbstractSlider::SliderSingleStepAdd: *pCode = SB_LINEDOWN; return true;
    case QAbstractSlider::SliderPageStepSub: *pCode = SB_PAGEUP; return true;
    case QAbstractSlider::SliderPageStepAdd: *pCode = SB_PAGEDOWN; return true;
    case QAbstractSlider::SliderToMinimum: *pCode = SB_TOP; return true;
    case QAbstractSlider::SliderToMaximum: *pCode = SB_BOTTOM; return true;
    default: return false;
    }
}
