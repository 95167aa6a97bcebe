#include "kavrel/core/KFFT.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "framework/base/UserServices.h"
#include "kavrel/core/KSpectrum.h"

double* CKFFT::KFFT_cosinus = nullptr;
Z* CKFFT::KFFT_z = nullptr;
double CKFFT::KFFT_C21 = 0.0;
double CKFFT::KFFT_MC21 = 0.0;
int CKFFT::KFFT_N_Constructors_Destructors = 0;
long long CKFFT::KFFT_nTransforms = 0;

// The stage loops are compiled twice, for plain x86-64 and for AVX2, and the
// loader picks the one the processor runs; both do the same arithmetic.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define KFFT_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KFFT_VECTOR_CLONES
#endif

namespace {

constexpr int nMaxFFT = 65536;
constexpr int nQuarterWave = 16384;
constexpr int nMaxStages = 8; // log4 65536

// Number of radix-4 stages of a supported length, 0 for any other.
int StagesOf(int N)
{
    int n = 16;
    for (int s = 2; s <= nMaxStages; ++s, n *= 4)
        if (n == N)
            return s;
    return 0;
}

// (cos theta, -sin theta) for theta = 2 pi w / 65536, from the quarter-wave
// table by folding the quadrant.
inline void Twiddle(const double* table, int w, double& wr, double& wi)
{
    const int q = w / nQuarterWave, k = w % nQuarterWave;
    const double c = table[k], s = table[nQuarterWave - k];
    switch (q) {
    case 0: wr = c; wi = -s; break;
    case 1: wr = -s; wi = -c; break;
    case 2: wr = -c; wi = s; break;
    default: wr = s; wi = c; break;
    }
}

// The four-point decimation-in-frequency butterfly, in place, before the
// twiddles: y0 = x0+x1+x2+x3, y1 = (x0-x2) - i(x1-x3),
// y2 = (x0+x2) - (x1+x3), y3 = (x0-x2) + i(x1-x3).
inline void Butterfly(double& x0r, double& x0i, double& x1r, double& x1i,
                      double& x2r, double& x2i, double& x3r, double& x3i)
{
    const double s02r = x0r + x2r, s02i = x0i + x2i;
    const double d02r = x0r - x2r, d02i = x0i - x2i;
    const double s13r = x1r + x3r, s13i = x1i + x3i;
    const double d13r = x1r - x3r, d13i = x1i - x3i;
    x0r = s02r + s13r;
    x0i = s02i + s13i;
    x1r = d02r + d13i;
    x1i = d02i - d13r;
    x2r = s02r - s13r;
    x2i = s02i - s13i;
    x3r = d02r - d13i;
    x3i = d02i + d13r;
}

// x *= (wr + i wi).
inline void Rotate(double& xr, double& xi, double wr, double wi)
{
    const double a = xr, b = xi;
    xr = a * wr - b * wi;
    xi = a * wi + b * wr;
}

// The twiddles at an eighth of the group (angles pi/4, pi/2, 3pi/4) are
// C21 (1 - i), -i and C21 (-1 - i): no table look-up, fewer products.
inline void RotateEighth(double& x1r, double& x1i, double& x2r, double& x2i,
                         double& x3r, double& x3i)
{
    const double C21 = CKFFT::KFFT_C21, MC21 = CKFFT::KFFT_MC21;
    const double a1 = x1r, b1 = x1i;
    x1r = C21 * (a1 + b1);
    x1i = C21 * (b1 - a1);
    const double a2 = x2r;
    x2r = x2i;
    x2i = -a2;
    const double a3 = x3r, b3 = x3i;
    x3r = C21 * (b3 - a3);
    x3i = MC21 * (a3 + b3);
}

// What fft() keeps besides the shared buffers, built once from the cosine
// table: the signal split into real and imaginary rows (so the stage loops
// run over plain double arrays), the twiddles of every stage in the order
// the loops read them, and the digit reversal of every length.
struct FastTables {
    double* pRe = nullptr;
    double* pIm = nullptr;
    // For the stage of group length f = 4^s (s = 2..8), t = f/4 entries of
    // each of W1re, W1im, W2re, W2im, W3re, W3im, one row after another.
    double* pTwiddles = nullptr;
    int nTwiddleOffset[nMaxStages + 1] = {};
    // For a length of S stages, N/16 entries: the base-4 reversal of r
    // over S-2 digits, the 16-point block that lands at r.
    int* pReverse = nullptr;
    int nReverseOffset[nMaxStages + 1] = {};

