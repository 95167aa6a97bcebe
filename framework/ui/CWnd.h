// CWnd: a window. It wraps one Qt widget and offers the platform's
// vocabulary to the suite's classes: controls found by numeric ID, texts,
// enabling, timers, posted messages with handlers.
#pragma once
#include <map>
#include <memory>

#include "framework/base/CString.h"
#include "framework/base/UserServices.h"
#include "framework/audio/WaveAudio.h"
#include "framework/ui/CCmdTarget.h"

class QWidget;

typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;

enum : UINT {
    WM_USER = 0x0400,
    WM_COMMAND = 0x0111,
    WM_TIMER = 0x0113,
    WM_SYSCOMMAND = 0x0112,
};
enum : int { SW_HIDE = 0, SW_SHOW = 5 };
enum : int { BST_UNCHECKED = 0, BST_CHECKED = 1 };

class CWnd : public CCmdTarget, public IWaveNotifySink {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The control with this ID among this window's descendants, or nullptr.
    CWnd* GetDlgItem(int nID);
    int GetDlgCtrlID() const;

    void SetWindowText(const CString& text);
    CString GetWindowText() const;
    void SetDlgItemText(int nID, const CString& text);
    CString GetDlgItemText(int nID);
    void SetDlgItemInt(int nID, int value);
    void EnableWindow(bool bEnable = true);
    bool IsWindowEnabled() const;
    void ShowWindow(int nCmdShow);
    bool IsWindowVisible() const;
    void SetFocus();

    // Buttons: check boxes and radio buttons.
    void CheckDlgButton(int nID, int nCheck);
    int IsDlgButtonChecked(int nID);
    void CheckRadioButton(int nFirst, int nLast, int nCheck);
    int GetCheckedRadioButton(int nFirst, int nLast);

    // What a user's click on a button does: the button's command reaches
    // its dialog. Tests and dialog scripts press buttons through it.
    void ClickDlgButton(int nID);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    bool KillTimer(UINT_PTR nIDEvent);
    virtual void OnTimer(UINT_PTR nIDEvent);

    // Messages: PostMessage queues to the UI thread, SendMessage runs now.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A command from a control or a menu: routed through the command table.
    virtual bool OnCommand(UINT nID, UINT nCode);

    // The sound devices' notifications arrive as posted window messages.
    void PostWaveMessage(UINT message, WPARAM device, LPARAM header) override { PostMessage(message, device, header); }

    int MessageBox(const CString& text, const CString& caption = CString(), UINT nType = 0);

    QWidget* GetWidget() const { return m_pWidget; }
    // Wraps a widget that this object does not own (a dialog's control).
    void Attach(QWidget* pWidget, bool bOwns);
    QWidget* Detach();

protected:
    // Drops the wrappers of controls and the timers, before the widget goes.
    void ForgetControls();

    QWidget* m_pWidget = nullptr;
    bool m_bOwnsWidget = false;

private:
    // Messages still queued when the window object goes are dropped: they
    // hold only a weak reference to this.
    std::shared_ptr<CWnd*> m_pSelf = std::make_shared<CWnd*>(this);
    std::map<int, std::unique_ptr<CWnd>> m_controls;
    std::map<UINT_PTR, void*> m_timers;
};
