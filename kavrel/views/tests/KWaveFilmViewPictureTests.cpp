// The sonogram's picture: which cadres are analysed, and the colour of
// every display type against the documented formulas on known sounds.
// At 16000 Hz and NFFT 256 the film steps 25 samples, line k is k·62.5 Hz
// and the zero level Z = 20·log10(16000·32767) tops the default scale,
// whose bottom is Z - 100.
#include <numbers>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/ui/CWnd.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"
#include "kavrel/views/tests/SonogramTestSupport.h"

using namespace sonogram_test;

namespace {

bool IsGrey(int b, int g, int r) { return b == g && g == r; }

} // namespace

TEST(KWaveFilmViewPicture, GeometryFollowsWindowAndFilm)
{
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-geometry.wav", Sine(1000, 10000, 16000, kFs), kFs, kNFFT, 201, kHeight));
    EXPECT_EQ(s.film.GetNCadres(), 640);
    // 201 pixels round up to 202 columns; 128 lines for NFFT 256.
    EXPECT_EQ(s.view->nColumns, 202);
    EXPECT_EQ(s.view->nLines, 128);
    EXPECT_EQ(s.view->amplBuffer.nSize, 202 * 128);
    EXPECT_EQ(s.view->bitmapBits.nSize, 202 * 128 * 4);
    EXPECT_EQ(s.view->GetTotalSize(), CSize(640, 128));
}

TEST(KWaveFilmViewPicture, GreyScaleOfASineAndOfSilence)
{
    // A 1000 Hz sine (line 16) 25 dB below full scale: its line lies at
    // Z - 25, so g = 255·25/100 = 63.75 and, inverted, 255·75/100 = 191.25.
    std::vector<int> x = Sine(1000, 32767 * std::pow(10.0, -25.0 / 20), 8000, kFs);
    x.resize(16000, 0); // then half a second of silence
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-grey.wav", x, kFs, kNFFT, kWidth, kHeight));
    s.Paint();
    EXPECT_EQ(s.Grey(100, 16), 63);
    // Silence lies below the scale: white without inversion.
    s.PaintFrom(400);
    EXPECT_EQ(s.Grey(500, 16), 255);
    // On screen line k is row nLines - 1 - k, the cadre at x - scroll.
    EXPECT_EQ(s.Screen(500 - 400, 127 - 16), RGB(255, 255, 255));

    s.film.displayFlags = CKWaveFilm::DisplayAmplitudeGrey | CKWaveFilm::DisplayInverse;
    s.view->OnUpdate(nullptr, HintDisplayLevels, nullptr);
    EXPECT_EQ(s.Grey(500, 16), 0);
    s.PaintFrom(0);
    EXPECT_EQ(s.Grey(100, 16), 191);
    EXPECT_EQ(s.Screen(100, 127 - 16), RGB(191, 191, 191));
}

TEST(KWaveFilmViewPicture, ColumnsPastTheEndAreZeroedAndLookLikeSilence)
{
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-short.wav", Sine(1000, 30000, 2000, kFs), kFs, kNFFT, kWidth, kHeight));
    ASSERT_EQ(s.film.GetNCadres(), 80);
    s.Paint();
    for (long c = 80; c < kWidth; c += 17) {
        const float* a = s.Amplitudes(c);
        EXPECT_EQ(*std::max_element(a, a + 128), 0.0f) << c;
        EXPECT_EQ(*std::min_element(a, a + 128), 0.0f) << c;
        // 0 dB is far below Z - 100, so the column is white.
        EXPECT_EQ(s.Screen(int(c), 60), RGB(255, 255, 255)) << c;
    }
}

