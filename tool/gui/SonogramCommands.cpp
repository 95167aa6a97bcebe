// sonogram: the film's picture as the sonogram view draws it, into a PNG.
#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/views/KWaveFilmPicture.h"
#include "kavrel/views/KWaveFilmView.h"
#include "tool/ToolCommands.h"

namespace {

const char* const kUsage = "Использование: kavrel sonogram FILE.wav OUT.png [--nfft N] "
                           "[--type grey|colour|phase|phasefreq|harmonogram] [--inverse] "
                           "[--from SECONDS --to SECONDS]\n";

struct SonogramOptions {
    long nfft = 1024;
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

} // namespace

static int RunSonogram(const ToolArgs& args)
{
    SonogramOptions o;
    if (args.size() < 2 || !parseOptions(args, o)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const CString& out = args[1];
    struct stat st;
    if (::stat(out.GetString(), &st) == 0) {
        std::fprintf(stderr, "Файл %s уже существует; укажите другое имя.\n", out.GetString());
        return 1;
    }
    CKWaveFilm film;
    if (!OpenKWaveFilmOnWholeFile(film, args[0], FileTitleOf(args[0]), int(o.nfft)))
        return 1;
    film.displayFlags = o.type | (o.inverse ? CKWaveFilm::DisplayInverse : 0);

    const long nCadres = film.GetNCadres();
    long c0 = o.from >= 0 ? film.GetCadreNumberFromTimeInSeconds(o.from) : 0;
    long c1 = o.to >= 0 ? film.GetCadreNumberFromTimeInSeconds(o.to) : nCadres;
    c0 = std::max(0L, std::min(c0, nCadres));
    c1 = std::max(0L, std::min(c1, nCadres));
    if (c1 <= c0) {
        std::fprintf(stderr, "В заданном промежутке времени нет ни одного кадра\n");
        return 1;
    }
    const int height = KWaveFilmPictureHeight(film);
    QImage image(int(c1 - c0), height, QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "Не хватает памяти для изображения %ld x %d\n", c1 - c0, height);
        return 1;
    }
    // Progress on a terminal only: a pipe gets the picture and nothing else.
    const bool showProgress = ::isatty(2);
    int shown = -1;
    auto progress = [&](long done) {
        const int percent = int(100 * done / (c1 - c0));
        if (showProgress && percent != shown) {
            shown = percent;
            std::fprintf(stderr, "\r%d%%", percent);
        }
    };
    auto* bits = reinterpret_cast<std::uint32_t*>(image.bits());
    if (!RenderKWaveFilmPicture(film, c0, c1, bits, image.bytesPerLine() / 4, 1024, progress)) {
        std::fprintf(stderr, "Не хватает памяти для буферов сонограммы\n");
        return 1;
    }
    if (showProgress)
        std::fprintf(stderr, "\r");
    // A light deflate: ten minutes of film are half a gigabyte of pixels,
    // and zlib's default level takes many times longer than the analysis.
    if (!image.save(QString::fromUtf8(out.GetString()), "PNG", 80)) {
        std::fprintf(stderr, "Не удалось записать файл %s\n", out.GetString());
        ::unlink(out.GetString());
        return 1;
    }
    return 0;
}

static const ToolCommandRegistration kSonogramCommand({5, "sonogram",
    "kavrel sonogram FILE.wav OUT.png [--nfft N] [--type grey|colour|phase|phasefreq|harmonogram] [--inverse] "
    "[--from SECONDS --to SECONDS]",
    RunSonogram});
