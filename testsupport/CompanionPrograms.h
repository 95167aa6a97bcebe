// The companion programs the workshop starts with a document's path, in
// tests: the built program as a process (without a document, or on an
// object the tool made in a folder whose name has blanks), and its main
// window opened on a document inside the test's own application.
#pragma once
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CWinApp.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace ktest {

struct ScriptedRun {
    int status;      // -1 when the program did not exit
    std::string log; // everything it printed
};

// The program driven by these script lines (kept in dir), on the document
// at path as the workshop starts it (the path one quoted argument), or
// without a document for an empty path.
inline ScriptedRun RunWithScript(const ScratchDir& dir, const std::string& program, const std::string& document,
                                 const std::string& lines)
{
    const std::string script = dir / "script.txt";
    std::ofstream(script) << lines;
    const std::string log = dir / "log.txt";
    const std::string commandLine = document.empty() ? program : program + " '" + document + "'";
    const int status = RunScriptedProgram(commandLine, script, log);
    return {status, ReadText(log)};
}

// Started without a document and with nothing to do, the built program
// NAME says that only the workshop starts it; what it printed when it does not.
inline ::testing::AssertionResult SaysOnlyTheWorkshopStartsIt(const std::string& name)
{
    ScratchDir dir;
    const std::string printed = RunWithScript(dir, BuiltProgram(name), "", "# nothing to do\n").log;
    if (printed.find("Это подчиненная программа.\nОна запускается автоматически только из программы Tembrix.exe !") !=
        std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << printed;
}

// The user's guide NAME.html beside the built programs holds these topics
// (their id attributes); the missing ones when it does not.
inline ::testing::AssertionResult GuideHasTopics(const std::string& name, std::initializer_list<const char*> topics)
{
    const std::string guide = ReadText(KAVREL_BINARY_DIR "/bin/help/" + name + ".html");
    std::string missing;
    for (const char* topic : topics)
        if (guide.find("id=\"" + std::string(topic) + "\"") == std::string::npos)
            missing += std::string(" ") + topic;
    if (missing.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << ".html lacks" << missing;
}

// The folder of dir the objects below are made in.
inline constexpr const char* kFolderWithBlanks = "мои объекты";

// The object `name` (its kind by the extension) that `kavrel make-object`
// makes, in the folder "мои объекты" of dir, of a sound of two partials;
// its path, or empty when the folder or the object could not be made.
inline std::string MakeObjectInFolderWithBlanks(const ScratchDir& dir, const std::string& name)
{
    const std::string folder = dir / kFolderWithBlanks;
    if (::mkdir(folder.c_str(), 0700) != 0)
        return {};
    const std::string wav = folder + "/звук.wav";
    kavrel_test::WriteAll(wav, wavbytes::pcm16(1, 22050, Partials({430.0, 1290.0}, 5000, 22050, 22050)));
    const std::string object = folder + "/" + name;
    const std::string make = BuiltProgram("kavrel") + " make-object '" + wav + "' 10 120 '" + object + "' > /dev/null";
    return std::system(make.c_str()) == 0 ? object : std::string();
}

// The built program NAME on the object `name` made in a folder whose name
// has blanks (as MakeObjectInFolderWithBlanks), as the workshop starts it;
// the object's bytes before the program ran. The path is empty when the
// object could not be made.
class ProgramOnObjectInFolderWithBlanks {
public:
    ProgramOnObjectInFolderWithBlanks(const std::string& program, const std::string& name)
        : path(MakeObjectInFolderWithBlanks(dir, name)), before(kavrel_test::ReadAll(path)),
          m_program(BuiltProgram(program))
    {
    }
    // The program driven by these script lines.
    ScriptedRun Run(const std::string& lines) const { return RunWithScript(dir, m_program, path, lines); }
    // The folder with blanks that holds the object.
    std::string Folder() const { return dir / kFolderWithBlanks; }

    const ScratchDir dir;
    const std::string path;
    const kavrel_test::Bytes before;

private:
    const std::string m_program;
};

// The document at path (which the test made) opened through the
// single-document template added to app, and the main window it opened in;
// a fatal failure when any of them is missing (call it under
// ASSERT_NO_FATAL_FAILURE).
template <class Doc, class Frame>
void OpenInMainFrame(CWinApp& app, CDocTemplate* pTemplate, const std::string& path, Doc*& doc, Frame*& frame)
{
    ASSERT_FALSE(path.empty());
    app.AddDocTemplate(pTemplate);
    doc = dynamic_cast<Doc*>(app.OpenDocumentFile(path.c_str()));
    ASSERT_NE(doc, nullptr);
    frame = dynamic_cast<Frame*>(app.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
}

} // namespace ktest