TEST(KWaveFilmViewPicture, HarmonogramOfAStableSineAndOfSilence)
{
    // A stationary sine keeps the same power in every shifted frame, so the
    // ratio is 10·sqrt(1/5) ≈ 4.47, above the scale's top of 1: black, and
    // white when inverted. Silence has no power at all: 0, white (black inverted).
    std::vector<int> x = Sine(1000, 20000, 8000, kFs);
    x.resize(16000, 0);
    Sonogram s;
    s.film.displayFlags = CKWaveFilm::DisplayHarmonogram;
    ASSERT_TRUE(s.Open("picture-harmonogram.wav", x, kFs, kNFFT, kWidth, kHeight));
    s.Paint();
    EXPECT_NEAR(s.Amplitudes(100)[16], 10 * std::sqrt(1.0 / 5), 0.01);
    EXPECT_EQ(s.Grey(100, 16), 0);

    s.PaintFrom(400);
    EXPECT_EQ(s.Amplitudes(500)[16], 0.0f);
    EXPECT_EQ(s.Grey(500, 16), 255);
    s.film.displayFlags = CKWaveFilm::DisplayHarmonogram | CKWaveFilm::DisplayInverse;
    s.view->OnUpdate(nullptr, HintDisplayParameter, nullptr);
    EXPECT_EQ(s.Grey(500, 16), 0);
    // The scale moves: with 0 .. 10 the stable line reads 255·(10 - 4.47)/10
    // without inversion, here inverted 255·4.47/10 = 114.
    s.film.harmonogramUp = 10;
    s.PaintFrom(0);
    EXPECT_NEAR(s.Grey(100, 16), 114, 1);
}

TEST(KWaveFilmViewPicture, ColourHueFollowsTheMusicalScale)
{
    // A column's hue comes from where its power lies: low red, middle
    // green, high blue; the brightness of a line from its own level.
    struct Case {
        double f;
        int dominant; // 0 blue, 1 green, 2 red
    } cases[] = {{110, 2}, {440, 1}, {3520, 0}};
    for (const Case& c : cases) {
        Sonogram s;
        s.film.displayFlags = CKWaveFilm::DisplayAmplitudeColour | CKWaveFilm::DisplayInverse; // inversion ignored
        ASSERT_TRUE(s.Open("picture-colour.wav", Sine(c.f, 32000, 8000, kFs), kFs, kNFFT, kWidth, kHeight));
        s.Paint();
        const long cadre = 100;
        const float* A = s.Amplitudes(cadre);
        // The sums of the documented weights, worked out here from the levels.
        double sum[3] = {0, 0, 0};
        for (int k = 1; k < 128; ++k) {
            const double f = k * 62.5, st = 12 * std::log2(f / 440), n = 3 / (42 * std::log(2.0) * f);
            const double p = std::pow(10.0, A[k] / 10.0);
            auto w = [&](double centre) { return 1 + std::cos(std::numbers::pi / 2 * (st - centre) / 21); };
            if (f > 440 * std::pow(2, -6.75) && f < 440 * std::pow(2, 0.25)) sum[2] += p * 2 * w(-39) * n;
            if (f > 440 * std::pow(2, -3.25) && f < 440 * std::pow(2, 3.75)) sum[1] += p * w(3) * n;
            if (f > 440 * std::pow(2, 0.25) && f < 440 * std::pow(2, 7.25)) sum[0] += p * 8 * w(45) * n;
        }
        const double M = std::max({sum[0], sum[1], sum[2]});
        const int peak = int(std::lround(c.f / 62.5));
        const double Z = 20 * std::log10(16000.0 * 32767);
        for (int k : {peak, peak + 2}) {
            const double a = std::clamp(double(A[k]), Z - 100, Z);
            const double v = 255 * (a - (Z - 100)) / 100;
            int px[3];
            s.Pixel(cadre, k, px[0], px[1], px[2]);
            for (int ch = 0; ch < 3; ++ch)
                EXPECT_NEAR(px[ch], int(sum[ch] / M * v), 1) << c.f << " line " << k << " channel " << ch;
        }
        int px[3];
        s.Pixel(cadre, peak, px[0], px[1], px[2]);
        EXPECT_GE(px[c.dominant], 250) << c.f;
        for (int ch = 0; ch < 3; ++ch) {
            if (ch != c.dominant) {
                EXPECT_LT(px[ch], 0.75 * px[c.dominant]) << c.f << " channel " << ch;
            }
        }
    }
}

