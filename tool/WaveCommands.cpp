// info and samples: what the WAV reader makes of a file; the parsing and
// refusing every command shares.
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "kavrel/core/KWave.h"
#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"

bool ParseLong(const CString& s, long& value)
{
    if (s.IsEmpty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtol(s.GetString(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

bool ParseNumber(const CString& s, double& value)
{
    char* end = nullptr;
    value = std::strtod(s.GetString(), &end);
    return !s.IsEmpty() && end && *end == '\0' && std::isfinite(value);
}

bool PathExists(const CString& path)
{
    struct stat st;
    return ::stat(path.GetString(), &st) == 0;
}

int Refuse(const CString& message)
{
    std::fprintf(stderr, "%s\n", message.GetString());
    return 1;
}

int TakeFilmOption(const CString& key, const CString& value, long& nfft, double& sigmaf, long* channel)
{
    if (key == "--nfft") {
        if (!ParseLong(value, nfft) || (nfft != 256 && nfft != 1024 && nfft != 4096))
            return Refuse("NFFT должно быть одним из 256, 1024, 4096");
    } else if (key == "--sigmaf") {
        if (!ParseNumber(value, sigmaf) || sigmaf < 0.001 || sigmaf > 1000000)
            return Refuse("SigmaF должно быть числом от 0.001 до 1000000 (Гц)");
    } else if (channel && key == "--channel") {
        if (!ParseLong(value, *channel) || *channel < 0 || *channel > 1)
            return Refuse("Канал должен быть 0 (левый) или 1 (правый)");
    } else {
        return -1;
    }
    return 0;
}

CString FileTitleOf(const CString& path)
{
    CString name = path.Mid(path.ReverseFind('/') + 1);
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

static int RunInfoOfOne(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    if (args.size() != 1) {
        std::fprintf(stderr, "Использование: kavrel info FILE.wav... [--format tsv|json]\n");
        return 2;
    }
    CKWave wave;
    if (!wave.OpenKWaveFile(args[0], FileTitleOf(args[0])))
        return 1;
    WAVEFORMATEX f = wave.GetKWaveFormat();
    CToolReport report(format);
    report.Field("channels", "%d", wave.GetKWaveNChannels());
    report.Field("bits", "%d", int(f.wBitsPerSample));
    report.Field("rate", "%ld", wave.GetKWaveFrADC());
    report.Field("block_align", "%d", wave.GetKWaveBlockAlign());
    report.Field("samples", "%ld", wave.GetKWaveSizeInSamples());
    report.Field("data_offset", "%ld", wave.GetKWaveDataOffset());
    report.Finish();
    return 0;
}

static int RunInfo(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    return RunForEachToolFile(SplitToolFiles(given, {"--format"}), format, RunInfoOfOne);
}

static const ToolCommandRegistration kInfoCommand({1, "info", "kavrel info FILE.wav... [--format tsv|json]", RunInfo});

static int RunSamples(const ToolArgs& args)
{
    long first = 0, count = 0, channel = 0;
    if (args.size() < 3 || args.size() > 4 || !ParseLong(args[1], first) || !ParseLong(args[2], count) ||
        count < 0 || (args.size() == 4 && (!ParseLong(args[3], channel) || channel < 0 || channel > 7))) {
        std::fprintf(stderr, "Использование: kavrel samples FILE.wav FIRST COUNT [CHANNEL]\n"
                             "  CHANNEL: от 0 до 7 (0 левый, 1 правый); канал, которого в файле нет, читается как первый\n");
        return 2;
    }
    CKWave wave;
    wave.nChannel = int(channel);
    if (!wave.OpenKWaveFile(args[0], FileTitleOf(args[0])))
        return 1;
    // In pieces, so that a long stretch costs no more memory than a short one.
    const long kPiece = 65536;
    std::vector<short> buf(size_t(count < kPiece ? (count > 0 ? count : 1) : kPiece));
    for (long done = 0; done < count;) {
        long n = count - done < kPiece ? count - done : kPiece;
        wave.FillKWaveBufFromSampleNSamples(buf.data(), first + done, n);
        for (long i = 0; i < n; ++i)
            std::printf("%d\n", int(buf[size_t(i)]));
        done += n;
    }
    return 0;
}

static const ToolCommandRegistration kSamplesCommand({2, "samples", "kavrel samples FILE.wav FIRST COUNT [CHANNEL]", RunSamples});
