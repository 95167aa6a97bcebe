// Sounds the benchmarks run on: made once and kept in the temporary folder
// ($TMPDIR, else /tmp), so that a rerun measures the work and not the making.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kavrel/core/KWaveWriteToFile.h"

namespace kbench {

inline std::string TempDir()
{
    const char* d = std::getenv("TMPDIR");
    return d && *d ? d : "/tmp";
}

// <temp>/<name>.wav, 16-bit mono at rate, written from make() when it is not there yet.
inline std::string CachedSound(const std::string& name, long rate, const std::function<std::vector<short>()>& make)
{
    const std::string path = TempDir() + "/" + name + ".wav";
    if (::access(path.c_str(), R_OK) == 0)
        return path;
    const std::vector<short> x = make();
    CKWaveWriteToFile w;
    w.Create(path.c_str(), rate, 1);
    w.Write(x.data(), int(x.size() * 2));
    w.Close();
    return path;
}

} // namespace kbench
