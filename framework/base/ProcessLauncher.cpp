#include "framework/base/ProcessLauncher.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool endsWithExe(const std::string& s)
{
    if (s.size() < 4)
        return false;
    std::string tail = s.substr(s.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isExecutableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The names a Windows program name may have here, in the order tried.
std::vector<std::string> candidateNames(const std::string& name)
{
    std::vector<std::string> names{name};
    auto add = [&](const std::string& n) {
        for (const auto& m : names) {
            if (m == n)
                return;
        }
        names.push_back(n);
    };
    std::string stem = endsWithExe(name) ? name.substr(0, name.size() - 4) : name;
    add(stem);
    // Only the file name is lowered: the folders of a path keep their case.
    size_t slash = stem.rfind('/');
    size_t base = slash == std::string::npos ? 0 : slash + 1;
    add(stem.substr(0, base) + lowerAscii(stem.substr(base)));
    add(name.substr(0, base) + lowerAscii(name.substr(base)));
    return names;
}

// What the starting side learns through the pipe: the grandchild's id from
// the middle process, or the errno of a failed exec from the grandchild.
struct LaunchNote {
    char kind; // 'p' process id, 'e' exec failed
    long value;
};

} // namespace

std::vector<std::string> KParseCommandLine(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0, n = line.size();
    while (i < n && isBlank(line[i]))
        ++i;
    if (i >= n)
        return words;

    // The program: quotes group, backslashes are part of the name.
    std::string program;
    if (line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"')
            program += line[i++];
        if (i < n)
            ++i;
    } else {
        while (i < n && !isBlank(line[i]))
            program += line[i++];
    }
    words.push_back(program);

    while (true) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || !isBlank(line[i]))) {
            if (line[i] == '\\') {
                size_t count = 0;
                while (i < n && line[i] == '\\') {
                    ++count;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    word.append(count / 2, '\\');
                    if (count % 2) {
                        word += '"';
                        ++i;
                    }
                    // an even count leaves the quote to group below
                } else {
                    word.append(count, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    word += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return words;
}

std::string KQuoteCommandLineArgument(const std::string& argument)
{
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Before a quote every backslash needs its pair, and the quote its own.
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    out += '"';
    return out;
}

namespace {
std::vector<std::string> g_searchFolders;
}

void KSetProgramSearchFolders(const std::vector<std::string>& folders)
{
    g_searchFolders = folders;
}

std::vector<std::string> KProgramSearchFolders()
{
    if (!g_searchFolders.empty())
        return g_searchFolders;
    std::vector<std::string> folders;
    char buf[4096];
    ssize_t len = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (len > 0) {
        std::string self(buf, static_cast<size_t>(len));
        size_t slash = self.rfind('/');
        if (slash != std::string::npos)
            folders.push_back(slash == 0 ? "/" : self.substr(0, slash));
    }
    if (const char* path = std::getenv("PATH")) {
        std::string p = path;
        size_t start = 0;
        while (start <= p.size()) {
            size_t colon = p.find(':', start);
            if (colon == std::string::npos)
                colon = p.size();
            std::string dir = p.substr(start, colon - start);
            if (!dir.empty()) // an empty entry would mean the current folder: not searched
                folders.push_back(dir);
            start = colon + 1;
        }
    }
    return folders;
}

std::string KFindProgram(const std::string& name, const std::vector<std::string>& folders)
{
    if (name.empty())
        return std::string();
    std::vector<std::string> names = candidateNames(name);
    if (name.find('/') != std::string::npos) {
        for (const auto& n : names) {
            if (isExecutableFile(n))
                return n;
        }
        return std::string();
    }
    for (const auto& dir : folders) {
        std::string prefix = dir.back() == '/' ? dir : dir + "/";
        for (const auto& n : names) {
            if (isExecutableFile(prefix + n))
                return prefix + n;
        }
    }
    return std::string();
}

std::string KFindProgram(const std::string& name)
{
    return KFindProgram(name, KProgramSearchFolders());
}

bool KCreateProcess(const CString& commandLine, long* pProcessId)
{
    std::vector<std::string> words = KParseCommandLine(commandLine.str());
    if (words.empty())
        return false;
    std::string program = KFindProgram(words[0]);
    if (program.empty())
        return false;

    // Everything the children need is ready before fork: after it, only
    // async-signal-safe calls (the suite's programs may have other threads).
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;

    pid_t middle = ::fork();
    if (middle < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (middle == 0) {
        // The middle process exits at once, so the program is adopted by
        // init and never left a zombie of ours.
        ::close(fds[0]);
        ::setsid();
        pid_t child = ::fork();
        if (child == 0) {
            // No handles are inherited but the standard ones.
            ::close_range(3, fds[1] > 3 ? unsigned(fds[1] - 1) : 2u, 0);
            ::close_range(unsigned(fds[1] + 1), ~0u, 0);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            ::execv(program.c_str(), argv.data());
            LaunchNote note{'e', errno};
            (void)!::write(fds[1], &note, sizeof note);
            ::_exit(127);
        }
        LaunchNote note{child < 0 ? 'e' : 'p', child < 0 ? long(errno) : long(child)};
        (void)!::write(fds[1], &note, sizeof note);
        ::_exit(0);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    bool started = false;
    long pid = 0;
    LaunchNote note{};
    while (true) {
        ssize_t got = ::read(fds[0], &note, sizeof note);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != static_cast<ssize_t>(sizeof note))
            break; // the pipe closed: the exec succeeded (or nothing more to say)
        if (note.kind == 'p') {
            started = true;
            pid = note.value;
        } else {
            started = false;
            break;
        }
    }
    ::close(fds[0]);
    if (started && pProcessId)
        *pProcessId = pid;
    return started;
}
