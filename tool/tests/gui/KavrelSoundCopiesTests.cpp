// kavrel given compressed sounds: every command reads a FLAC as it reads
// the WAV it was made from, through a copy that is gone after the command;
// make-document keeps its copy beside the document, which names it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/base/Cp1251.h"
#include "testsupport/SoundFiles.h"
#include "testsupport/WavBytes.h"

namespace {

const std::string kTool = "'" KAVREL_BINARY_DIR "/bin/kavrel'";

struct ToolResult {
    int status = -1;
    std::string out;
};

// The tool with its temporary folder at tmp; standard error with the output.
ToolResult runIn(const std::string& tmp, const std::string& args)
{
    ToolResult r;
    r.out = ktest::RunCommand("TMPDIR='" + tmp + "' " + kTool + " " + args + " 2>&1", &r.status);
    return r;
}

bool isEmptyFolder(const std::string& path)
{
    return std::filesystem::is_empty(path);
}

} // namespace

TEST(KavrelSoundCopies, CommandsReadAFlacAsItsWavAndLeaveNoCopy)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: no FLAC to give the tool";
    ktest::ScratchDir dir, tmp;
    const std::string wav = dir / "voice.wav", flac = dir / "voice.flac";
    ASSERT_TRUE(ktest::Sox("-D -n -r 16000 -b 16 -c 2 '" + wav + "' synth 0.5 sawtooth 180 sine 1200 vol 0.6"));
    ASSERT_TRUE(ktest::Sox("'" + wav + "' '" + flac + "'"));
    const char* commands[] = {"info %s", "samples %s 100 50 1", "power %s --nfft 256", "film %s --channel 1",
                              "spectrum %s 4000", "pitch %s --channel 1", "formants %s --step 0.05"};
    for (const char* pattern : commands) {
        SCOPED_TRACE(pattern);
        auto with = [&](const std::string& path) {
            std::string args = pattern;
            args.replace(args.find("%s"), 2, "'" + path + "'");
            return runIn(tmp.path(), args);
        };
        const ToolResult a = with(wav), b = with(flac);
        EXPECT_EQ(a.status, 0) << a.out;
        EXPECT_EQ(b.status, 0) << b.out;
        EXPECT_EQ(b.out, a.out);
        EXPECT_TRUE(isEmptyFolder(tmp.path()));
    }
    const ToolResult a = runIn(tmp.path(), "sonogram '" + wav + "' '" + dir / "a.png" + "' --nfft 256");
    const ToolResult b = runIn(tmp.path(), "sonogram '" + flac + "' '" + dir / "b.png" + "' --nfft 256");
    ASSERT_EQ(a.status, 0) << a.out;
    ASSERT_EQ(b.status, 0) << b.out;
    EXPECT_EQ(wavbytes::readFile(dir / "b.png"), wavbytes::readFile(dir / "a.png"));
    EXPECT_TRUE(isEmptyFolder(tmp.path()));

    // A command that fails after the copy was made removes it all the same.
    const ToolResult bad = runIn(tmp.path(), "spectrum '" + flac + "' 100 --nfft 333");
    EXPECT_NE(bad.status, 0);
    EXPECT_TRUE(isEmptyFolder(tmp.path()));

    // An undecodable file is refused with the reason, and nothing is left.
    const std::string fake = dir / "fake.flac";
    {
        FILE* f = std::fopen(fake.c_str(), "wb");
        std::fputs("fLaC and nothing more", f);
        std::fclose(f);
    }
    const ToolResult refused = runIn(tmp.path(), "info '" + fake + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Не удается сделать копию в формате WAV звукового файла"), std::string::npos) << refused.out;
    EXPECT_TRUE(isEmptyFolder(tmp.path()));
}

TEST(KavrelSoundCopies, MakeDocumentKeepsItsCopyBesideTheDocument)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: no FLAC to give the tool";
    ktest::ScratchDir src, out, tmp;
    const std::string wav = src / "речь.wav", flac = src / "речь.flac";
    ASSERT_TRUE(ktest::Sox("-D -n -r 8000 -b 24 '" + wav + "' synth 0.6 sawtooth 150 vol 0.5"));
    ASSERT_TRUE(ktest::Sox("'" + wav + "' '" + flac + "'"));

    const ToolResult made = runIn(tmp.path(), "make-document '" + flac + "' '" + out / "doc.tbx" + "' --object 2 12 0 Текст");
    ASSERT_EQ(made.status, 0) << made.out;
    const std::string copy = out / "речь.wav";
    EXPECT_NE(made.out.find(copy), std::string::npos) << made.out;
    ASSERT_TRUE(std::filesystem::exists(copy));
    EXPECT_TRUE(isEmptyFolder(tmp.path()));
    // The document names the copy: its protocol reads the sound from it.
    const ToolResult protocol = runIn(tmp.path(), "protocol '" + out / "doc.tbx" + "' '" + out / "doc.doc" + "'");
    EXPECT_EQ(protocol.status, 0) << protocol.out;
    std::string stored;
    ASSERT_TRUE(Utf8ToCp1251(copy, stored));
    EXPECT_NE(ktest::ReadText(out / "doc.tbx").find(stored), std::string::npos);

    // The copy is the 24-bit source rounded to 16 bits.
    const ktest::ReferenceSound ref = ktest::DecodeReference(wav), got = ktest::DecodeReference(copy);
    ASSERT_TRUE(ref.ok && got.ok);
    ASSERT_EQ(got.ints.size(), ref.ints.size());
    for (size_t i = 0; i < ref.ints.size(); ++i)
        ASSERT_EQ(got.ints[i] >> 16, ktest::Expected16FromInt32(ref.ints[i])) << i;

    // A second document takes the next free name; a refused one keeps none.
    ASSERT_EQ(runIn(tmp.path(), "make-document '" + flac + "' '" + out / "doc2.tbx" + "'").status, 0);
    EXPECT_TRUE(std::filesystem::exists(out / "речь-1.wav"));
    EXPECT_EQ(runIn(tmp.path(), "make-document '" + flac + "' '" + out / "doc.tbx" + "'").status, 1);
    EXPECT_FALSE(std::filesystem::exists(out / "речь-2.wav"));
}
