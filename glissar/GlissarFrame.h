// CGlissarFrame: the tracer's main window. The original's sonogram with
// the traces above, the residual or rebuilt signal below, one horizontal
// scroll bar for both; the toolbar of the document's commands and the
// status bar. It carries the tool-size and playback dialogs.
#pragma once
#include "framework/ui/CControlBars.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CSplitterWnd.h"

class CGlissarDoc;
class CKLocalMaxAmplView;
class CKFloatWaveFilmView;

class CGlissarFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CGlissarFrame)

public:
    CGlissarFrame();

    // The program ends after a failure it cannot go on from.
    enum : UINT { WM_END_PROGRAM = WM_USER + 100 };

    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;

    void OnToolsSize();
    void OnUpdateToolsSize(CCmdUI* pCmdUI);
    void OnPlayScreens();

    CGlissarDoc* GetGlissarDoc();
    CKLocalMaxAmplView* UpperView() const;
    CKFloatWaveFilmView* LowerView() const;

    static constexpr int nUpperHeight = 512, nLowerHeight = 128, nColumnWidth = 128;

    CSplitterWnd m_wndSplitter;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
};

// Connects the tracer's document to its windows (the lower screens follow
// "Показывать только помеченные следы", the oscillogram hangs on the frame,
// a fatal Set SigmaFr failure ends the program).
void InstallGlissarDocHooks();
