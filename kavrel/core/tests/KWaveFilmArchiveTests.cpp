#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveFilm.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

void putF(Bytes& b, float v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    put32(b, u);
}

void putD(Bytes& b, double v)
{
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    put32(b, std::uint32_t(u));
    put32(b, std::uint32_t(u >> 32));
}

void putS(Bytes& b, const std::string& ascii)
{
    b.push_back(std::uint8_t(ascii.size()));
    b.insert(b.end(), ascii.begin(), ascii.end());
}

// The film record written out field by field from its layout.
Bytes filmRecord(const std::string& path, const std::string& title, int nfft, int step, int ncadres)
{
    Bytes b;
    b.push_back(0);     // MoveCaretOnlyWithCtrl
    put32(b, 2);        // displayFlags
    putS(b, path);
    putS(b, title);
    putD(b, 250.0);     // KCaretFrequency
    put32(b, 300);      // KCaretSample
    put32(b, 1);        // selected cadres
    put32(b, 3);
    put32(b, 0);        // ZeroCadreSamplePosition
    put32(b, std::uint32_t(step));
    put32(b, std::uint32_t(ncadres));
    putD(b, 31.25);     // SigmaFr
    put32(b, std::uint32_t(nfft));
    b.push_back(3);     // status
    for (int i = 0; i < nfft / 2; ++i) {
        putF(b, -10.0f - float(i)); // down
        putF(b, 90.0f + float(i));  // up
    }
    putF(b, -1e-25f);
    putF(b, 1e-25f);
    putF(b, -2e-28f);
    putF(b, 2e-28f);
    putD(b, 0.0);
    putD(b, 1.0);
    putD(b, 0.0);
    putD(b, 1000000.0);
    put32(b, 1); // lightBackground
    put32(b, 37);
    return b;
}

void load(CKWaveFilm& f, const Bytes& bytes)
{
    std::vector<BYTE> buffer(bytes.begin(), bytes.end());
    CArchive ar(&buffer, CArchive::load);
    f.KSerialize(ar);
}

Bytes store(CKWaveFilm& f)
{
    std::vector<BYTE> buffer;
    {
        CArchive ar(&buffer, CArchive::store);
        f.KSerialize(ar);
        ar.Close();
    }
    return Bytes(buffer.begin(), buffer.end());
}

} // namespace

TEST(KWaveFilmArchive, LoadsTheDocumentedLayoutAndStoresItBack)
{
    std::string path = writeFile("arch.wav", pcm16(1, 8000, std::vector<int>(2000, 0)));
    Bytes record = filmRecord(path, "arch", 16, 40, 48);
    CKWaveFilm f;
    load(f, record);
    EXPECT_TRUE(f.KWaveIsGood());
    EXPECT_FALSE(f.MoveCaretOnlyWithCtrl);
    EXPECT_EQ(f.displayFlags, 2);
    EXPECT_EQ(f.GetKWaveFileTitle(), "arch");
    EXPECT_EQ(f.KCaretFrequency, 250.0);
    EXPECT_EQ(f.KCaretSample, 300);
    EXPECT_EQ(f.SelectedFragmentAbsCadre1, 3);
    EXPECT_EQ(f.CadreStepInSamples, 40);
    EXPECT_EQ(f.NCadres, 48);
    EXPECT_EQ(f.SigmaFr, 31.25);
    EXPECT_EQ(f.nFFT, 16);
    EXPECT_EQ(f.InternalWaveFilmStatus, 3);
    ASSERT_EQ(f.validUpLevel.nSize, 8);
    EXPECT_EQ(f.validDownLevel.pArray[7], -17.0f);
    EXPECT_EQ(f.validUpLevel.pArray[7], 97.0f);
    EXPECT_EQ(f.phaseFreqLimitPos, 2e-28f);
    EXPECT_EQ(f.auxRangeUp, 1000000.0);
    EXPECT_EQ(f.lightBackground, 1);
    EXPECT_EQ(f.tooltipFlags, 37);
    EXPECT_EQ(store(f), record);
}

