#include "glissar/doc/KTracePeak.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "kavrel/core/KFastAtan.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

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

// The loops below are compiled for plain x86-64 and again with AVX2 and with
// AVX-512, picked by the loader. This file is built without fused
// multiply-adds (see its CMakeLists): the powers must have the bits of those
// of the dB spectrum. Only the peak estimate fuses them, for its long chains
// of polynomials, so its last bits depend on the processor. Clang (the fuzz
// build) makes no such clones of functions other files call: one version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define KTRACE_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define KTRACE_VECTOR_CLONES
#endif

namespace {

// Two powers this close (relative) may have equal dB levels. Further apart,
// 10·log10 of each, off by a few units of its last place (below 3e-12 dB over
// the whole double range), keeps their order: 10·log10(1 + 1e-9) = 4.3e-9 dB.
constexpr double kPowerTieRatio = 1e-9;

// Also true when either is not a number: the dB levels must judge those.
[[gnu::always_inline]] inline bool NearTie(double a, double b)
{
    const double big = a > b ? a : b;
    return (a != b) & !(std::fabs(a - b) > kPowerTieRatio * big);
}

// A plateau whose left neighbour decides it, in the byte of a bin for a moment.
constexpr unsigned char kPlateau = 0x04;

// Natural logarithm of a positive normal double, after fdlibm's e_log.c: the
// mantissa brought into [√½, √2) as 1 + f, log(1 + f) by its polynomial in
// s = f/(2+f). Within an ulp of the library's, without its branches. In two
// steps, so that loops may share the division by 2 + f (within [1.7, 2.5]).
struct LogSteps {
    double e, f;
};

[[gnu::always_inline]] inline LogSteps LogBegin(double x)
{
    constexpr std::uint64_t sqrtHalf = 0x3fe6a09e667f3bcdull;
    const std::uint64_t t = std::bit_cast<std::uint64_t>(x) + (0x3ff0000000000000ull - sqrtHalf);
    // The biased exponent as a double, through the mantissa of 2^52.
    const double e = std::bit_cast<double>((t >> 52) | 0x4330000000000000ull) - (4503599627370496.0 + 1023);
    const double m = std::bit_cast<double>((t & 0x000fffffffffffffull) + sqrtHalf);
    return {e, m - 1};
}

[[gnu::always_inline]] inline double LogEnd(const LogSteps& l, double inv2f)
{
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double Lg1 = 6.666666666666735130e-01, Lg2 = 3.999999999940941908e-01,
                     Lg3 = 2.857142874366239149e-01, Lg4 = 2.222219843214978396e-01,
                     Lg5 = 1.818357216161805012e-01, Lg6 = 1.531383769920937332e-01,
                     Lg7 = 1.479819860511658591e-01;
    const double f = l.f, e = l.e, s = f * inv2f, z = s * s, w = z * z;
    const double R = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7))) + w * (Lg2 + w * (Lg4 + w * Lg6));
    const double hfsq = 0.5 * f * f;
    return e * ln2Hi - ((hfsq - (s * (hfsq + R) + e * ln2Lo)) - f);
}

// e^x for x in [0, 700]: 2^n by the exponent bits, e^r for |r| ≤ ln2/2 by its
// Taylor polynomial to r^12 (remainder below 2e-16).
[[gnu::always_inline]] inline double ExpModerate(double x)
{
    constexpr double invLn2 = 1.44269504088896338700e+00;
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double shifter = 6755399441055744.0; // 1.5·2^52: adding it rounds to an integer in the low bits
    const double kd = x * invLn2 + shifter;
    const std::uint64_t n = std::bit_cast<std::uint64_t>(kd);
    const double k = kd - shifter;
    const double r = (x - k * ln2Hi) - k * ln2Lo;
    double p = 1.0 / 479001600;
    p = 1.0 / 39916800 + r * p;
    p = 1.0 / 3628800 + r * p;
    p = 1.0 / 362880 + r * p;
    p = 1.0 / 40320 + r * p;
    p = 1.0 / 5040 + r * p;
    p = 1.0 / 720 + r * p;
    p = 1.0 / 120 + r * p;
    p = 1.0 / 24 + r * p;
    p = 1.0 / 6 + r * p;
    p = 0.5 + r * p;
    p = 1 + r * p;
    p = 1 + r * p;
    return p * std::bit_cast<double>((n + 1023) << 52);
}

