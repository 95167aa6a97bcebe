// The tool against sox, on files that no code of ours wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "testsupport/SoundFiles.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"

namespace {

const std::string kTool = std::string(KAVREL_BINARY_DIR) + "/bin/kavrel";

using ktest::RunCommand;
using ktest::TempPath;

std::map<std::string, std::string> info(const std::string& path)
{
    std::map<std::string, std::string> kv;
    std::string out = RunCommand(kTool + " info '" + path + "'");
    size_t pos = 0;
    while (pos < out.size()) {
        size_t eol = out.find('\n', pos);
        std::string line = out.substr(pos, eol - pos);
        size_t colon = line.find(": ");
        if (colon != std::string::npos)
            kv[line.substr(0, colon)] = line.substr(colon + 2);
        pos = eol == std::string::npos ? out.size() : eol + 1;
    }
    return kv;
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

std::vector<int> soxSamples(const std::string& path, int channel)
{
    std::string raw = RunCommand("sox '" + path + "' -t raw -e signed-integer -b 16 -L - remix " + std::to_string(channel + 1));
    std::vector<int> v;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        v.push_back(short(std::uint16_t(std::uint8_t(raw[i]) | (std::uint8_t(raw[i + 1]) << 8))));
    return v;
}

std::vector<int> toolSamples(const std::string& path, long first, long count, int channel)
{
    std::string out = RunCommand(kTool + " samples '" + path + "' " + std::to_string(first) + " " + std::to_string(count) + " " +
                          std::to_string(channel));
    std::vector<int> v;
    size_t pos = 0;
    while (pos < out.size()) {
        size_t eol = out.find('\n', pos);
        v.push_back(std::atoi(out.substr(pos, eol - pos).c_str()));
        pos = eol == std::string::npos ? out.size() : eol + 1;
    }
    return v;
}

long fileSize(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

} // namespace

TEST(KavrelTool, AgreesWithSoxOnEveryAcceptedFormat)
{
    struct Format {
        const char* name;
        const char* encoding;
        int bits, channels, rate;
    } formats[] = {
        {"u8-mono", "unsigned-integer", 8, 1, 8000},
        {"u8-stereo", "unsigned-integer", 8, 2, 11025},
        {"s16-mono", "signed-integer", 16, 1, 16000},
        {"s16-stereo", "signed-integer", 16, 2, 22050},
    };
    for (const Format& f : formats) {
        SCOPED_TRACE(f.name);
        std::string path = TempPath(std::string("sox-") + f.name + ".wav");
        // Different tones in the two channels, so that a swapped channel shows.
        std::string cmd = "sox -n -r " + std::to_string(f.rate) + " -e " + f.encoding + " -b " + std::to_string(f.bits) +
                          " -c " + std::to_string(f.channels) + " '" + path + "' synth 0.1 sine 440 sine 1234 vol 0.9";
        int status = -1;
        RunCommand(cmd, &status);
        ASSERT_EQ(status, 0) << cmd;

        auto kv = info(path);
        EXPECT_EQ(kv["channels"], trimmed(RunCommand("soxi -c '" + path + "'")));
        EXPECT_EQ(kv["rate"], trimmed(RunCommand("soxi -r '" + path + "'")));
        EXPECT_EQ(kv["bits"], trimmed(RunCommand("soxi -b '" + path + "'")));
        EXPECT_EQ(kv["samples"], trimmed(RunCommand("soxi -s '" + path + "'")));
        int align = f.channels * f.bits / 8;
        EXPECT_EQ(kv["block_align"], std::to_string(align));
        long samples = std::atol(kv["samples"].c_str());
        // sox puts "data" last: the samples end the file (with a pad byte if odd).
        long dataBytes = samples * align;
        EXPECT_EQ(std::atol(kv["data_offset"].c_str()), fileSize(path) - dataBytes - (dataBytes & 1));

        for (int ch = 0; ch < f.channels; ++ch) {
            std::vector<int> expected = soxSamples(path, ch);
            ASSERT_EQ(long(expected.size()), samples);
            EXPECT_EQ(toolSamples(path, 0, samples, ch), expected) << "channel " << ch;
            // A stretch hanging over both ends is padded with zeros.
            std::vector<int> edge = toolSamples(path, -3, samples + 6, ch);
            ASSERT_EQ(long(edge.size()), samples + 6);
            EXPECT_EQ(std::vector<int>(edge.begin(), edge.begin() + 3), std::vector<int>(3, 0));
            EXPECT_EQ(std::vector<int>(edge.begin() + 3, edge.end() - 3), expected);
            EXPECT_EQ(std::vector<int>(edge.end() - 3, edge.end()), std::vector<int>(3, 0));
        }
    }
}

TEST(KavrelTool, WideFilesGiveEveryChannelRoundedTo16Bits)
{
    // Six channels of 24 bits at 96 kHz, sox's extensible record.
    const std::string path = TempPath("sox-six.wav");
    int status = -1;
    RunCommand("sox -D -n -r 96000 -b 24 -c 6 '" + path + "' synth 0.01 sine 100 sine 900 sine 2000 sine 3100 sine 4000 "
               "sine 5500 vol 0.9",
               &status);
    ASSERT_EQ(status, 0);
    const ktest::ReferenceSound ref = ktest::DecodeReference(path);
    ASSERT_TRUE(ref.ok);
    std::map<std::string, std::string> kv = ktest::KeyValues(RunCommand(kTool + " info '" + path + "'"));
    EXPECT_EQ(kv["channels"], "6");
    EXPECT_EQ(kv["bits"], "24");
    EXPECT_EQ(kv["rate"], "96000");
    EXPECT_EQ(kv["samples"], std::to_string(ref.frames));
    for (int ch : {0, 5}) {
        std::vector<int> expected;
        for (long long i = 0; i < ref.frames; ++i)
            expected.push_back(ktest::Expected16FromInt32(ref.ints[size_t(i * 6 + ch)]));
        EXPECT_EQ(toolSamples(path, 0, long(ref.frames), ch), expected) << "channel " << ch;
    }
}

TEST(KavrelTool, RefusedFilesPrintTheReadersMessage)
{
    // WAV files of other codecs are refused with the codec named.
    const std::pair<const char*, const char*> codecs[] = {{"-e a-law", "6 (A-law)"}, {"-e u-law", "7 (mu-law)"},
                                                          {"-e ima-adpcm", "17 (IMA ADPCM)"}};
    for (const auto& [encoding, named] : codecs) {
        SCOPED_TRACE(encoding);
        std::string path = TempPath("sox-refused.wav");
        int status = -1;
        RunCommand(std::string("sox -n -r 8000 ") + encoding + " '" + path + "' synth 0.01 sine 440", &status);
        ASSERT_EQ(status, 0);
        std::string err = RunCommand(kTool + " info '" + path + "' 2>&1 >/dev/null", &status);
        EXPECT_EQ(status, 1);
        EXPECT_NE(err.find("не удовлетворяет текущему стандарту системы Tembrix"), std::string::npos) << err;
        EXPECT_NE(err.find(std::string("Номер формата данных = ") + named), std::string::npos) << err;
    }
    int status = -1;
    RunCommand(kTool + " info /nonexistent.wav 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
    RunCommand(kTool + " samples /nonexistent.wav zero 5 2>/dev/null", &status);
    EXPECT_EQ(status, 2);
}

TEST(KavrelTool, DemoSoundIsTheDocumentedFormat)
{
    auto kv = info(std::string(KAVREL_SOURCE_DIR) + "/demo/demo.wav");
    EXPECT_EQ(kv["channels"], "1");
    EXPECT_EQ(kv["bits"], "16");
    EXPECT_EQ(kv["rate"], "22050");
}

// Positions far outside the file read zeros; an absurd resolution is
// refused with a message instead of printing levels that are not numbers.
TEST(KavrelTool, FarPositionsAndAbsurdOptions)
{
    const std::string demo = std::string(KAVREL_SOURCE_DIR) + "/demo/demo.wav";
    int status = -1;
    EXPECT_EQ(RunCommand(kTool + " samples '" + demo + "' -9223372036854775000 2", &status), "0\n0\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RunCommand(kTool + " samples '" + demo + "' 9223372036854775000 2", &status), "0\n0\n");
    for (const char* sigmaf : {"1e300", "0.0001", "2e6"}) {
        std::string err = RunCommand(kTool + " spectrum '" + demo + "' 100 --sigmaf " + sigmaf + " 2>&1 >/dev/null", &status);
        EXPECT_EQ(status, 2) << sigmaf;
        EXPECT_NE(err.find("SigmaF должно быть числом от 0.001 до 1000000"), std::string::npos) << err;
    }
    std::string out = RunCommand(kTool + " spectrum '" + demo + "' 100 --sigmaf 1000000", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.find("nan"), std::string::npos);
    // A pipe named as the sound is refused at once, not waited on.
    const std::string fifo = TempPath("tool-fifo.wav");
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string err = RunCommand("timeout 10 " + kTool + " info '" + fifo + "' 2>&1 >/dev/null", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("это не обычный файл"), std::string::npos) << err;
    std::remove(fifo.c_str());
}
