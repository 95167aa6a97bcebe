// The dialog's common controls, each a thin wrapper of one control found
// by ID (CDialog::GetDlgItemAs<CComboBox>(nID)): up-down arrows, combo and
// list boxes, progress bars, check boxes and radio buttons.
#pragma once
#include "framework/ui/CWnd.h"

// A control's notification with data, as its dialog's handlers receive it.
struct NMHDR {
    void* hwndFrom = nullptr; // the control's wrapper
    UINT_PTR idFrom = 0;
    UINT code = 0;
};
struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;   // position before the change
    int iDelta = 0; // the proposed change
};
typedef NMUPDOWN NM_UPDOWN;

enum : UINT { UDN_DELTAPOS = UINT(-722) };
// A control's notification with data reaches its parent as this message:
// wParam the control's ID, lParam the NMHDR.
enum : UINT { WM_NOTIFY = 0x004E };
// Styles of controls created at run time.
enum : DWORD { UDS_HORZ = 0x0040, BS_PUSHBUTTON = 0x0000 };
enum : int { CB_ERR = -1 };

// Up-down arrows (a scroll bar on the form). An arrow first sends
// UDN_DELTAPOS with the proposed delta; unless the handler sets a nonzero
// result, the position moves by it, held inside the range. The upper arrow
// moves toward the range's upper end, so with the default range (100 … 0)
// it reports a negative delta.
class CSpinButtonCtrl : public CWnd {
public:
    static bool IsControl(const QWidget* w);
    // An up-down made on a window at run time (UDS_HORZ: left and right
    // arrows); its parent gets UDN_DELTAPOS as WM_NOTIFY and refuses the
    // move by returning nonzero.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // What a user's click on an arrow of a run-time up-down does.
    void PressArrow(bool bUpperArrow);
    void SetRange(int nLower, int nUpper);
    void GetRange(int& nLower, int& nUpper) const;
    // Held inside the range; returns the previous position.
    int SetPos(int nPos);
    int GetPos() const;
};

class CComboBox : public CWnd {
public:
    static bool IsControl(const QWidget* w);
    // Returns the new item's index. Adding never changes the selection.
    int AddString(const CString& text);
    void ResetContent();
    int GetCount() const;
    // -1, or an index past the end, clears the selection (and gives CB_ERR).
    int SetCurSel(int nSelect);
    int GetCurSel() const;
    // The text's length, or CB_ERR for an index out of range.
    int GetLBText(int nIndex, CString& text) const;
};

// A check box or a radio button; or a push button made on a window at run
// time, whose click reaches the parent as the command (nID, BN_CLICKED).
class CButton : public CWnd {
public:
    static bool IsControl(const QWidget* w);
    BOOL Create(const char* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetCheck(int nCheck);
    int GetCheck() const;
};