// One block of maxima, gathered so that the arithmetic runs down columns.
constexpr int kBlock = 64;
struct PeakBlock {
    double qa[kBlock], qb[kBlock], qd[kBlock];
    double zmr[kBlock], zmi[kBlock], z0r[kBlock], z0i[kBlock], zpr[kBlock], zpi[kBlock], k[kBlock];
    double A[kBlock], omega[kBlock], D[kBlock], P[kBlock];
    double la[kBlock], ld[kBlock], phim[kBlock], phip[kBlock], arg0[kBlock];
    double odd[kBlock]; // not 0: left to EstimateTracePeak
};

KTRACE_VECTOR_CLONES __attribute__((optimize("fp-contract=fast")))
void EstimateBlock(PeakBlock& b, int n, const KTRACE_PEAK_CONSTANTS& c)
{
    const double W2 = c.W2, invW2 = 1 / c.W2, r2 = c.r2, invR2 = 1 / c.r2, df = c.df;
    const double omegaPerHz = 2 * (4 * std::atan(1.0)) / c.Fs, invTwoFs2 = 1 / (2 * c.Fs * c.Fs);
    for (int i = 0; i < n; ++i) {
        // The levels enter only through their differences: ln of the power
        // ratios to the maximum (a − b = c·la and d − b = c·ld with c = 10/ln 10).
        const double invQb = 1 / b.qb[i];
        const double ra = b.qa[i] * invQb, rd = b.qd[i] * invQb;
        const LogSteps lra = LogBegin(ra), lrd = LogBegin(rd);

        const double pmr = b.zmr[i] * b.z0r[i] + b.zmi[i] * b.z0i[i];
        const double pmi = b.zmi[i] * b.z0r[i] - b.zmr[i] * b.z0i[i];
        const double ppr = b.zpr[i] * b.z0r[i] + b.zpi[i] * b.z0i[i];
        const double ppi = b.zpi[i] * b.z0r[i] - b.zpr[i] * b.z0i[i];
        // The phase steps to the neighbours decide the chirp through their
        // small sum, which near 1 − 4Kc² = 0 goes under a square root: they
        // need the accurate arctangent. The phase itself and its chirp
        // correction only add up: 2e-8 rad is plenty there.
        const KATAN2_STEPS am = KAtan2Begin(pmi, pmr), ap = KAtan2Begin(ppi, ppr);
        const double arg0 = KFastAtan2(b.z0i[i], b.z0r[i]);
        // One division for the four bounded denominators (product below 2e6).
        const double da = 2 + lra.f, dd = 2 + lrd.f, dad = da * dd, qmp = am.Q * ap.Q;
        const double inv = 1 / (dad * qmp), invDad = qmp * inv, invQmp = dad * inv;
        b.la[i] = LogEnd(lra, dd * invDad);
        b.ld[i] = LogEnd(lrd, da * invDad);
        b.phim[i] = KAtan2End(am, am.P * ap.Q * invQmp);
        b.phip[i] = KAtan2End(ap, ap.P * am.Q * invQmp);
        b.arg0[i] = arg0;
        const double tiny = 2.2250738585072014e-308;
        b.odd[i] = ra >= tiny && rd >= tiny ? 0.0 : 1.0;
    }
    // Two loops rather than one: shorter chains of dependent steps, which
    // the processor overlaps better.
    for (int i = 0; i < n; ++i) {
        const double la = b.la[i], ld = b.ld[i], phim = b.phim[i], phip = b.phip[i], arg0 = b.arg0[i];
        const double S = phip + phim;

        // D2 = c·s2; Q, x and the level's rise over b follow without c.
        const double s2 = la + ld;
        // One division for 1/s2 and 1/(2Kc): |s2| ≥ 1e-5 and |Kc| ≥ 1e-200
        // here, or the maximum goes to EstimateTracePeak (below). No named
        // flags: a bool among the doubles stops the vectoriser.
        const double Kc = S * invR2;
        const double s2Safe = s2 < 0 ? s2 : -1.0, twoKc = 2 * (Kc == 0 ? 1.0 : Kc);
        const double inv2 = 1 / (s2Safe * twoKc);
        const double invS2 = twoKc * inv2, invTwoKc = s2Safe * inv2;
        const double Q = s2 < 0 ? (la - ld) * invS2 : 0.0;
        const double rise = s2 < 0 ? -0.0625 * (la - ld) * (la - ld) * invS2 : 0.0; // ln of 10^((L − b)/20)
        const double x = s2 < 0 ? -2 * r2 * invS2 - 1 : -1.0;
        double betam = x >= 0 ? W2 * std::sqrt(x >= 0 ? x : 0.0) : 0.0;
        betam = S >= 0 ? -betam : betam;

        const double disc = 1 - 4 * Kc * Kc;
        const double root = std::sqrt(disc >= 0 ? disc : 0.0);
        const double h = W2 * invTwoKc;
        const double R1 = h * (-1 - root), R2 = h * (-1 + root);
        const double nearer = std::fabs(R1 - betam) <= std::fabs(R2 - betam) ? R1 : R2;
        const double beta = Kc == 0 ? 0.0 : (disc < 0 ? betam : nearer);

        const double phi = arg0 + (Q / 4) * ((phip - phim) + S * Q / 2);
        const double u = beta * invW2;
        b.A[i] = std::sqrt(b.qb[i] * std::sqrt(1 + u * u)) * ExpModerate(rise); // √qb is 10^(b/20)
        b.omega[i] = omegaPerHz * ((b.k[i] + Q / 2) * df);
        b.D[i] = beta * invTwoFs2;
        b.P[i] = phi - 0.5 * KFastAtan2(u, 1.0);
        // Power ratios out of the normal range, phase products that may
        // vanish, huge rises and tops flat within 4e-5 dB (where the plain
        // second difference of levels is mostly rounding, and only the same
        // rounding gives the same result) are left to EstimateTracePeak.
        // Selects of doubles, as bools here would stop the vectoriser.
        double odd = b.odd[i];
        odd = b.qb[i] < 1e300 ? odd : 1.0;
        odd = rise <= 700 ? odd : 1.0;
        odd = std::fabs(s2) >= 1e-5 ? odd : 1.0;
        odd = std::fabs(Kc) >= 1e-200 || Kc == 0 ? odd : 1.0;
        odd = std::fabs(b.zmr[i]) + std::fabs(b.zmi[i]) >= 1e-140 ? odd : 1.0;
        odd = std::fabs(b.zpr[i]) + std::fabs(b.zpi[i]) >= 1e-140 ? odd : 1.0;
        odd = std::fabs(b.z0r[i]) + std::fabs(b.z0i[i]) >= 1e-140 ? odd : 1.0;
        b.odd[i] = odd;
    }
}

} // namespace

