// CKWndPowerLevel: the recorder's strip chart. Every recorded buffer (one
// second of sound) adds one column holding its peak level in dB below full
// scale; the chart runs from left to right and wraps at the right edge.
// The trace lives in a memory picture that is combined by OR over the
// grid and the caption whenever the window is drawn.
#pragma once
#include "framework/base/CString.h"
#include "framework/ui/CWnd.h"

enum : UINT {
    IDR_POWER_RANGE_MENU = 10101,
    ID_POWER_RANGE_10 = 42771, // 10 dB; each next item 10 dB more
    ID_POWER_RANGE_100 = 42780,
};

class CKWndPowerLevel : public CWnd {
public:
    CKWndPowerLevel();
    ~CKWndPowerLevel() override;

    // A child window over rect of pParent; its picture keeps the size it
    // is created with. False when the picture could not be made (the user
    // has been told); the window then stays empty.
    bool Create(const RECT& rect, CWnd* pParent, UINT nID);

    void Clear();
    void SetCaption(const CString& sPathName);
    void AddColumn(long nPeak);
    // 10 ... 100 dB over the height; kept in the profile.
    void SetRange(int nNewRange);

    // The row of a peak: full scale at the top, the range's lower end at
    // the bottom; a silent buffer counts as a peak of 0.5.
    int GetRowOfPeak(long nPeak) const;

    CString sCaption;
    CDC MemDC;
    CBitmap MemBitmap;
    bool bPicture = false;
    int nWidth = 0;
    int nHeight = 0;
    int nColumn = 0;
    long nCount = 0;
    int nRange = 50;
    const double dReference; // 20·log10(32768), the level of full scale
    int nGridRows[10] = {};
    // The end of the last trace segment: one for the whole program.
    static int nPreviousY;

    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;
    bool OnCommand(UINT nID, UINT nCode) override;
    bool OnUpdateCmdUI(CCmdUI* pCmdUI) override;
    bool IsCommandHandled(UINT nID) override;

private:
    int OnCreate(LPCREATESTRUCT lpCreateStruct = nullptr) override;
    void ComputeGridRows();

    CBitmap* m_pOldBitmap = nullptr;
    CPen m_penErase;
    CPen m_penGrid;
    CPen m_penTrace;
    CPen m_penOverflow;
    CPen m_penCursor;
};
