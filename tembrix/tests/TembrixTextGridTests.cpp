// Sound objects to and from Praat's TextGrid: kavrel make-document
// --textgrid and kavrel textgrid, the File menu's import and export with
// their dialogs answered, and the round trip through Praat itself: a grid
// Praat made, imported, exported and read by Praat again is the grid Praat made.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "framework/base/KSaveFileRequest.h"
#include "kavrel/core/KTextGrid.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixIds.h"
#include "tembrix/tests/TembrixWindowsFixture.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/FileDialogs.h"
#include "testsupport/OpenDocument.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace {

constexpr unsigned kToolRate = 16000;

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

void WriteText(const std::string& path, const std::string& text)
{
    kavrel_test::WriteAll(path, kavrel_test::Bytes(text.begin(), text.end()));
}

// One second at 16 kHz: "да" from 0.25 to 0.75 s, "нет" to the end, and a point tier.
const char* const kWordsGrid = "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n"
                               "0 1 <exists> 2\n"
                               "\"IntervalTier\" \"слова\" 0 1 3\n"
                               "0 0.25 \"\"\n0.25 0.75 \"да\"\n0.75 1 \"нет\"\n"
                               "\"TextTier\" \"тоны\" 0 1 1\n0.5 \"H\"\n";

// A tier as Praat lists it: its intervals' times and labels.
struct ListedTier {
    std::string name;
    std::vector<double> xmin, xmax;
    std::vector<std::string> labels;
};

// The interval tiers Praat reads in a file (tembrix/tests/praat/list-textgrid.praat),
// saving it again as Praat's own text where resave is given.
std::vector<ListedTier> PraatIntervalTiers(const std::string& path, const std::string& resave = "")
{
    int status = -1;
    const std::string out = ktest::RunCommand("praat --run " + Quoted(KAVREL_SOURCE_DIR "/tembrix/tests/praat/list-textgrid.praat") +
                                                  " " + Quoted(path) + " " + Quoted(resave) + " 2>&1",
                                              &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<ListedTier> tiers;
    std::istringstream in(out);
    std::string line;
    bool inIntervals = false;
    while (std::getline(in, line)) {
        if (line.rfind("intervals\t", 0) == 0) {
            tiers.push_back({line.substr(10), {}, {}, {}});
            inIntervals = true;
        } else if (line.rfind("points\t", 0) == 0) {
            inIntervals = false;
        } else if (inIntervals && !line.empty()) {
            const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
            tiers.back().xmin.push_back(std::strtod(line.substr(0, t1).c_str(), nullptr));
            tiers.back().xmax.push_back(std::strtod(line.substr(t1 + 1, t2 - t1 - 1).c_str(), nullptr));
            tiers.back().labels.push_back(line.substr(t2 + 1));
        }
    }
    return tiers;
}

bool PraatPresent()
{
    int status = -1;
    ktest::RunCommand("praat --version > /dev/null 2>&1", &status);
    return status == 0;
}

} // namespace