TEST(KWaveFilmArchive, LevelPairsTakeEightBytesALine)
{
    std::string path = writeFile("arch1024.wav", pcm16(1, 16000, std::vector<int>(100, 0)));
    CKWaveFilm f;
    ASSERT_TRUE(f.OpenKWaveFile(path.c_str(), "arch1024"));
    f.SetNFFTandOptimumCadreParams(1024);
    Bytes b = store(f);
    // Fixed fields before the pairs, and 4 floats, 4 doubles and 2 ints after.
    size_t head = 1 + 4 + (1 + path.size()) + (1 + 8) + 8 + 4 * 6 + 8 + 4 + 1;
    EXPECT_EQ(b.size(), head + 4096 + 16 + 32 + 8);
}

TEST(KWaveFilmArchive, MovedSoundFileIsFoundAgain)
{
    std::string oldPath = tempPath("moved-away.wav");
    std::string newPath = writeFile("moved-here.wav", pcm16(1, 8000, std::vector<int>(2000, 0)));
    ::unlink(oldPath.c_str());
    CScriptedUserInteraction ui;
    ui.QueueAnswer(IDYES); // look elsewhere? (the one question: no reader's message before it)
    ui.QueueFile(newPath.c_str());
    CKWaveFilm f;
    load(f, filmRecord(oldPath, "moved-away", 16, 40, 48));
    EXPECT_TRUE(f.KWaveIsGood());
    EXPECT_EQ(f.GetKWaveFilePathName(), newPath.c_str());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].nStyle, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(ui.m_messages[0].sText.str().starts_with("Как быть?\n\nНе удалось открыть звуковой файл."));
    EXPECT_NE(ui.m_messages[0].sText.Find("системы \"Tembrix\" при этом"), -1);
    EXPECT_EQ(f.NCadres, 48); // loading went on
    // The next store names the new place.
    EXPECT_EQ(store(f), filmRecord(newPath, "moved-here", 16, 40, 48));
}

TEST(KWaveFilmArchive, DecliningLeavesTheFilmClosedAndLoads)
{
    CScriptedUserInteraction ui;
    ui.QueueAnswer(IDNO);
    CKWaveFilm f;
    load(f, filmRecord(tempPath("nowhere.wav"), "nowhere", 16, 40, 48));
    EXPECT_FALSE(f.KWaveIsGood());
    EXPECT_EQ(ui.m_messages.size(), 1u); // the question alone
    EXPECT_EQ(f.nFFT, 16);
}

TEST(KWaveFilmArchive, MalformedRecordsFailCleanly)
{
    std::string path = writeFile("bad.wav", pcm16(1, 8000, std::vector<int>(100, 0)));
    struct Case {
        const char* what;
        int nfft, step, ncadres;
    } cases[] = {{"nfft", 1000, 40, 48}, {"negative step", 16, -1, 48}, {"negative count", 16, 40, -2},
                 {"absurd count", 16, 4000, 0x7FFFFFF0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScriptedUserInteraction ui;
        CKWaveFilm f;
        EXPECT_THROW(load(f, filmRecord(path, "bad", c.nfft, c.step, c.ncadres)), CArchiveException);
        ASSERT_FALSE(ui.m_messages.empty());
        EXPECT_TRUE(ui.m_messages.back().sText.str().starts_with("Запись сонофильма в документе повреждена"));
    }
    // An NFFT of 65536 in a record that ends after it claims 256 KiB of levels.
    Bytes big = filmRecord(path, "bad", 16, 40, 48);
    size_t nfftAt = 1 + 4 + (1 + path.size()) + 4 + 8 + 4 * 6 + 8;
    big[nfftAt] = 0;
    big[nfftAt + 1] = 0;
    big[nfftAt + 2] = 1;
    {
        CKWaveFilm f;
        EXPECT_THROW(load(f, big), CArchiveException);
        EXPECT_LT(f.validUpLevel.nAllocated, 32768);
    }
    // Cut at every byte.
    Bytes whole = filmRecord(path, "bad", 16, 40, 48);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        CScriptedUserInteraction ui;
        ui.QueueAnswer(IDNO);
        ui.QueueAnswer(IDNO);
        CKWaveFilm f;
        EXPECT_THROW(load(f, Bytes(whole.begin(), whole.begin() + long(cut))), CArchiveException) << cut;
    }
}

