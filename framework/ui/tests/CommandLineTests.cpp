// The command line of a document program: file names, including absolute
// paths, are told apart from the framework's own switches, and a program
// started as a process opens the file it was given.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FrameTestSupport.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"
#include "framework/ui/KPrinting.h"
#include "testsupport/PdfPages.h"
#include "testsupport/QtTestApp.h"

using kavrel_test::ScratchDir;

namespace {

struct Parsed {
    int nShellCommand;
    std::string sFileName;
    bool operator==(const Parsed&) const = default;
};

Parsed Parse(std::vector<const char*> args)
{
    CWinApp app("CommandLineTest");
    for (const char* a : args) app.m_argv.emplace_back(a);
    CCommandLineInfo info;
    app.ParseCommandLine(info);
    return {info.m_nShellCommand, info.m_strFileName.GetString()};
}

void PrintTo(const Parsed& p, std::ostream* os)
{
    *os << "{" << p.nShellCommand << ", \"" << p.sFileName << "\"}";
}

} // namespace

TEST(CommandLine, PathsAreFilesAndOnlyTheFrameworksSwitchesAreSwitches)
{
    using C = CCommandLineInfo;
    EXPECT_EQ(Parse({}), (Parsed{C::FileNew, ""}));
    EXPECT_EQ(Parse({"/home/u/my docs/a_1.gsr"}), (Parsed{C::FileOpen, "/home/u/my docs/a_1.gsr"}));
    EXPECT_EQ(Parse({"a.num", "b.num"}), (Parsed{C::FileOpen, "a.num"}));
    // An unknown dash argument is a file name; "--" ends the switches.
    EXPECT_EQ(Parse({"-x.num"}), (Parsed{C::FileOpen, "-x.num"}));
    EXPECT_EQ(Parse({"--", "-p"}), (Parsed{C::FileOpen, "-p"}));
    EXPECT_EQ(Parse({"--", "--"}), (Parsed{C::FileOpen, "--"}));
    // The switches, with one dash or two, in any case, before or after the file.
    EXPECT_EQ(Parse({"-p", "/tmp/a.num"}), (Parsed{C::FilePrint, "/tmp/a.num"}));
    EXPECT_EQ(Parse({"/tmp/a.num", "--P"}), (Parsed{C::FilePrint, "/tmp/a.num"}));
    EXPECT_EQ(Parse({"-dde"}), (Parsed{C::FileDDE, ""}));
    // The desktop's open request, as a file manager sends it on a double click.
    EXPECT_EQ(Parse({"--open", "/home/u/my docs/a.tbx"}), (Parsed{C::FileDDE, "/home/u/my docs/a.tbx"}));
    EXPECT_EQ(Parse({"/home/u/a.tbx", "-OPEN"}), (Parsed{C::FileDDE, "/home/u/a.tbx"}));
    EXPECT_EQ(Parse({"-Regserver"}), (Parsed{C::AppRegister, ""}));
    EXPECT_EQ(Parse({"--unregister"}), (Parsed{C::AppUnregister, ""}));
    EXPECT_EQ(Parse({"/p"}), (Parsed{C::FileOpen, "/p"}));
}

TEST(CommandLine, PrintSwitchPrintsTheFileDirectlyAndEndsTheProgram)
{
    ktest::EnsureQtApplication();
    ScratchDir dir;
    const std::string doc = dir / "a.num";
    kavrel_test::WriteAll(doc, {5, 0, 0, 0});
    CWinApp app("PrintSwitchTest");
    CScriptedUserInteraction ui;
    const std::string pdf = dir / "a.pdf";
    KSetPrintToFile(pdf.c_str());
    using namespace frame_test;
    app.AddDocTemplate(new CSingleDocTemplate(IDR_SDI, RUNTIME_CLASS(CNumberDoc), RUNTIME_CLASS(CTestFrame),
                                              RUNTIME_CLASS(CNumberView)));
    app.m_argv = {CString("-p"), CString(doc.c_str())};
    CCommandLineInfo info;
    app.ParseCommandLine(info);
    EXPECT_FALSE(app.ProcessShellCommand(info));
    KSetPrintToFile("");
    EXPECT_EQ(ktest::PdfPageCount(pdf), 1); // through the view's direct print
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(app.GetDocTemplates().front()->GetDocuments().empty());
    frame_test::Pump();
}

// The small program prints the path and number of the document it opened.
TEST(CommandLine, AProgramStartedWithAnAbsolutePathWithBlanksOpensThatDocument)
{
    ScratchDir dir;
    const std::string folder = dir / "my docs";
    std::filesystem::create_directory(folder);
    const std::string doc = folder + "/число 1.num";
    kavrel_test::WriteAll(doc, {0x2A, 0x01, 0x00, 0x00}); // 298, little-endian
    ASSERT_TRUE(std::filesystem::path(doc).is_absolute());
    const std::string out = dir / "out.txt", err = dir / "err.txt";
    const std::string cmd = "env QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual '" KAVREL_BINARY_DIR
                            "/bin/framework_ui_number_program' '" + doc + "' > '" + out + "' 2> '" + err + "'";
    const int status = std::system(cmd.c_str());
    auto text = [](const std::string& path) {
        const kavrel_test::Bytes b = kavrel_test::ReadAll(path);
        return std::string(b.begin(), b.end());
    };
    ASSERT_TRUE(WIFEXITED(status)) << text(err);
    EXPECT_EQ(WEXITSTATUS(status), 0) << text(err);
    EXPECT_EQ(text(out), "path: " + doc + "\nvalue: 298\n") << text(err);
}

// A document named on the command line opens before the program waits for
// the user: the box it shows while opening takes the answer the script
// begins with, and a No keeps it shut.
TEST(CommandLine, TheBoxADocumentShowsWhileOpeningTakesTheScriptsFirstAnswer)
{
    ScratchDir dir;
    const std::string doc = dir / "минус.num";
    kavrel_test::WriteAll(doc, {0xFB, 0xFF, 0xFF, 0xFF}); // -5
    const std::string script = dir / "script.txt", log = dir / "log.txt";
    std::ofstream(script) << "answer 7\n";
    const std::string cmd = "env QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual KAVREL_UI_SCRIPT='" + script + "' '" +
                            KAVREL_BINARY_DIR "/bin/framework_ui_number_program' '" + doc + "' > '" + log + "' 2>&1";
    const int status = std::system(cmd.c_str());
    std::ifstream in(log);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 0) << text;
    EXPECT_NE(text.find("Число отрицательное. Открыть его? -> 7"), std::string::npos) << text;
    EXPECT_NE(text.find("refused"), std::string::npos) << text;
    EXPECT_EQ(text.find("value: -5"), std::string::npos) << text;
}
