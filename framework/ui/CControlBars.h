// Control bars of a frame: the toolbar, whose buttons carry commands and
// show their update handlers' state, and the status bar, whose first pane
// shows the prompt of the command under the mouse and whose other panes
// are indicators updated when the program is idle.
#pragma once
#include <vector>

#include "framework/base/CString.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CWnd.h"

class CFrameWnd;
class QAction;

enum : DWORD {
    CBRS_ALIGN_TOP = 0x1000, CBRS_ALIGN_BOTTOM = 0x4000, CBRS_ALIGN_ANY = 0xF000,
    CBRS_TOP = 0x2000 | CBRS_ALIGN_TOP, CBRS_BOTTOM = 0x2000 | CBRS_ALIGN_BOTTOM,
    CBRS_TOOLTIPS = 0x0010, CBRS_FLYBY = 0x0020, CBRS_SIZE_DYNAMIC = 0x0040, CBRS_GRIPPER = 0x00400000,
    TBSTYLE_FLAT = 0x0800,
};
enum : UINT { SBPS_NORMAL = 0x0000, SBPS_NOBORDERS = 0x0100, SBPS_POPOUT = 0x0200, SBPS_DISABLED = 0x04000000,
              SBPS_STRETCH = 0x08000000 };

// Registers toolbar resource nID: its buttons' command IDs in order, 0 for a separator.
struct KToolBarTemplate {
    KToolBarTemplate(UINT nID, std::vector<UINT> buttons);
};

// Registers the picture of a toolbar button: the program's own image file
// for command nCmdID, a path Qt reads (the programs' pictures are compiled
// in as resources, ":/PROGRAM/toolbar/NAME.png"). Buttons without one show
// the first letters of their tooltip.
struct KToolBarButtonImage {
    KToolBarButtonImage(UINT nCmdID, const char* sPicturePath);
};
// Whether command nCmdID has a registered picture that reads as an image.
bool KHasToolBarButtonImage(UINT nCmdID);

class CControlBar : public CWnd {
public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    // Runs the owner's update handlers for the bar's items.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    // The frame's window goes, and the bar's widget and items with it.
    virtual void OnFrameGone() { Detach(); }

protected:
    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
};

class CToolBar : public CControlBar {
public:
    CToolBar();
    ~CToolBar() override;
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, const RECT& rcBorders = RECT{0, 0, 0, 0},
                  UINT nID = AFX_IDW_TOOLBAR);
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT nIDResource);
    int GetCount() const { return int(m_buttons.size()); }
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const;
    // The state a user sees: enabled and pressed (checked).
    bool IsButtonEnabled(int nIndex) const;
    bool IsButtonChecked(int nIndex) const;
    CString GetButtonTip(int nIndex) const;
    // What a user's click does: the command goes to the frame.
    void PressButton(int nIndex);
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void OnFrameGone() override;

private:
    std::vector<UINT> m_buttons;
    std::vector<QAction*> m_actions;
};

class CStatusBar : public CControlBar {
public:
    CStatusBar();
    ~CStatusBar() override;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
    // Pane 0 is usually ID_SEPARATOR, the stretching message pane; every
    // other pane starts with the text of its ID in the string table.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    int GetCount() const { return int(m_panes.size()); }
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const;
    BOOL SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    // Width in pixels of a text in the bar's font, for sizing a pane to it.
    int GetTextWidth(const CString& text) const;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void OnFrameGone() override;

private:
    struct Pane {
        UINT nID = 0;
        UINT nStyle = SBPS_NORMAL;
        int cxWidth = 0;
        CString sText;
        QWidget* pLabel = nullptr;
    };
    void showPane(Pane& pane);
    std::vector<Pane> m_panes;
};
