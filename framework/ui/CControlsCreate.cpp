// Controls that a window makes for itself at run time, not from a form:
// an up-down and a push button. They talk to their parent the way the
// platform's controls do: the up-down by WM_NOTIFY, the button by WM_COMMAND.
#include <QPushButton>
#include <QScrollBar>

#include "framework/ui/CControls.h"
#include "framework/ui/ControlIds.h"

namespace {

// The window object nearest above a control's widget.
CWnd* ParentWndOf(QWidget* w)
{
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (CWnd* wnd = CWnd::FromWidget(p))
            return wnd;
    }
    return nullptr;
}

void Place(QWidget* w, const RECT& rect, UINT nID, DWORD dwStyle)
{
    w->setProperty("ctrlId", int(nID));
    w->setGeometry(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left),
                   std::max<LONG>(0, rect.bottom - rect.top));
    w->setVisible((dwStyle & WS_VISIBLE) != 0);
}

} // namespace

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (m_pWidget || !pParentWnd || !pParentWnd->GetWidget())
        return FALSE;
    auto* bar = new QScrollBar((dwStyle & UDS_HORZ) ? Qt::Horizontal : Qt::Vertical, pParentWnd->GetWidget());
    // The bar never moves: each arrow is one step, as in the dialogs' up-downs.
    bar->setRange(0, 2);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(1);
    bar->setFocusPolicy(Qt::NoFocus);
    Place(bar, rect, nID, dwStyle);
    // The parent's widget deletes the bar; this object only wraps it.
    Attach(bar, false);
    SetRange(100, 0);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar, nID](int action) {
        const bool towardStart = action == QAbstractSlider::SliderSingleStepSub || action == QAbstractSlider::SliderPageStepSub;
        const bool towardEnd = action == QAbstractSlider::SliderSingleStepAdd || action == QAbstractSlider::SliderPageStepAdd;
        bar->setSliderPosition(1);
        if (!towardStart && !towardEnd)
            return;
        // The top arrow of a vertical up-down, the right one of a horizontal one, is the upper one.
        const bool upper = bar->orientation() == Qt::Vertical ? towardStart : towardEnd;
        CSpinButtonCtrl spin;
        spin.Attach(bar, false);
        int lower, upperEnd;
        spin.GetRange(lower, upperEnd);
        const int toward = upperEnd >= lower ? 1 : -1;
        NMUPDOWN nm;
        nm.hdr.hwndFrom = &spin;
        nm.hdr.idFrom = UINT_PTR(nID);
        nm.hdr.code = UDN_DELTAPOS;
        nm.iPos = spin.GetPos();
        nm.iDelta = upper ? toward : -toward;
        LRESULT refused = 0;
        if (CWnd* parent = ParentWndOf(bar))
            refused = parent->SendMessage(WM_NOTIFY, WPARAM(nID), LPARAM(&nm.hdr));
        if (refused == 0)
            spin.SetPos(nm.iPos + nm.iDelta);
        spin.Detach();
    });
    return TRUE;
}

void CSpinButtonCtrl::PressArrow(bool bUpperArrow)
{
    auto* bar = qobject_cast<QScrollBar*>(m_pWidget);
    if (!bar || !bar->isEnabled())
        return;
    const bool vertical = bar->orientation() == Qt::Vertical;
    bar->triggerAction(bUpperArrow == vertical ? QAbstractSlider::SliderSingleStepSub
                                               : QAbstractSlider::SliderSingleStepAdd);
}

BOOL CButton::Create(const char* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (m_pWidget || !pParentWnd || !pParentWnd->GetWidget())
        return FALSE;
    auto* button = new QPushButton(QString::fromUtf8(lpszCaption ? lpszCaption : ""), pParentWnd->GetWidget());
    button->setFocusPolicy(Qt::NoFocus);
    Place(button, rect, nID, dwStyle);
    Attach(button, false);
    QObject::connect(button, &QAbstractButton::clicked, button, [button, nID] {
        if (CWnd* parent = ParentWndOf(button))
            parent->SendMessage(WM_COMMAND, WPARAM(nID) | (WPARAM(BN_CLICKED) << 16), reinterpret_cast<LPARAM>(button));
    });
    return TRUE;
}
