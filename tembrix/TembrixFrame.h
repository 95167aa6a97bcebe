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
    CTembrixFrame() = default;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;

    CKPowerFilmView* PowerView(int col) const;
    CKWaveFilmView* SonogramView(int col) const;
    CTembrixView* StripView(int col) const;

    static constexpr int kPowerHeight = 80, kSonogramHeight = 512, kStripHeight = 40;
    static constexpr int kOpenColumnWidth = 1000;

    CSplitterWnd m_wndSplitter;
};
