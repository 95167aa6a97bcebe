#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "framework/decode/KSoundDecoder.h"
#include "testsupport/SoundFiles.h"
#include "testsupport/WavBytes.h"

namespace {

struct Copy {
    int channels = 0, rate = 0, bits = 0, tag = 0;
    std::vector<short> samples;
};

// The copy as its bytes say: the plain 44-byte header, then the samples.
Copy readCopy(const std::string& path)
{
    const wavbytes::Bytes b = wavbytes::readFile(path);
    Copy c;
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVEfmt ", 8) != 0 ||
        std::memcmp(b.data() + 36, "data", 4) != 0)
        return c;
    auto u16 = [&](size_t at) { return int(b[at] | (b[at + 1] << 8)); };
    c.tag = u16(20);
    c.channels = u16(22);
    c.rate = int(b[24] | (b[25] << 8) | (b[26] << 16) | (unsigned(b[27]) << 24));
    c.bits = u16(34);
    const size_t data = size_t(b[40] | (b[41] << 8) | (b[42] << 16) | (size_t(b[43]) << 24));
    EXPECT_EQ(data, b.size() - 44);
    EXPECT_EQ(size_t(b[4] | (b[5] << 8) | (b[6] << 16) | (size_t(b[7]) << 24)), b.size() - 8);
    for (size_t i = 44; i + 1 < b.size(); i += 2)
        c.samples.push_back(short(u16(i)));
    return c;
}

double rms(const std::vector<short>& v)
{
    double s = 0;
    for (short x : v)
        s += double(x) * x;
    return v.empty() ? 0 : std::sqrt(s / double(v.size()));
}

// An Opus file written by libsndfile itself (sox has no Opus writer here).
bool writeOpus(const std::string& path, const std::vector<short>& mono)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f)
        return false;
    sf_writef_short(f, mono.data(), sf_count_t(mono.size()));
    return sf_close(f) == 0;
}

} // namespace

TEST(KSoundDecoder, LosslessContainersGiveTheSourceRoundedTo16Bits)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: the containers it writes are not checked";
    ktest::ScratchDir dir;
    const std::string src = dir / "source.wav";
    ASSERT_TRUE(ktest::Sox("-D -n -r 48000 -b 24 -c 2 '" + src + "' synth 0.4 sine 440 sawtooth 97 vol 0.8"));
    const ktest::ReferenceSound ref = ktest::DecodeReference(src);
    ASSERT_TRUE(ref.ok);
    std::vector<short> expected;
    for (int v : ref.ints)
        expected.push_back(ktest::Expected16FromInt32(v));
    struct Case {
        const char* name;
        const char* kind;
    } cases[] = {{"sound.flac", "FLAC"}, {"sound.aiff", "AIFF"}, {"sound.aifc", "AIFF"}, {"sound.caf", "CAF"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = dir / c.name;
        ASSERT_TRUE(ktest::Sox("-D '" + src + "' -b 24 '" + in + "'"));
        EXPECT_EQ(KCompressedSoundKind(in.c_str()), c.kind);
        const std::string out = dir / (std::string(c.name) + ".wav");
        CString why;
        std::vector<double> seen;
        ASSERT_EQ(KDecodeSoundToWav16(in.c_str(), out.c_str(), [&](double f) { return seen.push_back(f), true; }, why),
                  KDecodeStatus::Done)
            << why.GetString();
        const Copy copy = readCopy(out);
        EXPECT_EQ(copy.tag, 1);
        EXPECT_EQ(copy.bits, 16);
        EXPECT_EQ(copy.channels, 2);
        EXPECT_EQ(copy.rate, 48000);
        EXPECT_EQ(copy.samples, expected);
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(seen.back(), 1.0);
    }
}

