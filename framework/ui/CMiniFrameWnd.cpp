#include "framework/ui/CMiniFrameWnd.h"

#include <QEvent>
#include <QWidget>

#include "framework/ui/KEventFilter.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

CMiniFrameWnd::CMiniFrameWnd() = default;

CMiniFrameWnd::~CMiniFrameWnd()
{
    if (GetWidget()) DestroyWindow();
}

BOOL CMiniFrameWnd::Create(const char* lpClassName, const char* lpWindowName, DWORD dwStyle, const RECT& rect,
                           CWnd* pParentWnd, UINT nID)
{
    // A window of its own with a picture, floating above its owner.
    if (!CWnd::Create(lpClassName, lpWindowName, dwStyle & ~WS_CHILD & ~WS_VISIBLE, rect, pParentWnd, nID))
        return FALSE;
    QWidget* w = GetWidget();
    w->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    w->setGeometry(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left),
                   std::max<LONG>(0, rect.bottom - rect.top));
    m_strTitle = lpWindowName ? lpWindowName : "";
    // The close box reaches OnClose, as WM_CLOSE does on the platform, so that
    // a tool window can stop its timers when it is hidden.
    w->installEventFilter(new KEventFilter(
        [this](QObject*, QEvent* e) {
            if (e->type() != QEvent::Close)
                return false;
            e->ignore();
            OnClose();
            return true;
        },
        w));
    if (dwStyle & WS_VISIBLE) w->show();
    return TRUE;
}

BOOL CMiniFrameWnd::CreateEx(DWORD, const char* lpClassName, const char* lpWindowName, DWORD dwStyle,
                             const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return Create(lpClassName, lpWindowName, dwStyle, rect, pParentWnd, nID);
}

void CMiniFrameWnd::OnClose()
{
    ShowWindow(SW_HIDE);
}

BOOL CMiniFrameWnd::DestroyWindow()
{
    QWidget* w = ReleaseWidget();
    delete w;
    m_bDestroyed = true;
    return w != nullptr;
}

void CMiniFrameWnd::SetMinTrackSize(int cx, int cy)
{
    if (QWidget* w = GetWidget())
        w->setMinimumSize(std::max(0, cx), std::max(0, cy));
}
