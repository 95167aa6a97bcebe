// The installed tracer as the workshop starts it: a process on the
// offscreen platform, its document's path with blanks as one argument,
// driven by a script of commands; and started without a document.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace {

using ktest::ReadText;
using ktest::RunScriptedProgram;
const std::string kGlissar = ktest::BuiltProgram("glissar");
const std::string kKavrel = ktest::BuiltProgram("kavrel");

} // namespace

TEST(GlissarProgram, OpensAPathWithBlanksRunsItsCommandsAndEndsWhenTold)
{
    ktest::ScratchDir dir;
    const std::string folder = dir / "мои объекты";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string wav = folder + "/звук.wav";
    kavrel_test::WriteAll(wav, wavbytes::pcm16(1, 22050, ktest::Partials({430.0, 1290.0}, 5000, 22050, 22050)));
    const std::string gsr = folder + "/a 1.gsr", kfw = folder + "/a 1.kfw";
    ASSERT_EQ(std::system((kKavrel + " make-object '" + wav + "' 10 120 '" + gsr + "' > /dev/null").c_str()), 0);
    const auto before = kavrel_test::ReadAll(gsr);

    const std::string script = dir / "script.txt";
    std::ofstream(script) << "command 34902\n"   // "Добавить все видимые следы"
                          << "command 57603\n"   // save
                          << "command 57665\n";  // exit
    const std::string log = dir / "log.txt";
    ASSERT_EQ(RunScriptedProgram(kGlissar + " '" + gsr + "'", script, log), 0) << ReadText(log);

    // Saved: the first open's classification stays (the flag is off now),
    // the visible maxima are in the rebuilt signal and the .kfw holds it.
    const auto after = kavrel_test::ReadAll(gsr);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(after, before);
    bool inSynthesis = false;
    for (unsigned char b : after)
        inSynthesis = inSynthesis || b == 0x0B;
    EXPECT_TRUE(inSynthesis);
    const auto signal = kavrel_test::ReadAll(kfw);
    bool nonzero = false;
    for (unsigned char b : signal)
        nonzero = nonzero || b != 0;
    EXPECT_TRUE(nonzero);
}

TEST(GlissarProgram, WithoutADocumentSaysWhoseProgramItIsAndEnds)
{
    ktest::ScratchDir dir;
    const std::string script = dir / "script.txt";
    std::ofstream(script) << "# nothing to do\n";
    const std::string log = dir / "log.txt";
    RunScriptedProgram(kGlissar, script, log);
    EXPECT_NE(ReadText(log).find("Это подчиненная программа.\nОна запускается автоматически только из программы "
                                 "Tembrix.exe !"),
              std::string::npos)
        << ReadText(log);
}

TEST(GlissarProgram, UserGuideLiesBesideTheProgramWithTheMainWindowsTopic)
{
    const std::string guide = ReadText(KAVREL_BINARY_DIR "/bin/help/glissar.html");
    EXPECT_NE(guide.find("id=\"window-128\""), std::string::npos);
    EXPECT_NE(guide.find("id=\"command-34905\""), std::string::npos); // editing mode
}