KTRACE_VECTOR_CLONES
void TracePowers(const Z* z, int B, double* q)
{
    for (int i = 0; i < B; ++i)
        q[i] = z[i].re * z[i].re + z[i].im * z[i].im + 1e-100;
}

namespace {

// Bins [first, next) classified, with a plateau as kPlateau; whether two
// compared powers came within the tie ratio, and whether there was a plateau.
struct ClassifiedRun {
    int first = 1, next = 1;
    bool ties = false, plateaus = false;
};

// Four bins at a time, without branches: the levels of noise rise and fall
// at random. Comparisons give lanes of all ones or zeros.
KTRACE_VECTOR_CLONES
ClassifiedRun ClassifyFourAtATime(const double* q, int B, unsigned char* st)
{
    using V4d = double __attribute__((vector_size(32)));
    using V4i = long long __attribute__((vector_size(32)));
    using V4c = unsigned char __attribute__((vector_size(4)));
    V4i ties = {0, 0, 0, 0}, plateaus = {0, 0, 0, 0};
    int k = 1;
    for (; k + 3 <= B - 2; k += 4) {
        V4d p, x, n;
        std::memcpy(&p, q + k - 1, sizeof p);
        std::memcpy(&x, q + k, sizeof x);
        std::memcpy(&n, q + k + 1, sizeof n);
        const V4i up1 = x > p, down1 = x < p, up2 = n > x, down2 = n < x;
        const V4i valley = down1 & (n < p), flat = ~(up2 | down2), level = ~(up1 | down1);
        const V4i st4 = (down2 & ((up1 & 0x01) | (~up1 & 0x80))) | (up2 & ((valley & 0x80) | (~valley & 0x40))) |
                        (flat & ((up1 & 0x40) | (down1 & 0x80) | (level & kPlateau)));
        const V4c bytes = __builtin_convertvector(st4, V4c);
        std::memcpy(st + k, &bytes, sizeof bytes);
        // NearTie of (x, n) and of (p, n).
        const V4d eXN = kPowerTieRatio * (x > n ? x : n), dXN = x - n;
        const V4d ePN = kPowerTieRatio * (p > n ? p : n), dPN = p - n;
        ties |= (x != n) & ~(dXN > eXN) & ~(-dXN > eXN);
        ties |= (p != n) & ~(dPN > ePN) & ~(-dPN > ePN);
        plateaus |= flat & level;
    }
    ClassifiedRun r;
    r.first = 1;
    r.next = k;
    for (int i = 0; i < 4; ++i) {
        r.ties |= ties[i] != 0;
        r.plateaus |= plateaus[i] != 0;
    }
    return r;
}

#if defined(__GNUC__) && defined(__x86_64__)
// Eight bits of one bin property to eight status bytes: bit j to byte j.
constexpr std::array<std::uint64_t, 256> kSpread = [] {
    std::array<std::uint64_t, 256> t{};
    for (int m = 0; m < 256; ++m)
        for (int j = 0; j < 8; ++j)
            if (m >> j & 1)
                t[size_t(m)] |= std::uint64_t(1) << (8 * j);
    return t;
}();

// The status bytes of eight bins from the eight bits of each comparison
// (x > p, x < p, n > x, n < x, n < p), by bit operations and a table; the
// plateaus as bits.
[[gnu::always_inline]] inline unsigned StoreStatusBytes(unsigned up1, unsigned down1, unsigned up2, unsigned down2,
                                                        unsigned below, unsigned char* st)
{
    const unsigned flat = ~(up2 | down2) & 0xffu, level = ~(up1 | down1) & 0xffu;
    const unsigned maxima = down2 & up1;
    const unsigned down = (down2 & ~up1) | (up2 & down1 & below) | (flat & down1);
    const unsigned up = (up2 & ~(down1 & below)) | (flat & up1);
    const unsigned plateau = flat & level;
    const std::uint64_t bytes = kSpread[maxima & 0xffu] | kSpread[down & 0xffu] << 7 | kSpread[up & 0xffu] << 6 |
                                kSpread[plateau] << 2;
    std::memcpy(st, &bytes, sizeof bytes);
    return plateau;
}

// The same eight bins at a time with AVX2: each comparison as eight bits, the
// classification in bit operations over them, the bytes from a table.
__attribute__((target("avx2"))) ClassifiedRun ClassifyEightAtATime(const double* q, int B, unsigned char* st)
{
    const __m256d eps = _mm256_set1_pd(kPowerTieRatio), zero = _mm256_setzero_pd();
    const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffll));
    __m256d ties = zero;
    unsigned plateaus = 0;
    // From bin 8 on, so that each store of eight status bytes is one load of
    // them in the listing of the maxima that follows.
    constexpr int first = 8;
    int k = first;
    for (; k + 7 <= B - 2; k += 8) {
        unsigned up1 = 0, down1 = 0, up2 = 0, down2 = 0, below = 0;
        for (int h = 0; h < 8; h += 4) {
            const __m256d p = _mm256_loadu_pd(q + k - 1 + h), x = _mm256_loadu_pd(q + k + h),
                          n = _mm256_loadu_pd(q + k + 1 + h);
            up1 |= unsigned(_mm256_movemask_pd(_mm256_cmp_pd(x, p, _CMP_GT_OQ))) << h;
            down1 |= unsigned(_mm256_movemask_pd(_mm256_cmp_pd(x, p, _CMP_LT_OQ))) << h;
            up2 |= unsigned(_mm256_movemask_pd(_mm256_cmp_pd(n, x, _CMP_GT_OQ))) << h;
            down2 |= unsigned(_mm256_movemask_pd(_mm256_cmp_pd(n, x, _CMP_LT_OQ))) << h;
            below |= unsigned(_mm256_movemask_pd(_mm256_cmp_pd(n, p, _CMP_LT_OQ))) << h;
            // Within the tie ratio of the sum (so of the larger, or up to
            // twice that): unordered comparisons, so that what is not a
            // number counts as a tie.
            const __m256d dXN = _mm256_sub_pd(x, n), dPN = _mm256_sub_pd(p, n);
            const __m256d nearXN = _mm256_and_pd(
                _mm256_cmp_pd(_mm256_and_pd(dXN, magnitude), _mm256_mul_pd(eps, _mm256_add_pd(x, n)), _CMP_NGT_UQ),
                _mm256_cmp_pd(dXN, zero, _CMP_NEQ_UQ));
            const __m256d nearPN = _mm256_and_pd(
                _mm256_cmp_pd(_mm256_and_pd(dPN, magnitude), _mm256_mul_pd(eps, _mm256_add_pd(p, n)), _CMP_NGT_UQ),
                _mm256_cmp_pd(dPN, zero, _CMP_NEQ_UQ));
            ties = _mm256_or_pd(ties, _mm256_or_pd(nearXN, nearPN));
        }
        plateaus |= StoreStatusBytes(up1, down1, up2, down2, below, st + k);
    }
    return {first, k, _mm256_movemask_pd(ties) != 0, plateaus != 0};
}

