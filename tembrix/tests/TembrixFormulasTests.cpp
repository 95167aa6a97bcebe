// The workshop's arithmetic: free levels, the status panes' texts, the
// ruler's step and labels, the strip's geometry and the background's measures.
#include <gtest/gtest.h>

#include <memory>

#include "tembrix/TembrixFormulas.h"

namespace {

std::unique_ptr<CKPhoneObject> Object(int first, int last, int level)
{
    auto po = std::make_unique<CKPhoneObject>();
    po->nFirstSample = first;
    po->nLastSample = last;
    po->nLevel = level;
    return po;
}

} // namespace

TEST(TembrixFormulas, FreeLevelIsTheLowestNotHeldByAStrictOverlap)
{
    auto a = Object(100, 200, 0), b = Object(150, 300, 1), c = Object(300, 400, 2);
    const std::vector<const CKPhoneObject*> objects = {a.get(), b.get(), c.get()};
    EXPECT_EQ(LowestFreeLevel({}, 0, 10), 0);
    EXPECT_EQ(LowestFreeLevel(objects, 180, 250), 2); // a and b overlap, c does not
    EXPECT_EQ(LowestFreeLevel(objects, 200, 250), 0); // a ends where the selection begins: it only touches
    EXPECT_EQ(LowestFreeLevel(objects, 50, 100), 0);  // a begins where the selection ends
    EXPECT_EQ(LowestFreeLevel(objects, 250, 350), 0); // b and c hold 1 and 2; 0 is free

    std::vector<std::unique_ptr<CKPhoneObject>> all;
    std::vector<const CKPhoneObject*> full;
    for (int k = 0; k < 128; ++k) {
        all.push_back(Object(0, 1000, k));
        full.push_back(all.back().get());
    }
    EXPECT_EQ(LowestFreeLevel(full, 10, 20), -1);
    full.erase(full.begin() + 3);
    EXPECT_EQ(LowestFreeLevel(full, 10, 20), 3);
}

TEST(TembrixFormulas, CaretFrequencyDecimalsFollowTheDecade)
{
    EXPECT_STREQ(FormatCaretFrequency(0), "0.000 Гц");
    EXPECT_STREQ(FormatCaretFrequency(12.5), "12.500 Гц");
    EXPECT_STREQ(FormatCaretFrequency(5), "5.0000 Гц");
    EXPECT_STREQ(FormatCaretFrequency(440), "440.00 Гц");
    EXPECT_STREQ(FormatCaretFrequency(3000), "3000.0 Гц");
    EXPECT_STREQ(FormatCaretFrequency(20000), "20000 Гц");
    EXPECT_STREQ(FormatCaretFrequency(150000), "150000.000 Гц");
    EXPECT_STREQ(FormatCaretFrequency(0.05), "0.050 Гц");   // log10 = -1.3
    EXPECT_STREQ(FormatCaretFrequency(-440), "-440.00 Гц"); // by the magnitude
    EXPECT_STREQ(FormatSeconds(1.23456), "1.235 с");
}

TEST(TembrixFormulas, RulerStepIsTheFirstRungAboveTheLabelsSpan)
{
    EXPECT_EQ(RulerTickStep(0, false), 1);
    EXPECT_EQ(RulerTickStep(1, false), 2);
    EXPECT_EQ(RulerTickStep(20, false), 50);
    EXPECT_EQ(RulerTickStep(5000, false), 1000);
    EXPECT_EQ(RulerTickStep(20, true), 30);
    EXPECT_EQ(RulerTickStep(30, true), 60);
    EXPECT_EQ(RulerTickStep(100000, true), 7200);
    EXPECT_STREQ(RulerLabel(3725, true), "01:02:05");
    EXPECT_STREQ(RulerLabel(90000, true), "01:00:00"); // hours within the day
    EXPECT_STREQ(RulerLabel(3725, false), "3725");
}

TEST(TembrixFormulas, StripGeometryAndTheObjectsOneLineCaption)
{
    EXPECT_EQ(StripHeight(-1), 24);
    EXPECT_EQ(StripHeight(0), 60);
    EXPECT_EQ(PhoneObjectTop(0), 24);
    EXPECT_EQ(PhoneObjectTop(3), 132);
    EXPECT_STREQ(PhoneObjectCaption("а", "строка 1\r\nстрока 2\r\n"), "а: строка 1 строка 2 ");
}

TEST(TembrixFormulas, BackgroundMeasuresOfA1200By800Client)
{
    const KBackgroundMetrics m = BackgroundMetrics(1200, 800);
    EXPECT_EQ(m.nFontAHeight, 24); // 0.6 * 40
    EXPECT_EQ(m.nFontAWidth, 9);   // 0.6 * 15
    EXPECT_EQ(m.nFontBHeight, 100);
    EXPECT_EQ(m.nFontBWidth, 34);
    EXPECT_EQ(m.nFontCHeight, 26);
    EXPECT_EQ(m.nFontCWidth, 10);
    EXPECT_EQ(m.nPenWidth[0], 2);
    EXPECT_EQ(m.nPenWidth[1], 3);
    EXPECT_EQ(m.nPenWidth[2], 4);
    EXPECT_EQ(m.xTitle, 720);
    EXPECT_EQ(m.yTitleBottom, 588); // 600 - 100 / 8
}
