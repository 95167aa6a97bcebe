// Windows-1251 <-> UTF-8, and UTF-8 <-> UTF-16, at the boundary of files
// whose format says 8-bit text.
#pragma once
#include <string>
#include <string_view>

// Converts text to Windows-1251. Returns false (and puts '?' in the place of
// each such character) when the text holds a character the code page lacks.
bool Utf8ToCp1251(std::string_view utf8, std::string& cp1251);
std::string Cp1251ToUtf8(std::string_view cp1251);

// Invalid UTF-8 sequences become U+FFFD; unpaired surrogates likewise.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// Appends code point c to out as UTF-8.
void KAppendUtf8(std::string& out, char32_t c);
