// The wider WAV formats the reader takes (24 and 32-bit integers, 32 and
// 64-bit floats, extensible records, many channels, extreme rates), read
// against libsndfile's decoding of the same file; and the malformed records
// it must refuse.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWave.h"
#include "testsupport/SoundFiles.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

std::vector<short> fill(CKWave& w, long first, long n)
{
    std::vector<short> out(size_t(n), short(0x5555));
    EXPECT_TRUE(w.FillKWaveBufFromSampleNSamples(out.data(), first, n));
    return out;
}

// Channel ch of the reference, as the reader must deliver it.
std::vector<short> expectedChannel(const ktest::ReferenceSound& r, int ch, bool bFloat)
{
    std::vector<short> v;
    for (long long i = 0; i < r.frames; ++i) {
        const size_t k = size_t(i * r.channels + ch);
        v.push_back(bFloat ? ktest::Expected16FromDouble(r.doubles[k]) : ktest::Expected16FromInt32(r.ints[k]));
    }
    return v;
}

Bytes floats32(const std::vector<float>& v)
{
    Bytes b;
    for (float f : v) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        put32(b, u);
    }
    return b;
}

Bytes floats64(const std::vector<double>& v)
{
    Bytes b;
    for (double d : v) {
        std::uint64_t u;
        std::memcpy(&u, &d, 8);
        put32(b, std::uint32_t(u));
        put32(b, std::uint32_t(u >> 32));
    }
    return b;
}

} // namespace

TEST(KWaveFormats, SoxFilesOfEveryLayoutReadAsLibsndfileDecodesThem)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: the formats it writes are not checked";
    struct Case {
        const char* name;
        const char* options; // sox's output options
        const char* synth;
        bool bFloat;
        int channels;
        unsigned tag; // the record sox writes
    } cases[] = {
        {"int24", "-r 48000 -b 24 -c 1", "synth 0.3 sine 440 vol 0.9", false, 1, 0xFFFE},
        {"int32", "-r 44100 -e signed-integer -b 32 -c 2", "synth 0.2 sine 300 sine 523", false, 2, 0xFFFE},
        {"float32", "-r 96000 -e floating-point -b 32 -c 1", "synth 0.2 sine 1000 vol 0.7", true, 1, 3},
        {"float64", "-r 22050 -e floating-point -b 64 -c 2", "synth 0.2 sine 150 sawtooth 90", true, 2, 3},
        {"six", "-r 16000 -b 24 -c 6", "synth 0.1 sine 100 sine 200 sine 300 sine 400 sine 500 sine 600", false, 6, 0xFFFE},
        {"slow", "-r 8 -b 24 -c 1", "synth 20 sine 1", false, 1, 0xFFFE},
        {"fast", "-r 768000 -b 16 -c 8", "synth 0.01 sine 1000 sine 2000 sine 3000 sine 4000 sine 5000 sine 6000 sine 7000 sine 8000",
         false, 8, 0xFFFE},
    };
    ktest::ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / (std::string(c.name) + ".wav");
        // Without dither, so that the file holds the synthesised values themselves.
        ASSERT_TRUE(ktest::Sox(std::string("-D -n ") + c.options + " '" + path + "' " + c.synth));
        const ktest::ReferenceSound ref = ktest::DecodeReference(path);
        ASSERT_TRUE(ref.ok);
        CScriptedUserInteraction ui;
        CKWave w;
        ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), c.name));
        EXPECT_EQ(w.GetKWaveFormat().wFormatTag, c.tag);
        EXPECT_EQ(w.GetKWaveNChannels(), c.channels);
        EXPECT_EQ(w.GetKWaveFrADC(), ref.rate);
        ASSERT_EQ(w.GetKWaveSizeInSamples(), ref.frames);
        for (int ch = 0; ch < c.channels; ++ch) {
            w.nChannel = ch;
            const std::vector<short> expected = expectedChannel(ref, ch, c.bFloat);
            // Whole, and in overlapping windows as a film reads it.
            EXPECT_EQ(fill(w, 0, long(ref.frames)), expected) << "channel " << ch;
            const long n = long(ref.frames), step = std::max(1L, n / 7);
            for (long first = -step; first < n + step; first += step) {
                const std::vector<short> got = fill(w, first, 2 * step);
                for (long i = 0; i < 2 * step; ++i) {
                    const long s = first + i;
                    ASSERT_EQ(got[size_t(i)], s < 0 || s >= n ? 0 : expected[size_t(s)]) << "sample " << s;
                }
            }
        }
        // A channel the file does not have reads the first, as in a mono file.
        w.nChannel = c.channels;
        const std::vector<short> first = expectedChannel(ref, 0, c.bFloat);
        EXPECT_EQ(fill(w, 0, 16), std::vector<short>(first.begin(), first.begin() + 16));
        EXPECT_TRUE(ui.m_messages.empty());
    }
}