// The same with AVX-512, whose comparisons give the eight bits at once.
__attribute__((target("avx512f"))) ClassifiedRun ClassifyEightAtOnce(const double* q, int B, unsigned char* st)
{
    const __m512d eps = _mm512_set1_pd(kPowerTieRatio), zero = _mm512_setzero_pd();
    __mmask8 ties = 0;
    unsigned plateaus = 0;
    constexpr int first = 8;
    int k = first;
    for (; k + 7 <= B - 2; k += 8) {
        const __m512d p = _mm512_loadu_pd(q + k - 1), x = _mm512_loadu_pd(q + k), n = _mm512_loadu_pd(q + k + 1);
        const unsigned up1 = _mm512_cmp_pd_mask(x, p, _CMP_GT_OQ), down1 = _mm512_cmp_pd_mask(x, p, _CMP_LT_OQ);
        const unsigned up2 = _mm512_cmp_pd_mask(n, x, _CMP_GT_OQ), down2 = _mm512_cmp_pd_mask(n, x, _CMP_LT_OQ);
        const unsigned below = _mm512_cmp_pd_mask(n, p, _CMP_LT_OQ);
        const __m512d dXN = _mm512_sub_pd(x, n), dPN = _mm512_sub_pd(p, n);
        ties |= _mm512_cmp_pd_mask(_mm512_abs_pd(dXN), _mm512_mul_pd(eps, _mm512_add_pd(x, n)), _CMP_NGT_UQ) &
                _mm512_cmp_pd_mask(dXN, zero, _CMP_NEQ_UQ);
        ties |= _mm512_cmp_pd_mask(_mm512_abs_pd(dPN), _mm512_mul_pd(eps, _mm512_add_pd(p, n)), _CMP_NGT_UQ) &
                _mm512_cmp_pd_mask(dPN, zero, _CMP_NEQ_UQ);
        plateaus |= StoreStatusBytes(up1, down1, up2, down2, below, st + k);
    }
    return {first, k, ties != 0, plateaus != 0};
}
#endif

} // namespace

