#include <numbers>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <random>
#include <string>
#include <sys/stat.h>

#include "framework/base/ProgressService.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveFilm.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

std::string silentWav(const char* name, int n, std::uint32_t rate = 16000)
{
    return writeFile(name, pcm16(1, rate, std::vector<int>(static_cast<size_t>(n), 0)));
}

// A film on a file, with the spectra's readers opened as a document opens them.
void openFilm(CKWaveFilm& f, const std::string& path)
{
    ASSERT_TRUE(f.OpenKWaveFile(path.c_str(), "film"));
    for (CKSpectrum* s : {f.pS0, f.pS1, f.pS2, f.pS3})
        ASSERT_TRUE(s->Wave.OpenKWaveFile(path.c_str(), "film"));
}

int countTempFiles(const char* prefix)
{
    DIR* d = ::opendir(ktest::TempDir().c_str());
    int n = 0;
    if (!d)
        return -1;
    while (dirent* e = ::readdir(d)) {
        if (std::string(e->d_name).rfind(prefix, 0) == 0)
            ++n;
    }
    ::closedir(d);
    return n;
}

} // namespace

TEST(KWaveFilm, CadreGeometry)
{
    CKWaveFilm f;
    openFilm(f, silentWav("geom.wav", 8000));
    f.CadreStepInSamples = 100;
    EXPECT_EQ(f.SetFirstAndLastSample(1000, 4350), 32); // 33 made even
    EXPECT_EQ(f.GetZeroCadreSamplePosition(), 1000);
    EXPECT_EQ(f.SetFirstAndLastSample(4350, 1000), 32);
    EXPECT_EQ(f.GetLengthInSamples(), 3200);
    EXPECT_EQ(f.GetInternalWaveFilmStatus() & 2, 2);
    EXPECT_EQ(f.GetCadreNumberFromSample(1049), 0);
    EXPECT_EQ(f.GetCadreNumberFromSample(1050), 1);
    EXPECT_EQ(f.GetSampleFromCadreNumber(3), 1300);
    EXPECT_EQ(f.GetCadreNumberFromTimeInSeconds(1300 / 16000.0), 3);
    EXPECT_DOUBLE_EQ(f.GetTimeInSecondsFromCadre(2), 1200 / 16000.0);
    EXPECT_DOUBLE_EQ(f.GetCadreStepInSeconds(), 100 / 16000.0);
    EXPECT_EQ(f.SetFirstAndLastSample(0, 150), 2);
}

TEST(KWaveFilm, OptimumCadreParameters)
{
    CScriptedUserInteraction ui;
    CKWaveFilm f;
    openFilm(f, silentWav("opt.wav", 4000));
    f.SetNFFTandOptimumCadreParams(1024);
    EXPECT_EQ(f.GetCadreStepInSamples(), 102);
    EXPECT_NEAR(f.GetSigmaFr(), 16000 / (2 * std::numbers::pi * 102), 1e-9);
    EXPECT_NEAR(f.GetSigmaFr(), 24.97, 0.01);
    EXPECT_NEAR(f.GetSigmaT(), 102 / 16000.0, 1e-12); // σT is one step
    EXPECT_NEAR(f.pS2->GetSigmaF(), 99.87, 0.01);
    EXPECT_EQ(f.pS0->GetNFFT(), 1024);
    EXPECT_EQ(f.pS3->GetNFFT(), 1024);
    EXPECT_EQ(f.GetInternalWaveFilmStatus() & 1, 1);
    // Six sigmas: 6 cadres in time; 6·24.97 / 15.625 = 9.59 lines in frequency.
    EXPECT_EQ(f.GetNGaussCadresNeighbours(), 6);
    EXPECT_EQ(f.GetNGaussFreqLineNeighbours(), 10);
    EXPECT_TRUE(ui.m_messages.empty());

    f.SetNFFTandOptimumCadreParams(16);
    EXPECT_EQ(f.GetCadreStepInSamples(), 1);
    EXPECT_TRUE(ui.m_messages.empty());

    f.SetNFFTandOptimumCadreParams(4);
    EXPECT_EQ(f.GetCadreStepInSamples(), 1);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Не удалось установить оптимальные физические параметры сонофильма.\n\n"
                                      "Диагностика ситуации:\nnFFT = 4\nSigmaFr = inf\nCadreStepInSamples = 0");
    // The mended step gives a finite resolution again.
    EXPECT_NEAR(f.GetSigmaFr(), 16000 / (2 * std::numbers::pi), 1e-9);
}

