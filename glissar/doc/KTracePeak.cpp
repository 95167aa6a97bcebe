#include "glissar/doc/KTracePeak.h"

#include <cmath>

KTRACE_PEAK_CONSTANTS MakeTracePeakConstants(double Fs, int nFFT, double sigmaF)
{
    const double pi = 4 * std::atan(1.0);
    KTRACE_PEAK_CONSTANTS c;
    c.Fs = Fs;
    const double W = 2 * pi * sigmaF;
    c.W2 = W * W;
    c.df = Fs / double(nFFT);
    c.r2 = (c.df / sigmaF) * (c.df / sigmaF);
    c.r2ln = c.r2 * 20 / std::log(10.0);
    return c;
}

namespace {
const double kLn10Over20 = std::log(10.0) / 20;

// arg(x · conj y)
double phaseStep(const Z& x, const Z& y)
{
    const double re = x.re * y.re + x.im * y.im;
    const double im = x.im * y.re - x.re * y.im;
    return std::atan2(im, re);
}
} // namespace

KTRACE_PEAK EstimateTracePeak(double a, double b, double d, const Z& zm, const Z& z0, const Z& zp, int k,
                              const KTRACE_PEAK_CONSTANTS& c)
{
    KTRACE_PEAK p;
    const double D2 = a - 2 * b + d;
    const double phim = phaseStep(zm, z0);
    const double phip = phaseStep(zp, z0);
    const double S = phip + phim;

    double Q = 0, betam = 0;
    if (D2 < 0) {
        Q = (a - d) / D2;
        p.f = (k + Q / 2) * c.df;
        p.L = b - (a - d) * (a - d) / (8 * D2);
        // A chirp widens the Gaussian peak beyond the window's own curvature.
        const double x = -c.r2ln / D2 - 1;
        betam = x >= 0 ? c.W2 * std::sqrt(x) : 0;
    } else {
        p.f = k * c.df;
        p.L = b;
    }
    // The phase curvature across the peak has the sign opposite to the chirp.
    betam = S >= 0 ? -betam : betam;

    const double Kc = S / c.r2;
    double beta;
    if (Kc == 0) {
        beta = 0;
    } else if (1 - 4 * Kc * Kc < 0) {
        beta = betam;
    } else {
        const double root = std::sqrt(1 - 4 * Kc * Kc);
        const double R1 = (c.W2 / (2 * Kc)) * (-1 - root);
        const double R2 = (c.W2 / (2 * Kc)) * (-1 + root);
        beta = std::fabs(R1 - betam) <= std::fabs(R2 - betam) ? R1 : R2;
    }
    p.beta = beta;

    const double phi = std::atan2(z0.im, z0.re) + (Q / 4) * ((phip - phim) + S * Q / 2);
    // 10^(L/20) and a fourth root, without pow: this runs for every maximum of every cadre.
    p.A = std::exp(p.L * kLn10Over20) * std::sqrt(std::sqrt(1 + beta * beta / (c.W2 * c.W2)));
    p.omega = 2 * (4 * std::atan(1.0)) * p.f / c.Fs; // π as 4·atan 1, as in the constants
    p.D = beta / (2 * c.Fs * c.Fs);
    p.P = beta == 0 ? phi : phi - 0.5 * std::atan(beta / c.W2);
    return p;
}