    bool Allocate()
    {
        int nTwiddles = 0, nReverse = 0;
        for (int s = 2, f = 16; s <= nMaxStages; ++s, f *= 4) {
            nTwiddleOffset[s] = nTwiddles;
            nTwiddles += 6 * (f / 4);
            nReverseOffset[s] = nReverse;
            nReverse += f / 16;
        }
        pRe = new (std::nothrow) double[nMaxFFT];
        pIm = new (std::nothrow) double[nMaxFFT];
        pTwiddles = new (std::nothrow) double[size_t(nTwiddles)];
        pReverse = new (std::nothrow) int[size_t(nReverse)];
        if (!pRe || !pIm || !pTwiddles || !pReverse) {
            Free();
            return false;
        }
        return true;
    }

    void Build(const double* table)
    {
        for (int s = 2, f = 16; s <= nMaxStages; ++s, f *= 4) {
            const int t = f / 4;
            double* w = pTwiddles + nTwiddleOffset[s];
            for (int a = 0; a < t; ++a) {
                const int k = a * (nMaxFFT / f);
                Twiddle(table, k, w[a], w[t + a]);
                Twiddle(table, 2 * k, w[2 * t + a], w[3 * t + a]);
                Twiddle(table, 3 * k, w[4 * t + a], w[5 * t + a]);
            }
            int* rev = pReverse + nReverseOffset[s];
            for (int r = 0; r < f / 16; ++r) {
                int x = r, y = 0;
                for (int d = 0; d < s - 2; ++d, x /= 4)
                    y = y * 4 + x % 4;
                rev[r] = y;
            }
        }
    }