TEST(KWaveFilm, LevelsCarryOverBetweenTransformSizes)
{
    CKWaveFilm f;
    openFilm(f, silentWav("levels.wav", 4000));
    f.SetNewSpectrumValidLevel(256);
    const float zero = float(20 * std::log10(16000.0 * 32767));
    ASSERT_EQ(f.validUpLevel.nSize, 128);
    EXPECT_FLOAT_EQ(f.validUpLevel.pArray[5], zero);
    EXPECT_FLOAT_EQ(f.validDownLevel.pArray[5], zero - 100);
    for (int i = 0; i < 128; ++i) {
        f.validUpLevel.pArray[i] = float(i);
        f.validDownLevel.pArray[i] = float(-i);
    }
    f.SetNewSpectrumValidLevel(1024);
    ASSERT_EQ(f.validUpLevel.nSize, 512);
    for (int i = 0; i < 512; ++i) {
        ASSERT_EQ(f.validUpLevel.pArray[i], float(i / 4));
        ASSERT_EQ(f.validDownLevel.pArray[i], -float(i / 4));
    }
    for (int i = 0; i < 512; ++i) {
        f.validUpLevel.pArray[i] = float((i * 37) % 101);
        f.validDownLevel.pArray[i] = float(-((i * 53) % 97));
    }
    f.SetNewSpectrumValidLevel(256);
    ASSERT_EQ(f.validUpLevel.nSize, 128);
    for (int i = 0; i < 128; ++i) {
        float up = -1e9f, down = -1e9f;
        for (int k = 4 * i; k < 4 * i + 4; ++k) {
            up = std::max(up, float((k * 37) % 101));
            down = std::max(down, float(-((k * 53) % 97)));
        }
        ASSERT_EQ(f.validUpLevel.pArray[i], up) << i;
        ASSERT_EQ(f.validDownLevel.pArray[i], down) << i;
    }
}

TEST(KWaveFilm, MovingLevelsKeepThemApart)
{
    CKWaveFilm f;
    openFilm(f, silentWav("move.wav", 4000));
    f.SetNFFTandOptimumCadreParams(256);
    f.MoveSpectrumAmplValidUpLevel_dB(-200);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(f.validDownLevel.pArray[i], f.validUpLevel.pArray[i] - 1);
    f.SetDefaultsSpectrumAmplValidUpAndDownLevel_dB();
    f.MoveSpectrumAmplValidDownLevel_dB(150);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(f.validUpLevel.pArray[i], f.validDownLevel.pArray[i] + 1);
    f.SetDefaultsSpectrumAmplValidUpAndDownLevel_dB();
    f.MoveSpectrumAmplValidUpLevel_dB(-30);
    EXPECT_FLOAT_EQ(f.validUpLevel.pArray[0] - f.validDownLevel.pArray[0], 70);
}

