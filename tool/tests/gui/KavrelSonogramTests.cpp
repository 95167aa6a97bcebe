// kavrel sonogram against the sonogram view drawn on screen, and its
// handling of the command line.
#include <numbers>
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "framework/ui/CSurface.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KWaveFilmView.h"
#include "testsupport/QtTestApp.h"

namespace {

const std::string kTool = std::string(KAVREL_BINARY_DIR) + "/bin/kavrel";

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override { ktest::EnsureQtApplication(); }
};
const auto* kQt = testing::AddGlobalTestEnvironment(new QtEnvironment);

int runTool(const std::string& args)
{
    const int status = std::system((kTool + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A chirp from 300 to 6000 Hz over one second at 16000 Hz, then silence.
std::string chirpFile(const std::string& name)
{
    std::vector<int> x(20000, 0);
    for (int i = 0; i < 16000; ++i) {
        const double t = i / 16000.0;
        x[size_t(i)] = int(std::lround(20000 * std::sin(2 * std::numbers::pi * (300 * t + 5700 * t * t / 2))));
    }
    return wavbytes::writeFile(name, wavbytes::pcm16(1, 16000, x));
}

class OpenView : public CKWaveFilmView {};

} // namespace

TEST(KavrelSonogram, ThePngIsThePictureOfTheView)
{
    const std::string wav = chirpFile("sonogram-chirp.wav");
    struct {
        const char* type;
        int flags;
    } cases[] = {{"phase --inverse", CKWaveFilm::DisplayPhaseAmplGrowth | CKWaveFilm::DisplayInverse},
                 {"colour", CKWaveFilm::DisplayAmplitudeColour},
                 {"harmonogram", CKWaveFilm::DisplayHarmonogram},
                 {"grey", CKWaveFilm::DisplayAmplitudeGrey}};
    for (const auto& c : cases) {
        const std::string png = wavbytes::tempPath("sonogram-chirp.png");
        ::unlink(png.c_str());
        // From 0.1 s to 0.5 s: cadres 64 .. 319 at the step of 25 samples.
        ASSERT_EQ(runTool(std::string("sonogram '") + wav + "' '" + png + "' --nfft 256 --type " + c.type +
                          " --from 0.1 --to 0.5"),
                  0)
            << c.type;
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(png))) << c.type;
        ASSERT_EQ(image.width(), 256);
        ASSERT_EQ(image.height(), 128);

        // The same stretch on screen: a view 256 cadres wide scrolled to cadre 64.
        CKWaveFilm film;
        ASSERT_TRUE(OpenKWaveFilmOnWholeFile(film, wav.c_str(), "chirp", 256));
        film.displayFlags = c.flags;
        OpenView view;
        ASSERT_TRUE(view.Create(nullptr, CRect(0, 0, 256, 128 + 16)));
        CKWaveFilmHint hint(&film);
        view.OnUpdate(nullptr, HintNewFilm, &hint);
        view.ScrollToPosition(CPoint(64, 0));
        view.Invalidate(FALSE);
        view.UpdateWindow();
        ASSERT_EQ(view.GetScrollPosition(), CPoint(64, 0));
        int differ = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 256; ++x) {
                const QRgb p = image.pixel(x, y);
                if (view.GetSurface()->GetPixel(x, y) != RGB(qRed(p), qGreen(p), qBlue(p)))
                    ++differ;
            }
        EXPECT_EQ(differ, 0) << c.type;
    }
}

TEST(KavrelSonogram, WholeFileAtTheDefaultsAndTheInversion)
{
    // Silence lies far below the scale (its level is held at -1000 dB):
    // white, black when inverted. 16000 samples at the step of 102 give
    // 156 cadres of 512 lines.
    const std::string wav = wavbytes::writeFile("sonogram-silence.wav", wavbytes::pcm16(1, 16000, std::vector<int>(16000, 0)));
    for (bool inverse : {false, true}) {
        const std::string png = wavbytes::tempPath("sonogram-silence.png");
        ::unlink(png.c_str());
        ASSERT_EQ(runTool("sonogram '" + wav + "' '" + png + "'" + (inverse ? " --inverse" : "")), 0);
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(png)));
        EXPECT_EQ(image.width(), 156);
        EXPECT_EQ(image.height(), 512);
        const QRgb expected = inverse ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        for (int y : {0, 200, 511})
            for (int x : {0, 77, 155})
                EXPECT_EQ(image.pixel(x, y), expected) << x << " " << y;
    }
}

