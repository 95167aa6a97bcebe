// kavrel: batch analysis with the suite's signal core, from the command line.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/base/UserServices.h"
#include "tool/ToolCommands.h"

namespace {

// Filled by the command files' registrations before main runs; a function's
// static, so that it exists whichever file registers first.
std::vector<ToolCommand>& Registered()
{
    static std::vector<ToolCommand> commands;
    return commands;
}

void usage()
{
    std::fprintf(stderr, "Использование:\n");
    for (const ToolCommand& c : ToolCommandsInOrder())
        std::fprintf(stderr, "  %s\n", c.usage);
}

} // namespace

ToolCommandRegistration::ToolCommandRegistration(const ToolCommand& command)
{
    Registered().push_back(command);
}

const std::vector<ToolCommand>& ToolCommandsInOrder()
{
    static const std::vector<ToolCommand> ordered = [] {
        std::vector<ToolCommand> commands = Registered();
        std::sort(commands.begin(), commands.end(),
                  [](const ToolCommand& a, const ToolCommand& b) { return a.place < b.place; });
        return commands;
    }();
    return ordered;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage();
        return 2;
    }
    ToolArgs args;
    for (int i = 2; i < argc; ++i)
        args.emplace_back(argv[i]);
    for (const ToolCommand& c : ToolCommandsInOrder()) {
        if (std::strcmp(argv[1], c.name) == 0) {
            CToolSoundCopies copies;
            if (const int status = copies.Prepare(c.name, args))
                return status;
            const int status = c.run(args);
            if (status != 0)
                copies.DropKept();
            return status;
        }
    }
    std::fprintf(stderr, "Неизвестная команда: %s\n", argv[1]);
    usage();
    return 2;
}
