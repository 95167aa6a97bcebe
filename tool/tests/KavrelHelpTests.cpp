// The tool as its users meet it first: --help and --version on standard
// output with status 0, each command's own help, the manual page and the
// bash completion that follow the tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"

namespace {

// The command names of kavrel --help's list.
std::set<std::string> commandsOf(const std::string& help)
{
    std::set<std::string> names;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        std::istringstream w(line);
        std::string first, second;
        if (w >> first >> second && first == "kavrel" && second[0] >= 'a' && second[0] <= 'z')
            names.insert(second);
    }
    return names;
}

} // namespace

TEST(KavrelHelp, EveryCommandHasItsHelpWithAnExampleAndTheManualNamesThemAll)
{
    ktest::ScratchDir dir;
    const ktest::ToolRun help = ktest::RunKavrel(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Код завершения: 0"), std::string::npos);
    const std::set<std::string> commands = commandsOf(help.out);
    ASSERT_GE(commands.size(), 15u);
    const ktest::ToolRun version = ktest::RunKavrel(dir, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kavrel ", 0), 0u);
    for (const std::string& c : commands) {
        const ktest::ToolRun r = ktest::RunKavrel(dir, c + " --help");
        EXPECT_EQ(r.status, 0) << c;
        EXPECT_EQ(r.out.rfind("Использование: kavrel " + c, 0), 0u) << c;
        EXPECT_NE(r.out.find("Пример: kavrel " + c), std::string::npos) << c << " has no example";
    }
    // A usage error still goes to standard error with status 2.
    const ktest::ToolRun bad = ktest::RunKavrel(dir, "info");
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.out.empty());

    // The manual page is the tool's page: every command in it, as troff writes a hyphen.
    const std::string page = ktest::ReadText(KAVREL_BINARY_DIR "/man/kavrel.1");
    ASSERT_EQ(page.rfind(".TH KAVREL 1", 0), 0u);
    for (const std::string& c : commands) {
        std::string troff;
        for (char ch : c)
            troff += ch == '-' ? std::string("\\-") : std::string(1, ch);
        EXPECT_NE(page.find("kavrel " + troff), std::string::npos) << c;
    }
}

TEST(KavrelHelp, BashCompletionOffersTheToolsCommandsAndACommandsOptions)
{
    if (std::system("command -v bash > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no bash";
    auto complete = [](const std::string& words, int cword) {
        const std::string script = "source '" KAVREL_SOURCE_DIR "/scripts/kavrel-completion.bash'; COMP_WORDS=(" KAVREL_BINARY_DIR
                                   "/bin/kavrel " + words + "); COMP_CWORD=" + std::to_string(cword) +
                                   "; _kavrel; printf '%s\\n' \"${COMPREPLY[@]}\"";
        return ktest::RunCommand("bash -c " + ktest::ShellQuoted(script));
    };
    EXPECT_EQ(complete("sono", 1), "sonogram\n");
    EXPECT_EQ(complete("sonogram x.wav --tile", 3), "--tile-width\n");
    EXPECT_NE(complete("traces d.gsr --", 3).find("--relative\n"), std::string::npos);
    // What the help shows of the output is no option.
    const std::string pitch = complete("pitch s.wav --", 3);
    EXPECT_NE(pitch.find("--ceiling\n"), std::string::npos);
    EXPECT_EQ(pitch.find("--undefined"), std::string::npos);
}
