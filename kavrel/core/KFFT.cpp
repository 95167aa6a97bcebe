#include "kavrel/core/KFFT.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <numbers>
#include <thread>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "framework/base/UserServices.h"
#include "kavrel/core/KSpectrum.h"

double* CKFFT::KFFT_cosinus = nullptr;
thread_local Z* CKFFT::KFFT_z = nullptr;
double CKFFT::KFFT_C21 = 0.0;
double CKFFT::KFFT_MC21 = 0.0;
int CKFFT::KFFT_N_Constructors_Destructors = 0;
std::atomic<long long> CKFFT::KFFT_nTransforms{0};

// The stage loops are compiled twice, for plain x86-64 and for the level
// with AVX2 and FMA, and the loader picks the one the processor runs. The
// second fuses products into sums, so its last bits may differ.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define KFFT_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
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

// Butterfly and Rotate are written once for both transforms: the literal
// one runs them on doubles, the fast path on vectors of four lanes.
#define KFFT_INLINE inline __attribute__((always_inline))

// The four-point decimation-in-frequency butterfly, in place, before the
// twiddles: y0 = x0+x1+x2+x3, y1 = (x0-x2) - i(x1-x3),
// y2 = (x0+x2) - (x1+x3), y3 = (x0-x2) + i(x1-x3).
template <typename T>
KFFT_INLINE void Butterfly(T& x0r, T& x0i, T& x1r, T& x1i, T& x2r, T& x2i, T& x3r, T& x3i)
{
    const T s02r = x0r + x2r, s02i = x0i + x2i;
    const T d02r = x0r - x2r, d02i = x0i - x2i;
    const T s13r = x1r + x3r, s13i = x1i + x3i;
    const T d13r = x1r - x3r, d13i = x1i - x3i;
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
template <typename T>
KFFT_INLINE void Rotate(T& xr, T& xi, const T& wr, const T& wi)
{
    const T a = xr, b = xi;
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

// The fast path works on four complex values at a time: a row holds the
// real parts of four neighbours in one vector and their imaginary parts in
// another, the layout in which a butterfly over rows is plain lane-by-lane
// arithmetic. Within a row the lanes hold positions 0, 2, 1, 3: that is the
// order a single unpack gives when a row is split off z or merged back into
// it, and every twiddle table and the final pass follow it.
typedef double V __attribute__((vector_size(32)));
constexpr int kLane[4] = {0, 2, 1, 3};

// One cache line.
struct alignas(64) Row {
    V re, im;
};

// The twiddles of one row of a stage: W^a, W^2a, W^3a for its four positions.
struct RowTwiddles {
    V w1r, w1i, w2r, w2i, w3r, w3i;
};

// Four complex values of z into a row, and back.
KFFT_INLINE void LoadRow(const Z* z, V& re, V& im)
{
    V a, b;
    __builtin_memcpy(&a, z, sizeof a);
    __builtin_memcpy(&b, z + 2, sizeof b);
    re = __builtin_shufflevector(a, b, 0, 4, 2, 6);
    im = __builtin_shufflevector(a, b, 1, 5, 3, 7);
}

KFFT_INLINE void StoreRow(Z* z, const V& re, const V& im)
{
    const V a = __builtin_shufflevector(re, im, 0, 4, 2, 6);
    const V b = __builtin_shufflevector(re, im, 1, 5, 3, 7);
    __builtin_memcpy(z, &a, sizeof a);
    __builtin_memcpy(z + 2, &b, sizeof b);
}

// A row copied a vector at a time: a struct copy goes through 16-byte
// halves, which the 32-byte loads that follow cannot forward from.
KFFT_INLINE void Put(Row& to, const Row& from)
{
    to.re = from.re;
    to.im = from.im;
}

// Rows become columns.
KFFT_INLINE void Transpose(V& r0, V& r1, V& r2, V& r3)
{
    const V t0 = __builtin_shufflevector(r0, r1, 0, 4, 2, 6);
    const V t1 = __builtin_shufflevector(r0, r1, 1, 5, 3, 7);
    const V t2 = __builtin_shufflevector(r2, r3, 0, 4, 2, 6);
    const V t3 = __builtin_shufflevector(r2, r3, 1, 5, 3, 7);
    r0 = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r1 = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r2 = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r3 = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// Butterfly and twiddles of four rows in place.
KFFT_INLINE void RowButterfly(Row& x0, Row& x1, Row& x2, Row& x3, const RowTwiddles& w)
{
    Butterfly(x0.re, x0.im, x1.re, x1.im, x2.re, x2.im, x3.re, x3.im);
    Rotate(x1.re, x1.im, w.w1r, w.w1i);
    Rotate(x2.re, x2.im, w.w2r, w.w2i);
    Rotate(x3.re, x3.im, w.w3r, w.w3i);
}

// What fft() keeps besides the shared buffers, built once from the cosine
// table: the work rows, the twiddles of every stage in the order the loops
// read them, and the digit reversal of every length.
struct FastTables {
    std::unique_ptr<Row[]> pWork;
    // For the stage of group length f = 4^s (s = 2..8), f/16 rows.
    std::unique_ptr<RowTwiddles[]> pTwiddles;
    int nTwiddleOffset[nMaxStages + 1] = {};
    // For a length of S stages, N/16 entries: the base-4 reversal of r
    // over S-2 digits.
    std::unique_ptr<int[]> pReverse;
    int nReverseOffset[nMaxStages + 1] = {};

    bool Allocate()
    {
        int nTwiddles = 0, nReverse = 0;
        for (int s = 2, f = 16; s <= nMaxStages; ++s, f *= 4) {
            nTwiddleOffset[s] = nTwiddles;
            nTwiddles += f / 16;
            nReverseOffset[s] = nReverse;
            nReverse += f / 16;
        }
        pWork.reset(new (std::nothrow) Row[nMaxFFT / 4]);
        pTwiddles.reset(new (std::nothrow) RowTwiddles[size_t(nTwiddles)]);
        pReverse.reset(new (std::nothrow) int[size_t(nReverse)]);
        if (!pWork || !pTwiddles || !pReverse) {
            Free();
            return false;
        }
        return true;
    }

    void Build(const double* table)
    {
        for (int s = 2, f = 16; s <= nMaxStages; ++s, f *= 4) {
            RowTwiddles* w = pTwiddles.get() + nTwiddleOffset[s];
            for (int b = 0; b < f / 16; ++b)
                for (int l = 0; l < 4; ++l) {
                    const int k = (4 * b + kLane[l]) * (nMaxFFT / f);
                    // A lane of a vector is no lvalue for every compiler: set through a pair of doubles.
                    auto set = [&](int wk, V& vr, V& vi) {
                        double r, i;
                        Twiddle(table, wk, r, i);
                        vr[l] = r;
                        vi[l] = i;
                    };
                    set(k, w[b].w1r, w[b].w1i);
                    set(2 * k, w[b].w2r, w[b].w2i);
                    set(3 * k, w[b].w3r, w[b].w3i);
                }
            int* rev = pReverse.get() + nReverseOffset[s];
            for (int r = 0; r < f / 16; ++r) {
                int x = r, y = 0;
                for (int d = 0; d < s - 2; ++d, x /= 4)
                    y = y * 4 + x % 4;
                rev[r] = y;
            }
        }
    }

    const RowTwiddles* TwiddlesOf(int f) const { return pTwiddles.get() + nTwiddleOffset[StagesOf(f)]; }

    void Free()
    {
        pWork.reset();
        pTwiddles.reset();
        pReverse.reset();
    }
};

FastTables g_Fast;
// The thread whose work buffers are the shared ones.
std::thread::id g_Owner;

// Another thread's work buffers (see KFFT.h).
struct ThreadBuffers {
    std::unique_ptr<Z[]> z;
    std::unique_ptr<Row[]> rows;
};
thread_local ThreadBuffers t_Own;

// This thread's work buffer, made on its first transform; null without
// any instance, or when it cannot be had.
Z* ThreadZ()
{
    Z*& z = CKFFT::KFFT_z;
    if (!z && CKFFT::KFFT_N_Constructors_Destructors > 0 && CKFFT::KFFT_cosinus &&
        std::this_thread::get_id() != g_Owner) {
        t_Own.z.reset(new (std::nothrow) Z[nMaxFFT]());
        if (g_Fast.pWork)
            t_Own.rows.reset(new (std::nothrow) Row[nMaxFFT / 4]);
        z = t_Own.z.get();
    }
    return z;
}

// This thread's work rows of the fast path (null: the literal transform).
Row* ThreadRows()
{
    if (!g_Fast.pWork)
        return nullptr;
    return std::this_thread::get_id() == g_Owner ? g_Fast.pWork.get() : t_Own.rows.get();
}

// The first stage (group length N) reads z and leaves rows.
KFFT_VECTOR_CLONES
void FirstStage(const Z* z, Row* w, int N, const RowTwiddles* tw)
{
    const int n4 = N / 4, t = N / 16;
    for (int b = 0; b < t; ++b) {
        Row x0, x1, x2, x3;
        LoadRow(z + 4 * b, x0.re, x0.im);
        LoadRow(z + 4 * b + n4, x1.re, x1.im);
        LoadRow(z + 4 * b + 2 * n4, x2.re, x2.im);
        LoadRow(z + 4 * b + 3 * n4, x3.re, x3.im);
        RowButterfly(x0, x1, x2, x3, tw[b]);
        Put(w[b], x0);
        Put(w[b + t], x1);
        Put(w[b + 2 * t], x2);
        Put(w[b + 3 * t], x3);
    }
}

// One stage of group length f (at least 64) over nRows rows.
KFFT_VECTOR_CLONES
void Stage(Row* w, int nRows, int f, const RowTwiddles* tw)
{
    const int t = f / 16;
    for (Row* g = w; g < w + nRows; g += 4 * t)
        for (int b = 0; b < t; ++b)
            RowButterfly(g[b], g[b + t], g[b + 2 * t], g[b + 3 * t], tw[b]);
}

// A group that fits in the cache is taken stage after stage; a larger one
// gets its first stage and then each quarter in turn, so that the passes
// over memory run once per group and not once per stage.
constexpr int nGroupInCache = 4096;

void StagesOfGroup(Row* w, int f)
{
    if (f <= nGroupInCache) {
        for (int g = f; g >= 64; g /= 4)
            Stage(w, f / 4, g, g_Fast.TwiddlesOf(g));
        return;
    }
    Stage(w, f / 4, f, g_Fast.TwiddlesOf(f));
    for (int q = 0; q < 4; ++q)
        StagesOfGroup(w + q * (f / 16), f / 4);
}

// The last two stages (group lengths 16 and 4) and the digit reversal. The
// 16-point chunk c lands at rev(c) + b N/16 + d N/4 (b, d = 0..3), so the
// chunks whose rev(c) are 4m..4m+3 fill whole rows of z together: they are
// taken four at a time, one chunk per lane, which a transpose sets up
// between the two stages.
KFFT_VECTOR_CLONES
void LastStagesIntoPlace(const Row* w, int N, const int* rev, const RowTwiddles& tw16, Z* z)
{
    const int n16 = N / 16, n4 = N / 4;
    for (int m = 0; m < N / 64; ++m) {
        Row x[4][4];
        for (int i = 0; i < 4; ++i) {
            const Row* chunk = w + 4 * rev[4 * m + kLane[i]];
            for (int b = 0; b < 4; ++b)
                Put(x[i][b], chunk[b]);
            RowButterfly(x[i][0], x[i][1], x[i][2], x[i][3], tw16);
        }
        for (int b = 0; b < 4; ++b) {
            Transpose(x[0][b].re, x[1][b].re, x[2][b].re, x[3][b].re);
            Transpose(x[0][b].im, x[1][b].im, x[2][b].im, x[3][b].im);
            // x[l][b] now holds position kLane[l] of each chunk.
            Butterfly(x[0][b].re, x[0][b].im, x[2][b].re, x[2][b].im, x[1][b].re, x[1][b].im, x[3][b].re,
                      x[3][b].im);
            for (int d = 0; d < 4; ++d)
                StoreRow(z + d * n4 + b * n16 + 4 * m, x[kLane[d]][b].re, x[kLane[d]][b].im);
        }
    }
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
    // The first instance makes the shared buffers; an instance made on
    // another thread meanwhile leaves them be (its thread's buffer comes
    // with its first transform) and the tables are built once.
    if (KFFT_cosinus)
        return;
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
    g_Owner = std::this_thread::get_id();
    // Above pi/4 the cosine is taken as the sine of the complementary
    // angle, which keeps the table symmetric and exact at pi/2.
    const double step = 2.0 * std::numbers::pi / 65536.0;
    for (int i = 0; i <= nQuarterWave; ++i)
        KFFT_cosinus[i] = (i <= nQuarterWave / 2) ? std::cos(step * i) : std::sin(step * (nQuarterWave - i));
    KFFT_C21 = KFFT_cosinus[8192];
    KFFT_MC21 = -KFFT_C21;
    // Without its tables fft() falls back on the literal transform.
    if (!g_Fast.pWork && g_Fast.Allocate())
        g_Fast.Build(KFFT_cosinus);
}

CKFFT::~CKFFT()
{
    if (--KFFT_N_Constructors_Destructors > 0)
        return;
    KFFT_N_Constructors_Destructors = 0;
    delete[] KFFT_cosinus;
    KFFT_cosinus = nullptr;
    // Another thread's buffer is its own, freed when it ends.
    if (std::this_thread::get_id() == g_Owner) {
        delete[] KFFT_z;
        KFFT_z = nullptr;
    }
    g_Fast.Free();
    g_Owner = std::thread::id();
}

void CKFFT::fft_literal(int N)
{
    if (N <= 0 || !ThreadZ())
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

Z* CKFFT::GetZ()
{
    return ThreadZ();
}

void CKFFT::fft(int N)
{
    if (N <= 0 || !ThreadZ())
        return;
    const int S = StagesOf(N);
    if (S == 0) {
        ZeroUnsupported(KFFT_z, N);
        return;
    }
    ++KFFT_nTransforms;
    // 16 points are less than one pass of the fast path is built for.
    Row* w = ThreadRows();
    if (!w || N < 64) {
        fft_literal(N);
        return;
    }
    FirstStage(KFFT_z, w, N, g_Fast.TwiddlesOf(N));
    if (N >= 256)
        for (int q = 0; q < 4; ++q)
            StagesOfGroup(w + q * (N / 16), N / 4);
    LastStagesIntoPlace(w, N, g_Fast.pReverse.get() + g_Fast.nReverseOffset[S], *g_Fast.TwiddlesOf(16), KFFT_z);
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
    // z[N-m] = x[h-m]·g[m] for m = 1..h, written forwards (k = h - m): the
    // samples are read in order and only the weights backwards, which
    // vector instructions do far better than the other way round.
    for (int k = 0; k < h; ++k)
        z[h + k] = Z{x[k] * g[h - k], 0.0};
}

template <typename T>
KFFT_INLINE void LoadTwo(Z* z, const T* x1, const double* g1, const T* x2, const double* g2, int N)
{
    const int h = N / 2;
    for (int k = 0; k < h; ++k)
        z[k] = Z{x1[h + k] * g1[k], x2[h + k] * g2[k]};
    // As in LoadOne, and the samples made doubles a block at a time first:
    // beside doubles the backward weights go into vectors, beside
    // integers they do not.
    constexpr int kBlock = 256;
    double a[kBlock], b[kBlock];
    for (int k0 = 0; k0 < h; k0 += kBlock) {
        const int n = std::min(kBlock, h - k0);
        for (int i = 0; i < n; ++i) {
            a[i] = double(x1[k0 + i]);
            b[i] = double(x2[k0 + i]);
        }
        const double* r1 = g1 + (h - k0);
        const double* r2 = g2 + (h - k0);
        Z* out = z + h + k0;
        for (int i = 0; i < n; ++i)
            out[i] = Z{a[i] * r1[-i], b[i] * r2[-i]};
    }
}

// The sonogram's every pair of cadres goes through these: built for the
// wider vectors too (products and sums alone, so nothing is fused and the
// results are the same bits).
KFFT_VECTOR_CLONES void LoadTwoWindows(Z* z, const short* x1, const double* g1, const short* x2, const double* g2,
                                       int N)
{
    LoadTwo(z, x1, g1, x2, g2, N);
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
KFFT_INLINE void UnpackTwo(const Z* X, Z* S1, Z* S2, int N)
{
    const int h = N / 2;
    S1[0] = Z{2.0 * X[0].re, 0.0};
    S2[0] = Z{2.0 * X[0].im, 0.0};
    for (int m = 1; m < h; ++m) {
        S1[m] = Z{X[m].re + X[N - m].re, X[m].im - X[N - m].im};
        S2[m] = Z{X[m].im + X[N - m].im, X[N - m].re - X[m].re};
    }
}

KFFT_VECTOR_CLONES void UnpackTwoSpectra(const Z* X, Z* S1, Z* S2, int N)
{
    UnpackTwo(X, S1, S2, N);
}

#if defined(__GNUC__) && defined(__x86_64__)
#define KFFT_POWER_AVX2
// Lines k and k+1 of both spectra, as (P1[k], P2[k], P1[k+1], P2[k+1]):
// AVX2 without FMA, so each product is rounded before its sum as below.
[[gnu::target("avx2")]] inline __m256d TwoPowersAvx2(const Z* X, int N, int k)
{
    const __m256d x = _mm256_loadu_pd(&X[k].re);
    const __m256d yr = _mm256_loadu_pd(&X[N - k - 1].re); // X[N-k-1], X[N-k]
    const __m256d y = _mm256_permute2f128_pd(yr, yr, 1);    // X[N-k], X[N-k-1]
    const __m256d s = _mm256_add_pd(x, y), d = _mm256_sub_pd(x, y);
    const __m256d ss = _mm256_mul_pd(s, s), dd = _mm256_mul_pd(d, d);
    return _mm256_add_pd(ss, _mm256_permute_pd(dd, 0x5));
}

// Four lines of each spectrum a step, from line 1; returns the first line
// left to do.
[[gnu::target("avx2")]] int UnpackTwoPowersAvx2(const Z* X, double* P1, double* P2, int N, int n)
{
    int m = 1;
    for (; m + 4 <= n; m += 4) {
        const __m256d a = TwoPowersAvx2(X, N, m), b = TwoPowersAvx2(X, N, m + 2); // a0 b0 a1 b1 | a2 b2 a3 b3
        const __m256d lo = _mm256_unpacklo_pd(a, b), hi = _mm256_unpackhi_pd(a, b); // a0 a2 a1 a3 | b0 b2 b1 b3
        _mm256_storeu_pd(P1 + m, _mm256_permute4x64_pd(lo, 0xD8));
        _mm256_storeu_pd(P2 + m, _mm256_permute4x64_pd(hi, 0xD8));
    }
    return m;
}
#endif

// UnpackTwo's lines 0 .. n-1 squared as CKSpectrum's power is (re·re +
// im·im, the two products rounded before the sum), without storing the
// lines. Not built for FMA: fused, the power would not be the same bits.
// With x = X[m] and y = X[N-m], the lines are (x.re+y.re, x.im-y.im) and
// (x.im+y.im, y.re-x.re): both powers come from the squares of x+y and x-y.
void UnpackTwoPowers(const Z* X, double* P1, double* P2, int N, int n)
{
    if (n <= 0)
        return;
    const double r1 = 2.0 * X[0].re, r2 = 2.0 * X[0].im, i0 = 0.0;
    P1[0] = r1 * r1 + i0 * i0;
    P2[0] = r2 * r2 + i0 * i0;
    int m = 1;
#if defined(KFFT_POWER_AVX2)
    if (__builtin_cpu_supports("avx2"))
        m = UnpackTwoPowersAvx2(X, P1, P2, N, n);
#endif
#if defined(__SSE2__)
    static_assert(sizeof(Z) == 2 * sizeof(double));
    auto pair = [&](int k) {
        const __m128d x = _mm_loadu_pd(&X[k].re), y = _mm_loadu_pd(&X[N - k].re);
        const __m128d s = _mm_add_pd(x, y), d = _mm_sub_pd(x, y);
        const __m128d ss = _mm_mul_pd(s, s), dd = _mm_mul_pd(d, d);
        return _mm_add_pd(ss, _mm_shuffle_pd(dd, dd, 1)); // (power 1, power 2)
    };
    for (; m + 2 <= n; m += 2) {
        const __m128d a = pair(m), b = pair(m + 1);
        _mm_storeu_pd(P1 + m, _mm_unpacklo_pd(a, b));
        _mm_storeu_pd(P2 + m, _mm_unpackhi_pd(a, b));
    }
#endif
    for (; m < n; ++m) {
        const double a = X[m].re + X[N - m].re, b = X[m].im - X[N - m].im;
        const double c = X[m].im + X[N - m].im, d = X[N - m].re - X[m].re;
        P1[m] = a * a + b * b;
        P2[m] = c * c + d * d;
    }
}

} // namespace

void CKFFT::CalculateWithWeighting(CKSpectrum* s)
{
    if (!ThreadZ() || !s)
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
    if (!ThreadZ() || !s1 || !s2)
        return;
    const int N = s1->nFFT;
    if (N < 4 || N > nMaxFFT || !CanHoldSpectrum(s1, N) || !CanHoldSpectrum(s2, N) || !HasWindowOf(s1, N) ||
        !HasWindowOf(s2, N))
        return;
    s1->Fix_z_Property();
    s2->Fix_z_Property();
    LoadTwoWindows(KFFT_z, s1->Wave.GetKWaveWindow(), s1->Gauss.pArray, s2->Wave.GetKWaveWindow(), s2->Gauss.pArray,
                   N);
    fft(N);
    UnpackTwoSpectra(KFFT_z, s1->z.pArray, s2->z.pArray, N);
}

bool CKFFT::PowersWithWeighting(CKSpectrum* s1, CKSpectrum* s2, double* p1, double* p2, int nLines)
{
    const int N = s1 && s2 ? s1->nFFT : 0;
    nLines = std::clamp(nLines, 0, N / 2);
    if (!ThreadZ() || N < 4 || N > nMaxFFT || !CanHoldSpectrum(s1, N) || !CanHoldSpectrum(s2, N) ||
        !HasWindowOf(s1, N) || !HasWindowOf(s2, N)) {
        std::fill(p1, p1 + nLines, 0.0);
        std::fill(p2, p2 + nLines, 0.0);
        return false;
    }
    LoadTwoWindows(KFFT_z, s1->Wave.GetKWaveWindow(), s1->Gauss.pArray, s2->Wave.GetKWaveWindow(), s2->Gauss.pArray,
                   N);
    fft(N);
    UnpackTwoPowers(KFFT_z, p1, p2, N, nLines);
    return true;
}

void CKFFT::CalculateWithWeighting(CKSpectrum* s1, float* x1, CKSpectrum* s2, float* x2)
{
    if (!ThreadZ() || !s1 || !s2 || !x1 || !x2)
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
