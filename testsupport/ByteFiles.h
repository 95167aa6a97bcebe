// Files as bytes, and byte vectors written out by hand: the layouts that
// the tests check files against.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/base/Types.h"
#include "testsupport/TempFiles.h"

namespace kavrel_test {

using Bytes = std::vector<BYTE>;

using ktest::ScratchDir;

inline Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Concatenates byte lists and text: Cat({0x01, 0x02}, "RIFF", ...).
struct Piece {
    Bytes b;
    Piece(std::initializer_list<int> v) { for (int x : v) b.push_back(BYTE(x)); }
    Piece(const char* s) : b(s, s + std::char_traits<char>::length(s)) {}
    Piece(std::string_view s) : b(s.begin(), s.end()) {}
    Piece(const Bytes& v) : b(v) {}
};
inline Bytes Cat(std::initializer_list<Piece> pieces)
{
    Bytes out;
    for (const Piece& p : pieces)
        out.insert(out.end(), p.b.begin(), p.b.end());
    return out;
}

// A little-endian DWORD as four bytes.
inline Bytes Le32(DWORD v) { return Bytes{BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

// The first offset at which two byte lists differ (the shorter one's size
// when one begins the other), -1 when they are equal: where a format went wrong.
inline long FirstDifference(const Bytes& a, const Bytes& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return long(i);
    return a.size() == b.size() ? -1 : long(n);
}

} // namespace kavrel_test
