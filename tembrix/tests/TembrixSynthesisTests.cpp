// Synthesis from sound objects and the cocktail as plain functions: the
// work file, soft edges of a text-only object, the traces of a micro-harmonic
// one, the normalisation, and the cocktail's scatter and its empty stretch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "tembrix/KSoundSynthesis.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"

using namespace ksynth;

namespace {

kresample::WindowReader Windowed(const std::vector<short>& s)
{
    return [&s](short* dst, long first, long n) {
        for (long k = 0; k < n; ++k) {
            const long i = first + k;
            dst[k] = i >= 0 && i < long(s.size()) ? s[size_t(i)] : 0;
        }
        return true;
    };
}

std::vector<float> Contents(CKFloatWorkFile& work)
{
    std::vector<float> v(static_cast<size_t>(work.Size()));
    work.Read(0, v.data(), work.Size());
    return v;
}

struct SynthesisTest : ::testing::Test {
    ktest::ScratchDir dir;
    std::vector<short> signal;
    std::vector<std::string> messages;
    CKFloatWorkFile work;
    SynthesisContext context;

    void SetUp() override
    {
        for (int k = 0; k < 3000; ++k)
            signal.push_back(short(1000 + k % 7));
        ASSERT_EQ(work.Open(), CKFloatWorkFile::Opened);
        EXPECT_EQ(std::filesystem::path(work.Path()).filename().string().rfind("TBX", 0), 0u);
        ASSERT_TRUE(CopySignal(long(signal.size()), Windowed(signal), work));
        context.nStep = 10;
        context.dEdgeSigma = 15;
        context.read = Windowed(signal);
        context.report = [this](const std::string& m) { messages.push_back(m); };
        context.sOutputPath = dir / "out.wav";
    }
};

} // namespace

TEST_F(SynthesisTest, TextObjectScalesItsMiddleAndFadesAtItsEdgesOnly)
{
    // The work file holds the signal padded to whole blocks of 1024.
    ASSERT_EQ(work.Size(), 3072);
    const SoundObject o{0, 500, 1499, 20 * std::log10(2.0), ""};
    ApplyObjects({o}, context, work);
    const std::vector<float> y = Contents(work);
    const long w = 10, C = 1000;
    for (long s = 0; s < 3072; ++s) {
        const double x = s < 3000 ? signal[size_t(s)] : 0.0;
        double factor = 1;
        if (s >= 500 && s <= 1499) {
            const long k = s - 500;
            double e = 1;
            if (k < 5 * w)
                e *= std::exp(-double(5 * w - 1 - k) * (5 * w - 1 - k) / (2 * 15.0 * 15));
            if (k >= C - 5 * w)
                e *= std::exp(-double(k - (C - 5 * w)) * (k - (C - 5 * w)) / (2 * 15.0 * 15));
            factor = 1 + e;
        }
        EXPECT_NEAR(y[size_t(s)], factor * x, 1e-3 * x + 1e-6) << s;
    }

    // Objects no longer than five cadre steps are left out.
    CKFloatWorkFile again;
    ASSERT_EQ(again.Open(), CKFloatWorkFile::Opened);
    ASSERT_TRUE(CopySignal(3000, Windowed(signal), again));
    ApplyObjects({SoundObject{0, 100, 149, 20.0, ""}}, context, again);
    std::vector<float> unchanged(signal.begin(), signal.end());
    unchanged.resize(3072, 0.0f);
    EXPECT_EQ(Contents(again), unchanged);
    again.Remove();
}

TEST_F(SynthesisTest, TextObjectGoneThroughBlockByBlockIsTheWholeSegmentWeighted)
{
    // The whole segment as floats, both edges laid over it l by l, added at
    // once: the streamed object must give the very same floats, also where
    // the two edges overlap on a short object.
    const long w = context.nStep;
    for (const long C : {51L, 73L, 99L, 1000L}) {
        CKFloatWorkFile streamed;
        ASSERT_EQ(streamed.Open(), CKFloatWorkFile::Opened);
        ASSERT_TRUE(CopySignal(3000, Windowed(signal), streamed));
        const SoundObject o{0, 300, 300 + C - 1, -7.5, ""};
        ApplyObjects({o}, context, streamed);

        std::vector<float> segment(signal.begin() + 300, signal.begin() + 300 + C);
        const std::vector<double> e = SoftEdge(w, context.dEdgeSigma);
        for (long l = 0; l < 5 * w; ++l) {
            segment[size_t(5 * w - 1 - l)] *= float(e[size_t(l)]);
            segment[size_t(C - 5 * w + l)] *= float(e[size_t(l)]);
        }
        std::vector<float> expected(signal.begin(), signal.end());
        expected.resize(3072, 0.0f);
        const double gm1 = GainOfLevel(-7.5) - 1;
        for (long k = 0; k < C; ++k)
            expected[size_t(300 + k)] = float(expected[size_t(300 + k)] + gm1 * segment[size_t(k)]);
        EXPECT_EQ(Contents(streamed), expected) << C;
        streamed.Remove();
    }
}

