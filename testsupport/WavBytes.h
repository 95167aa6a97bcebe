// WAV files for tests, byte by byte from the RIFF layout, so that the
// reader is checked against the format rather than against our writer.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "testsupport/TempFiles.h"

namespace wavbytes {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, unsigned v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

inline void put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

inline void putId(Bytes& b, const char* id)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(id[i]));
}

inline Bytes chunk(const char* id, const Bytes& body, std::uint32_t claimedSize = 0xFFFFFFFF)
{
    Bytes b;
    putId(b, id);
    put32(b, claimedSize == 0xFFFFFFFF ? std::uint32_t(body.size()) : claimedSize);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1)
        b.push_back(0);
    return b;
}

inline Bytes fmtBody(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits, int blockAlign = -1)
{
    unsigned align = blockAlign < 0 ? channels * bits / 8 : unsigned(blockAlign);
    Bytes b;
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * align);
    put16(b, align);
    put16(b, bits);
    return b;
}

// The body of a WAVE_FORMAT_EXTENSIBLE "fmt " chunk: the record, cbSize 22,
// the valid bits, the channel mask and the subformat GUID, whose leading tag
// (1 PCM, 3 float) is subTag and whose standard tail is spoilt when badTail.
inline Bytes extensibleFmtBody(unsigned channels, std::uint32_t rate, unsigned bits, unsigned validBits,
                               std::uint32_t mask, unsigned subTag, bool badTail = false, int blockAlign = -1)
{
    Bytes b = fmtBody(0xFFFE, channels, rate, bits, blockAlign);
    put16(b, 22);
    put16(b, validBits);
    put32(b, mask);
    put32(b, subTag);
    const Bytes tail = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    b.insert(b.end(), tail.begin(), tail.end());
    if (badTail)
        b.back() ^= 0x5A;
    return b;
}

// Samples of 24 bits, little-endian.
inline Bytes samples24(const std::vector<int>& v)
{
    Bytes b;
    for (int s : v)
        for (int i = 0; i < 3; ++i)
            b.push_back(std::uint8_t(unsigned(s) >> (8 * i)));
    return b;
}

// A RIFF WAVE form of the given chunks; riffSize overrides the true size.
inline Bytes riff(const std::vector<Bytes>& chunks, std::uint32_t riffSize = 0xFFFFFFFF)
{
    Bytes body;
    putId(body, "WAVE");
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putId(b, "RIFF");
    put32(b, riffSize == 0xFFFFFFFF ? std::uint32_t(body.size()) : riffSize);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline Bytes samples16(const std::vector<int>& v)
{
    Bytes b;
    for (int s : v)
        put16(b, unsigned(s) & 0xFFFF);
    return b;
}

inline Bytes pcm16(unsigned channels, std::uint32_t rate, const std::vector<int>& interleaved)
{
    return riff({chunk("fmt ", fmtBody(1, channels, rate, 16)), chunk("data", samples16(interleaved))});
}

// The same for samples held as shorts.
inline Bytes pcm16s(unsigned channels, std::uint32_t rate, const std::vector<short>& interleaved)
{
    return pcm16(channels, rate, std::vector<int>(interleaved.begin(), interleaved.end()));
}

inline std::string tempPath(const std::string& name)
{
    return ktest::TempPath(name);
}

inline std::string writeFile(const std::string& name, const Bytes& b)
{
    std::string path = tempPath(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (!b.empty()) // an empty vector's data may be null, which fwrite must not get
            std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    return path;
}

inline Bytes readFile(const std::string& path)
{
    Bytes b;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return b;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        b.push_back(std::uint8_t(c));
    std::fclose(f);
    return b;
}

} // namespace wavbytes
