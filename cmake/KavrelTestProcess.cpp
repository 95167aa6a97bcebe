// Linked into every test program. CTest runs the cases side by side, each in
// a process of its own: each process gets a temporary folder of its own, so
// that no two cases ever share a scratch file. It goes when the process ends.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string& ownFolder()
{
    static std::string folder;
    return folder;
}

void removeOwnFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(ownFolder(), ec);
}

const bool kOwnTemporaryFolder = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string folder = std::string(dir && *dir ? dir : "/tmp") + "/kt-" + std::to_string(::getpid());
    ::mkdir(folder.c_str(), 0700); // one left by a crashed process of the same number will do
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    ownFolder() = folder;
    ::setenv("TMPDIR", folder.c_str(), 1);
    std::atexit(removeOwnFolder);
    return true;
}();

} // namespace