// Every number of the record within what its dialog or command can set:
// outside it the record is damaged and said to be so.
TEST(KWaveFilmArchive, NumbersOutsideTheirRangesAreADamagedRecord)
{
    std::string path = writeFile("ranges.wav", pcm16(1, 8000, std::vector<int>(2000, 0)));
    const Bytes good = filmRecord(path, "ranges", 16, 40, 48);
    // Offsets from the layout: flag, display flags, path, title, then the fixed fields.
    const size_t caretFrequencyAt = 1 + 4 + (1 + path.size()) + (1 + 6);
    const size_t caretAt = caretFrequencyAt + 8, cadre0At = caretAt + 4, cadre1At = cadre0At + 4;
    const size_t stepAt = cadre1At + 8, sigmaAt = stepAt + 8, levelsAt = sigmaAt + 8 + 4 + 1;
    const size_t limitsAt = levelsAt + 8 * 8, auxUpAt = limitsAt + 16 + 24, lightAt = auxUpAt + 8;
    auto withDouble = [&](size_t at, double v) {
        Bytes b = good;
        std::memcpy(&b[at], &v, 8);
        return b;
    };
    auto withFloat = [&](size_t at, float v) {
        Bytes b = good;
        std::memcpy(&b[at], &v, 4);
        return b;
    };
    auto withInt = [&](size_t at, std::int32_t v) {
        Bytes b = good;
        std::memcpy(&b[at], &v, 4);
        return b;
    };
    struct Case {
        const char* what;
        Bytes record;
    };
    const Case refused[] = {
        {"SigmaFr far below", withDouble(sigmaAt, -3.4e242)},
        {"SigmaFr zero", withDouble(sigmaAt, 0.0)},
        {"SigmaFr under 0.001", withDouble(sigmaAt, 0.00099)},
        {"SigmaFr over 1000000", withDouble(sigmaAt, 1000000.1)},
        {"SigmaFr not a number", withDouble(sigmaAt, std::nan(""))},
        {"step over the dialog's", filmRecord(path, "ranges", 16, 1000001, 4)},
        {"caret frequency infinite", withDouble(caretFrequencyAt, INFINITY)},
        {"caret before the sound", withInt(caretAt, -1)},
        {"selection before the film", withInt(cadre0At, -1)},
        {"selection after the film", withInt(cadre1At, 48)},
        {"selection reversed", withInt(cadre0At, 4)},
        {"level not a number", withFloat(levelsAt + 4 * 8 + 4, std::nanf(""))},
        {"phase limit infinite", withFloat(limitsAt, -INFINITY)},
        {"range not a number", withDouble(auxUpAt, std::nan(""))},
        {"unknown display bit", withInt(1, 0x200)},
        {"light background 2", withInt(lightAt, 2)},
        {"unknown cursor-text bit", withInt(lightAt + 4, 0x80)},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        CScriptedUserInteraction ui;
        CKWaveFilm f;
        EXPECT_THROW(load(f, c.record), CArchiveException);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_TRUE(ui.m_messages[0].sText.str().starts_with("Запись сонофильма в документе повреждена"));
    }
    // The ends of the ranges themselves are taken.
    const Case taken[] = {{"SigmaFr 0.001", withDouble(sigmaAt, 0.001)},
                          {"SigmaFr 1000000", withDouble(sigmaAt, 1000000.0)},
                          {"step 1000000", filmRecord(path, "ranges", 16, 1000000, 4)},
                          {"last cadre selected", withInt(cadre1At, 47)},
                          {"every display bit", withInt(1, CKWaveFilm::DisplayTypeMask | CKWaveFilm::DisplayInverse)},
                          {"every cursor-text bit", withInt(lightAt + 4, 0x7F)}};
    for (const Case& c : taken) {
        SCOPED_TRACE(c.what);
        CScriptedUserInteraction ui;
        CKWaveFilm f;
        EXPECT_NO_THROW(load(f, c.record));
        EXPECT_TRUE(ui.m_messages.empty());
    }
}