    void Free()
    {
        delete[] pRe;
        delete[] pIm;
        delete[] pTwiddles;
        delete[] pReverse;
        pRe = pIm = pTwiddles = nullptr;
        pReverse = nullptr;
    }
};

FastTables g_Fast;

KFFT_VECTOR_CLONES
void SplitIntoRows(const Z* __restrict z, double* __restrict re, double* __restrict im, int N)
{
    for (int i = 0; i < N; ++i) {
        re[i] = z[i].re;
        im[i] = z[i].im;
    }
}

// The butterflies of positions a = 1..n of the groups' four rows, with
// their twiddles; written for the vectoriser (separate rows, no aliasing).
inline __attribute__((always_inline)) void TwiddledRow(
    double* __restrict r0, double* __restrict i0, double* __restrict r1, double* __restrict i1,
    double* __restrict r2, double* __restrict i2, double* __restrict r3, double* __restrict i3,
    const double* __restrict w1r, const double* __restrict w1i,
    const double* __restrict w2r, const double* __restrict w2i,
    const double* __restrict w3r, const double* __restrict w3i, int n)
{
    for (int a = 1; a <= n; ++a) {
        double x0r = r0[a], x0i = i0[a], x1r = r1[a], x1i = i1[a];
        double x2r = r2[a], x2i = i2[a], x3r = r3[a], x3i = i3[a];
        Butterfly(x0r, x0i, x1r, x1i, x2r, x2i, x3r, x3i);
        Rotate(x1r, x1i, w1r[a], w1i[a]);
        Rotate(x2r, x2i, w2r[a], w2i[a]);
        Rotate(x3r, x3i, w3r[a], w3i[a]);
        r0[a] = x0r;
        i0[a] = x0i;
        r1[a] = x1r;
        i1[a] = x1i;
        r2[a] = x2r;
        i2[a] = x2i;
        r3[a] = x3r;
        i3[a] = x3i;
    }
}

// One stage of group length f (at least 64) over the split rows.
KFFT_VECTOR_CLONES
void Stage(double* re, double* im, int N, int f, const double* tw)
{
    const int t = f / 4, e = f / 8;
    for (int g = 0; g < N; g += f) {
        double* r0 = re + g;
        double* i0 = im + g;
        double* r1 = r0 + t;
        double* i1 = i0 + t;
        double* r2 = r1 + t;
        double* i2 = i1 + t;
        double* r3 = r2 + t;
        double* i3 = i2 + t;
        // a = 0 needs no twiddle.
        Butterfly(r0[0], i0[0], r1[0], i1[0], r2[0], i2[0], r3[0], i3[0]);
        // a = f/8 has its own cheaper twiddles; the row loop goes through it
        // with the table's, and it is redone from its inputs afterwards.
        double e0r = r0[e], e0i = i0[e], e1r = r1[e], e1i = i1[e];
        double e2r = r2[e], e2i = i2[e], e3r = r3[e], e3i = i3[e];
        TwiddledRow(r0, i0, r1, i1, r2, i2, r3, i3, tw, tw + t, tw + 2 * t, tw + 3 * t,
                    tw + 4 * t, tw + 5 * t, t - 1);
        Butterfly(e0r, e0i, e1r, e1i, e2r, e2i, e3r, e3i);
        RotateEighth(e1r, e1i, e2r, e2i, e3r, e3i);
        r0[e] = e0r;
        i0[e] = e0i;
        r1[e] = e1r;
        i1[e] = e1i;
        r2[e] = e2r;
        i2[e] = e2i;
        r3[e] = e3r;
        i3[e] = e3i;
    }
}

// The last two stages (group lengths 16 and 4) block by block, each block
// written straight to its digit-reversed places in z: block q = rev(r)
// holds the outputs r + b N/16 + d N/4 at its position 4b + d. Blocks of
// neighbouring r go in pairs: the 16 output runs lie N/16 apart, on the
// same cache sets, and writing each run two values at a time halves the
// evictions (four at a time runs out of registers).
template <int L>
inline __attribute__((always_inline)) void LastStagesOfBlocks(const double* re, const double* im, int N,
                                                               const int* rev, const double* tw16, Z* z, int r)
{
    const int n16 = N / 16, n4 = N / 4;
    double xr[16][L], xi[16][L];
    for (int l = 0; l < L; ++l) {
        const int q = 16 * rev[r + l];
        for (int m = 0; m < 16; ++m) {
            xr[m][l] = re[q + m];
            xi[m][l] = im[q + m];
        }
    }
    // Group length 16: a = 0 plain, a = 2 the eighth, a = 1 and 3 from the table.
#pragma GCC unroll 4
    for (int a = 0; a < 4; ++a)
        for (int l = 0; l < L; ++l)
            Butterfly(xr[a][l], xi[a][l], xr[a + 4][l], xi[a + 4][l], xr[a + 8][l], xi[a + 8][l],
                      xr[a + 12][l], xi[a + 12][l]);
    for (int l = 0; l < L; ++l)
        RotateEighth(xr[6][l], xi[6][l], xr[10][l], xi[10][l], xr[14][l], xi[14][l]);
    for (int a = 1; a < 4; a += 2)
        for (int l = 0; l < L; ++l) {
            Rotate(xr[a + 4][l], xi[a + 4][l], tw16[a], tw16[4 + a]);
            Rotate(xr[a + 8][l], xi[a + 8][l], tw16[8 + a], tw16[12 + a]);
            Rotate(xr[a + 12][l], xi[a + 12][l], tw16[16 + a], tw16[20 + a]);
        }
    // Group length 4: the plain butterfly of each quarter.
#pragma GCC unroll 4
    for (int m = 0; m < 16; m += 4)
        for (int l = 0; l < L; ++l)
            Butterfly(xr[m][l], xi[m][l], xr[m + 1][l], xi[m + 1][l], xr[m + 2][l], xi[m + 2][l],
                      xr[m + 3][l], xi[m + 3][l]);
    for (int b = 0; b < 4; ++b)
        for (int d = 0; d < 4; ++d) {
            Z* out = z + r + b * n16 + d * n4;
            for (int l = 0; l < L; ++l)
                out[l] = Z{xr[4 * b + d][l], xi[4 * b + d][l]};
        }
}

KFFT_VECTOR_CLONES
void LastStagesIntoPlace(const double* re, const double* im, int N, const int* rev,
                         const double* tw16, Z* z)
{
    const int n16 = N / 16;
    if (n16 < 2) {
        LastStagesOfBlocks<1>(re, im, N, rev, tw16, z, 0);
        return;
    }
    for (int r = 0; r < n16; r += 2)
        LastStagesOfBlocks<2>(re, im, N, rev, tw16, z, r);
}

// Zeroes what an unsupported length asks for, within the buffer.
void ZeroUnsupported(Z* z, int N)
{
    std::fill(z, z + std::min(N, nMaxFFT), Z{0.0, 0.0});
}

} // namespace

