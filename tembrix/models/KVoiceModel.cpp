#include "tembrix/models/KVoiceModel.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "framework/ui/CDC.h"
#include "framework/ui/CGdiObjects.h"

bool CKVoiceModel::Create(const RECT& rect, CWnd* pParent, UINT nID)
{
    return CWnd::Create(nullptr, "MyKVoiceModelWindowName", WS_CHILD | WS_VISIBLE, rect, pParent, nID) != FALSE;
}

CString CKVoiceModel::ResidualText() const
{
    CString text;
    text.Format("Невязка = %.5f", GetResidual());
    return text;
}

void CKVoiceModel::Draw(CDC& dc, int W, int H)
{
    if (c <= 0)
        return;
    // ±A2 spans the height; a model without a negative peak is scaled by its
    // opening peak instead, so that nothing divides by zero.
    const double scale = Params.A2 > 0 ? Params.A2 : Params.A1 > 0 ? Params.A1 : 1.0;
    auto x = [&](int i) { return int(double(i) * W / c); };
    auto y = [&](double v) { return int((1 - v / scale) * H / 2); };
    const double* P = Pulse.pArray;
    const double* F = Flow.pArray;
    const int base = H / 2;

    CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = dc.SelectObject(&black);
    dc.MoveTo(0, base);
    dc.LineTo(W, base);
    const int k1 = i1 < c ? i1 : c - 1;
    dc.MoveTo(x(i1), base);
    dc.LineTo(x(i1), y(P[k1]));
    dc.MoveTo(x(i2), base);
    dc.LineTo(x(i2), y(-Params.A2));

    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kLabelColour);
    dc.SetTextAlign(TA_CENTER | TA_TOP);
    dc.TextOut(x(i1), base + 1, "T1");
    dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
    dc.TextOut(x(i1), y(P[k1]), "A1");
    dc.TextOut(x(i2), base + 1, "T2");
    dc.TextOut(x(i3), base + 1, "T3");

    CPen flowPen(PS_SOLID, 3, kFlowColour);
    dc.SelectObject(&flowPen);
    dc.MoveTo(0, base);
    for (int i = 1; i < c; ++i)
        dc.LineTo(x(i), y(F[i]));

    CPen signalPen(PS_SOLID, 3, kSignalColour);
    dc.SelectObject(&signalPen);
    const double a_n = std::pow(10.0, Params.Noise_dB / 20) * Params.A2;
    const double a_c = std::pow(10.0, Params.ChestA_dB / 20) * Params.A2;
    dc.MoveTo(0, base);
    for (int i = 1; i < c; ++i) {
        const double s = P[i] + (VoiceModelUniform() - 0.5) * 2 * F[i] * a_n +
                         std::cos(2 * std::numbers::pi * i * Params.ChestF / kFs + Params.ChestPhase) * F[i] * a_c;
        dc.LineTo(x(i), y(s));
    }
    dc.SelectObject(old);

    dc.SetTextAlign(TA_RIGHT | TA_TOP);
    dc.TextOut(W - 1, 1, ResidualText());
}
