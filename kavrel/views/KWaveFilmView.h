// CKWaveFilmView: the sonogram. Every screen column is one cadre of the
// film and every screen row one spectral line. Spectra and picture columns
// are kept in ring caches the width of the window (cadre c lives in slot
// c mod nColumns), so a paint computes only the cadres that scrolled in.
// Host programs derive their own sonograms from it: CalculateSpectra is
// virtual and the handlers can be called from their overrides.
#pragma once
#include <initializer_list>
#include <memory>
#include <vector>

#include "kavrel/core/KArrays.h"
#include "kavrel/core/KRelativeVisibility.h"
#include "kavrel/core/KSpectrum.h"
#include "kavrel/views/KFilmView.h"
#include "kavrel/views/KTrackOverlays.h"

class CKWaveFilmView : public CKFilmView {
    DECLARE_DYNCREATE(CKWaveFilmView)

protected:
    CKWaveFilmView();

public:
    // Context menu, its commands and the private repaint request.
    enum : UINT {
        IDR_WAVE_FILM_VIEW_MENU = 4105,
        ID_PLAY_VIEW = 36779,
        ID_WFV_DIALOG_ADJUST = 36791,
        ID_WFV_DIALOG_PLAY_FRAGMENT = 36802,
        ID_15_BITS_VIDEOMODE = 36812,
        ID_DRAW_FREQ_AXES = 36814,
        ID_HOW_TO_SHOW_TOOLTIP = 36816,
        ID_CALCULATE_SPECTRA = 36829,
        ID_SHOW_LOCAL_MAX_ON_SONOGRAM = 36834,
        WM_RECALCULATE_PICTURE = WM_USER + 6 // 1030
    };
    // Column-map values that are never a cadre: the slot is recomputed.
    enum : int {
        SlotAfterResize = -10000,
        SlotAllSpectraAgain = -99999,
        SlotAllPicturesAgain = -88888,
        SlotDisplayTypeChanged = -100000
    };
    // The weight arrays bound the picture's height.
    static constexpr int nMaxLines = 2048;

