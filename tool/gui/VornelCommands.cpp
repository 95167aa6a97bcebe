// reverb: the reverberation analyser's analysis of a document, run through
// the same code as the program, without windows; its files are those the
// program's commands write.
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"
#include "vornel/doc/VornelDoc.h"

namespace {

const char* const kUsage =
    "Использование: kavrel reverb DOC.vrn [--table OUT.tsv] [--synthetic OUT.wav] [--maxima OUT.xls] "
    "[--minima OUT.xls] [--format tsv|json]\n";

struct ReverbOutputs {
    CString table, synthetic, maxima, minima;
};

// Every line of the spectrum: bin, frequency, dB and dPhase/dOmega. Created
// exclusively: an existing file is never overwritten.
bool writeTable(const CString& path, const CVornelDoc& doc)
{
    const int fd = ::open(path.GetString(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    FILE* f = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
    if (!f) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    bool ok = std::fprintf(f, "bin\tfrequency\tdB\tdphase\n") > 0;
    for (int i = 0; ok && i < CVornelDoc::nBins; ++i)
        ok = std::fprintf(f, "%d\t%.9g\t%.9g\t%.9g\n", i, doc.GetFrequencyOfBin(i), doc.pAmpl_dB[i],
                          doc.p_dPhaze_dOmega[i]) > 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::remove(path.GetString());
    return ok;
}

} // namespace

static int RunReverb(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    if (args.empty() || args.size() % 2 == 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    ReverbOutputs out;
    std::vector<CString> named;
    for (size_t i = 1; i < args.size(); i += 2) {
        CString* slot = args[i] == "--table"       ? &out.table
                        : args[i] == "--synthetic" ? &out.synthetic
                        : args[i] == "--maxima"    ? &out.maxima
                        : args[i] == "--minima"    ? &out.minima
                                                   : nullptr;
        if (!slot || !slot->IsEmpty() || args[i + 1].IsEmpty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        *slot = args[i + 1];
        for (const CString& other : named)
            if (other == *slot) {
                std::fprintf(stderr, "Один и тот же файл назван дважды: %s\n", slot->GetString());
                return 1;
            }
        named.push_back(*slot);
        if (PathExists(*slot)) {
            std::fprintf(stderr, "Файл уже существует и не будет перезаписан: %s\n", slot->GetString());
            return 1;
        }
    }

    CVornelDoc* doc = static_cast<CVornelDoc*>(RUNTIME_CLASS(CVornelDoc)->CreateObject());
    if (!doc->OnOpenDocument(args[0])) {
        std::fprintf(stderr, "Документ не открывается: %s\n", args[0].GetString());
        delete doc;
        return 1;
    }
    CToolReport report(format);
    report.Field("rate", "%ld", long(doc->GetFs()));
    report.Field("samples_used", "%d", doc->GetNSamplesUsed());
    report.Field("dphase_max", "%.9g", doc->dPhazeMax);
    report.Field("dphase_min", "%.9g", doc->dPhazeMin);
    report.Finish();
    std::fflush(stdout);

    int status = 0;
    auto fail = [&](const CString& path) {
        std::fprintf(stderr, "Не удалось записать файл: %s\n", path.GetString());
        status = 1;
    };
    if (!out.table.IsEmpty() && !writeTable(out.table, *doc))
        fail(out.table);
    if (!out.synthetic.IsEmpty() && !doc->WriteSyntheticWaveFile(out.synthetic))
        fail(out.synthetic);
    if (!out.maxima.IsEmpty() && !doc->WriteExtremaListFile(out.maxima, true))
        fail(out.maxima);
    if (!out.minima.IsEmpty() && !doc->WriteExtremaListFile(out.minima, false))
        fail(out.minima);
    delete doc;
    return status;
}

static const ToolCommandRegistration kReverbCommand({14, "reverb",
                                                    "kavrel reverb DOC.vrn [--table OUT.tsv] [--synthetic OUT.wav] "
                                                    "[--maxima OUT.xls] [--minima OUT.xls] [--format tsv|json]",
                                                    RunReverb});
