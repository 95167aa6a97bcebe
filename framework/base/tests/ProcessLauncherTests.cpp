// Companion programs started from Windows-style command lines: the words
// the child receives, where the program is looked for, and that the
// caller learns of a failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "framework/base/ProcessLauncher.h"
#include "testsupport/ByteFiles.h"

using kavrel_test::ScratchDir;
using Words = std::vector<std::string>;

namespace {

void writeScript(const std::string& path, const std::string& body, bool executable = true)
{
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path,
                                 executable ? std::filesystem::perms::owner_all
                                            : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

std::string waitForFile(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        if (std::filesystem::exists(path)) {
            std::ifstream in(path);
            std::stringstream s;
            s << in.rdbuf();
            return s.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(no file)";
}

// PATH pointed at a folder for one test, restored afterwards.
class PathPrefix {
public:
    explicit PathPrefix(const std::string& dir) : m_old(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        ::setenv("PATH", (dir + ":" + m_old).c_str(), 1);
    }
    ~PathPrefix() { ::setenv("PATH", m_old.c_str(), 1); }

private:
    std::string m_old;
};

} // namespace

TEST(ProcessLauncher, CommandLineWordsFollowThePlatformQuoting)
{
    EXPECT_EQ(KParseCommandLine("Capteon.exe"), Words({"Capteon.exe"}));
    EXPECT_EQ(KParseCommandLine("  Glissar.exe \"/home/u/my docs/a.tbx\"  "),
              Words({"Glissar.exe", "/home/u/my docs/a.tbx"}));
    // Quotes group inside a word and vanish.
    EXPECT_EQ(KParseCommandLine("p a\"b c\"d\te"), Words({"p", "ab cd", "e"}));
    // Backslashes: literal unless before a quote; \" is a quote.
    EXPECT_EQ(KParseCommandLine(R"(p a\b \"x\" c\\"d e" f\\\"g)"), Words({"p", R"(a\b)", "\"x\"", R"(c\d e)", R"(f\"g)"}));
    // A doubled quote inside a group is one quote; an empty group is an empty word.
    EXPECT_EQ(KParseCommandLine(R"(p "say ""hi""" "")"), Words({"p", "say \"hi\"", ""}));
    // An unclosed group runs to the end.
    EXPECT_EQ(KParseCommandLine("p \"a b"), Words({"p", "a b"}));
    // The program word keeps its backslashes and may be quoted.
    EXPECT_EQ(KParseCommandLine(R"("C:\Prog Files\x.exe" 1)"), Words({R"(C:\Prog Files\x.exe)", "1"}));
    EXPECT_TRUE(KParseCommandLine("   ").empty());
}

TEST(ProcessLauncher, AQuotedArgumentComesBackAsItStands)
{
    for (const std::string arg : {"/q dir/a\"b 1.gsr", "plain", "", "trailing\\", "a\\\"b", "\\\\\"", "мой \"объект\" 1.ocn"})
        EXPECT_EQ(KParseCommandLine("p " + KQuoteCommandLineArgument(arg)), Words({"p", arg})) << arg;
    EXPECT_EQ(KQuoteCommandLineArgument("a\"b"), "\"a\\\"b\"");
}

TEST(ProcessLauncher, ProgramIsLookedForInFolderOrderWithWindowsNameVariants)
{
    ScratchDir own, onPath;
    std::vector<std::string> folders{own.path(), onPath.path()};

    // Without ".exe", then in lower case.
    writeScript(onPath / "glissar", "");
    EXPECT_EQ(KFindProgram("Glissar.exe", folders), onPath / "glissar");
    writeScript(onPath / "Glissar", "");
    EXPECT_EQ(KFindProgram("Glissar.exe", folders), onPath / "Glissar");
    writeScript(onPath / "Glissar.exe", "");
    EXPECT_EQ(KFindProgram("Glissar.exe", folders), onPath / "Glissar.exe");

    // The own folder comes first, even for a poorer variant of the name.
    writeScript(own / "glissar", "");
    EXPECT_EQ(KFindProgram("Glissar.exe", folders), own / "glissar");

    // Not executable, or a folder, does not count.
    writeScript(own / "vornel", "", false);
    EXPECT_EQ(KFindProgram("Vornel.exe", folders), "");
    std::filesystem::create_directory(onPath / "vornel");
    EXPECT_EQ(KFindProgram("Vornel.exe", folders), "");
    EXPECT_EQ(KFindProgram("Capteon.exe", folders), "");
    EXPECT_EQ(KFindProgram("", folders), "");

    // A path is taken as it stands, its folders keeping their case.
    EXPECT_EQ(KFindProgram(onPath / "Glissar.exe", {}), onPath / "Glissar.exe");
    EXPECT_EQ(KFindProgram(own / "GLISSAR.EXE", {}), own / "glissar");
}

TEST(ProcessLauncher, SearchFoldersAreOwnFolderThenPath)
{
    ScratchDir d;
    PathPrefix path(d.path());
    std::vector<std::string> folders = KProgramSearchFolders();
    ASSERT_GE(folders.size(), 2u);
    EXPECT_EQ(folders[0], std::filesystem::canonical("/proc/self/exe").parent_path().string());
    EXPECT_EQ(folders[1], d.path());
}

TEST(ProcessLauncher, StartedProgramReceivesItsArgumentsAndIsNotLeftAZombie)
{
    ScratchDir d;
    PathPrefix path(d.path());
    std::string out = d / "args.txt";
    writeScript(d / "kbt-companion",
                "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"" + out + ".part\"\nmv \"" + out + ".part\" \"" +
                    out + "\"\n");
    long pid = 0;
    ASSERT_TRUE(KCreateProcess("Kbt-Companion.exe \"/tmp/my docs/a b.tbx\" x\\\"y", &pid));
    EXPECT_GT(pid, 0);
    EXPECT_EQ(waitForFile(out), "[/tmp/my docs/a b.tbx]\n[x\"y]\n");
    // The launcher left no child of ours to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(ProcessLauncher, FailureToFindOrStartIsReported)
{
    ScratchDir d;
    PathPrefix path(d.path());
    EXPECT_FALSE(KCreateProcess("Kbt-No-Such-Program.exe \"x\""));
    EXPECT_FALSE(KCreateProcess(""));
    // Found, but the system cannot run it (no interpreter line, not a binary).
    {
        std::ofstream(d / "kbt-broken") << "\x7f" << "ELFgarbage";
        std::filesystem::permissions(d / "kbt-broken", std::filesystem::perms::owner_all);
    }
    EXPECT_FALSE(KCreateProcess("kbt-broken.exe"));
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}
