// CToolTipCtrl: the text that follows the mouse over a window. Views keep
// one tool covering their whole client area and rebuild its text on every
// mouse move; the text shows once the mouse has rested on the window for
// the initial delay, and goes after the automatic pop-up time.
#pragma once
#include <map>
#include <memory>

#include "framework/ui/CWnd.h"

enum : DWORD { TTS_ALWAYSTIP = 0x01, TTS_NOPREFIX = 0x02 };
enum : UINT { TTDT_AUTOMATIC = 0, TTDT_RESHOW = 1, TTDT_AUTOPOP = 2, TTDT_INITIAL = 3 };

class CToolTipTimer;

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl();
    ~CToolTipCtrl() override;

    // The control belongs to pParentWnd; it fails without a parent window.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // One tool per window here: the window's whole client area.
    BOOL AddTool(CWnd* pWnd, const char* lpszText = "", LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    // A shown tip changes at once, in place.
    void UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    CString GetText(CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    void Activate(BOOL bActivate);
    BOOL IsActive() const { return m_bActive; }
    // TTDT_INITIAL and TTDT_AUTOPOP are kept and used; TTDT_AUTOMATIC
    // sets the initial delay and the pop-up time ten times it; a negative
    // time restores the default.
    void SetDelayTime(DWORD dwDuration, int iTime);
    void SetDelayTime(UINT nDelay) { SetDelayTime(TTDT_AUTOMATIC, int(nDelay)); }
    int GetDelayTime(DWORD dwDuration) const;
    // Whether the mouse is resting on a tool and its tip is still to come.
    bool IsTipPending() const;
    // Mouse messages reach the tool by Qt's own tooltip events; kept for
    // the views' PreTranslateMessage, which relays every message.
    void RelayEvent(UINT message) { (void)message; }

private:
    void applyTo(CWnd* pWnd);
    friend class CToolTipTimer;

    KWndRef<CWnd> m_pOwner;
    bool m_bActive = false;
    int m_nInitialDelay = 500;
    int m_nAutoPopDelay = 5000;
    // Watches the tools' widgets: Qt's own tooltip event (with its fixed
    // style delay) is replaced by a timer of this control's delay.
    std::unique_ptr<CToolTipTimer> m_pTimer;
    // A tool's window may go before the control: it is then skipped.
    struct Tool {
        KWndRef<CWnd> pWnd;
        CString sText;
    };
    std::map<CWnd*, Tool> m_tools;
};
