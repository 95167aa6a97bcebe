// The installed workshop on the offscreen platform: a plain argument opens
// nothing; File New, Open and the document's commands run from a script;
// the desktop's open request opens the document.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace {

const std::string kTembrix = "'" KAVREL_BINARY_DIR "/bin/tembrix'";

std::string ReadText(const std::string& path)
{
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

struct TembrixProgram : ::testing::Test {
    ktest::ScratchDir dir;
    std::string folder = dir / "мои документы";
    std::string wav = folder + "/звук.wav";
    std::string tbx = folder + "/анализ 1.tbx";

    void SetUp() override
    {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        kavrel_test::WriteAll(wav, wavbytes::pcm16(1, 22050, ktest::Partials({430.0, 1290.0}, 5000, 22050, 22050)));
    }
    // Runs the workshop with these arguments and script lines; the log holds what it showed.
    int Run(const std::string& args, const std::string& lines, std::string& log)
    {
        const std::string script = dir / "script.txt", out = dir / "log.txt";
        std::ofstream(script) << lines;
        const std::string cmd = "env QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual XDG_CONFIG_HOME='" +
                                (dir / "config") + "' KAVREL_UI_SCRIPT='" + script + "' timeout 60 " + kTembrix +
                                " " + args + " > '" + out + "' 2>&1";
        const int status = std::system(cmd.c_str());
        log = ReadText(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

} // namespace

TEST_F(TembrixProgram, NewDocumentThroughTheMenuThenOpenedByScriptAndByTheDesktopButNotByAPlainArgument)
{
    std::string log;
    // File New: the sound, SigmaFr as offered, where to keep the analysis; then Save and Exit.
    ASSERT_EQ(Run("", "file " + wav + "\nfile " + tbx + "\ncommand 57600\npress 1\ncommand 57603\ncommand 57665\n",
                  log),
              0)
        << log;
    const kavrel_test::Bytes created = kavrel_test::ReadAll(tbx);
    ASSERT_GT(created.size(), 4096u);
    // Nothing follows the film but an empty list, -1 and 1.
    const kavrel_test::Bytes tail(created.end() - 10, created.end());
    EXPECT_EQ(tail, kavrel_test::Cat({{0, 0}, kavrel_test::Le32(0xFFFFFFFF), kavrel_test::Le32(1)}));

    // Opened by the script, the paper colours toggled and saved: only the
    // film's light-background field (before its tooltip flags) changes.
    ASSERT_EQ(Run("", "file " + tbx + "\ncommand 57601\ncommand 34824\ncommand 57603\ncommand 57665\n", log), 0)
        << log;
    const kavrel_test::Bytes toggled = kavrel_test::ReadAll(tbx);
    ASSERT_EQ(toggled.size(), created.size());
    const size_t light = created.size() - 10 - 8;
    EXPECT_EQ(kavrel_test::FirstDifference(toggled, created), long(light));
    EXPECT_EQ(toggled[light], 1);

    // A plain argument opens nothing: the sound's absence would be asked about.
    std::rename(wav.c_str(), (folder + "/moved.wav").c_str());
    ASSERT_EQ(Run("'" + tbx + "'", "command 57665\n", log), 0) << log;
    EXPECT_EQ(log.find("Как быть?"), std::string::npos) << log;
    // The desktop's open request does open it.
    Run("--open '" + tbx + "'", "answer 1\nanswer 7\ncommand 57665\n", log);
    EXPECT_NE(log.find("Как быть?"), std::string::npos) << log;
}

TEST_F(TembrixProgram, UserGuideLiesBesideTheProgramWithTheMainWindowsTopic)
{
    const std::string guide = ReadText(KAVREL_BINARY_DIR "/bin/help/tembrix.html");
    EXPECT_NE(guide.find("id=\"window-128\""), std::string::npos);
    EXPECT_NE(guide.find("id=\"command-34776\""), std::string::npos);
}
