// Praat's TextGrid: the long form written exactly as Praat writes it (the
// text below is a file Praat 6.3 saved, character for character), read back
// in the long and the short form and in UTF-16 of either byte order; the
// malformed and hostile files each refused at the line where they go wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/base/Cp1251.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KTextGrid.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/TempFiles.h"

namespace {

// Praat's "Save as text file" (UTF-8) of a grid of 0..2.5 s: tier "a" with
// "привет", a gap and a label with quotes; tier "b"; a point tier "c".
const char* const kLong =
    "File type = \"ooTextFile\"\n"
    "Object class = \"TextGrid\"\n"
    "\n"
    "xmin = 0 \n"
    "xmax = 2.5 \n"
    "tiers? <exists> \n"
    "size = 3 \n"
    "item []: \n"
    "    item [1]:\n"
    "        class = \"IntervalTier\" \n"
    "        name = \"a\" \n"
    "        xmin = 0 \n"
    "        xmax = 2.5 \n"
    "        intervals: size = 3 \n"
    "        intervals [1]:\n"
    "            xmin = 0 \n"
    "            xmax = 0.5 \n"
    "            text = \"привет\" \n"
    "        intervals [2]:\n"
    "            xmin = 0.5 \n"
    "            xmax = 1.25 \n"
    "            text = \"\" \n"
    "        intervals [3]:\n"
    "            xmin = 1.25 \n"
    "            xmax = 2.5 \n"
    "            text = \"say \"\"hi\"\"\" \n"
    "    item [2]:\n"
    "        class = \"IntervalTier\" \n"
    "        name = \"b\" \n"
    "        xmin = 0 \n"
    "        xmax = 2.5 \n"
    "        intervals: size = 2 \n"
    "        intervals [1]:\n"
    "            xmin = 0 \n"
    "            xmax = 0.1 \n"
    "            text = \"\" \n"
    "        intervals [2]:\n"
    "            xmin = 0.1 \n"
    "            xmax = 2.5 \n"
    "            text = \"x\" \n"
    "    item [3]:\n"
    "        class = \"TextTier\" \n"
    "        name = \"c\" \n"
    "        xmin = 0 \n"
    "        xmax = 2.5 \n"
    "        points: size = 1 \n"
    "        points [1]:\n"
    "            number = 0.7 \n"
    "            mark = \"pt\" \n";

// The same grid as Praat's "Save as short text file" writes it.
const char* const kShort = "File type = \"ooTextFile\"\n"
                           "Object class = \"TextGrid\"\n"
                           "\n0\n2.5\n<exists>\n3\n"
                           "\"IntervalTier\"\n\"a\"\n0\n2.5\n3\n"
                           "0\n0.5\n\"привет\"\n0.5\n1.25\n\"\"\n1.25\n2.5\n\"say \"\"hi\"\"\"\n"
                           "\"IntervalTier\"\n\"b\"\n0\n2.5\n2\n"
                           "0\n0.1\n\"\"\n0.1\n2.5\n\"x\"\n"
                           "\"TextTier\"\n\"c\"\n0\n2.5\n1\n"
                           "0.7\n\"pt\"\n";

KTextGrid Expected()
{
    KTextGrid g;
    g.xmin = 0;
    g.xmax = 2.5;
    KTextGridTier a;
    a.name = "a";
    a.xmax = 2.5;
    a.intervals = {{0, 0.5, "привет"}, {0.5, 1.25, ""}, {1.25, 2.5, "say \"hi\""}};
    KTextGridTier b;
    b.name = "b";
    b.xmax = 2.5;
    b.intervals = {{0, 0.1, ""}, {0.1, 2.5, "x"}};
    KTextGridTier c;
    c.bIntervals = false;
    c.name = "c";
    c.xmax = 2.5;
    c.points = {{0.7, "pt"}};
    g.tiers = {a, b, c};
    return g;
}

::testing::AssertionResult SameGrid(const KTextGrid& got, const KTextGrid& want)
{
    if (got.xmin != want.xmin || got.xmax != want.xmax)
        return ::testing::AssertionFailure() << "domain " << got.xmin << ".." << got.xmax;
    if (got.tiers.size() != want.tiers.size())
        return ::testing::AssertionFailure() << got.tiers.size() << " tiers";
    for (size_t i = 0; i < want.tiers.size(); ++i) {
        const KTextGridTier &g = got.tiers[i], &w = want.tiers[i];
        if (g.bIntervals != w.bIntervals || g.name != w.name || g.xmin != w.xmin || g.xmax != w.xmax ||
            g.intervals.size() != w.intervals.size() || g.points.size() != w.points.size())
            return ::testing::AssertionFailure() << "tier " << i + 1 << " \"" << g.name << "\"";
        for (size_t k = 0; k < w.intervals.size(); ++k)
            if (g.intervals[k].xmin != w.intervals[k].xmin || g.intervals[k].xmax != w.intervals[k].xmax ||
                g.intervals[k].text != w.intervals[k].text)
                return ::testing::AssertionFailure() << "tier " << i + 1 << " interval " << k + 1 << " \""
                                                     << g.intervals[k].text << "\"";
        for (size_t k = 0; k < w.points.size(); ++k)
            if (g.points[k].time != w.points[k].time || g.points[k].mark != w.points[k].mark)
                return ::testing::AssertionFailure() << "tier " << i + 1 << " point " << k + 1;
    }
    return ::testing::AssertionSuccess();
}

std::string Utf16(const std::string& utf8, bool bigEndian)
{
    std::string b = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : Utf8ToUtf16(utf8)) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        b += bigEndian ? hi : lo;
        b += bigEndian ? lo : hi;
    }
    return b;
}