CKFFT::CKFFT()
{
    ++KFFT_N_Constructors_Destructors;
    if (!KFFT_z) {
        KFFT_cosinus = new (std::nothrow) double[nQuarterWave + 1];
        KFFT_z = new (std::nothrow) Z[nMaxFFT];
        if (!KFFT_cosinus || !KFFT_z) {
            AfxMessageBox(!KFFT_cosinus ? "Не хватило памяти для массива KFFT_cosinus\n\nв функции - CKFFT::CKFFT"
                                        : "Не хватило памяти для массива KFFT_z\n\nв функции - CKFFT::CKFFT");
            delete[] KFFT_cosinus;
            delete[] KFFT_z;
            KFFT_cosinus = nullptr;
            KFFT_z = nullptr;
            return;
        }
        std::fill(KFFT_z, KFFT_z + nMaxFFT, Z{0.0, 0.0});
    }
    // Above pi/4 the cosine is taken as the sine of the complementary
    // angle, which keeps the table symmetric and exact at pi/2.
    const double step = 2.0 * std::numbers::pi / 65536.0;
    for (int i = 0; i <= nQuarterWave; ++i)
        KFFT_cosinus[i] = (i <= nQuarterWave / 2) ? std::cos(step * i) : std::sin(step * (nQuarterWave - i));
    KFFT_C21 = KFFT_cosinus[8192];
    KFFT_MC21 = -KFFT_C21;
    // Without its tables fft() falls back on the literal transform.
    if (!g_Fast.pRe && g_Fast.Allocate())
        g_Fast.Build(KFFT_cosinus);
}

CKFFT::~CKFFT()
{
    if (--KFFT_N_Constructors_Destructors > 0)
        return;
    KFFT_N_Constructors_Destructors = 0;
    delete[] KFFT_cosinus;
    delete[] KFFT_z;
    KFFT_cosinus = nullptr;
    KFFT_z = nullptr;
    g_Fast.Free();
}

void CKFFT::fft_literal(int N)
{
    if (N <= 0 || !KFFT_z)
        return;
    if (StagesOf(N) == 0) {
        ZeroUnsupported(KFFT_z, N);
        return;
    }
    Z* z = KFFT_z;
    for (int f = N; f >= 4; f /= 4) {
        const int t = f / 4;
        for (int g = 0; g < N; g += f)
            for (int a = 0; a < t; ++a) {
                Z& x0 = z[g + a];
                Z& x1 = z[g + a + t];
                Z& x2 = z[g + a + 2 * t];
                Z& x3 = z[g + a + 3 * t];
                Butterfly(x0.re, x0.im, x1.re, x1.im, x2.re, x2.im, x3.re, x3.im);
                if (a == 0)
                    continue;
                if (a == f / 8) {
                    RotateEighth(x1.re, x1.im, x2.re, x2.im, x3.re, x3.im);
                    continue;
                }
                const int w = a * (nMaxFFT / f);
                double wr, wi;
                Twiddle(KFFT_cosinus, w, wr, wi);
                Rotate(x1.re, x1.im, wr, wi);
                Twiddle(KFFT_cosinus, 2 * w, wr, wi);
                Rotate(x2.re, x2.im, wr, wi);
                Twiddle(KFFT_cosinus, 3 * w, wr, wi);
                Rotate(x3.re, x3.im, wr, wi);
            }
    }
    // Base-4 digit reversal: j runs as a counter whose digits carry downward.
    int j = 0;
    for (int i = 0; i < N - 1; ++i) {
        if (i < j)
            std::swap(z[i], z[j]);
        int g = N / 4;
        while (j >= 3 * g) {
            j -= 3 * g;
            g /= 4;
        }
        j += g;
    }
}

void CKFFT::fft(int N)
{
    if (N <= 0 || !KFFT_z)
        return;
    const int S = StagesOf(N);
    if (S == 0) {
        ZeroUnsupported(KFFT_z, N);
        return;
    }
    ++KFFT_nTransforms;
    if (!g_Fast.pRe) {
        fft_literal(N);
        return;
    }
    double* re = g_Fast.pRe;
    double* im = g_Fast.pIm;
    SplitIntoRows(KFFT_z, re, im, N);
    int s = S;
    for (int f = N; f >= 64; f /= 4, --s)
        Stage(re, im, N, f, g_Fast.pTwiddles + g_Fast.nTwiddleOffset[s]);
    LastStagesIntoPlace(re, im, N, g_Fast.pReverse + g_Fast.nReverseOffset[S],
                        g_Fast.pTwiddles + g_Fast.nTwiddleOffset[2], KFFT_z);
}