TEST(KWaveFilm, SelectionAndCaret)
{
    CKWaveFilm f;
    openFilm(f, silentWav("sel.wav", 12000));
    f.SetNFFTandOptimumCadreParams(1024);
    f.SetFirstAndLastSample(0, 10000);
    long last = f.GetNCadres() - 1;

    f.SetSelectedFragmentAbsCadres(20, 10);
    EXPECT_EQ(f.GetSelectedFragmentAbsCadre0(), 10);
    EXPECT_EQ(f.GetSelectedFragmentAbsCadre1(), 20);
    f.SetSelectedFragmentAbsCadre(14);
    EXPECT_EQ(f.GetSelectedFragmentAbsCadre0(), 14);
    f.SetSelectedFragmentAbsCadres(10, 20);
    f.SetSelectedFragmentAbsCadre(15);
    EXPECT_EQ(f.GetSelectedFragmentAbsCadre1(), 15);
    f.SetSelectedFragmentAbsCadres(-5, 100000);
    EXPECT_EQ(f.GetSelectedFragmentAbsCadre0(), 0);
    EXPECT_EQ(f.GetSelectedFragmentAbsCadre1(), last);
    EXPECT_EQ(f.GetSelectedFragmentSample1(), last * 102);
    EXPECT_DOUBLE_EQ(f.GetSelectedFragmentT1(), last * 102 / 16000.0);

    EXPECT_EQ(f.SetKCaretFrequency(-5), 0);
    EXPECT_EQ(f.SetKCaretFrequency(9000), 7984.375);
    EXPECT_EQ(f.SetKCaretSample(-3), 0);
    EXPECT_EQ(f.SetKCaretSample(1 << 30), f.GetNCadres() * 102);
    EXPECT_EQ(f.SetKCaretCadre(7), 7);
    EXPECT_EQ(f.GetKCaretSample(), 714);
    EXPECT_EQ(f.GetKWaveWindowSamplePosition(), 714);
    // Changing NFFT re-clamps the caret frequency to the new top line.
    f.SetKCaretFrequency(7984.375);
    f.SetNFFTandLeaveCadreParamsUnchangable(256);
    EXPECT_EQ(f.GetKCaretFrequency(), 16000.0 / 256 * 127);
    EXPECT_EQ(f.GetCadreStepInSamples(), 102);
}

