#include "kavrel/views/KHearingThreshold.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The measured rows of the threshold curve.
constexpr std::pair<double, double> kRows[] = {
    {31.25, 58.23}, {46.88, 42.1},  {62.5, 33.44},   {125, 19.2},     {406.25, 7.44},  {1000, 3.37},
    {2000, -0.25},  {3500, -4.86},  {6000, 2.08},    {10250, 11.6},   {15000, 51.04},  {16000, 65.67},
    {17000, 80.37}, {18000, 95.07}, {19000, 109.77}, {20000, 124.47},
};
constexpr int kRowCount = int(std::size(kRows));
constexpr int kTableSize = 324;

// Between the measured rows the curve is a monotone cubic (Fritsch and
// Carlson) in log2 of the frequency: smooth, through every row, and
// without overshoot, so it never invents a dip or a bump the rows do not have.
class CThresholdCurve {
public:
    CThresholdCurve()
    {
        for (int k = 0; k < kRowCount; ++k) {
            x[k] = std::log2(kRows[k].first);
            y[k] = kRows[k].second;
        }
        double h[kRowCount - 1], d[kRowCount - 1];
        for (int k = 0; k + 1 < kRowCount; ++k) {
            h[k] = x[k + 1] - x[k];
            d[k] = (y[k + 1] - y[k]) / h[k];
        }
        for (int k = 1; k + 1 < kRowCount; ++k) {
            if (d[k - 1] * d[k] <= 0) {
                m[k] = 0;
            } else {
                const double w1 = 2 * h[k] + h[k - 1], w2 = h[k] + 2 * h[k - 1];
                m[k] = (w1 + w2) / (w1 / d[k - 1] + w2 / d[k]);
            }
        }
        m[0] = endSlope(h[0], h[1], d[0], d[1]);
        m[kRowCount - 1] = endSlope(h[kRowCount - 2], h[kRowCount - 3], d[kRowCount - 2], d[kRowCount - 3]);
    }

    double operator()(double f) const
    {
        const double t = std::log2(f);
        int k = int(std::upper_bound(x, x + kRowCount, t) - x) - 1;
        k = std::clamp(k, 0, kRowCount - 2);
        const double h = x[k + 1] - x[k], s = (t - x[k]) / h;
        const double h00 = (1 + 2 * s) * (1 - s) * (1 - s), h10 = s * (1 - s) * (1 - s);
        const double h01 = s * s * (3 - 2 * s), h11 = s * s * (s - 1);
        return h00 * y[k] + h10 * h * m[k] + h01 * y[k + 1] + h11 * h * m[k + 1];
    }

private:
    static double endSlope(double h0, double h1, double d0, double d1)
    {
        double s = ((2 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
        if (s * d0 <= 0)
            return 0;
        if (d0 * d1 <= 0 && std::fabs(s) > 3 * std::fabs(d0))
            return 3 * d0;
        return s;
    }

    double x[kRowCount], y[kRowCount], m[kRowCount];
};

std::vector<std::pair<double, double>> buildTable()
{
    // 324 frequencies evenly spaced on a log scale; the measured rows take
    // the place of their nearest neighbours, so they stand in the table as given.
    const CThresholdCurve curve;
    const double lo = std::log2(kRows[0].first), hi = std::log2(kRows[kRowCount - 1].first);
    std::vector<std::pair<double, double>> table(kTableSize);
    for (int i = 0; i < kTableSize; ++i) {
        const double f = std::exp2(lo + (hi - lo) * i / (kTableSize - 1));
        table[size_t(i)] = {f, curve(f)};
    }
    for (const auto& row : kRows) {
        const int i = int(std::lround((std::log2(row.first) - lo) / (hi - lo) * (kTableSize - 1)));
        table[size_t(i)] = row;
    }
    return table;
}

double line(const std::pair<double, double>& a, const std::pair<double, double>& b, double f)
{
    return a.second + (b.second - a.second) * (f - a.first) / (b.first - a.first);
}

} // namespace

const std::vector<std::pair<double, double>>& KHearingThresholdTable()
{
    static const std::vector<std::pair<double, double>> table = buildTable();
    return table;
}

double KHearingThreshold_dB(double f)
{
    if (f <= 0)
        return 1000;
    const auto& t = KHearingThresholdTable();
    if (f < t.front().first)
        return line(t[0], t[1], f);
    if (f > t.back().first)
        return line(t[t.size() - 2], t.back(), f);
    auto it = std::lower_bound(t.begin(), t.end(), f, [](const auto& row, double v) { return row.first < v; });
    if (it->first == f)
        return it->second;
    return line(*(it - 1), *it, f);
}