namespace {

// Whether a spectrum can take a transform of length N: its z and Gaussian
// hold N/2 and N/2 + 1 values (a failed allocation leaves them empty).
bool CanHoldSpectrum(const CKSpectrum* s, int N)
{
    return s && s->z.pArray && s->z.nSize >= N / 2 && s->Gauss.pArray && s->Gauss.nSize >= N / 2 + 1;
}

bool HasWindowOf(CKSpectrum* s, int N)
{
    return s->Wave.GetKWaveWindow() && s->Wave.GetKWaveWindowWidthInSamples() >= N;
}

// Zero-phase loading: the centre sample x[h] goes to time 0, the samples
// after it to 1..h-1, those before it wrap round to N-1 down to N-h.
template <typename T>
void LoadOne(Z* z, const T* x, const double* g, int N)
{
    const int h = N / 2;
    for (int k = 0; k < h; ++k)
        z[k] = Z{x[h + k] * g[k], 0.0};
    for (int m = 1; m <= h; ++m)
        z[N - m] = Z{x[h - m] * g[m], 0.0};
}

template <typename T>
void LoadTwo(Z* z, const T* x1, const double* g1, const T* x2, const double* g2, int N)
{
    const int h = N / 2;
    for (int k = 0; k < h; ++k)
        z[k] = Z{x1[h + k] * g1[k], x2[h + k] * g2[k]};
    for (int m = 1; m <= h; ++m)
        z[N - m] = Z{x1[h - m] * g1[m], x2[h - m] * g2[m]};
}

// S[m] = X[m] + conj X[N-m]: twice the spectrum of the real signal.
void UnpackOne(const Z* X, Z* S, int N)
{
    const int h = N / 2;
    S[0] = Z{2.0 * X[0].re, 0.0};
    for (int m = 1; m < h; ++m)
        S[m] = Z{X[m].re + X[N - m].re, X[m].im - X[N - m].im};
}

// The real part's spectrum as above; the imaginary part's is
// -i (X[m] - conj X[N-m]).
void UnpackTwo(const Z* X, Z* S1, Z* S2, int N)
{
    const int h = N / 2;
    S1[0] = Z{2.0 * X[0].re, 0.0};
    S2[0] = Z{2.0 * X[0].im, 0.0};
    for (int m = 1; m < h; ++m) {
        S1[m] = Z{X[m].re + X[N - m].re, X[m].im - X[N - m].im};
        S2[m] = Z{X[m].im + X[N - m].im, X[N - m].re - X[m].re};
    }
}

} // namespace

void CKFFT::CalculateWithWeighting(CKSpectrum* s)
{
    if (!KFFT_z || !s)
        return;
    const int N = s->nFFT;
    if (N < 4 || N > nMaxFFT || !CanHoldSpectrum(s, N) || !HasWindowOf(s, N))
        return;
    s->Fix_z_Property();
    LoadOne(KFFT_z, s->Wave.GetKWaveWindow(), s->Gauss.pArray, N);
    fft(N);
    UnpackOne(KFFT_z, s->z.pArray, N);
}

void CKFFT::CalculateWithWeighting(CKSpectrum* s1, CKSpectrum* s2)
{
    if (!KFFT_z || !s1 || !s2)
        return;
    const int N = s1->nFFT;
    if (N < 4 || N > nMaxFFT || !CanHoldSpectrum(s1, N) || !CanHoldSpectrum(s2, N) || !HasWindowOf(s1, N) ||
        !HasWindowOf(s2, N))
        return;
    s1->Fix_z_Property();
    s2->Fix_z_Property();
    LoadTwo(KFFT_z, s1->Wave.GetKWaveWindow(), s1->Gauss.pArray, s2->Wave.GetKWaveWindow(), s2->Gauss.pArray, N);
    fft(N);
    UnpackTwo(KFFT_z, s1->z.pArray, s2->z.pArray, N);
}

void CKFFT::CalculateWithWeighting(CKSpectrum* s1, float* x1, CKSpectrum* s2, float* x2)
{
    if (!KFFT_z || !s1 || !s2 || !x1 || !x2)
        return;
    const int N = s1->nFFT;
    if (N < 4 || N > nMaxFFT || !CanHoldSpectrum(s1, N) || !CanHoldSpectrum(s2, N))
        return;
    s1->Fix_z_Property();
    s2->Fix_z_Property();
    LoadTwo(KFFT_z, x1, s1->Gauss.pArray, x2, s2->Gauss.pArray, N);
    fft(N);
    UnpackTwo(KFFT_z, s1->z.pArray, s2->z.pArray, N);
}
