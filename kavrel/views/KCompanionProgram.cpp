#include "kavrel/views/KCompanionProgram.h"

bool KCreateProgramBars(CFrameWnd* pFrame, CToolBar& toolBar, CStatusBar& statusBar, UINT nIDToolBar,
                        std::span<const UINT> indicators)
{
    if (!toolBar.CreateEx(pFrame, TBSTYLE_FLAT,
                          DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                              CBRS_SIZE_DYNAMIC) ||
        !toolBar.LoadToolBar(nIDToolBar))
        return false;
    if (!statusBar.Create(pFrame) || !statusBar.SetIndicators(indicators.data(), int(indicators.size())))
        return false;
    toolBar.EnableDocking(CBRS_ALIGN_ANY);
    pFrame->EnableDocking(CBRS_ALIGN_ANY);
    pFrame->DockControlBar(&toolBar);
    return true;
}
