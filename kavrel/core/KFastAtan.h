// The phase of a complex value for loops that compute thousands of them: the
// library's atan2 costs more than the transform that produced the values.
#pragma once
#include <cmath>
#include <numbers>

// atan2(y, x) from the arctangent of the smaller over the larger magnitude by
// the polynomial of Abramowitz and Stegun 4.4.49 (error below 2e-8 rad on
// [0, 1]), folded into the right octant. Written without branches so that a
// loop over it vectorises; (0, 0) gives 0, unlike the library's ±0 or ±π.
template <typename T>
[[gnu::always_inline]] inline T KFastAtan2(T y, T x)
{
    const T ax = std::fabs(x), ay = std::fabs(y);
    const T big = ax > ay ? ax : ay, small = ax > ay ? ay : ax;
    const T t = small / (big == T(0) ? T(1) : big), t2 = t * t;
    T r = T(-0.0161657367) + t2 * T(0.0028662257);
    r = T(0.0429096138) + t2 * r;
    r = T(-0.0752896400) + t2 * r;
    r = T(0.1065626393) + t2 * r;
    r = T(-0.1420889944) + t2 * r;
    r = T(0.1999355085) + t2 * r;
    r = T(-0.3333314528) + t2 * r;
    r = t + t * t2 * r;
    r = ay > ax ? T(std::numbers::pi_v<T> / 2) - r : r;
    r = x < T(0) ? std::numbers::pi_v<T> - r : r;
    return std::copysign(r, y); // r ≥ 0: the sign of y, −0 included
}

// atan2(y, x) within 5e-16 rad of the library's, for phases whose small
// differences matter: the quotient t of the smaller over the larger
// magnitude, above 0.66 folded into (t − 1)/(t + 1) around π/4, then the
// rational arctangent t + t·z·P(z)/Q(z), z = t², of Cephes' atan.c. In two
// steps, so that loops may share one division among several P/Q (Q lies in
// [194, 510]). Branch-free like KFastAtan2, and (0, 0) again gives 0; the
// flags are doubles, as a bool would stop the vectoriser.
struct KATAN2_STEPS {
    double t, z, P, Q;
    double upper, swapped, negativeX, y;
};

[[gnu::always_inline]] inline KATAN2_STEPS KAtan2Begin(double y, double x)
{
    const double ax = std::fabs(x), ay = std::fabs(y);
    const double big = ax > ay ? ax : ay, small = ax > ay ? ay : ax;
    KATAN2_STEPS s;
    s.upper = small > 0.66 * big ? 1.0 : 0.0;
    const double num = s.upper != 0 ? small - big : small, den = s.upper != 0 ? small + big : (big == 0 ? 1.0 : big);
    s.t = num / den;
    s.z = s.t * s.t;
    const double z = s.z;
    s.P = (((-8.750608600031904122785e-1 * z - 1.615753718733365076637e1) * z - 7.500855792314704667340e1) * z -
           1.228866684490136173410e2) * z -
          6.485021904942025371773e1;
    s.Q = ((((z + 2.485846490142306297962e1) * z + 1.650270098316988542046e2) * z + 4.328810604912902668951e2) * z +
           4.853903996359136964868e2) * z +
          1.945506571482613964425e2;
    s.swapped = ay > ax ? 1.0 : 0.0;
    s.negativeX = x < 0 ? 1.0 : 0.0;
    s.y = y;
    return s;
}

[[gnu::always_inline]] inline double KAtan2End(const KATAN2_STEPS& s, double PoverQ)
{
    double r = s.t + s.t * s.z * PoverQ;
    r = s.upper != 0 ? r + std::numbers::pi / 4 : r;
    r = s.swapped != 0 ? std::numbers::pi / 2 - r : r;
    r = s.negativeX != 0 ? std::numbers::pi - r : r;
    return std::copysign(r, s.y); // r ≥ 0
}

[[gnu::always_inline]] inline double KAtan2(double y, double x)
{
    const KATAN2_STEPS s = KAtan2Begin(y, x);
    return KAtan2End(s, s.P / s.Q);
}
