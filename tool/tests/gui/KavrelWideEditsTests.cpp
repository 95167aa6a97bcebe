// Edits of 24-bit and float sources: whatever the source, what is written
// is 16-bit PCM in a plain record, every channel rounded as the reader rounds it.
#include <gtest/gtest.h>

#include <string>

#include "testsupport/SoundFiles.h"

TEST(KavrelWideEdits, SideDeletionAndLevellingWrite16BitPcmOfEveryChannel)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: no wide sources to edit";
    ktest::ScratchDir dir;
    const std::string tool = "'" KAVREL_BINARY_DIR "/bin/kavrel' ";
    for (const char* encoding : {"-b 24", "-e floating-point -b 32"}) {
        SCOPED_TRACE(encoding);
        const std::string src = dir / "wide.wav", side = dir / "side.wav", level = dir / "level.wav";
        std::remove(side.c_str());
        std::remove(level.c_str());
        ASSERT_TRUE(ktest::Sox("-D -n -r 8000 -c 2 " + std::string(encoding) + " '" + src + "' synth 2 sine 300 sine 500 vol 0.7"));
        const ktest::ReferenceSound ref = ktest::DecodeReference(src);
        ASSERT_TRUE(ref.ok);
        const bool bFloat = std::string(encoding).find("float") != std::string::npos;
        int status = -1;
        ktest::RunCommand(tool + "edit '" + src + "' '" + side + "' side --caret 10 --side left 2>&1", &status);
        ASSERT_EQ(status, 0);
        ktest::RunCommand(tool + "edit '" + src + "' '" + level + "' level 2>&1", &status);
        ASSERT_EQ(status, 0);
        for (const std::string& out : {side, level}) {
            SF_INFO info{};
            SNDFILE* f = sf_open(out.c_str(), SFM_READ, &info);
            ASSERT_NE(f, nullptr) << out;
            sf_close(f);
            EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << out;
            EXPECT_EQ(info.channels, 2);
            EXPECT_EQ(info.samplerate, 8000);
        }
        // What is kept of the source after the caret, sample for sample.
        const ktest::ReferenceSound got = ktest::DecodeReference(side);
        ASSERT_TRUE(got.ok);
        ASSERT_LT(got.frames, ref.frames);
        const size_t skip = size_t(ref.frames - got.frames) * 2;
        for (size_t i = 0; i < got.ints.size(); ++i) {
            const short expected = bFloat ? ktest::Expected16FromDouble(ref.doubles[skip + i])
                                          : ktest::Expected16FromInt32(ref.ints[skip + i]);
            ASSERT_EQ(got.ints[i] >> 16, expected) << i;
        }
    }
}