    // The tooltip with its one tool over the whole view; -1 fails the creation.
    int OnCreate(LPCREATESTRUCT lpCreateStruct = nullptr) override;
    // Message 1030 (the picture is recomputed), then the base's handling.
    virtual LRESULT DefWindowProcA(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    // The base's click; the overlays are drawn again over a new selection.
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    // The blink timer also turns the blinking on and off.
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;

    // Menu commands.
    void OnWfvDialogAdjust();
    void OnWfvDialogPlayFragment();
    void OnHowToShowTooltip();
    void OnDrawFreqAxes();
    void OnUpdateDrawFreqAxes(CCmdUI* pCmdUI);
    void On15BitsVideomode();
    void OnUpdate15BitsVideomode(CCmdUI* pCmdUI);
    void OnCalculateSpectra();
    void OnShowLocalMaxOnSonogram();
    void OnUpdateShowLocalMaxOnSonogram(CCmdUI* pCmdUI);

    // Fills the picture columns of the visible cadres that are stale.
    void CalculateBitmap();
    // Sizes scroll range, caches and picture to the window and the film,
    // and centres the view on the caret.
    void SetNewScrollSizesAndRecalculateImages();
    // One step of the blinking caret cross.
    void PutKCaret() override;
    // Every picture slot holds no cadre: the next CalculateBitmap redraws all.
    void MarkPictureStale();

    // The same computation for any first cadre, with no window: the
    // batch export renders the film through these, band after band.
    // AllocateImages sizes the caches for nWidth columns (false: no memory,
    // and nColumns = nLines = 0).
    bool AllocateImages(int nWidth);
    void CalculateSpectraFromCadre(long x0);
    void CalculateBitmapFromCadre(long x0);
    // Hertz between two frequency labels: the first of 1, 2, 5, 10 ... 10000
    // above the hertz that two text heights span.
    static long FreqAxisStep(double fs, int nFFT, int textHeight);
    // Colour of picture slot s, spectral line k, as 0x00RRGGBB.
    unsigned PicturePixel(int s, int k) const;

    const CString& GetCursorText() const { return sCursorText; }

    // Ring caches (see above).
    int nColumns = 0;
    int nLines = 0;
    CKArrayFloat amplBuffer;    // nColumns x nLines, column-major: dB, or the harmonogram ratio
    CKArrayFloat phaseBuffer;   // same shape: dPhase/dOmega
    CKArrayFloat lineScratch;   // nLines: line-to-line phase difference
    CKArrayBYTE bitmapBits;     // bottom-up 32-bit picture nColumns x nLines, row k = line k
    CKArrayInt spectraColumnMap; // cadre whose spectra slot s holds
    CKArrayInt bitmapColumnMap;  // cadre whose pixels slot s holds
    bool bPhasesKept = true;     // every spectra slot holds its phase derivatives too
    // A whole window of spectra is shared with a second core, which reads
    // the film's sound through spectra of its own set up like the film's.
    bool bSecondCore = true;
    CKArrayDouble redWeight;
    CKArrayDouble greenWeight;
    CKArrayDouble blueWeight;

    // Interaction state.
    bool bDrawFreqAxes = false;
    bool bBlinkOn = false;
    long nCaretLine = -1000000;
    bool bDrawing = false;
    bool bThumbTracking = false;
    bool bShowLocalMax = false;
    CString sCursorText;
    CPen AxisPen;

    // The pitch and formant overlays: the host's (hint 13), else the view's
    // own with both off. Their cadres are kept in it, emptied by hint 2.
    std::shared_ptr<CKTrackOverlays> pTrackOverlays = std::make_shared<CKTrackOverlays>();
    // The cadres the window shows: [first, first + count).
    void VisibleCadres(long& first, long& count) const;

    // The relative visibility of the view's traces, which the visual-levels
    // dialog then offers; only the tracer's view has one.
    virtual KRelativeVisibility* RelativeVisibility() { return nullptr; }

protected:
    // Fills the spectra of the visible cadres whose slot is stale. A derived
    // view may replace the analysis.
    virtual void CalculateSpectra();
    // Slots s0, s1 of cadres c, c + 1: false when they hold that pair
    // already; otherwise they are stamped with it and their picture
    // columns marked for redrawing.
    bool ClaimPairSlots(long c, int& s0, int& s1);

    // The spectral line under a client y.
    long LineFromClientY(int y) const;
    void SetCaretFromClientPoint(CPoint point) override;
    void BuildCursorText(long cadre, double f);
    void DrawCaretCross(CDC* pDC, long column, long line, int x0, int yTop);
    void DrawFreqAxes(CDC* pDC, const CRect& rcClient);
    void DrawLocalMaxima(CDC* pDC, long x0);
    // The overlays the host asks for, over the cadres the window shows.
    void DrawTrackOverlays(CDC* pDC, const CRect& rc);
    // The overlays lie on top of the inverted selection, keeping their
    // colours: where the selection was inverted on screen since (old0, old1),
    // the window is drawn anew.
    void RedrawOverlaysOverSelection(long old0, long old1);

private:
    bool FilmIsDrawable() const;
    void calculatePairs(long x0);
    void calculateHarmonogram(long x0);

    // Whole spectra of films whose NFFT gives more lines than the picture holds.
    std::vector<float> wideLevels, widePhases;
    // The second core's copies of the film's spectra pS0 .. pS3 (those named
    // are brought in line with the film's; false: compute on one core).
    bool SecondCoreMirrors(std::initializer_list<int> which);
    bool SecondCoreFree() const;
    static constexpr size_t kPairsForSecondCore = 64;
    std::unique_ptr<CKSpectrum> mirror[4];
    bool bMirrorsStale = true;
};
