#include "vornel/VornelPhazeView.h"

#include <vector>

#include "framework/ui/CDC.h"
#include "framework/ui/CGdiObjects.h"
#include "vornel/doc/VornelDoc.h"

IMPLEMENT_DYNCREATE(CVornelPhazeView, CVornelView)

namespace {
const char* const kNotReady = "Спектр еще не готов ...";
}

void CVornelPhazeView::CalculateGeometry(int w, int h, CSize& total, CSize& page, CSize& line)
{
    const CVornelDoc* doc = GetVornelDoc();
    const bool whole = !doc || doc->bWholeSpectrumInWindow;
    total = CSize(whole ? w : CVornelDoc::nBins, h);
    page = CSize(whole ? 1 : w, h);
    line = CSize(whole ? 1 : 64, h / 8);
}

CString CVornelPhazeView::TopText() const
{
    const CVornelDoc* doc = GetVornelDoc();
    double maxDelta = 0.0;
    int iDelta = 0;
    if (doc)
        FindLargestRise(doc->p_dPhaze_dOmega, CVornelDoc::nBins, maxDelta, iDelta);
    CString s;
    s.Format("phaze max = %f, max_delta = %f, i_delta = %i", doc ? doc->dPhazeMax : 0.0, double(float(maxDelta)),
             iDelta);
    return s;
}

CString CVornelPhazeView::BottomText() const
{
    const CVornelDoc* doc = GetVornelDoc();
    const float f = doc ? float(GetScrollPosition().x * doc->GetFs() / CVornelDoc::kFFT) : 0.0f;
    CString s;
    s.Format("частота = %f Гц,  phaze min = %f", double(f), doc ? doc->dPhazeMin : 0.0);
    return s;
}

BOOL CVornelPhazeView::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, clrBackground);
    const CVornelDoc* doc = GetVornelDoc();
    if (doc && doc->dPhazeMax > doc->dPhazeMin) {
        const int y = int(doc->dPhazeMax / (doc->dPhazeMax - doc->dPhazeMin) * rc.Height());
        CPen zero(PS_SOLID, 1, clrZero);
        CPen* old = pDC->SelectObject(&zero);
        pDC->MoveTo(0, y);
        pDC->LineTo(rc.right, y);
        pDC->SelectObject(old);
    }
    pDC->SetTextAlign(TA_LEFT | TA_TOP);
    pDC->TextOut(0, 0, TopText());
    pDC->SetTextAlign(TA_LEFT | TA_BOTTOM);
    pDC->TextOut(0, rc.Height(), BottomText());
    pDC->SetTextAlign(TA_LEFT | TA_TOP);
    return TRUE;
}

void CVornelPhazeView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    Invalidate(TRUE);
    CVornelView::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CVornelPhazeView::OnDraw(CDC* pDC)
{
    CVornelDoc* doc = GetVornelDoc();
    if (!doc || !doc->bSpectrumReady) {
        pDC->TextOut(10, 10, kNotReady);
        return;
    }
    CRect rc;
    GetClientRect(&rc);
    const int w = rc.Width(), h = rc.Height();
    const int B = CVornelDoc::nBins;
    const double* v = doc->p_dPhaze_dOmega;
    const double range = doc->dPhazeMax - doc->dPhazeMin;
    std::vector<POINT> points(static_cast<size_t>(B));
    for (int i = 0; i < B; ++i) {
        points[size_t(i)].x = doc->bWholeSpectrumInWindow ? int((long long)i * w / B) : i;
        points[size_t(i)].y = int((doc->dPhazeMax - v[i]) / range * h);
    }
    int first = 0, count = B;
    if (!doc->bWholeSpectrumInWindow) {
        // Only the stretch of the curve in sight, with a point beyond each edge.
        first = std::max(GetScrollPosition().x - 1, 0);
        count = std::min(GetScrollPosition().x + w + 1, B - 1) - first + 1;
    }
    CPen pen(PS_SOLID, 1, clrCurve);
    CPen* old = pDC->SelectObject(&pen);
    pDC->Polyline(points.data() + first, count);
    pDC->SelectObject(old);
}
