// CMiniFrameWnd: a small floating tool window owned by another window. It
// draws into its own picture like any window; its close box only hides it,
// so its owner can show it again.
#pragma once
#include "framework/ui/CFrameWnd.h"

enum : DWORD { MFS_SYNCACTIVE = 0x0100, MFS_4THICKFRAME = 0x0200, MFS_THICKFRAME = 0x0400, MFS_MOVEFRAME = 0x0800,
               MFS_BLOCKSYSMENU = 0x1000 };

class CMiniFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    CMiniFrameWnd();
    ~CMiniFrameWnd() override;

    // rect is in screen coordinates; pParentWnd owns the window.
    virtual BOOL Create(const char* lpClassName, const char* lpWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd = nullptr, UINT nID = 0);
    BOOL CreateEx(DWORD dwExStyle, const char* lpClassName, const char* lpWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd = nullptr, UINT nID = 0);
    // The close box: hides the window.
    void OnClose() override;
    BOOL DestroyWindow() override;
    // The smallest size the user can drag the window to (what a WM_SIZING
    // handler that holds the edges enforces on the platform).
    void SetMinTrackSize(int cx, int cy);
};