#include "framework/base/CObList.h"
#include "kavrel/core/KPhoneObject.h"

namespace {

Bytes phoneRecord(std::uint8_t flag, const std::string& name, int first, int last, int type, int index, int level,
                  double change)
{
    Bytes b;
    b.push_back(flag);
    putS(b, name);
    putS(b, "c");
    for (int v : {first, last, type, index, level})
        put32(b, std::uint32_t(v));
    putS(b, "a.gsr");
    putS(b, "");
    putD(b, change);
    return b;
}

} // namespace

// A whole workshop document: film record, object list of two sound objects,
// nMaxLevel and nNextPhoneObjectIndex.
TEST(KWaveFilmArchive, WorkshopShapedDocument)
{
    std::string path = writeFile("tbx.wav", pcm16(1, 8000, std::vector<int>(2000, 0)));
    Bytes doc = filmRecord(path, "tbx", 16, 40, 48);
    put16(doc, 2); // count
    put16(doc, 0xFFFF); // new class
    put16(doc, 1);      // schema
    put16(doc, 13);
    for (char c : std::string("CKPhoneObject"))
        doc.push_back(std::uint8_t(c));
    Bytes first = phoneRecord(0, "one", 10, 20, 1, 0, 3, -6.0);
    doc.insert(doc.end(), first.begin(), first.end());
    put16(doc, 0x8001); // the class took index 1 (the first object 2)
    Bytes second = phoneRecord(0, "two", 30, 40, 4, 1, 5, 0.5);
    doc.insert(doc.end(), second.begin(), second.end());
    put32(doc, 6);
    put32(doc, 2);

    std::vector<BYTE> buffer(doc.begin(), doc.end());
    CKWaveFilm film;
    CObList list;
    int maxLevel = 0, nextIndex = 0;
    {
        CArchive ar(&buffer, CArchive::load);
        film.KSerialize(ar);
        list.Serialize(ar);
        ar >> maxLevel >> nextIndex;
    }
    ASSERT_EQ(list.GetCount(), 2);
    POSITION pos = list.GetHeadPosition();
    auto* a = static_cast<CKPhoneObject*>(list.GetNext(pos));
    auto* b = static_cast<CKPhoneObject*>(list.GetNext(pos));
    ASSERT_TRUE(a->IsKindOf(RUNTIME_CLASS(CKPhoneObject)));
    EXPECT_EQ(a->sName, "one");
    EXPECT_EQ(a->nLevel, 3);
    EXPECT_EQ(a->dLevelChange_dB, -6.0);
    EXPECT_EQ(b->sName, "two");
    EXPECT_EQ(b->nType, 4);
    EXPECT_EQ(b->nLastSample, 40);
    EXPECT_EQ(maxLevel, 6);
    EXPECT_EQ(nextIndex, 2);
    EXPECT_EQ(film.NCadres, 48);

    std::vector<BYTE> out;
    {
        CArchive ar(&out, CArchive::store);
        film.KSerialize(ar);
        list.Serialize(ar);
        ar << maxLevel << nextIndex;
        ar.Close();
    }
    EXPECT_EQ(Bytes(out.begin(), out.end()), doc);
    delete a;
    delete b;
}
