// sonogram: the film's picture as the sonogram view draws it, into a PNG,
// or into numbered PNG tiles where one picture would be too wide to open.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "kavrel/core/KPngWriter.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/views/KWaveFilmPicture.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"

namespace {

const char* const kUsage = "Использование: kavrel sonogram FILE.wav OUT.png | FILE.wav... --out-dir DIR [--nfft N] "
                           "[--type grey|colour|phase|phasefreq|harmonogram] [--inverse] "
                           "[--from SECONDS --to SECONDS] [--width PIXELS] [--tile-width PIXELS]\n";

// libpng's readers refuse pictures wider than a million pixels by default,
// and many viewers far less: a longer picture goes out in tiles this wide
// (at NFFT 1024 and 44.1 kHz, 11 minutes 20 seconds a tile).
constexpr long kDefaultTileWidth = 300000;

struct SonogramOptions {
    long nfft = 1024;
    long width = 0; // 0: one column a cadre
    long tileWidth = kDefaultTileWidth;
    int type = CKWaveFilm::DisplayAmplitudeGrey;
    bool inverse = false;
    double from = -1;
    double to = -1;
};

bool parseSeconds(const CString& s, double& v)
{
    char* end = nullptr;
    v = std::strtod(s.GetString(), &end);
    return !s.IsEmpty() && end && *end == '\0' && std::isfinite(v) && v >= 0;
}

bool parseType(const CString& s, int& type)
{
    static const struct {
        const char* name;
        int type;
    } kTypes[] = {{"grey", CKWaveFilm::DisplayAmplitudeGrey},
                  {"colour", CKWaveFilm::DisplayAmplitudeColour},
                  {"phase", CKWaveFilm::DisplayPhaseAmplGrowth},
                  {"phasefreq", CKWaveFilm::DisplayPhaseFreqGrowth},
                  {"harmonogram", CKWaveFilm::DisplayHarmonogram}};
    for (const auto& t : kTypes) {
        if (s == t.name) {
            type = t.type;
            return true;
        }
    }
    return false;
}

bool parseOptions(const ToolArgs& args, SonogramOptions& o)
{
    for (size_t i = 2; i < args.size(); ++i) {
        const CString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--inverse") {
            o.inverse = true;
        } else if (a == "--nfft" && hasValue) {
            // The picture holds at most 2048 lines.
            if (!ParseLong(args[++i], o.nfft) ||
                (o.nfft != 16 && o.nfft != 64 && o.nfft != 256 && o.nfft != 1024 && o.nfft != 4096)) {
                std::fprintf(stderr, "NFFT сонограммы должно быть одним из 16, 64, 256, 1024, 4096\n");
                return false;
            }
        } else if (a == "--type" && hasValue) {
            if (!parseType(args[++i], o.type)) {
                std::fprintf(stderr, "Тип изображения: grey, colour, phase, phasefreq или harmonogram\n");
                return false;
            }
        } else if ((a == "--width" || a == "--tile-width") && hasValue) {
            long& v = a == "--width" ? o.width : o.tileWidth;
            if (!ParseLong(args[++i], v) || v < 1 || v > 0x7FFFFFFFL) {
                std::fprintf(stderr, "Ширина задается целым числом пикселей, не меньше 1\n");
                return false;
            }
        } else if ((a == "--from" || a == "--to") && hasValue) {
            if (!parseSeconds(args[++i], a == "--from" ? o.from : o.to)) {
                std::fprintf(stderr, "Время задается неотрицательным числом секунд\n");
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// OUT itself for one picture; OUT's name with -001, -002 ... before its
// extension for tiles.
std::string TileName(const std::string& out, long tile, long nTiles)
{
    if (nTiles == 1)
        return out;
    const size_t slash = out.rfind('/');
    size_t dot = out.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        dot = out.size();
    const size_t digits = std::max<size_t>(3, std::to_string(nTiles).size());
    std::string number = std::to_string(tile + 1);
    number.insert(0, digits - number.size(), '0');
    return out.substr(0, dot) + "-" + number + out.substr(dot);
}

} // namespace

static int RunSonogramOfOne(const ToolArgs& args)
{
    SonogramOptions o;
    if (args.size() < 2 || !parseOptions(args, o)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const std::string out = args[1].GetString();
    // One film a core this process may run on: the columns are shared out among them.
    const int nThreads = std::clamp(KUsableCores(), 1, 4);
    std::vector<std::unique_ptr<CKWaveFilm>> films;
    std::vector<CKWaveFilm*> filmPointers;
    for (int t = 0; t < nThreads; ++t) {
        films.push_back(std::make_unique<CKWaveFilm>());
        if (!OpenKWaveFilmOnWholeFile(*films.back(), args[0], FileTitleOf(args[0]), int(o.nfft)))
            return 1;
        films.back()->displayFlags = o.type | (o.inverse ? CKWaveFilm::DisplayInverse : 0);
        filmPointers.push_back(films.back().get());
    }
    CKWaveFilm& film = *films.front();

    const long nCadres = film.GetNCadres();
    long c0 = o.from >= 0 ? film.GetCadreNumberFromTimeInSeconds(o.from) : 0;
    long c1 = o.to >= 0 ? film.GetCadreNumberFromTimeInSeconds(o.to) : nCadres;
    c0 = std::max(0L, std::min(c0, nCadres));
    c1 = std::max(0L, std::min(c1, nCadres));
    if (c1 <= c0) {
        std::fprintf(stderr, "В заданном промежутке времени нет ни одного кадра\n");
        return 1;
    }
    const long width = o.width > 0 ? o.width : c1 - c0;
    if (width > c1 - c0) {
        std::fprintf(stderr, "Ширина %ld больше числа кадров (%ld): столбец изображения не бывает уже кадра\n",
                     width, c1 - c0);
        return 1;
    }
    const long nTiles = (width + o.tileWidth - 1) / o.tileWidth;
    for (long t = 0; t < nTiles; ++t) {
        struct stat st;
        const std::string name = TileName(out, t, nTiles);
        if (::stat(name.c_str(), &st) == 0) {
            std::fprintf(stderr, "Файл %s уже существует; укажите другое имя.\n", name.c_str());
            return 1;
        }
    }
    const int height = KWaveFilmPictureHeight(film);
    const int channels = KWaveFilmPictureChannels(film);
    const long tileColumns = std::min(width, o.tileWidth);
    const size_t stride = size_t(tileColumns) * size_t(channels);
    // Every byte is drawn before it is written: no need to clear it first.
    // Huge pages spare the hundreds of thousands of faults of a long tile.
    constexpr size_t kHugePage = size_t(1) << 21;
    const size_t pictureBytes = (stride * size_t(height) + kHugePage - 1) / kHugePage * kHugePage;
    std::unique_ptr<unsigned char, void (*)(void*)> picture(
        static_cast<unsigned char*>(std::aligned_alloc(kHugePage, pictureBytes)), std::free);
    if (!picture) {
        std::fprintf(stderr, "Не хватает памяти для изображения %ld x %d\n", tileColumns, height);
        return 1;
    }
    ::madvise(picture.get(), pictureBytes, MADV_HUGEPAGE);
    // Progress on a terminal only: a pipe gets the picture and nothing else.
    const bool showProgress = ::isatty(2);
    int shown = -1;
    long before = 0; // cadres of the tiles already written
    auto progress = [&](long done) {
        const int percent = int(100 * (before + done) / (c1 - c0));
        if (showProgress && percent != shown) {
            shown = percent;
            std::fprintf(stderr, "\r%d%%", percent);
        }
    };
    std::vector<std::string> written;
    auto fail = [&](const char* format, const char* what) {
        if (showProgress)
            std::fprintf(stderr, "\r");
        std::fprintf(stderr, format, what);
        // Nothing half-made stays behind.
        for (const std::string& w : written)
            ::unlink(w.c_str());
        return 1;
    };
    for (long t = 0; t < nTiles; ++t) {
        const long xa = t * o.tileWidth, xb = std::min(width, xa + o.tileWidth);
        const long ca = KWaveFilmPictureColumnStart(c0, c1, width, xa);
        const long cb = KWaveFilmPictureColumnStart(c0, c1, width, xb);
        if (!RenderKWaveFilmPictureBytes(filmPointers, c0, c1, width, xa, xb, picture.get(), channels, stride,
                                         progress))
            return fail("%s", "Не хватает памяти для буферов сонограммы\n");
        before += cb - ca;
        const std::string name = TileName(out, t, nTiles);
        written.push_back(name);
        if (!KWritePng(name.c_str(), xb - xa, height, channels, picture.get(), stride, nThreads))
            return fail("Не удалось записать файл %s\n", name.c_str());
        if (nTiles > 1)
            std::printf("%s: кадры %ld–%ld\n", name.c_str(), ca, cb - 1);
    }
    if (showProgress)
        std::fprintf(stderr, "\r");
    return 0;
}

// FILE OUT.png, or many files with --out-dir DIR: each picture DIR/TITLE.png.
static int RunSonogram(const ToolArgs& args)
{
    KToolFiles split = SplitToolFiles(args, {"--nfft", "--type", "--from", "--to", "--width", "--tile-width", "--out-dir"});
    CString dir;
    ToolArgs options;
    for (size_t i = 0; i < split.options.size(); ++i) {
        if (split.options[i] == "--out-dir") {
            if (i + 1 >= split.options.size() || !dir.IsEmpty()) {
                std::fprintf(stderr, "%s", kUsage);
                return 2;
            }
            dir = split.options[++i];
        } else {
            options.push_back(split.options[i]);
        }
    }
    if (dir.IsEmpty())
        return RunSonogramOfOne(args);
    struct stat st;
    if (::stat(dir.GetString(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Refuse("Нет такой папки: " + dir);
    return RunForEachToolFile(split.files, KToolFormat::Text, [&](const CString& file) {
        if (file.IsEmpty()) {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
        ToolArgs one{file, dir + "/" + FileTitleOf(file) + ".png"};
        one.insert(one.end(), options.begin(), options.end());
        return RunSonogramOfOne(one);
    });
}

static const ToolCommandRegistration kSonogramCommand({5, "sonogram",
    "kavrel sonogram FILE.wav OUT.png | FILE.wav... --out-dir DIR [--nfft N] "
    "[--type grey|colour|phase|phasefreq|harmonogram] [--inverse] [--from SECONDS --to SECONDS] [--width PIXELS] "
    "[--tile-width PIXELS]",
    RunSonogram});