bool ClassifyTraceBinsByPower(const double* q, int B, unsigned char* st, int widestVectorBits)
{
    if (B < 3)
        return false;
    st[0] = 0;
    st[B - 1] = 0;
#if defined(__GNUC__) && defined(__x86_64__)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2"), hasAvx512 = __builtin_cpu_supports("avx512f");
    const ClassifiedRun body = widestVectorBits >= 512 && hasAvx512  ? ClassifyEightAtOnce(q, B, st)
                               : widestVectorBits >= 256 && hasAvx2 ? ClassifyEightAtATime(q, B, st)
                                                                    : ClassifyFourAtATime(q, B, st);
#else
    const ClassifiedRun body = ClassifyFourAtATime(q, B, st);
#endif
    bool ties = body.ties || NearTie(q[0], q[1]), plateaus = body.plateaus;
    auto one = [&](int k) {
        const double p = q[k - 1], x = q[k], n = q[k + 1];
        const unsigned char s = n < x ? (x > p ? 0x01 : 0x80)
                                      : n > x ? ((x < p && n < p) ? 0x80 : 0x40)
                                              : x > p ? 0x40 : x < p ? 0x80 : kPlateau;
        st[k] = s;
        ties |= NearTie(x, n) | NearTie(p, n);
        plateaus |= s == kPlateau;
    };
    for (int k = 1; k < std::min(body.first, B - 1); ++k)
        one(k);
    for (int k = std::max(body.next, body.first); k <= B - 2; ++k)
        one(k);
    if (ties)
        return false;
    if (!plateaus)
        return true;
    // Three equal levels: the nearest different level to the left decides, the
    // same for every bin of a run.
    unsigned char run = 0;
    int previous = -1;
    for (int k = 1; k <= B - 2; ++k) {
        if (st[k] != kPlateau)
            continue;
        if (previous != k - 1) {
            const double p = q[k - 1];
            run = 0;
            for (int j = k - 2; j >= 0; --j) {
                if (q[j] != p) {
                    if (NearTie(q[j], p))
                        return false;
                    run = p > q[j] ? 0x40 : 0x80;
                    break;
                }
            }
        }
        st[k] = run;
        previous = k;
    }
    return true;
}

