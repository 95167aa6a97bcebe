// Windows-1251 against glibc's iconv, and the UTF-16 conversions against
// the compiler's own u"" literals.
#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>
#include <stdexcept>
#include <string>

#include "framework/base/Cp1251.h"

namespace {

// Converts with iconv; false when iconv rejects the input.
bool Iconv(const char* from, const char* to, const std::string& in, std::string& out)
{
    iconv_t cd = ::iconv_open(to, from);
    if (cd == iconv_t(-1))
        throw std::runtime_error(std::string("iconv_open failed: ") + from + " -> " + to);
    std::string src = in;
    char buf[256];
    char* pin = src.data();
    size_t inLeft = src.size();
    char* pout = buf;
    size_t outLeft = sizeof buf;
    size_t r = ::iconv(cd, &pin, &inLeft, &pout, &outLeft);
    ::iconv_close(cd);
    out.assign(buf, size_t(pout - buf));
    return r != size_t(-1) && inLeft == 0;
}

std::string Byte(int b) { return std::string(1, char(b)); }

} // namespace

TEST(Cp1251, UpperHalfMatchesIconv)
{
    for (int b = 0x80; b < 0x100; ++b) {
        std::string expected;
        bool known = Iconv("CP1251", "UTF-8", Byte(b), expected);
        if (b == 0x98) { // unassigned in Windows-1251
            EXPECT_FALSE(known);
            continue;
        }
        ASSERT_TRUE(known) << "iconv rejects 0x" << std::hex << b;
        EXPECT_EQ(Cp1251ToUtf8(Byte(b)), expected) << "byte 0x" << std::hex << b;
        std::string back;
        EXPECT_TRUE(Utf8ToCp1251(expected, back)) << "byte 0x" << std::hex << b;
        EXPECT_EQ(back, Byte(b)) << "byte 0x" << std::hex << b;
    }
}

TEST(Cp1251, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b < 0x100; ++b)
        all += char(b);
    all += '\0';
    std::string utf8 = Cp1251ToUtf8(all), back;
    EXPECT_TRUE(Utf8ToCp1251(utf8, back));
    EXPECT_EQ(back, all);
}

TEST(Cp1251, KnownText)
{
    std::string narrow;
    EXPECT_TRUE(Utf8ToCp1251("Привет, ёж № 5 € «»", narrow));
    EXPECT_EQ(narrow, "\xCF\xF0\xE8\xE2\xE5\xF2, \xB8\xE6 \xB9 5 \x88 \xAB\xBB");
    EXPECT_EQ(Cp1251ToUtf8(narrow), "Привет, ёж № 5 € «»");
}

TEST(Cp1251, CharactersOutsideTheCodePageAreReplacedAndReported)
{
    // Each is outside Windows-1251 by iconv's word as well as ours.
    for (const char* c : {"ü", "é", "Ä", "日", "ł", "😀", "\xEF\xBF\xBD"}) {
        std::string viaIconv;
        EXPECT_FALSE(Iconv("UTF-8", "CP1251", c, viaIconv)) << c;
        std::string narrow;
        EXPECT_FALSE(Utf8ToCp1251(std::string("a") + c + "Ж", narrow)) << c;
        EXPECT_EQ(narrow, "a?\xC6") << c;
    }
    // Malformed UTF-8 (a stray continuation byte, a truncated sequence, an
    // overlong '/', an encoded surrogate) is not silently accepted either.
    for (const char* bad : {"\x80", "\xD0", "\xC0\xAF", "\xED\xA0\x80"}) {
        std::string narrow;
        EXPECT_FALSE(Utf8ToCp1251(bad, narrow)) << testing::PrintToString(bad);
        EXPECT_EQ(narrow.find_first_not_of('?'), std::string::npos);
    }
}

TEST(Cp1251, Utf16Conversions)
{
    EXPECT_EQ(Utf8ToUtf16("Речь, ёЁ"), u"Речь, ёЁ");
    EXPECT_EQ(Utf16ToUtf8(u"Речь, ёЁ"), "Речь, ёЁ");

    // Outside the BMP: a surrogate pair each way.
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9D\x84\x9E"), std::u16string({char16_t(0xD834), char16_t(0xDD1E)})); // U+1D11E
    EXPECT_EQ(Utf8ToUtf16("😀x"), u"😀x");
    EXPECT_EQ(Utf16ToUtf8(u"a😀b"), "a\xF0\x9F\x98\x80" "b");

    // Unpaired surrogates and malformed UTF-8 become U+FFFD.
    EXPECT_EQ(Utf16ToUtf8(std::u16string({char16_t(0xD800), u'a'})), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string({char16_t(0xDC00)})), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF" "a"), u"\uFFFDa");

    // Agrees with iconv on a mixed text.
    std::string mixed = "Звук 日本 😀 ü";
    std::string le;
    ASSERT_TRUE(Iconv("UTF-8", "UTF-16LE", mixed, le));
    std::u16string wide = Utf8ToUtf16(mixed);
    ASSERT_EQ(le.size(), wide.size() * 2);
    for (size_t i = 0; i < wide.size(); ++i)
        EXPECT_EQ(char16_t((unsigned char)le[2 * i] | ((unsigned char)le[2 * i + 1] << 8)), wide[i]) << i;
    EXPECT_EQ(Utf16ToUtf8(wide), mixed);
}
