// The phase portrait: petals of a voiced sound at its harmonics, chirps of
// steady and gliding tones, linking to the neighbour cadres, the prediction
// step and the picture with and without qualifying petals.
// At 16000 Hz and NFFT 1024 a line is 15.625 Hz, the cadre step 102
// samples and sigma F = 16000 / (2π · 102) ≈ 24.97 Hz.
#include <numbers>
#include <gtest/gtest.h>

#include <QApplication>

#include "framework/ui/CMenu.h"
#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"
#include "kavrel/views/tests/FloatingWindowTestSupport.h"
#include "testsupport/ScriptedMenus.h"

using namespace floating_test;

namespace {

constexpr unsigned kFs = 16000;
constexpr int kNFFT = 1024;
constexpr double kLine = double(kFs) / kNFFT;

using View = CKWaveSpectrumPhasePortraitView;

class PhasePortrait : public FloatingWindowTest {
protected:
    // A portrait of the samples with the caret at sample 8000. The down
    // level is raised to 60 dB below full scale, as a user does to keep the
    // rounding noise of 16-bit samples out of the petals.
    View* Open(const char* name, const std::vector<int>& samples)
    {
        OpenFilm(name, samples, kFs, kNFFT).MoveSpectrumAmplValidDownLevel_dB(40);
        return OpenWindowAtCaret(&CKWaveFilm::CreateKWaveSpectrumPhasePortraitView,
                                 &CKWaveFilm::pKWaveSpectrumPhasePortraitView);
    }
    double Sigma() const { return file->film.GetSigmaFr(); }
};

} // namespace

TEST_F(PhasePortrait, VoicedSoundGivesPetalsAtItsHarmonics)
{
    // F0 = 180 Hz, harmonics up to 2700 Hz; those below 2 kHz are analysed.
    std::vector<double> harmonics;
    for (int h = 1; h <= 15; ++h)
        harmonics.push_back(180.0 * h);
    View* v = Open("portrait-voiced.wav", Partials(harmonics, 2000, 16000, kFs));
    const View::CADRE& caret = v->GetCadre(1);
    EXPECT_EQ(caret.nSample, file->film.GetSampleFromCadreNumber(file->film.GetKCaretCadre()));
    ASSERT_EQ(caret.nLepestok, 11); // 180 ... 1980 Hz
    for (int i = 0; i < caret.nLepestok; ++i) {
        const View::LEPESTOK& p = caret.Lepestok[i];
        const double f = 180.0 * (i + 1);
        EXPECT_NEAR(p.Frequency, f, 0.1 * kLine) << i;
        EXPECT_EQ(p.nLine, int(f / kLine + 0.5)) << i;
        // Each partial at 2000 of 32767: 20·log10(2000/32767) below the zero level.
        EXPECT_NEAR(p.Ampl_dB, 20 * std::log10(double(kFs) * 2000), 0.01) << i;
        EXPECT_FLOAT_EQ(float(p.DownLevel), file->film.validDownLevel.pArray[p.nLine]);
        EXPECT_FLOAT_EQ(float(p.UpLevel), file->film.validUpLevel.pArray[p.nLine]);
        // Steady partials link to both neighbours.
        EXPECT_GT(p.Quality, 0.99) << i;
    }
    // The squares stand at x = line + 20, on the zero row of the chirp.
    for (int i = 0; i < caret.nLepestok; ++i)
        EXPECT_EQ(Pixel(v, caret.Lepestok[i].nLine + 20, 320 - 2), RGB(0, 0, 0)) << i;
    EXPECT_EQ(v->GetNDrawnLepestok(), 11);
    // The distribution peaks at the zero chirp (bin 300), marked by the dotted line.
    const double* bins = v->GetDistribution();
    EXPECT_EQ(std::max_element(bins, bins + View::nBins) - bins, 300);
}

TEST_F(PhasePortrait, SteadyToneHasNoChirpAndLinksWell)
{
    View* v = Open("portrait-steady.wav", Partials({1000}, 16000, 16000, kFs));
    for (int k = 0; k < 3; ++k) {
        const View::CADRE& c = v->GetCadre(k);
        ASSERT_EQ(c.nLepestok, 1) << k;
        EXPECT_NEAR(c.Lepestok[0].Frequency, 1000, 0.1 * kLine);
        // A chirp of 1 Hz/s would be 2π rad/s²; relative to 1000 Hz: 0.006.
        EXPECT_NEAR(c.Lepestok[0].RelativeChirp, 0, 0.01) << k;
        // Predictions of a steady peak: where it is.
        EXPECT_NEAR(c.Lepestok[0].ForwardPrediction, c.Lepestok[0].Frequency, 0.01);
        EXPECT_NEAR(c.Lepestok[0].BackwardPrediction, c.Lepestok[0].Frequency, 0.01);
    }
    const View::LEPESTOK& p = v->GetCadre(1).Lepestok[0];
    EXPECT_GT(p.Quality, 0.999);
    // width = sqrt(f² + chirp²/f²)·σ/f, for no chirp σ.
    EXPECT_NEAR(p.Width, Sigma(), 1e-3);
}

