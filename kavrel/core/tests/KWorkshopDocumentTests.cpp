// The workshop's document read without its windows, as the workshop and the
// batch tool read a .tbx: a film or a sound object that does not fit the
// sound is refused with the document's message before any power is computed.
#include <gtest/gtest.h>

#include <functional>

#include "framework/base/CFile.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "kavrel/core/KWorkshopDocument.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace {

// 9520 samples at the optimum step of 102: 93 whole cadres, so a film of 92.
constexpr long kSamples = 9520, kStep = 102, kCadres = 92;

struct WorkshopDocument : ::testing::Test {
    ktest::ScratchDir dir;
    std::string wav = dir / "sound.wav";
    std::string tbx = dir / "doc.tbx";
    CScriptedUserInteraction ui;

    void SetUp() override
    {
        const wavbytes::Bytes b = wavbytes::pcm16(1, 8000, std::vector<int>(size_t(kSamples), 100));
        FILE* f = std::fopen(wav.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }

    // The workshop's document of the sound with one object, changed by edit, saved as doc.tbx.
    void Save(const std::function<void(CKWaveFilm&, CKPhoneObject&)>& edit)
    {
        CKWaveFilm film;
        ASSERT_TRUE(OpenKWaveFilmOnWholeFile(film, wav.c_str(), "sound", 1024));
        ASSERT_EQ(film.GetCadreStepInSamples(), kStep);
        ASSERT_EQ(film.GetNCadres(), kCadres);
        CObList objects;
        auto* po = new CKPhoneObject;
        po->nFirstSample = 1000;
        po->nLastSample = 3000;
        objects.AddTail(po);
        edit(film, *po);
        int nMaxLevel = 0, nNext = 2;
        CFile file;
        ASSERT_TRUE(file.Open(tbx.c_str(), CFile::modeCreate | CFile::modeWrite));
        {
            CArchive ar(&file, CArchive::store);
            KSerializeWorkshopDocument(ar, film, objects, nMaxLevel, nNext);
            ar.Close();
        }
        file.Close();
        delete po;
    }

    // Read and made ready as the workshop opens it; film holds what was read.
    bool Open(CKWaveFilm& film)
    {
        CObList objects;
        int nMaxLevel = -1, nNext = 1;
        CFile file;
        if (!file.Open(tbx.c_str(), CFile::modeRead))
            return false;
        bool ok = false;
        try {
            CArchive ar(&file, CArchive::load);
            KSerializeWorkshopDocument(ar, film, objects, nMaxLevel, nNext);
            ok = KOpenWorkshopFilm(film, objects, tbx.c_str());
        } catch (const CArchiveException&) {
        }
        POSITION pos = objects.GetHeadPosition();
        while (pos)
            delete objects.GetNext(pos);
        return ok;
    }
};

} // namespace

TEST_F(WorkshopDocument, FilmOfTheWholeSoundOpensWithThePowerOfEveryCadre)
{
    for (const long n : {kCadres - 1, kCadres, kCadres + 1}) {
        SCOPED_TRACE(n);
        Save([&](CKWaveFilm& film, CKPhoneObject&) { film.NCadres = n; });
        CKWaveFilm film;
        ASSERT_TRUE(Open(film));
        EXPECT_TRUE(ui.m_messages.empty());
        EXPECT_TRUE(film.PowerFileIsReady());
        EXPECT_EQ(film.PowerFile.GetLength(), 4 * n);
    }
    // An object may reach the sound's last sample, and be one sample long.
    Save([](CKWaveFilm&, CKPhoneObject& po) { po.nFirstSample = po.nLastSample = int(kSamples); });
    CKWaveFilm film;
    EXPECT_TRUE(Open(film));
    Save([](CKWaveFilm&, CKPhoneObject& po) { po.nFirstSample = 0; po.nLastSample = int(kSamples); });
    EXPECT_TRUE(Open(film));
}

// Ten to the ninth cadres at a step of 2, or 2^31 − 1 at a step of 1, pass
// the record's own checks (their product fits an int) but once made a power
// file of gigabytes; a span outside the sound froze the strip.
TEST_F(WorkshopDocument, FilmOrObjectThatDoesNotFitTheSoundIsRefusedBeforeAnyPowerIsComputed)
{
    struct Case {
        const char* what;
        std::function<void(CKWaveFilm&, CKPhoneObject&)> edit;
    } cases[] = {
        {"10^9 cadres", [](CKWaveFilm& f, CKPhoneObject&) { f.CadreStepInSamples = 2; f.NCadres = 1000000000; }},
        {"2^31 - 1 cadres", [](CKWaveFilm& f, CKPhoneObject&) { f.CadreStepInSamples = 1; f.NCadres = 0x7FFFFFFF; }},
        {"two cadres more", [](CKWaveFilm& f, CKPhoneObject&) { f.NCadres = kCadres + 2; }},
        {"two cadres fewer", [](CKWaveFilm& f, CKPhoneObject&) { f.NCadres = kCadres - 2; }},
        {"a step the count is not of", [](CKWaveFilm& f, CKPhoneObject&) { f.CadreStepInSamples = 51; }},
        {"zero cadre not at the start", [](CKWaveFilm& f, CKPhoneObject&) { f.ZeroCadreSamplePosition = 1; }},
        {"no step", [](CKWaveFilm& f, CKPhoneObject&) { f.CadreStepInSamples = 0; }},
        {"object before the sound",
         [](CKWaveFilm&, CKPhoneObject& po) { po.nFirstSample = -100000000; po.nLastSample = 2000000000; }},
        {"object after the sound", [](CKWaveFilm&, CKPhoneObject& po) { po.nLastSample = int(kSamples) + 1; }},
        {"object ending before it starts", [](CKWaveFilm&, CKPhoneObject& po) { po.nLastSample = 999; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Save(c.edit);
        ui.m_messages.clear();
        CKWaveFilm film;
        EXPECT_FALSE(Open(film));
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()), "Неожиданный формат файла " + tbx + ".");
        EXPECT_FALSE(film.PowerFileIsReady());
        EXPECT_EQ(film.PowerFile.GetLength(), 0);
    }
}

// One file that has gone is told once: the reader, the question, the refusal.
TEST_F(WorkshopDocument, MovedSoundIsToldOnceAndNotLookedForAgain)
{
    Save([](CKWaveFilm&, CKPhoneObject&) {});
    std::remove(wav.c_str());
    ui.QueueAnswer(IDNO); // not looked for elsewhere
    CKWaveFilm film;
    EXPECT_FALSE(Open(film));
    // The question first, then the document's refusal: no reader's message before or after.
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_TRUE(ui.m_messages[0].sText.str().starts_with("Как быть?"));
    EXPECT_EQ(std::string(ui.m_messages[1].sText.GetString()), "Не удалось открыть звуковой файл\n" + wav);
}