TEST(KWaveFilmViewPicture, DefaultPhaseLimitsShowTheSignAlone)
{
    // Every non-zero derivative saturates the default limits: inverted,
    // a pixel is grey, pure green or pure red; on the light background the
    // tint lifts one channel to 255.
    const std::vector<int> x = Chirp(300, 6000, 20000, 16000, kFs);
    for (int type : {CKWaveFilm::DisplayPhaseAmplGrowth, CKWaveFilm::DisplayPhaseFreqGrowth}) {
        for (bool inverse : {true, false}) {
            Sonogram s;
            s.film.displayFlags = type | (inverse ? CKWaveFilm::DisplayInverse : 0);
            ASSERT_TRUE(s.Open("picture-phase.wav", x, kFs, kNFFT, kWidth, kHeight));
            s.Paint();
            int greens = 0, reds = 0, greys = 0;
            for (long c = 0; c < kWidth; ++c) {
                for (int k = 0; k < 128; ++k) {
                    int b, g, r;
                    s.Pixel(c, k, b, g, r);
                    if (IsGrey(b, g, r)) {
                        ++greys;
                    } else if (inverse) {
                        const bool green = b == 0 && r == 0, red = b == 0 && g == 0;
                        ASSERT_TRUE(green || red) << type << " " << c << " " << k << ": " << b << " " << g << " " << r;
                        (green ? greens : reds)++;
                    } else {
                        const bool green = g == 255 && b == r, red = r == 255 && b == g;
                        ASSERT_TRUE(green || red) << type << " " << c << " " << k << ": " << b << " " << g << " " << r;
                        (green ? greens : reds)++;
                    }
                }
            }
            EXPECT_GT(greens, 100) << type;
            EXPECT_GT(reds, 100) << type;
            // Line 0 has no derivative (and no difference): grey.
            EXPECT_NE(s.Grey(10, 0), -1);
        }
    }
}

TEST(KWaveFilmViewPicture, PhaseLimitsScaleTheTint)
{
    // Limits far above every derivative: the tint is t/P of the way.
    Sonogram s;
    s.film.displayFlags = CKWaveFilm::DisplayPhaseAmplGrowth | CKWaveFilm::DisplayInverse;
    s.film.phaseLimitPos = 1.0f;
    s.film.phaseLimitNeg = -1.0f;
    ASSERT_TRUE(s.Open("picture-phase-limits.wav", Chirp(300, 6000, 20000, 16000, kFs), kFs, kNFFT, kWidth, kHeight));
    s.Paint();
    const double Z = 20 * std::log10(16000.0 * 32767);
    for (long c : {40L, 90L}) {
        const float* A = s.Amplitudes(c);
        const float* T = s.view->phaseBuffer.pArray + size_t(c % s.view->nColumns) * 128;
        for (int k = 1; k < 128; k += 9) {
            const double a = std::clamp(double(A[k]), Z - 100, Z);
            const double g = 255 * (a - (Z - 100)) / 100;
            const double t = T[k];
            int b, gr, r;
            s.Pixel(c, k, b, gr, r);
            if (t > 0) {
                EXPECT_NEAR(gr, int(g), 1);
                EXPECT_NEAR(r, int(g * (1 - t)), 1);
                EXPECT_EQ(b, r);
            } else if (t < 0) {
                EXPECT_NEAR(r, int(g), 1);
                EXPECT_NEAR(gr, int(g * (1 + t)), 1);
                EXPECT_EQ(b, gr);
            }
        }
    }
}

TEST(KWaveFilmViewPicture, FiotAndMixedBitsLeaveThePictureAsItWas)
{
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-fiot.wav", Sine(1000, 20000, 16000, kFs), kFs, kNFFT, kWidth, kHeight));
    s.Paint();
    const std::vector<unsigned char> before(s.view->bitmapBits.pArray,
                                            s.view->bitmapBits.pArray + s.view->bitmapBits.nSize);
    for (int flags : {int(CKWaveFilm::DisplayFiot), CKWaveFilm::DisplayAmplitudeGrey | CKWaveFilm::DisplayPhaseAmplGrowth, 0}) {
        s.film.displayFlags = flags;
        const long long transforms = CKFFT::KFFT_nTransforms;
        s.view->ScrollToPosition(CPoint(7, 0));
        s.Paint();
        s.view->OnUpdate(nullptr, HintDisplayLevels, nullptr);
        EXPECT_EQ(CKFFT::KFFT_nTransforms, transforms) << flags;
        EXPECT_EQ(std::memcmp(before.data(), s.view->bitmapBits.pArray, before.size()), 0) << flags;
        s.view->ScrollToPosition(CPoint(0, 0));
    }
}

