#include "framework/base/TempFile.h"

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

CString KGetTempPath()
{
    const char* dir = std::getenv("TMPDIR");
    std::string s = (dir && *dir) ? dir : "/tmp";
    if (s.back() != '/')
        s += '/';
    return CString(s);
}

CString KCreateTempFileName(const char* path, const char* prefix)
{
    std::string dir = path && *path ? path : KGetTempPath().str();
    if (dir.back() != '/')
        dir += '/';
    // Three characters, not three bytes: a Cyrillic prefix must not be cut
    // inside a character and leave the name invalid UTF-8.
    std::string pre;
    for (int chars = 0; prefix && *prefix; ++prefix) {
        bool starts = (static_cast<unsigned char>(*prefix) & 0xC0) != 0x80;
        if (starts && ++chars > 3)
            break;
        pre += *prefix;
    }
    std::string templ = dir + pre + "XXXXXX.tmp";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    int fd = ::mkstemps(name.data(), 4);
    if (fd < 0)
        return CString();
    ::close(fd);
    return CString(name.data());
}