TEST_F(PhasePortrait, GlidingToneChirpsWithTheGlide)
{
    // 500 → 1500 Hz over one second: 1000 Hz/s, 2π·1000 rad/s², about 1000 Hz at the caret.
    const double beta = 2 * std::numbers::pi * 1000;
    View* up = Open("portrait-rising.wav", Glide(500, 1500, 16000, 16000, kFs));
    const View::CADRE& c = up->GetCadre(1);
    ASSERT_EQ(c.nLepestok, 1);
    const View::LEPESTOK& p = c.Lepestok[0];
    EXPECT_NEAR(p.Frequency, 500 + 1000 * 8000.0 / kFs, 2 * kLine);
    EXPECT_NEAR(p.Chirp, beta, 0.01 * beta);
    EXPECT_GT(p.RelativeChirp, 0);
    // One cadre step (102 samples) later it is 102/16000 · 1000 Hz higher.
    const double dt = 102.0 / kFs;
    EXPECT_NEAR(p.ForwardPrediction - p.Frequency, dt * 1000, 0.1 * dt * 1000);
    EXPECT_GT(p.Quality, 0.9);
    // The square stands r = 8·relative chirp + 0.5 above the zero row.
    const int r = int(8 * p.RelativeChirp + 0.5);
    EXPECT_GT(r, 30);
    EXPECT_EQ(Pixel(up, p.nLine + 20, 320 - r), RGB(0, 0, 0));

    View* down = Open("portrait-falling.wav", Glide(1500, 500, 16000, 16000, kFs));
    const View::LEPESTOK& q = down->GetCadre(1).Lepestok[0];
    ASSERT_EQ(down->GetCadre(1).nLepestok, 1);
    EXPECT_NEAR(q.Chirp, -beta, 0.01 * beta);
    EXPECT_LT(q.RelativeChirp, 0);
    EXPECT_LT(q.ForwardPrediction, q.Frequency);
}

TEST_F(PhasePortrait, PredictionStepOfTwoCadres)
{
    View* v = Open("portrait-step.wav", Glide(500, 1500, 16000, 16000, kFs));
    const long caret = v->GetCadre(1).nSample;
    EXPECT_EQ(v->GetCadre(0).nSample, caret - 102);
    EXPECT_EQ(v->GetCadre(2).nSample, caret + 102);
    EXPECT_NEAR(v->GetLinkTolerance(), Sigma() / 2, 1e-9);
    const double step1 = v->GetCadre(1).Lepestok[0].ForwardPrediction - v->GetCadre(1).Lepestok[0].Frequency;

    ktest::ScriptedMenus menus(View::ID_PREDICTION_TWO_CADRES);
    const KShownMenu& shown = menus.shown;
    menus.OpenContextMenu(v);
    EXPECT_EQ(v->nPredictionStep, 2);
    // The edit items have no handler here: grey.
    for (const KShownMenuItem& it : shown.items) {
        if (!it.bSeparator) {
            EXPECT_EQ(it.bEnabled, it.nID == View::ID_PREDICTION_TWO_CADRES) << it.nID;
        }
        if (it.nID == View::ID_PREDICTION_TWO_CADRES) {
            EXPECT_FALSE(it.bChecked);
        }
    }
    Paint(v);
    EXPECT_EQ(v->GetCadre(0).nSample, caret - 204);
    EXPECT_EQ(v->GetCadre(2).nSample, caret + 204);
    EXPECT_NEAR(v->GetLinkTolerance(), Sigma(), 1e-9);
    const double step2 = v->GetCadre(1).Lepestok[0].ForwardPrediction - v->GetCadre(1).Lepestok[0].Frequency;
    EXPECT_NEAR(step2, 2 * step1, 1e-9);
    EXPECT_GT(v->GetCadre(1).Lepestok[0].Quality, 0.5);

    // Checked now; choosing it again goes back to one cadre.
    menus.OpenContextMenu(v);
    for (const KShownMenuItem& it : shown.items) {
        if (it.nID == View::ID_PREDICTION_TWO_CADRES) {
            EXPECT_TRUE(it.bChecked);
        }
    }
    EXPECT_EQ(v->nPredictionStep, 1);
}

TEST_F(PhasePortrait, WithoutQualifyingPetalsOnlyTheFrameAndAnEmptyDistribution)
{
    View* v = Open("portrait-silence.wav", std::vector<int>(16000, 0));
    EXPECT_EQ(v->GetCadre(1).nLepestok, 0);
    EXPECT_EQ(v->GetNDrawnLepestok(), 0);
    for (int k = 0; k < View::nBins; ++k)
        ASSERT_EQ(v->GetDistribution()[k], 0.0) << k;
    // The frame, the zero row and the empty distribution along the left
    // edge; nothing else inside the plot.
    EXPECT_EQ(Pixel(v, 300, 20), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(v, 531, 300), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(v, 20, 400), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(v, 5, 320), RGB(0, 0, 0));
    for (int y = 21; y < 619; ++y)
        for (int x = 21; x < 531; ++x) {
            if (y != 320) {
                ASSERT_EQ(Pixel(v, x, y), RGB(255, 255, 255)) << x << " " << y;
            }
        }
    EXPECT_EQ(Pixel(v, 5, 5), RGB(255, 255, 255));
}