TEST(KWaveFilmViewPicture, ScrollingComputesOnlyTheNewCadres)
{
    for (int type : {CKWaveFilm::DisplayAmplitudeGrey, CKWaveFilm::DisplayAmplitudeColour, CKWaveFilm::DisplayPhaseAmplGrowth,
                     CKWaveFilm::DisplayPhaseFreqGrowth, CKWaveFilm::DisplayHarmonogram}) {
        Sonogram s;
        s.film.displayFlags = type;
        const long long atStart = CKFFT::KFFT_nTransforms;
        ASSERT_TRUE(s.Open("picture-scroll.wav", Sine(1000, 20000, 16000, kFs), kFs, kNFFT, kWidth, kHeight));
        // A pair of cadres takes one transform; two harmonogram columns
        // one for their centres, one for the wider spectra there and four
        // each for the wider pairs beside them; a lone column two single
        // transforms and four paired ones.
        const long perColumn = type == CKWaveFilm::DisplayHarmonogram ? 5 : 1;
        const long lone = type == CKWaveFilm::DisplayHarmonogram ? 6 : 1;
        const long perStep = type == CKWaveFilm::DisplayHarmonogram ? 1 : 2;
        EXPECT_EQ(CKFFT::KFFT_nTransforms - atStart, kWidth / perStep * perColumn) << type;

        long long before = CKFFT::KFFT_nTransforms;
        s.Paint();
        EXPECT_EQ(CKFFT::KFFT_nTransforms, before) << "a repaint in place computes nothing";

        before = CKFFT::KFFT_nTransforms;
        s.view->OnHScroll(SB_LINERIGHT, 0, nullptr); // 64 columns
        s.Paint();
        ASSERT_EQ(s.view->GetScrollPosition().x, 64);
        EXPECT_EQ(CKFFT::KFFT_nTransforms - before, 64 / perStep * perColumn) << type;

        before = CKFFT::KFFT_nTransforms;
        s.view->ScrollToPosition(CPoint(65, 0));
        s.Paint();
        EXPECT_EQ(CKFFT::KFFT_nTransforms - before, lone) << "one column: " << type;
        // Every slot still holds the cadre that belongs to it.
        for (long c = 65; c < 65 + kWidth; ++c)
            ASSERT_EQ(s.view->spectraColumnMap.pArray[c % kWidth], c);
    }
}

TEST(KWaveFilmViewPicture, AnOddPositionSplitsAPairAcrossTheRingsEnds)
{
    const std::vector<int> x = Chirp(300, 6000, 20000, 16000, kFs);
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-odd.wav", x, kFs, kNFFT, kWidth, kHeight));
    const long long before = CKFFT::KFFT_nTransforms;
    s.view->ScrollToPosition(CPoint(1, 0));
    s.Paint();
    // Cadres 1 .. 200: the pair (199, 200) lands in the last slot and slot 0.
    EXPECT_EQ(CKFFT::KFFT_nTransforms - before, 1);
    EXPECT_EQ(s.view->spectraColumnMap.pArray[kWidth - 1], kWidth - 1);
    EXPECT_EQ(s.view->spectraColumnMap.pArray[0], kWidth);
    // Each column holds its own cadre's spectrum: the same as a spectrum of
    // that cadre alone.
    CKSpectrum alone;
    CKFFT fft;
    ASSERT_TRUE(alone.Wave.OpenKWaveFile(s.film.GetKWaveFilePathName(), "alone"));
    alone.SetNFFT(kNFFT);
    alone.SetSigmaF(s.film.GetSigmaFr());
    for (long c : {long(kWidth - 1), long(kWidth)}) {
        alone.Wave.PositKWaveWindowOnSample(s.film.GetSampleFromCadreNumber(c));
        fft.CalculateWithWeighting(&alone);
        const double* level = alone.GetAmpl_dB();
        const float* A = s.Amplitudes(c);
        for (int k = 1; k < 128; k += 5)
            EXPECT_NEAR(A[k], level[k], 1e-3 * std::max(1.0, std::fabs(level[k]))) << c << " " << k;
    }
}