KTextGridError Refusal(const std::string& text)
{
    KTextGrid g;
    KTextGridError e;
    EXPECT_FALSE(KReadTextGrid(text, g, e)) << text;
    EXPECT_TRUE(g.tiers.empty());
    return e;
}

} // namespace

TEST(KTextGrid, WritesTheLongFormCharacterForCharacterAsPraat)
{
    EXPECT_EQ(KTextGridLongText(Expected()), kLong);
    // Numbers in the fewest digits that read back the same; no tiers is "<absent>".
    KTextGrid g;
    g.xmin = 1.0 / 3;
    g.xmax = 1e-5;
    EXPECT_EQ(KTextGridLongText(g), "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n"
                                    "xmin = 0.3333333333333333 \nxmax = 1e-05 \ntiers? <absent> \n");
}

TEST(KTextGrid, ReadsTheLongAndShortFormsInUtf8AndUtf16)
{
    const std::string forms[] = {kLong, kShort};
    for (const std::string& text : forms) {
        for (const std::string& bytes :
             {text, "\xEF\xBB\xBF" + text, Utf16(text, true), Utf16(text, false), Utf16(text, false).substr(2)}) {
            KTextGrid g;
            KTextGridError e;
            ASSERT_TRUE(KReadTextGrid(bytes, g, e)) << e.nLine << ": " << e.sReason.GetString();
            EXPECT_TRUE(SameGrid(g, Expected()));
        }
    }
    // Comments, Windows line ends, a label string over two lines, "!" inside
    // a string, Praat's other number forms and the old short file type.
    const std::string odd = "File type = \"ooTextFile short\"\r\n\"TextGrid\" ! the class\r\n"
                            "+0 2.5E0 <exists> 1 ! one tier\r\n"
                            "\"IntervalTier\" \"a ! b\" 0 250% 2\r\n"
                            "0 .5 \"two\r\nlines\" 0.5 2.5 \"\"\r\n";
    KTextGrid g;
    KTextGridError e;
    ASSERT_TRUE(KReadTextGrid(odd, g, e)) << e.nLine << ": " << e.sReason.GetString();
    ASSERT_EQ(g.tiers.size(), 1u);
    EXPECT_EQ(g.tiers[0].name, "a ! b");
    EXPECT_EQ(g.tiers[0].xmax, 2.5);
    ASSERT_EQ(g.tiers[0].intervals.size(), 2u);
    EXPECT_EQ(g.tiers[0].intervals[0].xmax, 0.5);
    EXPECT_EQ(g.tiers[0].intervals[0].text, "two\r\nlines");

    // What is written reads back, whatever the strings hold.
    KTextGrid w = Expected();
    w.tiers[0].intervals[1].text = "\"\" ! \"\n<exists>\n\"";
    w.tiers[2].points[0].mark = "\"";
    ASSERT_TRUE(KReadTextGrid(KTextGridLongText(w), g, e));
    EXPECT_TRUE(SameGrid(g, w));
}

