// Runs of the kavrel command-line tool for tests: its status, standard
// output and standard error, and the "key: value" lines of its output.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "testsupport/TempFiles.h"

namespace ktest {

struct ToolRun {
    int status;
    std::string out, err;
};

// The built tool with these arguments (quoted by the caller), its standard
// error kept in dir.
inline ToolRun RunKavrel(const ScratchDir& dir, const std::string& args)
{
    const std::string errPath = dir / "stderr.txt";
    ToolRun r{-1, {}, {}};
    FILE* p = ::popen(("'" KAVREL_BINARY_DIR "/bin/kavrel' " + args + " 2>'" + errPath + "'").c_str(), "r");
    if (!p)
        return r;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int rc = ::pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    std::ifstream e(errPath);
    r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    return r;
}

inline std::map<std::string, std::string> KeyValues(const std::string& out)
{
    std::map<std::string, std::string> kv;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(": ");
        if (colon != std::string::npos)
            kv[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return kv;
}

} // namespace ktest
