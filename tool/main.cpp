// kavrel: batch analysis with the suite's signal core, from the command line.
#include <cstdio>
#include <cstring>

#include "framework/base/UserServices.h"
#include "tool/ToolCommands.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const ToolArgs&);
};

const Command kCommands[] = {
    {"info", "kavrel info FILE.wav", RunInfo},
    {"samples", "kavrel samples FILE.wav FIRST COUNT [CHANNEL]", RunSamples},
    {"spectrum", "kavrel spectrum FILE.wav SAMPLE [--nfft N] [--sigmaf HZ]", RunSpectrum},
    {"power", "kavrel power FILE.wav [--nfft N]", RunPower},
#if KAVREL_TOOL_GUI
    {"sonogram",
     "kavrel sonogram FILE.wav OUT.png [--nfft N] [--type grey|colour|phase|phasefreq|harmonogram] [--inverse] "
     "[--from SECONDS --to SECONDS]",
     RunSonogram},
    {"view", "kavrel view FILE.wav", RunView},
    {"film", "kavrel film FILE.wav [--nfft N] [--sigmaf HZ] [--channel C]", RunFilm},
    {"make-object",
     "kavrel make-object FILE.wav CADRE0 CADRE1 OUT.gsr|OUT.ocn|OUT.vrn [--nfft N] [--sigmaf HZ] [--channel C] "
     "[--name T] [--comment T] [--level-change DB] [--index I]",
     RunMakeObject},
    {"make-document",
     "kavrel make-document FILE.wav OUT.tbx [--nfft N] [--sigmaf HZ] [--object CADRE0 CADRE1 TYPE NAME "
     "[--level-change DB]]...",
     RunMakeDocument},
    {"protocol", "kavrel protocol DOC.tbx OUT.doc", RunProtocol},
    {"edit",
     "kavrel edit FILE.wav OUT.wav cut|side|level|up2|up4|down|reverse-cadres|cocktail [--nfft N] [--sigmaf HZ] "
     "[--channel C] [options]",
     RunEdit},
    {"synthesize", "kavrel synthesize DOC.tbx OUT.wav", RunSynthesize},
    {"traces", "kavrel traces DOC.gsr [--add-visible | --clear]", RunTraces},
    {"reverb",
     "kavrel reverb DOC.vrn [--table OUT.tsv] [--synthetic OUT.wav] [--maxima OUT.xls] [--minima OUT.xls]",
     RunReverb},
    {"pirogov",
     "kavrel pirogov FILE.wav --select A B OUT.xls [--cadres-per-frame K] [--low-line L] [--high-line H] "
     "[--nfft N] [--sigmaf HZ] [--channel C]",
     RunPirogov},
    {"voice",
     "kavrel voice OUT.wav [--f0 HZ] [--t1 X] [--t2 X] [--t3 X] [--a1 X] [--a2 X] [--correct 0|1] [--noise DB] "
     "[--chest-f HZ] [--chest-a DB] [--chest-phase X] [--df0 X] [--dt1 X] [--dt2 X] [--dt3 X] [--da1 X] [--da2 X] "
     "[--seed N]",
     RunVoice},
#endif
};

void usage()
{
    std::fprintf(stderr, "Использование:\n");
    for (const Command& c : kCommands)
        std::fprintf(stderr, "  %s\n", c.usage);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage();
        return 2;
    }
    ToolArgs args;
    for (int i = 2; i < argc; ++i)
        args.emplace_back(argv[i]);
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0)
            return c.run(args);
    }
    std::fprintf(stderr, "Неизвестная команда: %s\n", argv[1]);
    usage();
    return 2;
}