// The picture of a whole file at one column a cadre, as grey levels
// [column][row]; empty when the tool fails.
std::vector<std::vector<int>> greyColumns(const std::string& png)
{
    QImage image;
    if (!image.load(QString::fromStdString(png)))
        return {};
    std::vector<std::vector<int>> g(size_t(image.width()), std::vector<int>(size_t(image.height())));
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            g[size_t(x)][size_t(y)] = qGray(image.pixel(x, y));
    return g;
}

TEST(KavrelSonogram, LongPicturesGoOutInTilesOrMergedToAWidth)
{
    // 20000 samples at the step of 25: 800 cadres of 128 lines.
    const std::string wav = chirpFile("sonogram-tiles.wav");
    const std::string whole = wavbytes::tempPath("sonogram-whole.png");
    ::unlink(whole.c_str());
    ASSERT_EQ(runTool("sonogram '" + wav + "' '" + whole + "' --nfft 256"), 0);
    const auto g = greyColumns(whole);
    ASSERT_EQ(g.size(), 800u);

    // Tiles of at most 300 columns: 300, 300 and 200, numbered before the
    // extension, that put side by side are the whole picture.
    const std::string base = wavbytes::tempPath("sonogram-tile");
    for (const char* n : {"-001", "-002", "-003"})
        ::unlink((base + n + ".png").c_str());
    ASSERT_EQ(runTool("sonogram '" + wav + "' '" + base + ".png' --nfft 256 --tile-width 300"), 0);
    EXPECT_NE(::access((base + ".png").c_str(), F_OK), 0);
    size_t x0 = 0;
    for (const char* n : {"-001", "-002", "-003"}) {
        const auto t = greyColumns(base + n + ".png");
        ASSERT_EQ(t.size(), x0 < 600 ? 300u : 200u) << n;
        for (size_t x = 0; x < t.size(); ++x)
            ASSERT_EQ(t[x], g[x0 + x]) << n << " column " << x;
        x0 += t.size();
    }
    // A tile already there stops the whole export before anything is written.
    ::unlink((base + "-001.png").c_str());
    ::unlink((base + "-003.png").c_str());
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + base + ".png' --nfft 256 --tile-width 300"), 1);
    EXPECT_NE(::access((base + "-001.png").c_str(), F_OK), 0);

    // 800 cadres in 100 columns, then in 3 tiled by 2: each column shows,
    // line by line, the loudest of its cadres, the darkest grey (the
    // lightest when inverted).
    struct Case {
        long width, tile;
        bool inverse;
    } cases[] = {{100, 1000, false}, {100, 1000, true}, {3, 2, false}};
    for (const Case& c : cases) {
        const std::string inv = c.inverse ? " --inverse" : "";
        std::vector<std::vector<int>> ref = g;
        if (c.inverse) {
            const std::string wholeInverse = wavbytes::tempPath("sonogram-whole-inverse.png");
            ::unlink(wholeInverse.c_str());
            ASSERT_EQ(runTool("sonogram '" + wav + "' '" + wholeInverse + "' --nfft 256 --inverse"), 0);
            ref = greyColumns(wholeInverse);
        }
        const std::string out = wavbytes::tempPath("sonogram-narrow.png");
        const long nTiles = (c.width + c.tile - 1) / c.tile;
        std::vector<std::vector<int>> merged;
        for (long t = 0; t < nTiles; ++t) {
            const std::string name = nTiles == 1 ? out : wavbytes::tempPath("sonogram-narrow-00" + std::to_string(t + 1) + ".png");
            ::unlink(name.c_str());
        }
        ASSERT_EQ(runTool("sonogram '" + wav + "' '" + out + "' --nfft 256 --width " + std::to_string(c.width) +
                          " --tile-width " + std::to_string(c.tile) + inv),
                  0);
        for (long t = 0; t < nTiles; ++t) {
            const auto part = greyColumns(nTiles == 1 ? out : wavbytes::tempPath("sonogram-narrow-00" + std::to_string(t + 1) + ".png"));
            merged.insert(merged.end(), part.begin(), part.end());
        }
        ASSERT_EQ(long(merged.size()), c.width);
        for (long x = 0; x < c.width; ++x) {
            const long from = 800 * x / c.width, to = 800 * (x + 1) / c.width;
            for (size_t y = 0; y < 128; ++y) {
                int expected = c.inverse ? 0 : 255;
                for (long k = from; k < to; ++k)
                    expected = c.inverse ? std::max(expected, ref[size_t(k)][y]) : std::min(expected, ref[size_t(k)][y]);
                ASSERT_EQ(merged[size_t(x)][y], expected) << c.width << " column " << x << " row " << y;
            }
        }
    }
    // No column narrower than a cadre.
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + wavbytes::tempPath("sonogram-wide.png") + "' --nfft 256 --width 801"), 1);
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + wavbytes::tempPath("sonogram-wide.png") + "' --width 0"), 2);
}

