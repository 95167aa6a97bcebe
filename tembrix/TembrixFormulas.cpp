#include "tembrix/TembrixFormulas.h"

#include <algorithm>
#include <cmath>

int LowestFreeLevel(const std::vector<const CKPhoneObject*>& objects, long nSelFirst, long nSelLast)
{
    return KLowestFreeLevel(objects, nSelFirst, nSelLast);
}

CString FormatCaretFrequency(double f)
{
    const double a = std::fabs(f);
    const int n = a > 0 ? int(std::log10(a)) : -1;
    const char* format = "%.3f Гц";
    switch (n) {
    case 0: format = "%.4f Гц"; break;
    case 2: format = "%.2f Гц"; break;
    case 3: format = "%.1f Гц"; break;
    case 4: format = "%.0f Гц"; break;
    default: break;
    }
    CString s;
    s.Format(format, f);
    return s;
}

CString FormatSeconds(double t)
{
    CString s;
    s.Format("%.3f с", t);
    return s;
}

int RulerTickStep(int s, bool bClockLabels)
{
    static const int kClock[] = {1, 2, 5, 10, 20, 30, 60, 120, 300, 600, 1200, 1800, 3600, 7200};
    static const int kSeconds[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    const int* ladder = bClockLabels ? kClock : kSeconds;
    const int n = bClockLabels ? int(std::size(kClock)) : int(std::size(kSeconds));
    for (int i = 0; i < n; ++i)
        if (ladder[i] > s)
            return ladder[i];
    return ladder[n - 1];
}

CString RulerLabel(int t, bool bClockLabels)
{
    CString s;
    if (bClockLabels)
        s.Format("%02i:%02i:%02i", (t / 3600) % 24, (t / 60) % 60, t % 60);
    else
        s.Format("%i", t);
    return s;
}

CString PhoneObjectCaption(const CString& sName, const CString& sComment)
{
    CString comment = sComment;
    comment.Replace("\r\n", " ");
    CString s;
    s.Format("%s: %s", sName.GetString(), comment.GetString());
    return s;
}

KBackgroundMetrics BackgroundMetrics(int W, int H)
{
    KBackgroundMetrics m{};
    m.nFontAHeight = int(0.6 * (H / 20));
    m.nFontAWidth = int(0.6 * (W / 80));
    m.nFontBHeight = H / 8;
    m.nFontBWidth = W / 35;
    m.nFontCHeight = H / 30;
    m.nFontCWidth = W / 120;
    m.nPenWidth[0] = H / 300;
    m.nPenWidth[1] = H / 300 + 1;
    m.nPenWidth[2] = H / 300 + 2;
    m.xTitle = int(0.6 * W);
    m.yTitleBottom = 3 * H / 4 - (H / 8) / 8;
    return m;
}

std::vector<std::pair<int, int>> BackgroundSinusoid(int W, int H)
{
    // A voice's damped ring above the title: five periods dying out to the right.
    std::vector<std::pair<int, int>> points;
    const int x0 = int(0.6 * W) - W / 4, x1 = int(0.6 * W) + W / 4;
    const double yMid = H / 2.0, amplitude = H / 12.0;
    if (x1 <= x0)
        return points;
    for (int x = x0; x <= x1; x += 2) {
        const double u = double(x - x0) / double(x1 - x0);
        points.emplace_back(x, int(yMid - amplitude * std::exp(-3.0 * u) * std::sin(2 * M_PI * 5 * u)));
    }
    return points;
}

KShownSpan ShownPartOfSpan(long left, long right, int nClientWidth)
{
    constexpr long kMargin = 4;
    const long lo = -kMargin, hi = long(std::max(nClientWidth, 0)) + kMargin;
    const long l = std::clamp(left, lo, hi);
    const long r = std::clamp(std::max(right, left), lo, hi);
    return {int(l), int(r), int(l - left)};
}
