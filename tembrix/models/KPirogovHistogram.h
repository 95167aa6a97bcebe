// CKPirogovHistogram: the Pirogov dialog's picture of the function's
// distribution, one bar per bin of the density written to the report.
#pragma once
#include "tembrix/models/KModelPicture.h"

struct KPirogovStatistics;

class CKPirogovHistogram : public CKModelPicture {
public:
    static constexpr COLORREF kBackground = RGB(255, 255, 255);
    static constexpr COLORREF kBar = RGB(0, 0, 160);

    bool Create(const RECT& rect, CWnd* pParent, UINT nID);
    // The bins to show (empty before the first computation).
    void SetStatistics(const KPirogovStatistics& st);

    int histogram[100] = {};
    int n = 0;

    // The height in pixels of bin b's bar in a picture H pixels high: the
    // fullest bin reaches the top.
    int BarHeight(int b, int H) const;

    CKPirogovHistogram() : CKModelPicture(kBackground) {}

protected:
    void Draw(CDC& dc, int W, int H) override;
};
