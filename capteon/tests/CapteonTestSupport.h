// Shared by the recorder's tests: one Qt application and one program
// object (for the profile), the simulated device, and WAV files written
// out byte by byte from the recorder's chunk layout.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/audio/VirtualAudio.h"
#include "framework/ui/CWinApp.h"
#include "testsupport/WavBytes.h"
#include "testsupport/QtTestApp.h"

namespace capteontest {

class Environment : public testing::Environment {
public:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        if (!AfxGetApp())
            new CWinApp("Capteon");
    }
};

// CTest runs every case in a process of its own, side by side: each case
// keeps its settings in a profile of its own, starting empty.
inline void useOwnProfile()
{
    const testing::TestInfo* t = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string("capteon-") + t->test_suite_name() + "-" + t->name();
    AfxGetApp()->m_pszAppName = name.c_str();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        std::remove((std::string(config) + "/Kavrel/" + name + ".ini").c_str());
}

// Lets n seconds of simulated time pass, one buffer's worth at a time,
// with the device's notifications delivered after each.
inline void passSeconds(long rate, double seconds)
{
    const long frames = long(rate * seconds + 0.5);
    for (long done = 0; done < frames; done += rate) {
        CVirtualAudio::AdvanceClockByFrames(DWORD(rate), std::min(rate, frames - done));
        QApplication::processEvents();
    }
}

// The recorder's file: RIFF "WAVE", an 18-byte "fmt " chunk, "data".
inline wavbytes::Bytes recorderWav(unsigned channels, std::uint32_t rate, const std::vector<int>& interleaved)
{
    using namespace wavbytes;
    Bytes samples = samples16(interleaved);
    Bytes b;
    putId(b, "RIFF");
    put32(b, std::uint32_t(38 + samples.size()));
    putId(b, "WAVE");
    putId(b, "fmt ");
    put32(b, 18);
    Bytes fmt = fmtBody(1, channels, rate, 16);
    b.insert(b.end(), fmt.begin(), fmt.end());
    put16(b, 0);
    putId(b, "data");
    put32(b, std::uint32_t(samples.size()));
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

} // namespace capteontest
