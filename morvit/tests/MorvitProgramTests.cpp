// The installed program itself: started as a process on the offscreen
// platform, driven by a script of user actions, it transforms a file,
// draws its window and ends cleanly.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <fstream>
#include <string>

#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

int RunMorvit(const std::string& script, const std::string& log)
{
    const std::string cmd = "env QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual KAVREL_UI_SCRIPT='" + script +
                            "' '" KAVREL_BINARY_DIR "/bin/morvit' > '" + log + "' 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const std::string& path)
{
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

} // namespace

TEST(MorvitProgram, RunsATransformThroughItsWindowAndEndsCleanly)
{
    std::vector<int> x(100);
    for (int i = 0; i < 100; ++i) x[size_t(i)] = 1000 + i;
    const std::string in = writeFile("mvp-in.wav", pcm16(1, 8000, x));
    const std::string out = tempPath("mvp-out.wav");
    const std::string shot = tempPath("mvp-window.png");
    std::remove(out.c_str());
    std::remove(shot.c_str());
    const std::string script = tempPath("mvp-script.txt");
    {
        std::ofstream s(script);
        s << "file " << in << "\npress 1000\n"
          << "file " << out << "\npress 1002\n"
          << "set 1009 0\nset 1010 4000\nset 1011 0\nleave 1011\npress 1008\n"
          << "grab " << shot << "\npress 1\n";
    }
    const std::string log = tempPath("mvp-log.txt");
    ASSERT_EQ(RunMorvit(script, log), 0) << ReadText(log);

    // Half the rate: the cosine alternates the signs of the scaled input.
    const Bytes b = readFile(out);
    ASSERT_EQ(b.size(), 46u + 2 * 16384);
    for (int i = 0; i < 100; ++i) {
        const int y = short(std::uint16_t(b[46 + 2 * i] | (b[47 + 2 * i] << 8)));
        ASSERT_EQ(y, int((i % 2 ? -1 : 1) * ((1000 + i) * 0.99996))) << i;
    }
    const QImage picture(QString::fromStdString(shot));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 300);
    EXPECT_GT(picture.height(), 200);
}

TEST(MorvitProgram, AMissingScriptIsReportedAndTheProgramStops)
{
    const std::string log = tempPath("mvp-missing-log.txt");
    EXPECT_EQ(RunMorvit(tempPath("no-such-script.txt"), log), 2);
    EXPECT_NE(ReadText(log).find("KAVREL_UI_SCRIPT"), std::string::npos);
}
