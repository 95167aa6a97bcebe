// CKWaveView: the oscillogram, a small floating window owned by a CKWave
// that draws the samples of the wave's current window, with captions for
// its amplitude, length and position, an up-down that narrows or widens
// the wave's window and a button that plays it.
#pragma once
#include "framework/base/CArchive.h"
#include "framework/ui/CControls.h"
#include "framework/ui/CGdiObjects.h"
#include "framework/ui/CMiniFrameWnd.h"

class CKWave;

class CKWaveView : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CKWaveView)

protected:
    CKWaveView();

public:
    ~CKWaveView() override;

    enum : UINT {
        IDR_WAVE_VIEW_MENU = 4109,
        IDC_WAVE_VIEW_SPIN = 4102,
        IDC_WAVE_VIEW_PLAY = 4103,
        ID_PHYSICAL_UNITS = 36771,
        ID_SHOW_DURATION = 36772,
        ID_SHOW_AMPLITUDE = 36773,
        ID_SHOW_POSITION = 36774,
        ID_AUTOMATIC_GAIN = 36775,
        ID_SHOW_PLAY_BUTTON = 36776,
        ID_SHOW_SPIN = 36777,
        ID_DOUBLE_OR_HALVE = 36778
    };
    static constexpr UINT_PTR nCrosshairTimer = 1;
    static constexpr int nOuterWidth = 300;
    static constexpr int nOuterHeight = 150;
    static constexpr int nMinWidth = 300;
    static constexpr int nMinHeight = 100;
    static constexpr long nMaxWindowWidth = 4096;
    static constexpr COLORREF kWaveColour = 0x00FF00;
    static constexpr COLORREF kCrosshairColour = 0xC0C0C0;
    static constexpr COLORREF kPhysicalTextColour = 0x00FFFF;
    static constexpr COLORREF kRawTextColour = 0xFFFFFF;

    // The window "Осциллограмма - " + the wave's file title, centred on
    // pParent (which owns it); false when it cannot be made.
    using CMiniFrameWnd::Create;
    BOOL Create(CKWave* pKWave, CWnd* pParent);
    // The up-down and the button, shown, and the crosshair's timer.
    int OnCreate(LPCREATESTRUCT lpCreateStruct = nullptr) override;
    BOOL DestroyWindow() override;

    void OnPaint() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The six display flags, one byte each (0 or 1): automatic gain,
    // double or halve, show amplitude, physical units, show position,
    // show duration. A short archive throws its end-of-file error and
    // leaves the flags as they were.
    void Serialize(CArchive& ar) override;

    // The up-down's UDN_DELTAPOS and the play button.
    void OnDeltaposSpin(NMHDR* pNMHDR, LRESULT* pResult);
    void OnPlay();
    // One step of the blinking crosshair.
    void DrawCrosshair();

    // The display options of the context menu (ID_PHYSICAL_UNITS ...
    // ID_DOUBLE_OR_HALVE): each command turns its flag over and repaints;
    // the play button and the up-down show or hide with theirs.
    void OnToggleOption(UINT nID);
    void OnUpdateOption(CCmdUI* pCmdUI);

    // The scale of the waveform for a window: its peak with automatic
    // gain (at least 1), else the full 16-bit scale.
    static long ScaleOf(const short* s, long n, bool bAutomaticGain);
    // The three captions in the current units: the peak m, the window's
    // length n and its position, all in samples.
    CString AmplitudeCaption(long m) const;
    CString DurationCaption(long n) const;
    CString PositionCaption(long position) const;
    // Where the child controls sit in a client of cx x cy.
    static CRect SpinRect(int, int cy) { return CRect(0, cy - 14, 28, cy); }
    static CRect PlayButtonRect(int cx, int) { return CRect(cx - 14, 0, cx, 14); }

    CKWave* pWave = nullptr;
    bool bShowDuration = true;
    bool bShowAmplitude = true;
    bool bShowPosition = true;
    bool bPhysicalUnits = true;
    bool bAutomaticGain = true;
    bool bDoubleOrHalve = true;
    bool bCrosshairShown = false;
    bool bSpinShown = false;
    bool bPlayButtonShown = false;
    UINT_PTR nTimerID = 0;
    CSpinButtonCtrl Spin;
    CButton PlayButton;
    CPen WavePen;
    CPen CrosshairPen;
    CFont Font;

private:
    // Each option's command and flag.
    struct Option {
        UINT nID;
        bool CKWaveView::*flag;
    };
    static const Option kOptions[];
    bool* optionFlag(UINT nID);

    // A caption in the physical unit, or the count of samples.
    CString caption(const char* physicalFormat, double physical, long samples) const;
    double samplingRate() const;
};