void EstimateTracePeaks(const double* q, const Z* z, const int* bins, int n, const KTRACE_PEAK_CONSTANTS& c,
                        float* AF, float* DP)
{
    PeakBlock b;
    for (int first = 0; first < n; first += kBlock) {
        const int m = std::min(kBlock, n - first);
        for (int i = 0; i < m; ++i) {
            const int k = bins[first + i];
            b.qa[i] = q[k - 1];
            b.qb[i] = q[k];
            b.qd[i] = q[k + 1];
            b.zmr[i] = z[k - 1].re;
            b.zmi[i] = z[k - 1].im;
            b.z0r[i] = z[k].re;
            b.z0i[i] = z[k].im;
            b.zpr[i] = z[k + 1].re;
            b.zpi[i] = z[k + 1].im;
            b.k[i] = k;
        }
        EstimateBlock(b, m, c);
        for (int i = 0; i < m; ++i) {
            const int k = bins[first + i];
            if (b.odd[i] != 0) {
                const KTRACE_PEAK p = EstimateTracePeak(10.0 * std::log10(q[k - 1]), 10.0 * std::log10(q[k]),
                                                        10.0 * std::log10(q[k + 1]), z[k - 1], z[k], z[k + 1], k, c);
                b.A[i] = p.A;
                b.omega[i] = p.omega;
                b.D[i] = p.D;
                b.P[i] = p.P;
            }
            AF[k] = float(b.A[i]);
            AF[k - 1] = float(b.omega[i]);
            DP[k] = float(b.D[i]);
            DP[k - 1] = float(b.P[i]);
        }
    }
}
