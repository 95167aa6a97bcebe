// Sound files of every format for tests, made by sox in the test, and their
// reference decoding by libsndfile (link PkgConfig::SNDFILE), with the
// 16-bit values the suite promises for them: wider integers divided down and
// rounded half away from zero, floats times 32768 rounded the same way, both
// clipped, NaN as 0.
#pragma once
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "testsupport/ToolRuns.h"

namespace ktest {

// Whether the sox program is there (CI installs it; elsewhere tests skip).
inline bool HaveSox()
{
    int status = -1;
    RunCommand("sox --version >/dev/null 2>&1", &status);
    return status == 0;
}

// Runs sox with these arguments (quoted by the caller); true when it succeeded.
inline bool Sox(const std::string& args)
{
    int status = -1;
    RunCommand("sox " + args + " 2>/dev/null", &status);
    return status == 0;
}

// A file as libsndfile decodes it: its interleaved samples as 32-bit
// integers (left-justified, as libsndfile gives them) and as doubles.
struct ReferenceSound {
    int channels = 0, rate = 0;
    long long frames = 0;
    std::vector<int> ints;
    std::vector<double> doubles;
    bool ok = false;
};

inline ReferenceSound DecodeReference(const std::string& path)
{
    ReferenceSound r;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return r;
    r.channels = info.channels;
    r.rate = info.samplerate;
    // Counted as read: a lossy stream's stated length is not always its own.
    std::vector<int> ibuf(size_t(4096) * size_t(info.channels));
    sf_count_t got;
    while ((got = sf_readf_int(f, ibuf.data(), 4096)) > 0)
        r.ints.insert(r.ints.end(), ibuf.begin(), ibuf.begin() + got * info.channels);
    sf_seek(f, 0, SEEK_SET);
    std::vector<double> dbuf(ibuf.size());
    while ((got = sf_readf_double(f, dbuf.data(), 4096)) > 0)
        r.doubles.insert(r.doubles.end(), dbuf.begin(), dbuf.begin() + got * info.channels);
    sf_close(f);
    r.frames = (long long)r.ints.size() / info.channels;
    r.ok = r.frames > 0 && r.doubles.size() == r.ints.size();
    return r;
}

// A left-justified 32-bit integer sample as 16 bits.
inline short Expected16FromInt32(std::int64_t v)
{
    const double q = std::round(double(v) / 65536.0); // exact: a power of two, then half away from zero
    return short(q > 32767 ? 32767 : q < -32768 ? -32768 : q);
}

// A full-scale float sample as 16 bits.
inline short Expected16FromDouble(double x)
{
    if (std::isnan(x))
        return 0;
    const double q = std::round(std::fmax(-1e6, std::fmin(1e6, x)) * 32768.0);
    return short(q > 32767 ? 32767 : q < -32768 ? -32768 : q);
}

} // namespace ktest
