// What Pelmora's tests share: Qt for the dialogs, a scratch folder of each
// test process's own as the current folder (the program writes its
// stimulus files there), WAV files byte by byte, and a dialog script.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

#include "framework/audio/VirtualAudio.h"
#include "framework/ui/CDialog.h"
#include "testsupport/WavBytes.h"
#include "testsupport/QtTestApp.h"

namespace pelmoratest {

using namespace wavbytes;

class PelmoraEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        std::string pattern = tempPath("pelmora-XXXXXX");
        if (mkdtemp(pattern.data()))
            m_scratch = pattern;
        if (!m_scratch.empty())
            (void)chdir(m_scratch.c_str());
        CVirtualAudio::Use();
    }
    void TearDown() override
    {
        (void)chdir("/");
        if (!m_scratch.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_scratch, ec);
        }
    }

private:
    std::string m_scratch;
};

inline const auto* kEnvironment = testing::AddGlobalTestEnvironment(new PelmoraEnvironment);

// One script for every dialog that opens while it is installed.
class DialogScript {
public:
    explicit DialogScript(std::function<void(CDialog&)> script) { m_old = SetDialogDriver(std::move(script)); }
    ~DialogScript() { SetDialogDriver(m_old); }

private:
    DialogDriver m_old;
};

// A file as little-endian 16-bit samples after its 46-byte header.
inline std::vector<short> samplesAfterHeader(const Bytes& b)
{
    std::vector<short> v;
    for (size_t i = 46; i + 1 < b.size(); i += 2)
        v.push_back(short(std::uint16_t(b[i] | (b[i + 1] << 8))));
    return v;
}

inline std::uint32_t le32(const Bytes& b, size_t at)
{
    return std::uint32_t(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16)) | (std::uint32_t(b[at + 3]) << 24);
}

inline unsigned le16(const Bytes& b, size_t at)
{
    return unsigned(b[at] | (b[at + 1] << 8));
}

} // namespace pelmoratest
