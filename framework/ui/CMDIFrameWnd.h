// Multiple-document frames: the main frame keeps one child frame per open
// document inside its client area (cascade, tile, arrange icons) and shows
// the active child's menu; its commands go to the active child first.
#pragma once
#include <QPointer>
#include <vector>

#include "framework/ui/CFrameWnd.h"

class QMdiArea;
class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNAMIC(CMDIFrameWnd)
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    CMDIChildWnd* MDIGetActive() const;
    void MDIActivate(CWnd* pWndActivate);
    void MDICascade();
    void MDITile(int nType = 0);
    void MDIIconArrange();
    std::vector<CMDIChildWnd*> GetChildFrames() const;

    // The client window holding the children. A program may paint its
    // background through a window of its own (SubclassMDIClient).
    QMdiArea* GetMDIClient() const { return m_pMdiArea; }
    // pWnd (a window object without a window of its own) becomes the
    // client: its client rectangle is the client's, OnSize tells it the
    // client's size, and its OnEraseBkgnd paints the background again on
    // every resize and invalidation. Null gives the client back.
    BOOL SubclassMDIClient(CWnd* pWnd);

    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;
    bool OnCmdMsg(UINT nID, UINT nCode = 0) override;
    bool OnUpdateCmdUI(CCmdUI* pCmdUI) override;
    bool IsCommandHandled(UINT nID) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    bool TranslateAccelerator(UINT vk, bool bShift, bool bCtrl, bool bAlt) override;
    void RecalcLayout(BOOL bNotify = TRUE) override;

protected:
    QMainWindow* CreateFrameWidget(CWnd* pParentWnd, DWORD dwStyle) override;
    void OnDestroyWidget(QWidget* w) override;

private:
    friend class CMDIChildWnd;
    void childActivated();
    void OnWindowCascade() { MDICascade(); }
    void OnWindowTile() { MDITile(); }
    void OnWindowArrange() { MDIIconArrange(); }

    QMdiArea* m_pMdiArea = nullptr;
    std::vector<ACCEL> m_accelsOfChild;
};

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    // Null once the main frame is gone.
    CMDIFrameWnd* GetMDIFrame() const { return m_pMDIFrame.get(); }
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();
    bool IsMaximized() const;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    void ActivateFrame(int nCmdShow = -1) override;
    // The modes act on the child's window inside the main frame's client.
    BOOL ShowWindow(int nCmdShow) override;
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = DWORD(WS_OVERLAPPEDWINDOW) | DWORD(FWS_ADDTOTITLE),
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

protected:
    QMainWindow* CreateFrameWidget(CWnd* pParentWnd, DWORD dwStyle) override;
    void OnDestroyWidget(QWidget* w) override;
    bool OwnsMenuBar() const override { return false; }

private:
    KWndRef<CMDIFrameWnd> m_pMDIFrame;
    // The sub-window is the main frame's client's child: it may go first.
    QPointer<QWidget> m_pSubWindow;
};
