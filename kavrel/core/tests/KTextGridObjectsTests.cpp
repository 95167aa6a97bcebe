// Sound objects to and from a TextGrid, on a sound of 1000 samples at
// 1000 Hz so that every time below is samples / 1000 by hand: the tiers of
// the levels with their gaps, touches and overlaps, and the levels imported
// intervals take by the workshop's first-free rule.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kavrel/core/KTextGridObjects.h"

namespace {

struct Objects {
    std::vector<std::unique_ptr<CKPhoneObject>> owned;
    std::vector<const CKPhoneObject*> list;
    void Add(int level, int first, int last, const char* name, const char* comment = nullptr)
    {
        auto po = std::make_unique<CKPhoneObject>();
        po->nLevel = level;
        po->nFirstSample = first;
        po->nLastSample = last;
        po->sName = CString(std::string(name));
        if (comment)
            po->sComment = CString(std::string(comment));
        list.push_back(po.get());
        owned.push_back(std::move(po));
    }
};

void ExpectIntervals(const KTextGridTier& tier, const char* name, const std::vector<KTextGridInterval>& want)
{
    SCOPED_TRACE(name);
    EXPECT_TRUE(tier.bIntervals);
    EXPECT_EQ(tier.name, name);
    EXPECT_EQ(tier.xmin, 0.0);
    EXPECT_EQ(tier.xmax, 1.0);
    ASSERT_EQ(tier.intervals.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
        EXPECT_DOUBLE_EQ(tier.intervals[k].xmin, want[k].xmin) << k;
        EXPECT_DOUBLE_EQ(tier.intervals[k].xmax, want[k].xmax) << k;
        EXPECT_EQ(tier.intervals[k].text, want[k].text) << k;
    }
}

} // namespace

TEST(KTextGridObjects, ExportIsATierPerLevelWithGapsTouchesAndOverlapsOnFurtherTiers)
{
    Objects o;
    o.Add(0, 199, 299, "б", "ударный");    // begins on the last sample of "а"
    o.Add(3, 900, 1200, "г");              // past the end of the sound
    o.Add(0, 100, 199, "а");
    o.Add(0, 250, 400, "в", "Без комментариев"); // overlaps "б" by more than a touch
    o.Add(200, 10, 20, "вне уровней");
    const KTextGrid g = KTextGridOfPhoneObjects(o.list, 1000, 1000);
    EXPECT_EQ(g.xmin, 0.0);
    EXPECT_EQ(g.xmax, 1.0);
    ASSERT_EQ(g.tiers.size(), 4u);
    ExpectIntervals(g.tiers[0], "Уровень 0",
                    {{0, 0.1, ""}, {0.1, 0.199, "а"}, {0.199, 0.3, "б"}, {0.3, 1.0, ""}});
    EXPECT_FALSE(g.tiers[1].bIntervals);
    EXPECT_EQ(g.tiers[1].name, "Уровень 0: комментарии");
    ASSERT_EQ(g.tiers[1].points.size(), 1u);
    EXPECT_DOUBLE_EQ(g.tiers[1].points[0].time, 0.2495);
    EXPECT_EQ(g.tiers[1].points[0].mark, "ударный");
    ExpectIntervals(g.tiers[2], "Уровень 0 (2)", {{0, 0.25, ""}, {0.25, 0.401, "в"}, {0.401, 1.0, ""}});
    ExpectIntervals(g.tiers[3], "Уровень 3", {{0, 0.9, ""}, {0.9, 1.0, "г"}});
}

TEST(KTextGridObjects, ImportTakesTheFirstFreeLevelTierAfterTierAndReportsWhatItSkips)
{
    Objects doc;
    doc.Add(0, 0, 499, "X");
    doc.Add(1, 600, 700, "Y");
    KTextGrid g;
    g.xmax = 1.7;
    KTextGridTier words;
    words.name = "words";
    words.intervals = {{0, 0.5, ""}, {0.5, 0.8, "слово"}, {0.8, 1.0, " \t"}};
    KTextGridTier tones;
    tones.bIntervals = false;
    tones.name = "tones";
    tones.points = {{0.3, "H"}};
    KTextGridTier phones;
    phones.name = "phones";
    phones.intervals = {{0.4996, 0.6004, "п"}, {0.6004, 0.75, "а"}, {1.2, 1.5, "за"}, {-0.5, 0.0004, "до"},
                        {0.95, 1.7, "край"}};
    g.tiers = {words, tones, phones};

    KTextGridImport r;
    CString error;
    ASSERT_TRUE(KPlaceTextGridObjects(g, doc.list, 1000, 1000, r, error)) << error.GetString();
    struct Want {
        const char* name;
        int first, last, level;
    };
    // "слово" only touches X; "п" meets "слово" on 0 and touches Y; "а"
    // meets "слово" and Y; "край" is free on 0; "за" and "до" lie outside.
    const Want want[] = {{"слово", 500, 799, 0}, {"п", 500, 599, 1}, {"а", 600, 749, 2}, {"край", 950, 999, 0}};
    ASSERT_EQ(r.objects.size(), std::size(want));
    for (size_t k = 0; k < std::size(want); ++k) {
        EXPECT_EQ(r.objects[k].sName, want[k].name);
        EXPECT_EQ(r.objects[k].nFirstSample, want[k].first) << want[k].name;
        EXPECT_EQ(r.objects[k].nLastSample, want[k].last) << want[k].name;
        EXPECT_EQ(r.objects[k].nLevel, want[k].level) << want[k].name;
    }
    EXPECT_EQ(r.nOutside, 2);
    EXPECT_EQ(KTextGridImportReport(r),
              CString("Фонообъектов из TextGrid (только текст): 4, на уровнях 0–2.\n"
                      "Точечные слои (TextTier) не переносятся и пропущены: «tones» (слой 2).\n"
                      "Интервалов вне звукового файла или короче половины отсчета пропущено: 2.\n"
                      "Длительность TextGrid 1.7 с, а звукового файла 1 с."));

    // With every level taken over the span nothing is placed.
    Objects full;
    for (int k = 0; k < kPhoneObjectLevels; ++k)
        full.Add(k, 0, 999, "t");
    KTextGrid one;
    one.xmax = 1;
    KTextGridTier t;
    t.intervals = {{0.1, 0.2, "x"}};
    one.tiers = {t};
    EXPECT_FALSE(KPlaceTextGridObjects(one, full.list, 1000, 1000, r, error));
    EXPECT_NE(error.str().find("«x»"), std::string::npos);
    EXPECT_NE(error.str().find("Все 128 информационных уровня"), std::string::npos);
    EXPECT_TRUE(r.objects.empty());

    // Nor from a grid of more labelled intervals than the strip can hold.
    t.intervals.assign(kMaxTextGridObjects + 1, {0.1, 0.2, "y"});
    one.tiers = {t};
    EXPECT_FALSE(KPlaceTextGridObjects(one, {}, 1000, 1000, r, error));
    EXPECT_NE(error.str().find("больше 50000"), std::string::npos) << error.GetString();
}