TEST(KSoundDecoder, LossyStreamsOpenWithTheirRateLengthAndSignal)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: the streams it writes are not checked";
    ktest::ScratchDir dir;
    const std::string src = dir / "source.wav";
    ASSERT_TRUE(ktest::Sox("-D -n -r 48000 -b 16 -c 1 '" + src + "' synth 1 sine 440 vol 0.5"));
    const ktest::ReferenceSound ref = ktest::DecodeReference(src);
    ASSERT_TRUE(ref.ok);
    std::vector<short> source;
    for (int v : ref.ints)
        source.push_back(short(v >> 16));
    ASSERT_TRUE(ktest::Sox("'" + src + "' '" + dir / "sound.ogg" + "'"));
    ASSERT_TRUE(ktest::Sox("'" + src + "' '" + dir / "sound.mp3" + "'"));
    ASSERT_TRUE(writeOpus(dir / "sound.opus", source));
    for (const char* name : {"sound.ogg", "sound.mp3", "sound.opus"}) {
        SCOPED_TRACE(name);
        const std::string in = dir / name, out = dir / (std::string(name) + ".wav");
        CString why;
        ASSERT_EQ(KDecodeSoundToWav16(in.c_str(), out.c_str(), nullptr, why), KDecodeStatus::Done) << why.GetString();
        const Copy copy = readCopy(out);
        EXPECT_EQ(copy.channels, 1);
        EXPECT_EQ(copy.rate, 48000);
        // The encoders may pad a frame or two at either end.
        EXPECT_GE(copy.samples.size() + 1000, source.size());
        EXPECT_LE(copy.samples.size(), source.size() + 4000);
        EXPECT_NEAR(rms(copy.samples), rms(source), 0.2 * rms(source));
    }
}

TEST(KSoundDecoder, NeverWritesOverAFileAndLeavesNothingWhenCancelledOrFailed)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed";
    ktest::ScratchDir dir;
    const std::string flac = dir / "s.flac";
    ASSERT_TRUE(ktest::Sox("-n -r 8000 '" + flac + "' synth 0.5 sine 300"));
    CString why;

    const std::string taken = dir / "taken.wav";
    {
        FILE* f = std::fopen(taken.c_str(), "wb");
        std::fputs("keep me", f);
        std::fclose(f);
    }
    EXPECT_EQ(KDecodeSoundToWav16(flac.c_str(), taken.c_str(), nullptr, why), KDecodeStatus::Failed);
    EXPECT_NE(why.str().find("Не удается создать файл копии"), std::string::npos) << why.GetString();
    EXPECT_EQ(ktest::ReadText(taken), "keep me");

    const std::string cancelled = dir / "cancelled.wav";
    int calls = 0;
    EXPECT_EQ(KDecodeSoundToWav16(flac.c_str(), cancelled.c_str(), [&](double) { return ++calls < 2; }, why),
              KDecodeStatus::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(cancelled));

    // A FLAC signature over nothing of the kind.
    const std::string fake = wavbytes::writeFile("fake.flac", {'f', 'L', 'a', 'C', 0, 0, 0, 0, 1, 2, 3, 4, 5, 6});
    const std::string failed = dir / "failed.wav";
    EXPECT_EQ(KDecodeSoundToWav16(fake.c_str(), failed.c_str(), nullptr, why), KDecodeStatus::Failed);
    EXPECT_FALSE(why.IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(failed));

    // Nine channels are more than the reader takes: refused before writing.
    const std::string nine = dir / "nine.aiff";
    ASSERT_TRUE(ktest::Sox("-n -r 8000 -c 9 '" + nine + "' synth 0.1 sine 300"));
    EXPECT_EQ(KDecodeSoundToWav16(nine.c_str(), (dir / "nine.wav").c_str(), nullptr, why), KDecodeStatus::Failed);
    EXPECT_EQ(why, "В звуковом файле 9 каналов, а читаются от 1 до 8.");
    EXPECT_FALSE(std::filesystem::exists(dir / "nine.wav"));
}

TEST(KSoundDecoder, TheCopyTakesTheFirstFreeName)
{
    ktest::ScratchDir dir;
    const std::string src = dir / "запись.flac";
    EXPECT_EQ(KFreeWavCopyPathBeside(src.c_str()), (dir / "запись.wav").c_str());
    for (const char* name : {"запись.wav", "запись-1.wav"}) {
        FILE* f = std::fopen((dir / name).c_str(), "wb");
        std::fclose(f);
    }
    EXPECT_EQ(KFreeWavCopyPathBeside(src.c_str()), (dir / "запись-2.wav").c_str());
    EXPECT_EQ(KFreeWavCopyPathIn(dir.path().c_str(), "/elsewhere/запись.mp3"), (dir / "запись-2.wav").c_str());
    // WAV files and unreadable paths are not the decoder's.
    EXPECT_EQ(KCompressedSoundKind((dir / "запись.wav").c_str()), "");
    EXPECT_EQ(KCompressedSoundKind((dir / "missing.ogg").c_str()), "");
}