TEST(KWaveFilmViewPicture, FrequencyAxes)
{
    EXPECT_EQ(CKWaveFilmView::FreqAxisStep(44100, 1024, 13), 2000); // o = 1119
    EXPECT_EQ(CKWaveFilmView::FreqAxisStep(44100, 1024, 11), 1000); // o = 947
    EXPECT_EQ(CKWaveFilmView::FreqAxisStep(16000, 256, 16), 5000);  // o = 2000
    EXPECT_EQ(CKWaveFilmView::FreqAxisStep(8000, 16, 20), 10000);   // o = 20000: the largest

    Sonogram s;
    ASSERT_TRUE(s.Open("picture-axes.wav", std::vector<int>(16000, 0), kFs, kNFFT, kWidth, kHeight));
    s.view->OnCommand(CKWaveFilmView::ID_DRAW_FREQ_AXES, 0);
    s.Paint();
    CClientDC dc(s.view.get());
    const long step = CKWaveFilmView::FreqAxisStep(kFs, kNFFT, dc.GetTextExtent("0").cy);
    // Silence is white; an axis is a blue row at 128 - F/16000·256.
    for (long F = step; F < 8000; F += step) {
        const int y = 128 - int(F * 256 / 16000);
        EXPECT_EQ(s.Screen(kWidth - 3, y), RGB(0, 0, 255)) << F;
        EXPECT_EQ(s.Screen(kWidth - 3, y - 2), RGB(255, 255, 255)) << F;
    }
    s.view->OnCommand(CKWaveFilmView::ID_DRAW_FREQ_AXES, 0);
    s.Paint();
    EXPECT_EQ(s.Screen(kWidth - 3, 128 - int(step * 256 / 16000)), RGB(255, 255, 255));
}

TEST(KWaveFilmViewPicture, LocalMaximaSkipTheEdgeLines)
{
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-maxima.wav", Sine(1000, 20000, 16000, kFs), kFs, kNFFT, kWidth, kHeight));
    s.view->OnCommand(CKWaveFilmView::ID_SHOW_LOCAL_MAX_ON_SONOGRAM, 0);
    s.Paint();
    // The sine's line 16 is a maximum: rows 110, 111 and 112 turn red.
    for (int y : {110, 111, 112})
        EXPECT_EQ(s.Screen(50, y), RGB(255, 0, 0)) << y;
    // A column whose levels fall toward the middle from both edges: line 0
    // and the top line are higher than their one neighbour, yet not marked;
    // a peak at line 40 is.
    float* A = s.view->amplBuffer.pArray + size_t(50) * 128;
    for (int k = 0; k < 128; ++k)
        A[k] = float(std::abs(k - 64));
    A[40] = 100;
    s.view->MarkPictureStale();
    s.Paint();
    EXPECT_NE(s.Screen(50, 0), RGB(255, 0, 0));
    EXPECT_NE(s.Screen(50, 127), RGB(255, 0, 0));
    EXPECT_NE(s.Screen(50, 1), RGB(255, 0, 0));
    EXPECT_NE(s.Screen(50, 126), RGB(255, 0, 0));
    for (int y : {86, 87, 88})
        EXPECT_EQ(s.Screen(50, y), RGB(255, 0, 0)) << y;
}

TEST(KWaveFilmViewPicture, RecalculateAllAndRepaintRequest)
{
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-recalc.wav", Sine(1000, 20000, 16000, kFs), kFs, kNFFT, kWidth, kHeight));
    long long before = CKFFT::KFFT_nTransforms;
    s.view->OnCommand(CKWaveFilmView::ID_CALCULATE_SPECTRA, 0);
    EXPECT_EQ(CKFFT::KFFT_nTransforms - before, kWidth / 2);
    // Message 1030 redraws the picture from the kept spectra: new levels show.
    before = CKFFT::KFFT_nTransforms;
    s.film.MoveSpectrumAmplValidDownLevel_dB(90); // the scale is now Z - 10 .. Z
    s.view->SendMessage(CKWaveFilmView::WM_RECALCULATE_PICTURE);
    EXPECT_EQ(CKFFT::KFFT_nTransforms, before);
    int b, g, r;
    s.Pixel(100, 16, b, g, r);
    const double level = s.Amplitudes(100)[16], Z = 20 * std::log10(16000.0 * 32767);
    EXPECT_NEAR(g, int(255 * (Z - level) / 10), 1);
}

