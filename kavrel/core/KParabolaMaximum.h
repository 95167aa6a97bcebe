// Three-point parabolic interpolation of a peak.
#pragma once

struct PARABOLA_PARAMS {
    double x;       // abscissa of the middle sample
    double dx;      // spacing of the three samples
    double yLeft;   // value at x - dx
    double yMiddle; // value at x
    double yRight;  // value at x + dx
    double xMax;    // out: abscissa of the peak
    double yMax;    // out: value at the peak
};

class CKParabolaMaximum {
public:
    CKParabolaMaximum() = default;
    explicit CKParabolaMaximum(PARABOLA_PARAMS* p) { Calculate(p); }
    void Calculate(PARABOLA_PARAMS* p);
};
