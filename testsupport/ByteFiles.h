// Helpers shared by the framework/base tests: a scratch folder that is
// removed afterwards, and byte vectors written out by hand.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/base/TempFile.h"
#include "framework/base/Types.h"

namespace kavrel_test {

using Bytes = std::vector<BYTE>;

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string t = KGetTempPath().str() + "kbt-XXXXXX";
        if (!::mkdtemp(t.data()))
            throw std::runtime_error("mkdtemp failed in " + KGetTempPath().str());
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

} // namespace kavrel_test