TEST(KWaveFilm, PowerFileLevelsAndSentinels)
{
    CScriptedUserInteraction ui;
    CScriptedProgressService progress;
    // Cadre 2 holds a full negative peak; the rest is silent.
    std::vector<int> s(4000, 0);
    s[2 * 100 + 10] = -32768;
    std::string path = writeFile("power.wav", pcm16(1, 16000, s));
    // A temporary folder of its own: films of tests running beside this
    // one make power files too.
    const char* outer = std::getenv("TMPDIR");
    std::string saved = outer ? outer : "";
    std::string own = tempPath("power-tmp");
    ::mkdir(own.c_str(), 0777);
    ::setenv("TMPDIR", own.c_str(), 1);
    int before = countTempFiles("KP");
    {
        CKWaveFilm f;
        openFilm(f, path);
        f.CadreStepInSamples = 100;
        f.SetFirstAndLastSample(0, 1000);
        ASSERT_EQ(f.GetNCadres(), 10);
        EXPECT_EQ(f.GetPowerInCadre(0), -400.0f);

        ASSERT_TRUE(f.PowerCreate());
        EXPECT_TRUE(f.PowerFileIsReady());
        EXPECT_TRUE(ui.m_messages.empty());
        EXPECT_EQ(progress.m_nOpened, 1);
        EXPECT_EQ(progress.m_nClosed, 1);
        EXPECT_EQ(progress.m_nUpper, 200);
        EXPECT_EQ(progress.m_sStatus, "Идет вычисление динамики уровня мощности всего сигнала ...");
        // One step per cadre at most: 10 cadres reach 10, not 200.
        EXPECT_EQ(progress.m_positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        EXPECT_EQ(ui.m_nWaitCursorDepth, 0);
        EXPECT_GE(ui.m_nWaitCursorShown, 1);

        const float silent = float(20 * std::log10(2.0) - 300 * std::log10(2.0));
        EXPECT_NEAR(silent, -84.288, 1e-3);
        EXPECT_EQ(f.GetPowerInCadre(0), silent);
        EXPECT_EQ(f.GetPowerInCadre(2), 0.0f);
        EXPECT_EQ(f.GetPowerInCadre(10), -300.0f);
        EXPECT_EQ(f.GetPowerInCadre(-1), -300.0f);

        float* b = f.PowerPositBufferOnCadre(8, 10);
        EXPECT_EQ(b[0], silent);
        EXPECT_EQ(b[1], silent);
        for (int i = 2; i < 10; ++i)
            EXPECT_NEAR(b[i], -96.3296, 1e-4);
        EXPECT_EQ(f.nPowerBufferFirstCadre, 8);
        b = f.PowerPositBufferOnCadre(1, 3);
        EXPECT_EQ(b[1], 0.0f);

        // The file itself: 4 bytes a cadre, nothing else.
        struct stat st;
        ASSERT_EQ(::stat(f.sPowerFilePathName, &st), 0);
        EXPECT_EQ(st.st_size, 40);
        EXPECT_TRUE(f.sPowerFilePathName.Find("/KPN") >= 0);

        ASSERT_TRUE(f.PowerCreate());
        EXPECT_EQ(countTempFiles("KP"), before + 1);
        EXPECT_EQ(f.GetKWaveWindowWidthInSamples(), 100);
        EXPECT_EQ(f.GetKWaveWindowSamplePosition(), 0);
    }
    EXPECT_EQ(countTempFiles("KP"), before);
    if (outer)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

// A film of many thousand cadres is read in pieces: every cadre's level is
// still the peak of its own stretch of the chosen channel, from the film's
// first sample (with silence before the file) to its last cadre.
TEST(KWaveFilm, PowerLevelsOfALongFilmCadreByCadre)
{
    CScriptedUserInteraction ui;
    const long frames = 900000, step = 100, first = 37;
    // The right channel rises through each stretch, so that a stretch read
    // one sample off has another peak; the left is louder noise.
    std::mt19937 rng(3);
    std::vector<int> x(size_t(2 * frames));
    for (long k = 0; k < frames; ++k) {
        x[size_t(2 * k)] = std::uniform_int_distribution<int>(-32768, 32767)(rng);
        x[size_t(2 * k + 1)] = int((k * 3) % 32749) * (k % 2 ? 1 : -1);
    }
    CKWaveFilm f;
    openFilm(f, writeFile("long-power.wav", pcm16(2, 44100, x)));
    f.nChannel = 1;
    f.CadreStepInSamples = step;
    f.SetFirstAndLastSample(first, frames);
    const long n = f.GetNCadres();
    ASSERT_GT(n, 8000);
    ASSERT_TRUE(f.PowerCreate());
    const float* levels = f.PowerPositBufferOnCadre(0, n);
    for (long i = 0; i < n; ++i) {
        int p = 1;
        for (long k = first + i * step - step / 2; k < first + i * step + step / 2; ++k)
            if (k >= 0 && k < frames)
                p = std::max(p, std::abs(x[size_t(2 * k + 1)]));
        const float expected = float(20 * std::log10(double(p == 1 ? 2 : p)) - 20 * std::log10(32768.0));
        ASSERT_NEAR(levels[i], expected, 1e-5) << i;
    }
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWaveFilm, FragmentFilm)
{
    CKWaveFilm a, b;
    openFilm(a, silentWav("frag.wav", 8000));
    a.SetNFFTandOptimumCadreParams(1024);
    a.CadreStepInSamples = 100;
    a.SetFirstAndLastSample(0, 5000);
    a.SetSelectedFragmentAbsCadres(10, 30);
    a.validUpLevel.pArray[3] = 12.5f;
    a.phaseFreqLimitPos = 3e-28f;
    a.displayFlags = 64;
    a.lightBackground = 1;
    a.SetKCaretSample(1234);

    b.InitializeFromSelectedFragmentAnotherKWaveFilm(&a);
    EXPECT_TRUE(b.KWaveIsGood());
    EXPECT_EQ(b.GetZeroCadreSamplePosition(), 1000);
    EXPECT_EQ(b.GetNCadres(), 20);
    EXPECT_EQ(b.GetSelectedFragmentAbsCadre0(), 0);
    EXPECT_EQ(b.GetSelectedFragmentAbsCadre1(), 0);
    EXPECT_EQ(b.GetInternalWaveFilmStatus(), 0);
    EXPECT_EQ(b.GetNFFT(), 1024);
    EXPECT_EQ(b.validUpLevel.pArray[3], 12.5f);
    EXPECT_EQ(b.phaseFreqLimitPos, 3e-28f);
    EXPECT_EQ(b.displayFlags, 64);
    EXPECT_EQ(b.lightBackground, 0); // keeps its own
    EXPECT_EQ(b.GetKCaretSample(), 1234);
}
