#include "vornel/VornelAmplView.h"

#include <algorithm>
#include <vector>

#include "framework/ui/CDC.h"
#include "framework/ui/CGdiObjects.h"
#include "kavrel/views/KLabelPlacer.h"
#include "vornel/doc/VornelDoc.h"

IMPLEMENT_DYNCREATE(CVornelAmplView, CVornelView)

namespace {
const char* const kNotReady = "Спектр еще не готов ...";
}

int CVornelAmplView::TopOfBin(double M, double dB)
{
    return int(std::min((M - dB) * nPixelsPer_dB, double(nRange_dB * nPixelsPer_dB)));
}

void CVornelAmplView::CalculateGeometry(int w, int h, CSize& total, CSize& page, CSize& line)
{
    const int H = nRange_dB * nPixelsPer_dB;
    const CVornelDoc* doc = GetVornelDoc();
    const bool whole = !doc || doc->bWholeSpectrumInWindow;
    total = CSize(whole ? w : CVornelDoc::nBins, H);
    page = CSize(whole ? 1 : w, std::min(h, H));
    line = CSize(whole ? 1 : 64, std::min(h / 8, H / 8));
}

BOOL CVornelAmplView::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, clrBackground);
    CPen grid(PS_SOLID, 1, clrGrid);
    CPen* old = pDC->SelectObject(&grid);
    const int y0 = GetScrollPosition().y;
    for (int dB = 10; dB < nRange_dB; dB += 10) {
        const int y = dB * nPixelsPer_dB - y0;
        pDC->MoveTo(0, y);
        pDC->LineTo(rc.right, y);
    }
    pDC->SelectObject(old);
    return TRUE;
}

void CVornelAmplView::OnDraw(CDC* pDC)
{
    CVornelDoc* doc = GetVornelDoc();
    drawnLabels.clear();
    if (!doc || !doc->bSpectrumReady) {
        pDC->TextOut(10, 10, kNotReady);
        return;
    }
    const int B = CVornelDoc::nBins;
    const double* dB = doc->pAmpl_dB;
    const double M = *std::max_element(dB, dB + B);
    const int bottom = nRange_dB * nPixelsPer_dB;
    CRect rc;
    GetClientRect(&rc);
    const int w = rc.Width();
    CPen pen(PS_SOLID, 1, clrSpectrum);
    CPen* old = pDC->SelectObject(&pen);
    if (doc->bWholeSpectrumInWindow) {
        // Many bins share a column: the highest of them covers the others' lines.
        std::vector<int> top(static_cast<size_t>(std::max(w, 1)), bottom);
        for (int i = 0; i < B; ++i) {
            const int x = int((long long)i * w / B);
            top[size_t(x)] = std::min(top[size_t(x)], TopOfBin(M, dB[i]));
        }
        for (int x = 0; x < w; ++x) {
            pDC->MoveTo(x, top[size_t(x)]);
            pDC->LineTo(x, bottom);
        }
        pDC->SelectObject(old);
        return;
    }
    const int first = GetScrollPosition().x, last = std::min(first + w, B);
    for (int i = first; i < last; ++i) {
        pDC->MoveTo(i, TopOfBin(M, dB[i]));
        pDC->LineTo(i, bottom);
    }
    pDC->SelectObject(old);
    if (!doc->bShowNumbers)
        return;
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextAlign(TA_CENTER);
    // On a real spectrum neighbouring extrema lie a few bins apart and their
    // numbers would print over each other: the highest maxima are labelled
    // first, then the deepest minima, each only where it covers no label.
    struct Candidate {
        int bin;
        bool maximum;
        double dB;
    };
    std::vector<Candidate> candidates;
    const int from = std::max(first, 1), to = std::min(last, B - 1);
    for (int i = from; i < to; ++i) {
        if (dB[i] > dB[i - 1] && dB[i] > dB[i + 1])
            candidates.push_back({i, true, dB[i]});
        else if (dB[i] < dB[i - 1] && dB[i] < dB[i + 1])
            candidates.push_back({i, false, dB[i]});
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.maximum != b.maximum)
            return a.maximum;
        return a.maximum ? a.dB > b.dB : a.dB < b.dB;
    });
    CKLabelPlacer placer;
    CString label;
    for (const Candidate& c : candidates) {
        label.Format("%.1f", doc->GetFrequencyOfBin(c.bin));
        const CSize size = pDC->GetTextExtent(label);
        const int top = c.maximum ? 0 : TopOfBin(M, dB[c.bin]);
        const int left = c.bin - size.cx / 2;
        if (!placer.TryPlace(CRect(left, top, left + size.cx, top + size.cy)))
            continue;
        pDC->SetTextColor(c.maximum ? clrMaximum : clrMinimum);
        pDC->TextOut(c.bin, top, label);
    }
    drawnLabels = placer.Placed();
}
