#include <gtest/gtest.h>

#include <string>

#include "framework/base/CString.h"

TEST(CString, FormatWithCyrillicAndLongResults)
{
    CString s;
    s.Format("%s: %d Гц, %.1f дБ", "Частота", 440, -3.5);
    EXPECT_EQ(s, "Частота: 440 Гц, -3.5 дБ");

    // Results around and far past any fixed first buffer.
    for (size_t n : {510u, 511u, 512u, 513u, 4000u}) {
        std::string body(n - 2, 'x');
        s.Format("[%s]", body.c_str());
        EXPECT_EQ(s.GetLength(), int(n));
        EXPECT_EQ(s.str(), "[" + body + "]");
    }
    std::string word;
    for (int i = 0; i < 100; ++i)
        word += "Слово";                         // 1000 bytes of Cyrillic
    s.Format("%s|%d|%s", word.c_str(), 7, word.c_str());
    EXPECT_EQ(s.str(), word + "|7|" + word);

    // Its own text as an argument, in both the short and the long case.
    s = "ж";
    s.Format("%s+%s", s.GetString(), s.GetString());
    EXPECT_EQ(s, "ж+ж");
    s = word.c_str();
    s.Format("%s%s", s.GetString(), "!");
    EXPECT_EQ(s.str(), word + "!");

    s = "начало ";
    s.AppendFormat("%s %05d", word.c_str(), 42);
    EXPECT_EQ(s.str(), "начало " + word + " 00042");
}

TEST(CString, LeftRightMidAtTheirBounds)
{
    const CString s("abcdef");
    EXPECT_EQ(s.Left(3), "abc");
    EXPECT_EQ(s.Left(0), "");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(100), "abcdef");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(0), "");
    EXPECT_EQ(s.Right(-4), "");
    EXPECT_EQ(s.Right(6), "abcdef");
    EXPECT_EQ(s.Right(100), "abcdef");
    EXPECT_EQ(s.Mid(2), "cdef");
    EXPECT_EQ(s.Mid(-3), "abcdef");
    EXPECT_EQ(s.Mid(6), "");
    EXPECT_EQ(s.Mid(100), "");
    EXPECT_EQ(s.Mid(1, 2), "bc");
    EXPECT_EQ(s.Mid(4, 100), "ef");
    EXPECT_EQ(s.Mid(-1, 2), "ab");
    EXPECT_EQ(s.Mid(2, 0), "");
    EXPECT_EQ(s.Mid(2, -1), "");
    EXPECT_EQ(s.Mid(6, 1), "");
    EXPECT_EQ(CString().Left(1), "");
    EXPECT_EQ(CString().Right(1), "");
    EXPECT_EQ(CString().Mid(0, 1), "");
}

TEST(CString, FindAndReverseFind)
{
    const CString path("/home/user/Записи/слово.wav");
    EXPECT_EQ(path.Find('/'), 0);
    EXPECT_EQ(path.Find('/', 1), 5);
    EXPECT_EQ(path.Find('z'), -1);
    EXPECT_EQ(path.Find('/', 1000), -1);
    EXPECT_EQ(path.Find('h', -5), 1);
    EXPECT_EQ(path.Find("user"), 6);
    EXPECT_EQ(path.Find("user", 7), -1);
    EXPECT_EQ(path.Find("Записи"), 11);                       // byte offsets: UTF-8
    EXPECT_EQ(path.Find(".wav", 1000), -1);
    EXPECT_EQ(path.ReverseFind('/'), 11 + int(std::string("Записи").size()));
    EXPECT_EQ(path.ReverseFind('.'), path.GetLength() - 4);
    EXPECT_EQ(path.ReverseFind('#'), -1);
    EXPECT_EQ(CString().ReverseFind('/'), -1);
}

TEST(CString, Replace)
{
    CString s("a.b.c");
    EXPECT_EQ(s.Replace(".", "::"), 2);
    EXPECT_EQ(s, "a::b::c");

    s = "aaa"; // the new text holds the old one: no endless loop, no rescanning
    EXPECT_EQ(s.Replace("a", "aa"), 3);
    EXPECT_EQ(s, "aaaaaa");

    s = "aaaaa"; // non-overlapping, left to right
    EXPECT_EQ(s.Replace("aa", "b"), 2);
    EXPECT_EQ(s, "bba");

    s = "мама мыла раму";
    EXPECT_EQ(s.Replace("ма", "па"), 2);
    EXPECT_EQ(s, "папа мыла раму");
    EXPECT_EQ(s.Replace(" ", ""), 2);
    EXPECT_EQ(s, "папамылараму");

    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s.Replace(nullptr, "x"), 0);
    EXPECT_EQ(s.Replace("нет", "x"), 0);
    EXPECT_EQ(s, "папамылараму");
}

TEST(CString, CaseAndTrimTouchAsciiOnly)
{
    CString s("  \tWAV Файл.WAV \r\n");
    s.Trim().MakeLower();
    EXPECT_EQ(s, "wav Файл.wav");
    EXPECT_EQ(CString("Demo.WAV").CompareNoCase("demo.wav"), 0);
    EXPECT_LT(CString("a").Compare("b"), 0);
    EXPECT_EQ(CString('-', 3), "---");
    EXPECT_EQ(CString('-', -1), "");
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)), "");
}
