// The installed tracer as the workshop starts it: a process on the
// offscreen platform, its document's path with blanks as one argument,
// driven by a script of commands; and started without a document.
#include <gtest/gtest.h>

#include <string>

#include "testsupport/ByteFiles.h"
#include "testsupport/CompanionPrograms.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"

TEST(GlissarProgram, OpensAPathWithBlanksRunsItsCommandsAndEndsWhenTold)
{
    const ktest::ProgramOnObjectInFolderWithBlanks glissar("glissar", "a 1.gsr");
    const std::string& gsr = glissar.path;
    ASSERT_FALSE(gsr.empty());
    const std::string kfw = gsr.substr(0, gsr.size() - 4) + ".kfw";
    const auto& before = glissar.before;

    const ktest::ScriptedRun run = glissar.Run("command 34902\n"   // "Добавить все видимые следы"
                                               "command 57603\n"   // save
                                               "command 57665\n"); // exit
    ASSERT_EQ(run.status, 0) << run.log;

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
    EXPECT_TRUE(ktest::SaysOnlyTheWorkshopStartsIt("glissar"));
}

// The main window's topic and that of the editing mode.
TEST(GlissarProgram, UserGuideLiesBesideTheProgramWithTheMainWindowsTopic)
{
    EXPECT_TRUE(ktest::GuideHasTopics("glissar", {"window-128", "command-34905"}));
}
