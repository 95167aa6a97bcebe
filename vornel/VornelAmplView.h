// CVornelAmplView: the amplitude spectrum of the object, a vertical yellow
// line per bin from its level down to 180 dB below the strongest bin, on
// black with a grey line every 10 dB. Scrolled a bin a pixel, maxima are
// labelled with their frequencies in red at the top and minima in black,
// the strongest first and none over another.
#pragma once
#include <vector>

#include "vornel/VornelView.h"

class CVornelAmplView : public CVornelView {
    DECLARE_DYNCREATE(CVornelAmplView)
public:
    static constexpr int nRange_dB = 180;
    static constexpr int nPixelsPer_dB = 1;
    static constexpr COLORREF clrBackground = RGB(0, 0, 0);
    static constexpr COLORREF clrGrid = RGB(127, 127, 127);
    static constexpr COLORREF clrSpectrum = RGB(255, 255, 0);
    static constexpr COLORREF clrMaximum = RGB(255, 0, 0);
    static constexpr COLORREF clrMinimum = RGB(0, 0, 0);

    void OnDraw(CDC* pDC) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

    // The top of bin i's line below the strongest level M.
    static int TopOfBin(double M, double dB);
    // The boxes of the frequency labels the last drawing showed.
    const std::vector<CRect>& DrawnLabels() const { return drawnLabels; }

protected:
    void CalculateGeometry(int w, int h, CSize& total, CSize& page, CSize& line) override;

private:
    std::vector<CRect> drawnLabels;
};