TEST(KTextGrid, MalformedAndHostileFilesAreRefusedAtTheirLine)
{
    const std::string head = "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n";
    struct Case {
        std::string text;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"", 1, "нет строки File type"},
        {"\"Praat chronological TextGrid text file\"\n0 1\n", 1, "хронологический"},
        {"File type = \"ooTextFile\"\nObject class = \"Sound\"\n", 2, "класса «Sound»"},
        {head + "0\n", 4, "файл кончился"},
        {head + "1\n1\n", 5, "конец TextGrid не позже его начала"},
        {head + "0\nxyz\n", 5, "файл кончился"},
        {head + "0\n1\n<maybe>\n", 6, "<exists> или <absent>"},
        {head + "0\n1\n<exists\n", 6, "без закрывающего"},
        {head + "0 1 <exists> 1\n\"PointTier\"", 5, "неизвестный класс слоя «PointTier»"},
        {head + "0 1 <exists> 2.5\n", 4, "целое неотрицательное"},
        {head + "0 1 <exists> -1\n", 4, "целое неотрицательное"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 1\n0 --undefined-- \"\"\n", 6, "ожидалось число"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 1\n0.5 0.25 \"\"\n", 6, "кончается раньше"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 1\n0 1 2\n", 6, "ожидалась строка в кавычках"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 1\n0 1 \"never\nclosed\n", 6, "не закрыта"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 2\n0 1 \"x\"\n", 6, "файл кончился"},
        {head + "0 1e400 <exists> 0\n", 4, "ожидалось число"},
        // Counts are held against what is left of the file, before anything is made of them.
        {head + "0 1 <exists> 4000000000\n", 4, "больше, чем может поместиться"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 99999999999999999999\n", 5, "больше, чем может"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"\xD0\" 0 1 0\n", 5, "не в кодировке UTF-8"},
        {head + "0 1 <exists> 1\n\"IntervalTier\" \"\xED\xA0\x80\" 0 1 0\n", 5, "не в кодировке UTF-8"},
    };
    for (const Case& c : cases) {
        const KTextGridError e = Refusal(c.text);
        EXPECT_EQ(e.nLine, c.line) << c.text;
        EXPECT_NE(e.sReason.str().find(c.reason), std::string::npos) << c.text << "\n" << e.sReason.GetString();
    }
    // UTF-16: the line is counted in the text; cut in the middle of a unit, or a lone surrogate.
    EXPECT_EQ(Refusal(Utf16(head + "0 1 <maybe>", false)).nLine, 4);
    EXPECT_EQ(Refusal(Utf16(head, true) + std::string(1, '\0')).nLine, 4);
    const KTextGridError lone = Refusal(Utf16(head, false) + std::string("\x00\xD8\x41\x00", 4));
    EXPECT_EQ(lone.nLine, 4);
    EXPECT_NE(lone.sReason.str().find("суррогат"), std::string::npos);
}

TEST(KTextGrid, FilesAreReadOnlyWhenRegularAndNeverWrittenOverAnother)
{
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    KTextGrid g;
    KTextGridError e;
    EXPECT_FALSE(KReadTextGridFile(dir.path().c_str(), g, e));
    EXPECT_EQ(e.nLine, 0);
    EXPECT_FALSE(KReadTextGridFile((dir / "none.TextGrid").c_str(), g, e));
    const CString message = KTextGridErrorMessage("x.TextGrid", {7, "ожидалось число"});
    EXPECT_EQ(message, CString("Не удалось прочитать TextGrid\nx.TextGrid\n\nСтрока 7: ожидалось число."));

    const std::string path = dir / "out.TextGrid";
    ASSERT_TRUE(KWriteTextGridFile(path.c_str(), Expected()));
    ASSERT_TRUE(KReadTextGridFile(path.c_str(), g, e));
    EXPECT_TRUE(SameGrid(g, Expected()));
    kavrel_test::WriteAll(path, kavrel_test::Bytes{'x'});
    EXPECT_FALSE(KWriteTextGridFile(path.c_str(), Expected()));
    EXPECT_EQ(kavrel_test::ReadAll(path), kavrel_test::Bytes{'x'});
    EXPECT_TRUE(ktest::WasTold(ui, "не будет перезаписан"));
}
