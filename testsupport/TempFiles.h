// Scratch files of the tests. Every test process has a temporary folder of
// its own (TMPDIR, set by the test runner), so cases running side by side
// never share a file.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace ktest {

// The process's temporary folder, without a trailing slash.
inline std::string TempDir()
{
    const char* dir = std::getenv("TMPDIR");
    std::string d = dir && *dir ? dir : "/tmp";
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    return d;
}

// A file of that name in the temporary folder.
inline std::string TempPath(std::string_view name)
{
    return TempDir() + "/" + std::string(name);
}

// A fresh folder in the temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string t = TempDir() + "/kt-XXXXXX";
        if (!::mkdtemp(t.data()))
            throw std::runtime_error("mkdtemp failed in " + TempDir());
        m_path = t;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(std::string_view name) const { return m_path + "/" + std::string(name); }

private:
    std::string m_path;
};

// The current folder for as long as it lives.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& dir) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~ScopedCurrentFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(m_old, ec);
    }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path m_old;
};

// Files of this process grow to at most `bytes` while it lives, as on a
// nearly full disk: a write past the limit fails with EFBIG instead of
// raising the signal that would end the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_saved;
        small.rlim_cur = rlim_t(bytes);
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace ktest