TEST(KWaveFilmViewPicture, NoFilmOrABadFilmDrawsOnlyTheBackground)
{
    auto view = std::make_unique<TestView>();
    ASSERT_TRUE(view->Create(nullptr, CRect(0, 0, 100, 80)));
    view->Invalidate(FALSE);
    view->UpdateWindow();
    EXPECT_EQ(view->nColumns, 0);
    CKWaveFilm film; // never opened
    CKWaveFilmHint hint(&film);
    const long long before = CKFFT::KFFT_nTransforms;
    view->OnUpdate(nullptr, HintNewFilm, &hint);
    view->Invalidate(FALSE);
    view->UpdateWindow();
    EXPECT_EQ(CKFFT::KFFT_nTransforms, before);
    EXPECT_EQ(view->GetSurface()->GetPixel(10, 10), RGB(0x3F, 0x3F, 0x3F));
}

TEST(KWaveFilmViewPicture, AFilmBeyondNFFT4096KeepsTheLowestLines)
{
    // NFFT 16384 at 16000 Hz: lines of 0.977 Hz, 8192 of them, of which the
    // picture holds 2048 (up to 2000 Hz); the 1000 Hz sine sits on line 1024.
    Sonogram s;
    ASSERT_TRUE(s.Open("picture-wide.wav", Sine(1000, 32000, 48000, kFs), kFs, 16384, 120, 200));
    EXPECT_EQ(s.view->nLines, 2048);
    s.Paint();
    const long c = s.view->GetScrollPosition().x + 10;
    const float* A = s.Amplitudes(c);
    EXPECT_EQ(std::max_element(A, A + 2048) - A, 1024);
    int b, g, r;
    s.Pixel(c, 1024, b, g, r);
    EXPECT_LT(g, 3);
}

TEST(KWaveFilmViewPicture, APhaseTypeAfterGreyHasItsPhasesComputed)
{
    // The grey picture is computed without phase derivatives; a change of
    // type that only asks for new colours (as the workshop's menu does)
    // must still paint the phases, as a view opened on that type does.
    std::vector<int> x = Sine(700, 12000, 16000, kFs);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] += int(3000 * std::sin(0.9 * double(i) + 0.0004 * double(i) * double(i) / 16000));
    for (int type : {CKWaveFilm::DisplayPhaseAmplGrowth, CKWaveFilm::DisplayPhaseFreqGrowth}) {
        Sonogram grey, direct;
        ASSERT_TRUE(grey.Open("picture-grey-then-phase.wav", x, kFs, kNFFT, kWidth, kHeight));
        grey.Paint();
        grey.film.displayFlags = type;
        grey.view->OnUpdate(nullptr, HintDisplayParameter, nullptr);
        grey.Paint();
        direct.film.displayFlags = type;
        ASSERT_TRUE(direct.Open("picture-phase-direct.wav", x, kFs, kNFFT, kWidth, kHeight));
        direct.Paint();
        ASSERT_EQ(grey.view->bitmapBits.nSize, direct.view->bitmapBits.nSize);
        EXPECT_EQ(std::memcmp(grey.view->bitmapBits.pArray, direct.view->bitmapBits.pArray,
                              size_t(direct.view->bitmapBits.nSize)),
                  0)
            << type;
    }
}

TEST(KWaveFilmViewPicture, TheSecondCoreDrawsWhatOneCoreDraws)
{
    // A wide window shares its columns with a second core, which reads the
    // sound through spectra of its own: the picture must not change.
    std::vector<int> x = Sine(900, 9000, 24000, kFs);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] += int(4000 * std::sin(0.37 * double(i) + 0.00002 * double(i) * double(i)));
    for (int type : {CKWaveFilm::DisplayAmplitudeGrey, CKWaveFilm::DisplayPhaseFreqGrowth, CKWaveFilm::DisplayHarmonogram}) {
        Sonogram two, one;
        two.film.displayFlags = one.film.displayFlags = type;
        one.view->bSecondCore = false;
        ASSERT_TRUE(two.Open("picture-two-cores.wav", x, kFs, kNFFT, 600, kHeight));
        ASSERT_TRUE(one.Open("picture-one-core.wav", x, kFs, kNFFT, 600, kHeight));
        two.PaintFrom(37);
        one.PaintFrom(37);
        ASSERT_EQ(two.view->bitmapBits.nSize, one.view->bitmapBits.nSize);
        EXPECT_EQ(std::memcmp(two.view->bitmapBits.pArray, one.view->bitmapBits.pArray, size_t(one.view->bitmapBits.nSize)), 0)
            << type;
    }
}
