// The platform's plain type names, as the suite's classes use them.
// Widths are fixed where files are concerned; `long` stays the machine's.
#pragma once
#include <cstdint>

typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef int BOOL;
typedef std::uint32_t FOURCC;
typedef std::intptr_t LPARAM;
typedef std::uintptr_t WPARAM;
typedef std::uint32_t COLORREF;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d)
{
    return FOURCC(BYTE(a)) | (FOURCC(BYTE(b)) << 8) | (FOURCC(BYTE(c)) << 16) | (FOURCC(BYTE(d)) << 24);
}