TEST(KWaveFormats, WideSamplesAreRoundedHalfAwayFromZeroAndFloatsClipped)
{
    CScriptedUserInteraction ui;
    CKWave w;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::vector<float> f = {1.5f, -2.f, nan, inf, -inf, 0.5f / 32768, -0.5f / 32768, 1.5f / 32768,
                                  32766.5f / 32768, -1.f, 0.25f};
    const std::vector<short> fExpected = {32767, -32768, 0, 32767, -32768, 1, -1, 2, 32767, -32768, 8192};
    std::string path = writeFile("f32.wav", riff({chunk("fmt ", fmtBody(3, 1, 8000, 32)), chunk("data", floats32(f))}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "f32"));
    EXPECT_EQ(fill(w, 0, long(f.size())), fExpected);

    const std::vector<double> d(f.begin(), f.end());
    path = writeFile("f64.wav", riff({chunk("fmt ", extensibleFmtBody(1, 8000, 64, 64, 4, 3)), chunk("data", floats64(d))}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "f64"));
    EXPECT_EQ(fill(w, 0, long(d.size())), fExpected);

    // 24 bits in a plain PCM record: 128 is half a 16-bit step.
    const std::vector<int> i24 = {0x7FFFFF, -0x800000, 128, -128, 127, -127, 384, 0x7FFF80, -0x7FFF80};
    path = writeFile("i24.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 24)), chunk("data", samples24(i24))}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "i24"));
    EXPECT_EQ(fill(w, 0, long(i24.size())), (std::vector<short>{32767, -32768, 1, -1, 0, 0, 2, 32767, -32768}));

    Bytes i32;
    for (std::int64_t v : {std::int64_t(INT_MAX), std::int64_t(INT_MIN), std::int64_t(32768), std::int64_t(-32768),
                           std::int64_t(32767), std::int64_t(0x12348000)})
        put32(i32, std::uint32_t(v));
    path = writeFile("i32.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 32)), chunk("data", i32)}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "i32"));
    EXPECT_EQ(fill(w, 0, 6), (std::vector<short>{32767, -32768, 1, -1, 0, 0x1235}));

    // 20 valid bits of 24: the four below carry nothing and are dropped
    // before rounding (-0x71 is -0x80 without them, half a step down).
    path = writeFile("v20.wav", riff({chunk("fmt ", extensibleFmtBody(1, 8000, 24, 20, 4, 1)),
                                      chunk("data", samples24({-0x71, 0x18F}))}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "v20"));
    EXPECT_EQ(fill(w, 0, 2), (std::vector<short>{-1, 2}));
    // Valid bits 0 means all of them.
    path = writeFile("v0.wav", riff({chunk("fmt ", extensibleFmtBody(1, 8000, 24, 0, 0, 1)),
                                     chunk("data", samples24({-0x71, 0x18F}))}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "v0"));
    EXPECT_EQ(fill(w, 0, 2), (std::vector<short>{0, 2}));

    // Extensible 8-bit and 16-bit read as their plain records do.
    path = writeFile("e8.wav", riff({chunk("fmt ", extensibleFmtBody(2, 8000, 8, 8, 3, 1)), chunk("data", Bytes{128, 255, 0, 129})}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "e8"));
    w.nChannel = 1;
    EXPECT_EQ(fill(w, 0, 3), (std::vector<short>{32512, 256, 0}));
    w.nChannel = 0;
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWaveFormats, MalformedRecordsAreRefusedWithTheFaultNamed)
{
    struct Case {
        const char* name;
        Bytes fmt;
        const char* why; // a part of the message
    } cases[] = {
        {"bad-guid", extensibleFmtBody(1, 8000, 24, 24, 4, 1, true), "Подформат {00000001-0000-0010-8000-00AA00389B2B}"},
        {"adpcm-sub", extensibleFmtBody(1, 8000, 4, 4, 4, 2), "Подформат расширенного формата = 2 (Microsoft ADPCM)"},
        {"mask", extensibleFmtBody(2, 8000, 24, 24, 0x3F, 1), "Маска каналов (0x3F) называет больше каналов, чем их в файле (2)"},
        {"align", fmtBody(1, 1, 8000, 24, 4), "Блок выравнивания не равен"},
        {"ext-align", extensibleFmtBody(2, 8000, 32, 32, 3, 3, false, 6), "Блок выравнивания не равен"},
        {"valid", extensibleFmtBody(1, 8000, 24, 28, 4, 1), "Число значащих битов (28)"},
        {"float-valid", extensibleFmtBody(1, 8000, 32, 24, 4, 3), "Число значащих битов (24)"},
        {"short-ext", fmtBody(0xFFFE, 1, 8000, 24), "без полного описания подформата"},
        {"channels0", fmtBody(1, 0, 8000, 16, 2), "Число каналов должно быть от 1 до 8"},
        {"channels65535", fmtBody(1, 65535, 8000, 16, 2), "Число каналов должно быть от 1 до 8"},
        {"bits0", fmtBody(1, 1, 8000, 0, 2), "Целые отсчеты должны иметь"},
        {"bits65535", fmtBody(1, 1, 8000, 65535, 2), "Целые отсчеты должны иметь"},
        {"rate0", fmtBody(1, 1, 0, 16), "Частота дискретизации (0 Гц)"},
        {"rate-max", fmtBody(1, 1, 0xFFFFFFFF, 16), "Частота дискретизации (4294967295 Гц)"},
        {"rate-over", fmtBody(3, 1, 768001, 32), "Частота дискретизации (768001 Гц)"},
        {"mulaw", fmtBody(7, 1, 8000, 8), "Номер формата данных 7 (mu-law) - это не PCM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedUserInteraction ui;
        std::string path = writeFile(std::string(c.name) + ".wav", riff({chunk("fmt ", c.fmt), chunk("data", Bytes(48, 7))}));
        CKWave w;
        EXPECT_FALSE(w.OpenKWaveFile(path.c_str(), c.name));
        EXPECT_FALSE(w.KWaveIsGood());
        ASSERT_EQ(ui.m_messages.size(), 1u);
        const std::string& text = ui.m_messages[0].sText.str();
        EXPECT_NE(text.find("не удовлетворяет текущему стандарту"), std::string::npos) << text;
        EXPECT_NE(text.find(c.why), std::string::npos) << text;
        // A closed wave reads silence and says nothing more.
        std::vector<short> buf(8, 1);
        EXPECT_FALSE(w.FillKWaveBufFromSampleNSamples(buf.data(), 0, 8));
        EXPECT_EQ(buf, std::vector<short>(8, 0));
    }

    // Fewer mask bits than channels is allowed: the rest have no speaker.
    CScriptedUserInteraction ui;
    CKWave w;
    std::string path = writeFile("mask-few.wav", riff({chunk("fmt ", extensibleFmtBody(6, 8000, 16, 16, 0x3, 1)),
                                                        chunk("data", samples16({1, 2, 3, 4, 5, 6}))}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "mask-few"));
    w.nChannel = 5;
    EXPECT_EQ(fill(w, 0, 1), std::vector<short>{6});

    // A data chunk claiming more than the file, or not whole frames: what
    // the file holds, in whole frames.
    path = writeFile("liar24.wav", riff({chunk("fmt ", extensibleFmtBody(2, 8000, 24, 24, 3, 1)),
                                         chunk("data", samples24({256, -256, 512, -512, 768}), 0xFFFFFFF0u)}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "liar24"));
    EXPECT_EQ(w.GetKWaveSizeInSamples(), 2);
    w.nChannel = 1;
    EXPECT_EQ(fill(w, 0, 3), (std::vector<short>{-1, -2, 0}));
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWaveFormats, FilesThatAreNoWavSayWhatTheyLookLike)
{
    struct Case {
        const char* name;
        Bytes head;
        const char* shown;
    } cases[] = {
        {"flac", {'f', 'L', 'a', 'C', 0, 0, 0, 34, 1, 2, 3, 4}, "«fLaC» (FLAC)"},
        {"ogg", [] {
             Bytes b = {'O', 'g', 'g', 'S'};
             b.resize(28, 0);
             for (char c : std::string("\x01vorbis"))
                 b.push_back(std::uint8_t(c));
             return b;
         }(),
         "«OggS» (Ogg Vorbis)"},
        {"mp3", {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 0, 0}, "«ID3» (MP3 с тегами ID3)"},
        {"frame", {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0, 0, 0}, "FF FB 90 64 (MPEG audio (MP3))"},
        {"aiff", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'}, "«FORM» (AIFF)"},
        {"caf", {'c', 'a', 'f', 'f', 0, 1, 0, 0, 0, 0, 0, 0}, "«caff» (CAF)"},
        {"avi", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, "«RIFF» (RIFF, но не WAVE: тип формы «AVI »)"},
        {"empty", {}, "файл пуст"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedUserInteraction ui;
        const std::string path = writeFile(std::string("not-wav-") + c.name + ".wav", c.head);
        CKWave w;
        EXPECT_FALSE(w.OpenKWaveFile(path.c_str(), c.name));
        ASSERT_EQ(ui.m_messages.size(), 1u);
        const std::string& text = ui.m_messages[0].sText.str();
        EXPECT_NE(text.find(std::string("Это не звуковой файл WAV (RIFF WAVE): его начало - ") + c.shown + "."),
                  std::string::npos)
            << text;
    }
}