TEST(TembrixTextGridTool, MakeDocumentTakesTheIntervalsAndTextGridGivesThemBack)
{
    ktest::ScratchDir dir;
    const std::string wav = dir / "sound.wav", grid = dir / "words.TextGrid", tbx = dir / "doc.tbx",
                      out = dir / "out.TextGrid";
    kavrel_test::WriteAll(wav, wavbytes::pcm16(1, kToolRate, ktest::Partials({300.0}, 5000, kToolRate, kToolRate)));
    WriteText(grid, kWordsGrid);

    ktest::ToolRun r = ktest::RunKavrel(dir, "make-document " + Quoted(wav) + " " + Quoted(tbx) + " --textgrid " + Quoted(grid));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Точечные слои (TextTier) не переносятся и пропущены: «тоны» (слой 2)."), std::string::npos)
        << r.err;
    auto doc = ktest::OpenDocument<CTembrixDoc>(tbx);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->PhoneObjectList.GetCount(), 2);
    const CKPhoneObject* da = doc->GetPhoneObject(0);
    const CKPhoneObject* net = doc->GetPhoneObject(1);
    EXPECT_EQ(da->sName, CString("да"));
    EXPECT_EQ(da->nFirstSample, 4000);
    EXPECT_EQ(da->nLastSample, 11999);
    EXPECT_EQ(net->sName, CString("нет"));
    EXPECT_EQ(net->nFirstSample, 12000);
    EXPECT_EQ(net->nLastSample, 15999);
    for (const CKPhoneObject* po : {da, net}) {
        EXPECT_EQ(po->nType, 0);
        EXPECT_EQ(po->nLevel, 0); // "нет" only touches "да"
    }
    EXPECT_EQ(da->nIndex, 1);
    EXPECT_EQ(net->nIndex, 2);
    EXPECT_EQ(doc->nMaxLevel, 0);

    r = ktest::RunKavrel(dir, "textgrid " + Quoted(tbx) + " " + Quoted(out));
    ASSERT_EQ(r.status, 0) << r.err;
    ktest::ExpectKeys(ktest::KeyValues(r.out), {{"tiers", "1"}, {"intervals", "3"}, {"objects", "2"}});
    KTextGrid back;
    KTextGridError error;
    ASSERT_TRUE(KReadTextGridFile(out.c_str(), back, error)) << error.sReason.GetString();
    ASSERT_EQ(back.tiers.size(), 1u);
    EXPECT_EQ(back.tiers[0].name, "Уровень 0");
    const KTextGridInterval want[] = {{0, 0.25, ""}, {0.25, 0.75, "да"}, {0.75, 1, "нет"}};
    ASSERT_EQ(back.tiers[0].intervals.size(), std::size(want));
    for (size_t k = 0; k < std::size(want); ++k) {
        EXPECT_EQ(back.tiers[0].intervals[k].xmin, want[k].xmin);
        EXPECT_EQ(back.tiers[0].intervals[k].xmax, want[k].xmax);
        EXPECT_EQ(back.tiers[0].intervals[k].text, want[k].text);
    }

    // Never over a file; a document without objects has no grid; a usage error is 2.
    const kavrel_test::Bytes written = kavrel_test::ReadAll(out);
    r = ktest::RunKavrel(dir, "textgrid " + Quoted(tbx) + " " + Quoted(out));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не будет перезаписан"), std::string::npos) << r.err;
    EXPECT_EQ(kavrel_test::ReadAll(out), written);
    const std::string empty = dir / "empty.tbx";
    ASSERT_EQ(ktest::RunKavrel(dir, "make-document " + Quoted(wav) + " " + Quoted(empty)).status, 0);
    r = ktest::RunKavrel(dir, "textgrid " + Quoted(empty) + " " + Quoted(dir / "none.TextGrid"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("нет фонообъектов"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "none.TextGrid"));
    EXPECT_EQ(ktest::RunKavrel(dir, "textgrid " + Quoted(tbx)).status, 2);

    // A malformed grid is named with its line, and no document is made.
    WriteText(grid, "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n0 1 <exists> 1\n\"IntervalTier\" \"a\" 0 1 1\n"
                    "0 1 2\n");
    const std::string refused = dir / "refused.tbx";
    r = ktest::RunKavrel(dir, "make-document " + Quoted(wav) + " " + Quoted(refused) + " --textgrid " + Quoted(grid));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Строка 5: ожидалась строка в кавычках"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
}