TEST_F(SynthesisTest, MicroHarmonicTracesAreAddedByTheirLevelAndAMissingFileIsReported)
{
    // The float wave of an object over samples 1000..1099.
    std::vector<float> traces(100);
    for (int k = 0; k < 100; ++k)
        traces[size_t(k)] = float(300 * std::sin(0.3 * k));
    const std::string kfw = dir / "sound_1.kfw";
    std::FILE* f = std::fopen(kfw.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(traces.data(), sizeof(float), traces.size(), f);
    std::fclose(f);

    const std::string missing = dir / "sound_2.kfw";
    const double dB = -20 * std::log10(4.0); // the harmonic part drops to a quarter
    ApplyObjects({SoundObject{1, 2000, 2099, 6.0, missing}, SoundObject{1, 1000, 1099, dB, kfw}}, context, work);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Во время слияния синтезированных звуковых файлов всех фонообъектов не удалось открыть файл " +
                               missing + "\n\nОн не включен в итоговый синтезированный файл - " + context.sOutputPath);
    const std::vector<float> y = Contents(work);
    for (long s = 0; s < 3000; ++s) {
        const double add = s >= 1000 && s < 1100 ? -0.75 * traces[size_t(s - 1000)] : 0.0;
        EXPECT_NEAR(y[size_t(s)], signal[size_t(s)] + add, 1e-2) << s;
    }
}

TEST_F(SynthesisTest, NormalisationBringsThePeakTo32766AndSilenceStaysSilent)
{
    std::vector<short> out;
    const auto into = [&out](const short* p, long n) {
        out.insert(out.end(), p, p + n);
        return true;
    };
    ASSERT_TRUE(WriteNormalised(work, PeakOf(work), into));
    ASSERT_EQ(out.size(), 3072u);
    for (long s = 0; s < 3000; ++s)
        EXPECT_EQ(out[size_t(s)], short(std::trunc(32766.0 / 1006 * signal[size_t(s)]))) << s;
    EXPECT_TRUE(std::all_of(out.begin() + 3000, out.end(), [](short v) { return v == 0; }));

    CKFloatWorkFile silent;
    ASSERT_EQ(silent.Open(), CKFloatWorkFile::Opened);
    const std::vector<short> zeros(100, 0);
    ASSERT_TRUE(CopySignal(100, Windowed(zeros), silent));
    out.clear();
    ASSERT_TRUE(WriteNormalised(silent, PeakOf(silent), into));
    EXPECT_EQ(out, std::vector<short>(1024, 0));
    const std::string path = silent.Path();
    silent.Remove();
    EXPECT_FALSE(std::filesystem::exists(path));
}

namespace {

// A cocktail over a film of 200 cadres of 16 samples, NFFT 64.
CocktailParams Cocktail(const std::vector<short>& sound, std::function<int()> random)
{
    CocktailParams p;
    p.nLength = long(sound.size());
    p.nFFT = 64;
    for (int i = 0; i < 32; ++i)
        p.halfGauss.push_back(std::exp(-double(i) * i / (2 * 10.0 * 10)));
    p.c0 = 4;
    p.c1 = 196;
    p.sampleOfCadre = [](long c) { return c * 16; };
    p.window = [&sound](long sample, short* dst) {
        for (int j = 0; j < 64; ++j) {
            const long i = sample - 32 + j;
            dst[j] = i >= 0 && i < long(sound.size()) ? sound[size_t(i)] : 0;
        }
        return true;
    };
    p.nAdditions = 1;
    p.random = std::move(random);
    return p;
}

} // namespace

TEST(Cocktail, ScatteredCadresFillTheLengthWithTheNormalisedStretchRepeated)
{
    const std::vector<int> tone = ktest::Sine(440, 8000, 3200, 8000);
    const std::vector<short> sound(tone.begin(), tone.end());
    unsigned state = 12345;
    const auto lcg = [&state] {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) & 0x7FFF);
    };
    CocktailParams p = Cocktail(sound, lcg);
    const CocktailResult r = MakeCocktail(p);
    ASSERT_EQ(r.wave.size(), sound.size());
    const long n = r.b - r.a;
    ASSERT_GT(n, 0);
    // The stretch is normalised to 32766 and then repeated from its start.
    short peak = 0;
    for (long u = 0; u <= n; ++u)
        peak = std::max<short>(peak, short(std::abs(r.wave[size_t(u)])));
    EXPECT_GE(peak, 32765);
    for (long u = n + 1; u < long(r.wave.size()); ++u)
        ASSERT_EQ(r.wave[size_t(u)], r.wave[size_t(u - n - 1)]) << u;

    // Offsets from the three draws: (r2·65536 + (r1 mod 2)·32768 + r3) mod D.
    std::vector<int> draws{1, 0, 100, 2, 0, 2900};
    size_t next = 0;
    CocktailParams two = Cocktail(sound, [&] { return draws[next++ % draws.size()]; });
    two.c0 = 4;
    two.c1 = 6; // two cadres, D = 32
    const CocktailResult r2 = MakeCocktail(two);
    EXPECT_EQ(r2.a, 64 + (32768 + 100) % 32);
    EXPECT_EQ(r2.b, long(2900 % 32) - 64);
}

TEST(Cocktail, EmptyStretchGivesSilenceOfTheFullLength)
{
    const std::vector<short> sound(3200, 5000);
    // Every cadre at the same offset: no stretch lies between the ends.
    CocktailParams p = Cocktail(sound, [] { return 7; });
    p.nAdditions = 3;
    const CocktailResult r = MakeCocktail(p);
    ASSERT_EQ(r.wave.size(), 3200u);
    EXPECT_LT(r.b - r.a, 0);
    EXPECT_TRUE(std::all_of(r.wave.begin(), r.wave.end(), [](short v) { return v == 0; }));
}