TEST(KavrelSonogram, RefusesBadArgumentsAndKeepsExistingFiles)
{
    const std::string wav = chirpFile("sonogram-args.wav");
    const std::string png = wavbytes::tempPath("sonogram-args.png");
    ::unlink(png.c_str());
    EXPECT_EQ(runTool("sonogram '" + wav + "'"), 2);
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "' --type rainbow"), 2);
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "' --nfft 1000"), 2);
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "' --nfft 16384"), 2);
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "' --from -1"), 2);
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "' --from 3 --to 4"), 1); // past the end
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "' --from 0.5 --to 0.2"), 1);
    EXPECT_EQ(runTool("sonogram /nonexistent.wav '" + png + "'"), 1);
    EXPECT_NE(::access(png.c_str(), F_OK), 0) << "nothing written on a failure";
    // An existing file is never overwritten.
    wavbytes::writeFile("sonogram-args.png", wavbytes::Bytes{'x'});
    EXPECT_EQ(runTool("sonogram '" + wav + "' '" + png + "'"), 1);
    EXPECT_EQ(wavbytes::readFile(png), wavbytes::Bytes{'x'});
}

TEST(KavrelView, DrawsItsWindowInEveryDisplayType)
{
    const std::string wav = chirpFile("view-chirp.wav");
    const std::string dir = wavbytes::tempPath("view-shots");
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    const int status = std::system(("KAVREL_SCREENSHOT_DIR='" + dir + "' " + kTool + " view '" + wav + "' 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // 20000 samples at 16000 Hz, step 102: 196 cadres, narrower than the
    // window. The frame holds its menu bar and toolbar, the power curve (120 rows) above
    // the sonogram's 512 lines, the shared scroll bar and the status bar.
    for (const char* type : {"grey", "grey-inverse", "colour", "phase", "phasefreq", "harmonogram", "frame"}) {
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(dir + "/kavrel-view-" + type + ".png"))) << type;
        EXPECT_EQ(image.size(), QSize(960, 120 + 512 + 104)) << type;
        // Past the film's end the power view shows its dark green paper.
        int paper = 0;
        for (int y = 0; y < 160; ++y)
            paper += image.pixel(900, y) == qRgb(0, 0x3F, 0) ? 1 : 0;
        EXPECT_GT(paper, 80) << type;
    }
    // Its "Вид" menu puts the pitch line and the formant dots over the
    // sonogram (a chirp: some formants at least), the status bar their values.
    QImage tracks;
    ASSERT_TRUE(tracks.load(QString::fromStdString(dir + "/kavrel-view-tracks.png")));
    EXPECT_EQ(tracks.size(), QSize(960, 120 + 512 + 104));
    int cyan = 0, red = 0;
    for (int y = 0; y < tracks.height(); ++y)
        for (int x = 0; x < tracks.width(); ++x) {
            cyan += tracks.pixel(x, y) == qRgb(0, 255, 255) ? 1 : 0;
            red += tracks.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        }
    EXPECT_GT(cyan, 184) << "at least the pitch scale's line from floor to ceiling";
    EXPECT_GT(red, 0);
    QImage power, oscillogram;
    ASSERT_TRUE(power.load(QString::fromStdString(dir + "/kavrel-view-power.png")));
    EXPECT_EQ(power.size(), QSize(960, 120));
    ASSERT_TRUE(oscillogram.load(QString::fromStdString(dir + "/kavrel-view-oscillogram.png")));
    EXPECT_EQ(oscillogram.size(), QSize(300, 150));
    EXPECT_EQ(runTool("view"), 2);
}