// Praat makes the grid (long text, short text, UTF-16); each is imported by
// kavrel make-document --textgrid and exported by kavrel textgrid, and
// Praat reads in the export the interval tiers it made, in order, with the
// same labels and times within one sample. Praat saving our export again
// writes the same bytes.
TEST(TembrixTextGridTool, APraatGridComesBackToPraatUnchanged)
{
    if (!PraatPresent())
        GTEST_SKIP() << "praat is not installed (scripts/install-deps.sh installs it): the round trip through Praat is not checked";
    ktest::ScratchDir dir;
    const std::string wav = dir / "sound.wav";
    kavrel_test::WriteAll(wav, wavbytes::pcm16(1, kToolRate, ktest::Partials({220.0, 660.0}, 5000, 2 * kToolRate, kToolRate)));
    int status = -1;
    const std::string made = ktest::RunCommand("praat --run " + Quoted(KAVREL_SOURCE_DIR "/tembrix/tests/praat/make-textgrid.praat") +
                                                   " " + Quoted(dir.path()) + " 2>&1",
                                               &status);
    ASSERT_EQ(status, 0) << made;
    const kavrel_test::Bytes utf16 = kavrel_test::ReadAll(dir / "utf16.TextGrid");
    ASSERT_GE(utf16.size(), 2u);
    EXPECT_EQ(utf16[0], 0xFE); // Praat's UTF-16 is big-endian with its mark
    EXPECT_EQ(utf16[1], 0xFF);

    for (const char* variant : {"long", "short", "utf16"}) {
        SCOPED_TRACE(variant);
        const std::string original = dir / (std::string(variant) + ".TextGrid");
        const std::string tbx = dir / (std::string(variant) + ".tbx");
        const std::string exported = dir / (std::string(variant) + "-export.TextGrid");
        const std::string resaved = dir / (std::string(variant) + "-resaved.TextGrid");
        ktest::ToolRun r = ktest::RunKavrel(dir, "make-document " + Quoted(wav) + " " + Quoted(tbx) + " --textgrid " +
                                                     Quoted(original));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("«тоны» (слой 3)"), std::string::npos) << r.err;
        r = ktest::RunKavrel(dir, "textgrid " + Quoted(tbx) + " " + Quoted(exported));
        ASSERT_EQ(r.status, 0) << r.err;

        const std::vector<ListedTier> want = PraatIntervalTiers(original);
        const std::vector<ListedTier> got = PraatIntervalTiers(exported, resaved);
        ASSERT_EQ(want.size(), 2u);
        ASSERT_EQ(got.size(), want.size());
        for (size_t t = 0; t < want.size(); ++t) {
            EXPECT_EQ(got[t].name, "Уровень " + std::to_string(t));
            ASSERT_EQ(got[t].labels, want[t].labels) << want[t].name;
            for (size_t k = 0; k < want[t].labels.size(); ++k) {
                EXPECT_NEAR(got[t].xmin[k], want[t].xmin[k], 1.0 / kToolRate) << want[t].name << " " << k;
                EXPECT_NEAR(got[t].xmax[k], want[t].xmax[k], 1.0 / kToolRate) << want[t].name << " " << k;
            }
        }
        EXPECT_EQ(kavrel_test::FirstDifference(kavrel_test::ReadAll(resaved), kavrel_test::ReadAll(exported)), -1);
    }
}

using namespace tembrix_test;

