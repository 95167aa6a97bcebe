#include "tembrix/models/KPirogovHistogram.h"

#include <algorithm>

#include "framework/ui/CDC.h"
#include "tembrix/models/KPirogovFunction.h"

bool CKPirogovHistogram::Create(const RECT& rect, CWnd* pParent, UINT nID)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, pParent, nID) != FALSE;
}

void CKPirogovHistogram::SetStatistics(const KPirogovStatistics& st)
{
    std::copy(st.histogram, st.histogram + 100, histogram);
    n = st.n;
    Invalidate();
    UpdateWindow();
}

int CKPirogovHistogram::BarHeight(int b, int H) const
{
    const int fullest = *std::max_element(histogram, histogram + 100);
    return fullest > 0 ? int(double(histogram[b]) * H / fullest + 0.5) : 0;
}

void CKPirogovHistogram::Draw(CDC& dc, int W, int H)
{
    if (n <= 0)
        return;
    for (int b = 0; b < 100; ++b) {
        const int x0 = b * W / 100, x1 = std::max(x0 + 1, (b + 1) * W / 100);
        const int h = BarHeight(b, H);
        if (h > 0)
            dc.FillSolidRect(x0, H - h, x1 - x0, h, kBar);
    }
}
