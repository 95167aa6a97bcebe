// CKWaveSpectrumView: the floating instant spectrum of the cadre under the
// film's caret, drawn upright so that its frequency axis lies as in the
// sonogram (low frequencies at the bottom). Beside the amplitudes it shows
// the film's valid up and down levels, the scale of the sonogram picture,
// and a panel with the running sum of the phase derivative. The film
// creates it and keeps it; its close box only hides it.
#pragma once
#include "framework/ui/CMiniFrameWnd.h"
#include "kavrel/core/KArrays.h"

class CKWaveFilm;

class CKWaveSpectrumView : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CKWaveSpectrumView)

protected:
    CKWaveSpectrumView();

public:
    ~CKWaveSpectrumView() override;

    enum : UINT {
        IDR_SPECTRUM_VIEW_MENU = 4112,
        // "10 дБ" ... "120 дБ": amplitude range 1 ... 12.
        ID_AMPL_RANGE_FIRST = 36817,
        ID_AMPL_RANGE_LAST = 36828,
        ID_SHOW_SLOPE_LINES = 36839,
        // Slope index 0, then 2 ... 40 from 36848 on ("20" stands in both submenus).
        ID_SLOPE_0 = 36846,
        ID_SLOPE_2 = 36848,
        ID_SLOPE_40 = 36867,
    };
    static constexpr UINT_PTR nBlinkTimer = 1;
    static constexpr int nOuterWidth = 484;
    static constexpr int nOuterHeight = 702;

    // The plot: the whole band over 512 rows, the amplitude panel of 224
    // pixels and the phase panel of 200 beside it.
    static constexpr int kPlotLeft = 10;
    static constexpr int kPlotTop = 50;
    static constexpr int kPlotRight = 434;
    static constexpr int kPlotBottom = 562;
    static constexpr int kDivider = 234;
    static constexpr int kAmplWidth = 224;
    static constexpr int kPhaseWidth = 200;
    static constexpr int kRows = 512;

    // Colours (0x00BBGGRR).
    static constexpr COLORREF kBackColour = 0x7F0000;
    static constexpr COLORREF kFrameColour = 0x00FFFF;
    static constexpr COLORREF kGridColour = 0x7F7F7F;
    static constexpr COLORREF kStrongColour = 0x00FFFF;
    static constexpr COLORREF kWeakColour = 0x007F7F;
    static constexpr COLORREF kUpLevelColour = 0x00FF00;
    static constexpr COLORREF kDownLevelColour = 0xFF0000;
    static constexpr COLORREF kSlopeColour = 0xFFFF00;

    // Creates the window "Спектр - <file title>" centred on pParent, shows
    // it and starts the caret's blinking; false when the window cannot be made.
    bool KCreateWnd(CKWaveFilm* pFilm, CWnd* pParent);
    // The film asks for the window again after its close box hid it.
    void ShowKWindow();

    void OnPaint() override;
    void OnClose() override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;

    void OnAmplRange(UINT nID);
    void OnUpdateAmplRange(CCmdUI* pCmdUI);
    void OnShowSlopeLines();
    void OnUpdateShowSlopeLines(CCmdUI* pCmdUI);
    void OnSlope(UINT nID);
    void OnUpdateSlope(CCmdUI* pCmdUI);

    // One step of the blinking caret row.
    void PutKCaret();
    // The whole picture; the paint draws it through its own context.
    void Draw(CDC* pDC);
    // Slope of the lines of constant spectral decline, dB per octave, and
    // the caption under the plot that says it.
    double SlopeInDecibelsPerOctave() const;
    CString SlopeCaption() const;

    CKWaveFilm* GetWaveFilm() const { return pWaveFilm; }

    CKWaveFilm* pWaveFilm = nullptr;
    int nAmplRange = 8;           // tens of dB the amplitude panel spans, 1 ... 12
    bool bHideSlopeLines = true;
    int nSlope = 6;               // slope index 0, 2 ... 40
    CKArrayDouble Ampl_dB;        // per line of the caret's cadre
    CKArrayDouble dPhaze_dOmega;  // per line; summed in place while painting
    int nCaretRow = -1000000;
    bool bCaretShown = false;
    UINT_PTR nTimerID = 0;

    CPen FramePen, GridPen, StrongPen, WeakPen, UpLevelPen, DownLevelPen, SlopePen;
    CFont Font, RotatedFont;

private:
    // Integer pixel offset of a level below the zero level, in the amplitude panel.
    int attenuationOffset(double zero, double level) const;
    void drawSlopeLines(CDC* pDC, int N);
    void drawScale(CDC* pDC);
    void drawSpectralLines(CDC* pDC, int N, double zero);
    void drawLevelCurve(CDC* pDC, int N, double zero, const float* level);
    void drawPhasePanel(CDC* pDC, int N);
    bool computeCaretCadre(int& N);
};
