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

void listCommands(std::FILE* to)
{
    for (const ToolCommand& c : ToolCommandsInOrder())
        std::fprintf(to, "  %s\n", c.usage);
}

void usage()
{
    std::fprintf(stderr, "Использование:\n");
    listCommands(stderr);
}

// kavrel --help: on standard output, with the status 0, unlike a usage error.
void help()
{
    std::printf("kavrel — пакетный анализ звука теми же вычислениями, что и окна системы.\n\n"
                "Использование:\n");
    listCommands(stdout);
    std::printf("\n  kavrel КОМАНДА --help   параметры команды, их значения по умолчанию и пределы, пример\n"
                "  kavrel --version        версия\n\n"
                "Существующий выходной файл никогда не перезаписывается, входные файлы не изменяются.\n"
                "Код завершения: 0 — сделано; 1 — отказ или ошибка (сообщение в stderr);\n"
                "2 — неверные аргументы (печатается использование).\n"
                "Подробно: man kavrel.\n");
}

void commandHelp(const ToolCommand& c)
{
    std::printf("Использование: %s\n", c.usage);
    if (const char* text = ToolCommandHelp(c.name))
        std::printf("%s", text);
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
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        help();
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("kavrel %s\n", KAVREL_VERSION);
        return 0;
    }
    ToolArgs args;
    for (int i = 2; i < argc; ++i)
        args.emplace_back(argv[i]);
    for (const ToolCommand& c : ToolCommandsInOrder()) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            commandHelp(c);
            return 0;
        }
        CToolSoundCopies copies;
        if (const int status = copies.Prepare(c.name, args))
            return status;
        const int status = c.run(args);
        if (status != 0)
            copies.DropKept();
        return status;
    }
    std::fprintf(stderr, "Неизвестная команда: %s\n", argv[1]);
    usage();
    return 2;
}