// The File menu of a document: import with its open dialog and the
// question answered, the new objects' windows on their levels; export with
// its save dialog, never over a file; a malformed file or a No adds nothing.
TEST_F(TembrixWindows, FileMenuImportsAndExportsTextGrids)
{
    CTembrixDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    auto item = [&](UINT id) {
        const auto menu = main->GetShownMenu();
        const KShownMenuItem* it = FindItem(menu, id);
        return it ? *it : KShownMenuItem{};
    };
    EXPECT_EQ(item(ID_IMPORT_TEXTGRID).sText, CString("Импорт объектов из TextGrid…"));
    EXPECT_EQ(item(ID_EXPORT_TEXTGRID).sText, CString("Экспорт объектов в TextGrid…"));
    EXPECT_FALSE(item(ID_EXPORT_TEXTGRID).bEnabled); // nothing to export yet
    doc->SetModifiedFlag(false);

    const std::string grid = dir / "in.TextGrid";
    WriteText(grid, "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n0 3 <exists> 2\n"
                    "\"IntervalTier\" \"w\" 0 3 2\n0 1 \"один\"\n1 3 \"два\"\n"
                    "\"IntervalTier\" \"p\" 0 3 1\n0.5 2 \"поверх\"\n");
    ui.QueueFile(grid.c_str());
    ui.QueueAnswer(IDYES);
    ASSERT_TRUE(main->ChooseMenuCommand(ID_IMPORT_TEXTGRID));
    Pump();
    EXPECT_TRUE(ui.m_fileDialogs.back().bOpen);
    EXPECT_EQ(ui.m_fileDialogs.back().sTitle, CString("Импорт объектов из TextGrid"));
    EXPECT_TRUE(HasMessage("Фонообъектов из TextGrid (только текст): 3, на уровнях 0–1.\n\nДобавить эти фонообъекты в документ?"));
    ASSERT_EQ(doc->PhoneObjectList.GetCount(), 3);
    EXPECT_TRUE(doc->IsModified());
    const int levels[] = {0, 0, 1};
    for (int k = 0; k < 3; ++k) {
        const CKPhoneObject* po = doc->GetPhoneObject(k);
        EXPECT_EQ(po->nType, 0);
        EXPECT_EQ(po->nLevel, levels[k]);
        EXPECT_NE(WindowOf(po), nullptr) << k;
    }
    EXPECT_EQ(doc->GetPhoneObject(1)->nFirstSample, long(kRate));
    EXPECT_EQ(doc->GetPhoneObject(1)->nLastSample, 3 * long(kRate) - 1);
    EXPECT_EQ(doc->nMaxLevel, 1);

    // Export through the save dialog, whose request is the command's own.
    const std::string out = dir / "out.TextGrid";
    ui.QueueFile(out.c_str());
    ASSERT_TRUE(main->ChooseMenuCommand(ID_EXPORT_TEXTGRID));
    EXPECT_TRUE(ktest::AsksToSave(ui.m_fileDialogs.back(),
                                  KSaveFileRequest("TextGrid", doc->sDocFolder + "sound.TextGrid",
                                                   OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                                                   "TextGrid Praat (*.TextGrid)|*.TextGrid|Все файлы (*.*)|*.*||",
                                                   "Экспорт объектов в TextGrid")));
    KTextGrid back;
    KTextGridError error;
    ASSERT_TRUE(KReadTextGridFile(out.c_str(), back, error)) << error.sReason.GetString();
    ASSERT_EQ(back.tiers.size(), 2u);
    EXPECT_EQ(back.tiers[0].intervals.size(), 2u);
    EXPECT_EQ(back.tiers[1].name, "Уровень 1");
    ASSERT_EQ(back.tiers[1].intervals.size(), 3u);
    EXPECT_EQ(back.tiers[1].intervals[1].text, "поверх");
    EXPECT_DOUBLE_EQ(back.tiers[1].intervals[1].xmin, 0.5);
    EXPECT_DOUBLE_EQ(back.tiers[1].intervals[1].xmax, 2.0);
    const kavrel_test::Bytes written = kavrel_test::ReadAll(out);
    ui.QueueFile(out.c_str());
    ASSERT_TRUE(main->ChooseMenuCommand(ID_EXPORT_TEXTGRID));
    EXPECT_TRUE(HasMessage("Файл уже существует и не будет перезаписан"));
    EXPECT_EQ(kavrel_test::ReadAll(out), written);

    // A malformed grid, then a good one declined: nothing more comes in.
    WriteText(grid, "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n0 3 <exists> 1\n\"IntervalTier\" \"w\" 0 3 5\n");
    ui.QueueFile(grid.c_str());
    ASSERT_TRUE(main->ChooseMenuCommand(ID_IMPORT_TEXTGRID));
    EXPECT_TRUE(HasMessage("Строка 4: число интервалов (5) больше, чем может поместиться в остатке файла."));
    WriteText(grid, "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n0 3 <exists> 1\n\"IntervalTier\" \"w\" 0 3 1\n"
                    "0 3 \"всё\"\n");
    ui.QueueFile(grid.c_str());
    ui.QueueAnswer(IDNO);
    ASSERT_TRUE(main->ChooseMenuCommand(ID_IMPORT_TEXTGRID));
    EXPECT_EQ(doc->PhoneObjectList.GetCount(), 3);
}
