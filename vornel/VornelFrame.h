// CVornelFrame: the analyser's main window. Two amplitude panes above and
// two dPhase/dOmega panes below, so that two frequency regions are seen
// side by side; the toolbar, the status bar with the "Частота", "Мощность"
// and "Фаза" panes, and the frequency jump of the active pane.
#pragma once
#include "framework/ui/CControlBars.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CSplitterWnd.h"

class CVornelDoc;
class CVornelAmplView;
class CVornelPhazeView;

class CVornelFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CVornelFrame)

public:
    CVornelFrame();

    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;

    void OnJumpToFreq();
    void OnUpdateJumpToFreq(CCmdUI* pCmdUI);

    CVornelDoc* GetVornelDoc();
    CVornelAmplView* AmplView(int col) const;
    CVornelPhazeView* PhazeView(int col) const;

    // The amplitude row shows the whole 180 dB range with its labels and
    // scroll bar; the phase row takes the rest of the frame.
    static constexpr int nAmplHeight = 200, nPhazeHeight = 428, nColumnWidth = 128;

    CSplitterWnd m_wndSplitter;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
};
