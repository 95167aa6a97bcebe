// The installed analyser as the workshop starts it: a process on the
// offscreen platform with its document's path (blanks included) as one
// argument, ended by its script; and started without a document.
#include <gtest/gtest.h>

#include <string>

#include "testsupport/ByteFiles.h"
#include "testsupport/CompanionPrograms.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"

TEST(VornelProgram, OpensAPathWithBlanksRunsItsCommandsAndEndsWhenTold)
{
    const ktest::ProgramOnObjectInFolderWithBlanks vornel("vornel", "r 1.vrn");
    ASSERT_FALSE(vornel.path.empty());

    // The list of maxima through the menu command proves the document was open.
    const std::string maxima = vornel.Folder() + "/пики.xls";
    const ktest::ScriptedRun run = vornel.Run("command 32771\n" // "Весь спектр в окне": off
                                              "file " + maxima + "\n"
                                              "command 32774\n"   // the maxima
                                              "command 57665\n"); // exit
    ASSERT_EQ(run.status, 0) << run.log;
    EXPECT_GT(kavrel_test::ReadAll(maxima).size(), 100u) << run.log;
    EXPECT_EQ(kavrel_test::ReadAll(vornel.path), vornel.before); // the document is never written
}

TEST(VornelProgram, WithoutADocumentSaysWhoseProgramItIsAndEnds)
{
    EXPECT_TRUE(ktest::SaysOnlyTheWorkshopStartsIt("vornel"));
}

// The main window's topic and that of the the frequency jump.
TEST(VornelProgram, UserGuideLiesBesideTheProgramWithTheMainWindowsTopic)
{
    EXPECT_TRUE(ktest::GuideHasTopics("vornel", {"window-128", "command-32776"}));
}
