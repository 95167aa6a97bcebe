// CKMainFrame: the workshop's main window. Its client area, behind the
// documents' frames, is painted by CKMainFrameClient; the status bar shows
// the active document's caret frequency and its caret time or selection
// length. It starts the recorder and the voice model.
#pragma once
#include "framework/ui/CControlBars.h"
#include "framework/ui/CMDIFrameWnd.h"

class CTembrixDoc;

// The picture behind the documents: the title over a dark blue field.
class CKMainFrameClient : public CWnd {
public:
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    // Draws the picture for a client of cx by cy pixels.
    static void PaintBackground(CDC* pDC, int cx, int cy);

    static constexpr COLORREF kField = RGB(0, 0, 127);
    static constexpr COLORREF kCreditColour = RGB(0, 0, 255);
    static constexpr COLORREF kTitleColour = RGB(255, 255, 0);
    static constexpr COLORREF kClosingColour = RGB(0, 0, 158);
    static constexpr COLORREF kPenColours[3] = {RGB(0, 255, 0), RGB(0, 192, 63), RGB(0, 127, 127)};
};

class CKMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CKMainFrame)

public:
    CKMainFrame();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;

    void OnRecordSound();
    void OnCreateVoiceSignal();
    void OnUpdateFrequencyPane(CCmdUI* pCmdUI);
    void OnUpdateTimePane(CCmdUI* pCmdUI);
    // F0 and F1–F3 at the caret while an overlay is shown.
    void OnUpdateTracksPane(CCmdUI* pCmdUI);

    // The document of the active child frame when it is a workshop document.
    CTembrixDoc* GetActiveTembrixDoc();

    CKMainFrameClient m_wndClient;
    CStatusBar m_wndStatusBar;
    CString sTime, sFrequency, sPower;
    CToolBar m_wndToolBar;

private:
    void ShowInPane(UINT nID, const CString& text);
};
