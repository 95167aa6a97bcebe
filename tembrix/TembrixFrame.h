// CTembrixFrame: the child frame of one workshop document: a grid of three
// columns, each the power curve over the sonogram over the sound-object
// strip. Only the third column is open at first; the user drags the other
// two out to see other stretches of the same film side by side.
#pragma once
#include "framework/ui/CMDIFrameWnd.h"
#include "framework/ui/CSplitterWnd.h"

class CKPowerFilmView;
class CKWaveFilmView;
class CTembrixView;

class CTembrixFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CTembrixFrame)

public:
    CTembrixFrame();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;

    CKPowerFilmView* PowerView(int col) const;
    CKWaveFilmView* SonogramView(int col) const;
    CTembrixView* StripView(int col) const;
    // The column of a pane; -1 for a window that is none of them.
    int ColumnOf(const CWnd* pPane) const;
    // The column that printing shows: that of the active pane while it is
    // open, else the widest open one.
    int PrintedColumn() const;

    // Print, direct print and preview from whichever pane has the focus:
    // the strip of the printed column prints it.
    void OnPrintColumn(UINT nID);

    // The strip's row tall enough for levels 0 .. nMaxLevel (at most
    // kFittedLevels of them; more scroll), the room taken from the sonogram
    // down to kMinSonogramHeight. Once the user drags a row bar, the rows
    // stay as they were left.
    void FitStripToLevels(int nMaxLevel);
    void OnSize(UINT nType, int cx, int cy) override;

    static constexpr int kPowerHeight = 80, kSonogramHeight = 512, kStripHeight = 40;
    static constexpr int kFittedLevels = 5, kMinSonogramHeight = 128;
    static constexpr int kOpenColumnWidth = 1000;

    CSplitterWnd m_wndSplitter;

private:
    int nFittedSonogramHeight = -1; // the sonogram row's height last fitted
};
