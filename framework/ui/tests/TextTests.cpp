#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QStringList>

#include "testsupport/QtTestApp.h"
#include "framework/ui/CDC.h"
#include "framework/ui/CSurface.h"
#include "testsupport/SurfaceInk.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

using ktest::Ink;

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktest::EnsureQtApplication();
        ASSERT_TRUE(font.CreateFont(14, 8, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, "Arial Cyr"));
        dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
    }
    CSurface s{200, 120, kWhite};
    CDC dc{&s};
    CFont font;
};

}  // namespace

TEST_F(TextTest, CyrillicFaceIsChosenAndCellHeightIsKept)
{
    const QString face = QString::fromStdString(font.ResolvedFace());
    ASSERT_FALSE(face.isEmpty());
    EXPECT_TRUE(QFontDatabase::families(QFontDatabase::Cyrillic).contains(face)) << face.toStdString();
    CFont serif;
    serif.CreateFont(20, 0, 0, 0, FW_SEMIBOLD, 1, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Times New Roman Cyr");
    EXPECT_TRUE(QFontDatabase::families(QFontDatabase::Cyrillic)
                    .contains(QString::fromStdString(serif.ResolvedFace())));

    const CSize ext = dc.GetTextExtent("0");
    EXPECT_LE(ext.cy, 14);
    EXPECT_GE(ext.cy, 12);
    EXPECT_GT(dc.GetTextExtent("0000").cx, 3 * ext.cx);
}

TEST_F(TextTest, CyrillicDrawsInkInTwoColoursOnly)
{
    dc.SetTextColor(RGB(0, 0, 255));
    dc.TextOut(10, 10, "Запись ведется в файл");
    const CRect ink = Ink(s, kWhite);
    EXPECT_GT(ink.Width(), 50);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const COLORREF c = s.GetPixel(x, y);
            ASSERT_TRUE(c == kWhite || c == RGB(0, 0, 255)) << std::hex << c;
        }
}

TEST_F(TextTest, AlignmentPutsTheReferencePointOnTheCell)
{
    const char* text = "НЕН";  // no descenders
    const CSize ext = dc.GetTextExtent(text);

    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.TextOut(50, 40, text);
    CRect ink = Ink(s, kWhite);
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.left, 53);
    EXPECT_GE(ink.top, 40);
    EXPECT_LE(ink.bottom, 40 + ext.cy);

    s.Fill(kWhite);
    dc.SetTextAlign(TA_RIGHT | TA_TOP);
    dc.TextOut(150, 40, text);
    ink = Ink(s, kWhite);
    EXPECT_LE(ink.right, 150);
    EXPECT_GE(ink.right, 146);
    EXPECT_GE(ink.top, 40);

    s.Fill(kWhite);
    dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
    dc.TextOut(100, 60, text);
    ink = Ink(s, kWhite);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 2.0);
    EXPECT_LE(ink.bottom, 60);
    EXPECT_GE(ink.top, 60 - ext.cy);

    s.Fill(kWhite);
    dc.SetTextAlign(TA_LEFT | TA_BASELINE);
    dc.TextOut(50, 60, text);
    ink = Ink(s, kWhite);
    EXPECT_EQ(ink.bottom, 60);  // capitals stand on the baseline
    EXPECT_LT(ink.top, 60 - ext.cy / 2);
}

TEST_F(TextTest, UpdateCurrentPositionAdvancesByTheExtent)
{
    dc.SetTextAlign(TA_UPDATECP);
    dc.MoveTo(5, 5);
    dc.TextOut(0, 0, "abc");
    EXPECT_EQ(dc.MoveTo(0, 0), CPoint(5 + dc.GetTextExtent("abc").cx, 5));
    EXPECT_GE(Ink(s, kWhite).left, 5);
}

TEST_F(TextTest, EscapementNineHundredReadsUpwards)
{
    CFont vertical;
    LOGFONT lf{};
    font.GetLogFont(&lf);
    lf.lfEscapement = 900;
    ASSERT_TRUE(vertical.CreateFontIndirect(&lf));
    dc.SelectObject(&vertical);
    dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    dc.TextOut(100, 110, "-10 дБ -20 дБ");
    const CRect ink = Ink(s, kWhite);
    EXPECT_GT(ink.Height(), 3 * ink.Width());
    EXPECT_LE(ink.bottom, 111);  // runs up from the reference point
    EXPECT_LT(ink.top, 60);
}

TEST_F(TextTest, OpaqueBackgroundFillsTheCellTransparentDoesNot)
{
    dc.SetBkColor(RGB(0x7F, 0, 0));
    dc.SetTextColor(RGB(255, 255, 0));
    dc.TextOut(10, 10, "дБ");
    EXPECT_EQ(Ink(s, kWhite).top >= 10, true);
    EXPECT_EQ(s.GetPixel(10, 10), kWhite);

    s.Fill(kWhite);
    dc.SetBkMode(OPAQUE);
    dc.TextOut(10, 10, "дБ");
    const CSize ext = dc.GetTextExtent("дБ");
    EXPECT_EQ(Ink(s, kWhite), CRect(10, 10, 10 + ext.cx, 10 + ext.cy));
    EXPECT_EQ(s.GetPixel(10, 10), RGB(0x7F, 0, 0));
}

TEST_F(TextTest, TextRespectsClipping)
{
    dc.ExcludeClipRect(0, 0, 200, 30);
    dc.SetBkMode(OPAQUE);
    dc.TextOut(10, 20, "Спектр");
    const CRect ink = Ink(s, kWhite);
    EXPECT_FALSE(ink.IsRectEmpty());
    EXPECT_GE(ink.top, 30);
}

TEST_F(TextTest, DrawTextWrapsAndCentres)
{
    const char* caption = "Запись ведется в файл :\n\n/tmp/запись.wav";
    const CSize line = dc.GetTextExtent("Ж");
    CRect calc(20, 10, 120, 10);
    const int h = dc.DrawText(caption, &calc, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(h, 4 * line.cy);  // the first line does not fit in 100 pixels
    EXPECT_EQ(calc.bottom - calc.top, h);
    EXPECT_EQ(Ink(s, kWhite), CRect());  // measuring draws nothing

    CRect r(20, 10, 120, 110);
    dc.DrawText(caption, &r, DT_CENTER | DT_WORDBREAK);
    const CRect ink = Ink(s, kWhite);
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 120);
    EXPECT_GE(ink.top, 10);
    EXPECT_GE(ink.Height(), 3 * line.cy);

    s.Fill(kWhite);
    CRect one(0, 0, 200, 100);
    dc.DrawText("0 дБ", &one, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const CRect ink2 = Ink(s, kWhite);
    EXPECT_LE(ink2.right, 200);
    EXPECT_GE(ink2.right, 195);
    EXPECT_LE(ink2.bottom, 100);
    EXPECT_GE(ink2.top, 100 - line.cy);
}
