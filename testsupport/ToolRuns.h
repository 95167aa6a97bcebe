// Runs of the built programs for tests: the kavrel command-line tool with
// its status, standard output and standard error, and the "key: value"
// lines of its output; a window program on the offscreen platform driven
// by a script of user actions.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
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

// A shell command's standard output, and where status is given its exit
// status (-1 when it did not exit).
inline std::string RunCommand(const std::string& cmd, int* status = nullptr)
{
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int rc = ::pclose(p);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

// A program's command line (the caller quotes its arguments) run offscreen
// on the simulated sound device with KAVREL_UI_SCRIPT=script, everything it
// prints going to log; its exit status, -1 when it did not exit.
inline int RunScriptedProgram(const std::string& commandLine, const std::string& script, const std::string& log)
{
    const std::string cmd = "env QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual KAVREL_UI_SCRIPT='" + script + "' " +
                            commandLine + " > '" + log + "' 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// s as one word of a shell command line, whatever it holds.
inline std::string ShellQuoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    q += '\'';
    return q;
}

// The quoted path of a built program.
inline std::string BuiltProgram(const std::string& name)
{
    return "'" KAVREL_BINARY_DIR "/bin/" + name + "'";
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
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

// Each key's value in the tool's "key: value" output as expected, the key
// named on a mismatch.
inline void ExpectKeys(const std::map<std::string, std::string>& kv,
                       std::initializer_list<std::pair<const char*, const char*>> expected)
{
    for (const auto& [key, value] : expected) {
        const auto it = kv.find(key);
        EXPECT_EQ(it == kv.end() ? std::string("(none)") : it->second, value) << key;
    }
}

} // namespace ktest
