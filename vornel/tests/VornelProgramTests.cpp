// The installed analyser as the workshop starts it: a process on the
// offscreen platform with its document's path (blanks included) as one
// argument, ended by its script; and started without a document.
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
const std::string kVornel = ktest::BuiltProgram("vornel");
const std::string kKavrel = ktest::BuiltProgram("kavrel");

} // namespace

TEST(VornelProgram, OpensAPathWithBlanksRunsItsCommandsAndEndsWhenTold)
{
    ktest::ScratchDir dir;
    const std::string folder = dir / "мои объекты";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string wav = folder + "/звук.wav";
    kavrel_test::WriteAll(wav, wavbytes::pcm16(1, 22050, ktest::Partials({430.0, 1290.0}, 5000, 22050, 22050)));
    const std::string vrn = folder + "/r 1.vrn";
    ASSERT_EQ(std::system((kKavrel + " make-object '" + wav + "' 10 120 '" + vrn + "' > /dev/null").c_str()), 0);
    const auto before = kavrel_test::ReadAll(vrn);

    // The list of maxima through the menu command proves the document was open.
    const std::string maxima = folder + "/пики.xls";
    const std::string script = dir / "script.txt";
    std::ofstream(script) << "command 32771\n"    // "Весь спектр в окне": off
                          << "file " << maxima << "\n"
                          << "command 32774\n"    // the maxima
                          << "command 57665\n";   // exit
    const std::string log = dir / "log.txt";
    ASSERT_EQ(RunScriptedProgram(kVornel + " '" + vrn + "'", script, log), 0) << ReadText(log);
    EXPECT_GT(kavrel_test::ReadAll(maxima).size(), 100u) << ReadText(log);
    EXPECT_EQ(kavrel_test::ReadAll(vrn), before); // the document is never written
}

TEST(VornelProgram, WithoutADocumentSaysWhoseProgramItIsAndEnds)
{
    ktest::ScratchDir dir;
    const std::string script = dir / "script.txt";
    std::ofstream(script) << "# nothing to do\n";
    const std::string log = dir / "log.txt";
    RunScriptedProgram(kVornel, script, log);
    EXPECT_NE(ReadText(log).find("Это подчиненная программа.\nОна запускается автоматически только из программы "
                                 "Tembrix.exe !"),
              std::string::npos)
        << ReadText(log);
}

TEST(VornelProgram, UserGuideLiesBesideTheProgramWithTheMainWindowsTopic)
{
    const std::string guide = ReadText(KAVREL_BINARY_DIR "/bin/help/vornel.html");
    EXPECT_NE(guide.find("id=\"window-128\""), std::string::npos);
    EXPECT_NE(guide.find("id=\"command-32776\""), std::string::npos); // the frequency jump
}
