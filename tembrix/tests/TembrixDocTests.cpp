// The workshop's document: the .tbx file byte for byte and back, the levels
// of new sound objects, the files a new object brings (the same the batch
// tool writes), the reverberation object's span, and files it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CControls.h"
#include "framework/ui/CDialog.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "kavrel/views/KDialogSetSigmaFr.h"
#include "framework/base/Cp1251.h"
#include "tembrix/KAnalysisProtocol.h"
#include "tembrix/KSignalEditDialogs.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixIds.h"
#include "tembrix/tests/TembrixWindowsFixture.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

using kavrel_test::Bytes;
using kavrel_test::Cat;
using kavrel_test::Le32;

// A class the document does not know as a sound object.
class CNotAPhoneObject : public CObject {
    DECLARE_SERIAL(CNotAPhoneObject)
public:
    void Serialize(CArchive&) override {}
};
IMPLEMENT_SERIAL(CNotAPhoneObject, CObject, 1)

namespace {

constexpr unsigned kRate = 22050;

Bytes Str(const std::string& s)
{
    return Cat({Bytes{BYTE(s.size())}, std::string_view(s)});
}
Bytes Le16(unsigned v)
{
    return Bytes{BYTE(v), BYTE(v >> 8)};
}
Bytes Dbl(double d)
{
    Bytes b(8);
    std::memcpy(b.data(), &d, 8);
    return b;
}
// The sound-object record: flag, name, comment, span, type, index, level, paths, level change.
Bytes ObjectRecord(const std::string& name, const std::string& comment, int first, int last, int type, int index,
                   int level, const std::string& doc, const std::string& kfw)
{
    return Cat({Bytes{0}, Str(name), Str(comment), Le32(DWORD(first)), Le32(DWORD(last)), Le32(DWORD(type)),
                Le32(DWORD(index)), Le32(DWORD(level)), Str(doc), Str(kfw), Dbl(0.0)});
}

struct TembrixDocTest : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    std::string wav = dir / "sound.wav";
    std::deque<ktest::DialogAnswer> dialogs;
    DialogDriver oldDriver;

    void SetUp() override
    {
        ktest::EnsureQtApplication();
        kavrel_test::WriteAll(wav, wavbytes::pcm16(1, kRate, ktest::Partials({300.0, 900.0}, 6000, 4 * long(kRate), kRate)));
        oldDriver = ktest::AnswerDialogsInTurn(dialogs, {CKDialogSetSigmaFr::IDD});
    }
    void TearDown() override { SetDialogDriver(oldDriver); }

    // A new document over sound.wav, kept in dir as doc.tbx (not yet saved).
    std::unique_ptr<CTembrixDoc> NewDoc() { return tembrix_test::NewDocumentOver(ui, wav, dir / "doc.tbx"); }
    // The description dialog answers OK with these values.
    void Describe(int type, const char* name = nullptr, const char* comment = nullptr)
    {
        dialogs.push_back([=](CDialog& d) {
            EXPECT_EQ(d.GetTemplateID(), UINT(IDD_PHONE_OBJECT_SET_CONTENT));
            if (name)
                d.SetDlgItemText(IDC_SET_CONTENT_NAME, name);
            if (comment)
                d.SetDlgItemText(IDC_SET_CONTENT_COMMENT, comment);
            static const int kTypes[] = {IDC_SET_CONTENT_TYPE_TEXT, IDC_SET_CONTENT_TYPE_MICRO,
                                         IDC_SET_CONTENT_TYPE_SINGLE, IDC_SET_CONTENT_TYPE_VOICE,
                                         IDC_SET_CONTENT_TYPE_REVERB};
            d.ClickDlgButton(kTypes[type]);
            d.ClickDlgButton(IDOK);
        });
    }
    CKPhoneObject* NewObject(CTembrixDoc& doc, long c0, long c1, int type, const char* name = nullptr,
                             const char* comment = nullptr)
    {
        doc.WaveFilm.SetSelectedFragmentAbsCadres(c0, c1);
        Describe(type, name, comment);
        const int before = doc.PhoneObjectList.GetCount();
        doc.NewPhoneObject();
        return doc.PhoneObjectList.GetCount() > before ? doc.GetPhoneObject(before) : nullptr;
    }
    static Bytes FilmRecord(CKWaveFilm& film)
    {
        std::vector<BYTE> bytes;
        CArchive ar(&bytes, CArchive::store);
        film.KSerialize(ar);
        ar.Close();
        return bytes;
    }
    bool HasMessage(const char* text) const { return ktest::WasTold(ui, text); }
};

} // namespace

TEST_F(TembrixDocTest, TbxIsTheFilmRecordTheObjectListAndTwoIntegersAndReadsBackByteForByte)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    EXPECT_STREQ(doc->GetPathName(), (dir / "doc.tbx").c_str());
    EXPECT_STREQ(doc->sDocFolder, (dir / "").c_str());

    // Without objects: a count of 0, then -1 and 1.
    const std::string empty = dir / "empty.tbx";
    ASSERT_TRUE(doc->OnSaveDocument(empty.c_str()));
    EXPECT_EQ(kavrel_test::ReadAll(empty), Cat({FilmRecord(doc->WaveFilm), Le16(0), Le32(DWORD(-1)), Le32(1)}));

    CKPhoneObject* a = NewObject(*doc, 10, 30, 0, "a1", "c1");
    CKPhoneObject* b = NewObject(*doc, 20, 40, 0, "a2", "c2");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->nLevel, 1);
    const std::string path = dir / "doc.tbx";
    ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));
    const long step = doc->WaveFilm.GetCadreStepInSamples();
    const Bytes expected =
        Cat({FilmRecord(doc->WaveFilm), Le16(2), Le16(0xFFFF), Le16(1), Le16(13), "CKPhoneObject",
             ObjectRecord("a1", "c1", int(10 * step), int(30 * step), 0, 1, 0, dir / "sound_1.", ""), Le16(0x8001),
             ObjectRecord("a2", "c2", int(20 * step), int(40 * step), 0, 2, 1, dir / "sound_2.", ""), Le32(1),
             Le32(3)});
    const Bytes written = kavrel_test::ReadAll(path);
    EXPECT_EQ(kavrel_test::FirstDifference(written, expected), -1);

    CTembrixDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path.c_str()));
    ASSERT_EQ(reopened.PhoneObjectList.GetCount(), 2);
    EXPECT_STREQ(reopened.GetPhoneObject(1)->sName, "a2");
    EXPECT_EQ(reopened.nMaxLevel, 1);
    EXPECT_EQ(reopened.nNextPhoneObjectIndex, 3);
    EXPECT_TRUE(reopened.WaveFilm.PowerFileIsReady());
    const std::string again = dir / "again.tbx";
    ASSERT_TRUE(reopened.OnSaveDocument(again.c_str()));
    EXPECT_EQ(kavrel_test::ReadAll(again), written);
}

TEST_F(TembrixDocTest, LevelsRiseOnlyToTheFirstFreeOneAndTheHundredAndTwentyNinthIsRefused)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->nMaxLevel, -1);
    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(NewObject(*doc, 10, 50, 0));
    EXPECT_EQ(doc->nMaxLevel, 5);
    doc->SetModifiedFlag(false);
    doc->DeletePhoneObject(doc->GetPhoneObject(3));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->nMaxLevel, 5);
    CKPhoneObject* again = NewObject(*doc, 20, 30, 0);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->nLevel, 3);
    EXPECT_EQ(again->nIndex, 7); // indices are never given twice
    EXPECT_EQ(NewObject(*doc, 50, 60, 0)->nLevel, 0); // touches the others only

    for (int k = 0; k < 128 - 6; ++k)
        ASSERT_TRUE(NewObject(*doc, 10, 50, 0));
    EXPECT_EQ(doc->nMaxLevel, 127);
    const int count = doc->PhoneObjectList.GetCount();
    doc->WaveFilm.SetSelectedFragmentAbsCadres(15, 25);
    doc->NewPhoneObject(); // refused before its dialog
    EXPECT_EQ(doc->PhoneObjectList.GetCount(), count);
    EXPECT_TRUE(HasMessage("(Все 128 информационных уровня фонообъектов заняты)."));
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(TembrixDocTest, CancelledDescriptionAddsNothingButKeepsTheLevelFound)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    doc->WaveFilm.SetSelectedFragmentAbsCadres(10, 20);
    dialogs.push_back([](CDialog& d) { d.ClickDlgButton(IDCANCEL); });
    doc->NewPhoneObject();
    EXPECT_EQ(doc->PhoneObjectList.GetCount(), 0);
    EXPECT_EQ(doc->nMaxLevel, 0);
    EXPECT_EQ(doc->nNextPhoneObjectIndex, 1);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(TembrixDocTest, MicroHarmonicObjectWritesTheFilesTheBatchToolWritesForTheSameSelection)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    CKPhoneObject* po = NewObject(*doc, 10, 120, 1);
    ASSERT_TRUE(po);
    const std::string gsr = dir / "sound_1.gsr", kfw = dir / "sound_1.kfw";
    EXPECT_STREQ(po->sPhoneObjectDocFilePathName, gsr.c_str());
    EXPECT_STREQ(po->sPhoneObjectFloatWaveFilePathName, kfw.c_str());
    const Bytes workshopGsr = kavrel_test::ReadAll(gsr), workshopKfw = kavrel_test::ReadAll(kfw);
    ASSERT_FALSE(workshopGsr.empty());
    EXPECT_EQ(workshopKfw.size(), size_t(4 * (po->nLastSample - po->nFirstSample + 1)));
    std::filesystem::remove(gsr);
    std::filesystem::remove(kfw);

    const std::string cmd = "'" KAVREL_BINARY_DIR "/bin/kavrel' make-object '" + wav + "' 10 120 '" + gsr +
                            "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(kavrel_test::FirstDifference(kavrel_test::ReadAll(gsr), workshopGsr), -1);
    EXPECT_EQ(kavrel_test::FirstDifference(kavrel_test::ReadAll(kfw), workshopKfw), -1);

    // A voice object's document is written the same way, under .ocn; a
    // single-harmonic one writes nothing.
    CKPhoneObject* voice = NewObject(*doc, 10, 60, 3);
    ASSERT_TRUE(voice);
    EXPECT_TRUE(std::filesystem::exists(dir / "sound_2.ocn"));
    EXPECT_TRUE(std::filesystem::exists(dir / "sound_2.kfw"));
    CKPhoneObject* single = NewObject(*doc, 10, 60, 2);
    ASSERT_TRUE(single);
    EXPECT_STREQ(single->sPhoneObjectDocFilePathName, (dir / "sound_3.ksg").c_str());
    EXPECT_FALSE(std::filesystem::exists(dir / "sound_3.ksg"));
}

TEST_F(TembrixDocTest, ReverberationObjectIsAtMost65536SamplesAndWrittenByTheAnalysersLibrary)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const long step = doc->WaveFilm.GetCadreStepInSamples();
    const long fits = 65536 / step; // cadres whose span is at most 65536 samples
    ui.m_messages.clear();
    ASSERT_TRUE(NewObject(*doc, 0, fits, 4));
    EXPECT_TRUE(ui.m_messages.empty());

    ui.QueueAnswer(IDYES); // the excess goes on the right
    CKPhoneObject* right = NewObject(*doc, 1, fits + 2, 4);
    ASSERT_TRUE(right);
    EXPECT_TRUE(HasMessage("Выделенный фрагмент превышает допустимые размеры."));
    EXPECT_EQ(right->nFirstSample, int(step));
    EXPECT_EQ(right->nLastSample, int(step + 65536));
    ui.QueueAnswer(IDNO); // on the left
    CKPhoneObject* left = NewObject(*doc, 1, fits + 2, 4);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->nLastSample, int((fits + 2) * step));
    EXPECT_EQ(left->nFirstSample, left->nLastSample - 65536);
    ui.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(NewObject(*doc, 1, fits + 2, 4));
    EXPECT_STREQ(left->sPhoneObjectDocFilePathName, (dir / "sound_3.vrn").c_str()); // the refused one took no index
    for (const char* name : {"sound_1.vrn", "sound_2.vrn", "sound_3.vrn"})
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "sound_4.vrn"));
}

TEST_F(TembrixDocTest, RefusesAMissingSoundAFilmWithoutCadresAndAListOfOtherObjects)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const std::string path = dir / "doc.tbx";
    ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));
    const Bytes good = kavrel_test::ReadAll(path);
    const Bytes film = FilmRecord(doc->WaveFilm);

    // The cadre step lies after the flag, the type, path, title, caret
    // frequency, caret sample, the selected cadres and the zero cadre.
    const size_t stepAt = 1 + 4 + 1 + wav.size() + 1 + std::strlen("sound") + 8 + 4 * 4;
    Bytes noStep = good;
    for (size_t i = 0; i < 4; ++i)
        noStep[stepAt + i] = 0;
    const std::string bad = dir / "nostep.tbx";
    kavrel_test::WriteAll(bad, noStep);
    CTembrixDoc a;
    EXPECT_FALSE(a.OnOpenDocument(bad.c_str()));
    EXPECT_TRUE(HasMessage("Неожиданный формат файла"));

    const std::string other = dir / "other.tbx";
    kavrel_test::WriteAll(other, Cat({film, Le16(1), Le16(0xFFFF), Le16(1), Le16(16), "CNotAPhoneObject", Le32(0),
                                      Le32(1)}));
    ui.m_messages.clear();
    CTembrixDoc b;
    EXPECT_FALSE(b.OnOpenDocument(other.c_str()));
    EXPECT_TRUE(HasMessage("Неожиданный формат файла"));

    // A level outside the 128 would place a window where no strip reaches.
    const std::string high = dir / "high.tbx";
    kavrel_test::WriteAll(high, Cat({film, Le16(0), Le32(1000000000), Le32(1)}));
    ui.m_messages.clear();
    CTembrixDoc d;
    EXPECT_FALSE(d.OnOpenDocument(high.c_str()));
    EXPECT_TRUE(HasMessage("Неожиданный формат файла"));

    std::filesystem::rename(wav, dir / "moved.wav");
    ui.m_messages.clear();
    ui.QueueAnswer(IDOK); // the reader's message
    ui.QueueAnswer(IDNO); // do not look for the sound elsewhere
    CTembrixDoc c;
    EXPECT_FALSE(c.OnOpenDocument(path.c_str()));
    EXPECT_TRUE(HasMessage("Как быть?"));
    EXPECT_TRUE(HasMessage(("Не удалось открыть звуковой файл\n" + wav).c_str()));
}

TEST_F(TembrixDocTest, ProtocolListsTheObjectsByTheirStartInWindows1251)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    CCmdUI state(ID_SAVE_PROTOCOL);
    doc->OnUpdateSaveProtocol(&state);
    EXPECT_FALSE(state.m_bEnabled); // nothing to list

    CKPhoneObject* second = NewObject(*doc, 40, 60, 0, "Второй", "после первого");
    CKPhoneObject* first = NewObject(*doc, 10, 20, 0, "Первый", "строка\r\nещё строка");
    CKPhoneObject* third = NewObject(*doc, 40, 50, 0, "Третий", "тот же старт");
    ASSERT_TRUE(second && first && third);
    doc->OnUpdateSaveProtocol(&state);
    EXPECT_TRUE(state.m_bEnabled);

    const std::string out = dir / "protocol.doc";
    ui.QueueFile(out.c_str());
    doc->OnSaveProtocol();
    const Bytes bytes = kavrel_test::ReadAll(out);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], 0xCF); // "П" in Windows-1251, no byte-order mark

    std::string expected = "Протокол анализа звукового файла:\n" + wav + "\n\n";
    for (const CKPhoneObject* po : {first, second, third}) { // equal starts keep their creation order
        const double t0 = doc->WaveFilm.GetTimeInSecondsFromSample(po->nFirstSample);
        const double t1 = float(doc->WaveFilm.GetTimeInSecondsFromSample(po->nLastSample));
        char line[200];
        std::snprintf(line, sizeof line, "\nНачало - %.2f с. Окончание - %.2f с. Длительность - %.2f с.\n", t0, t1, t1 - t0);
        expected += line + std::string(po->sName.GetString()) + ":\n" + po->sComment.GetString() + ".\n";
    }
    std::string cp1251;
    ASSERT_TRUE(Utf8ToCp1251(expected, cp1251));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), cp1251);

    // An object of one sample lasts 0.00 s.
    CKPhoneObject point;
    point.nFirstSample = point.nLastSample = int(kRate);
    point.sName = "Точка";
    const std::string pointText = AnalysisProtocolText(doc->WaveFilm, {&point});
    EXPECT_NE(pointText.find("Начало - 1.00 с. Окончание - 1.00 с. Длительность - 0.00 с.\nТочка:\nБез комментариев.\n"),
              std::string::npos) << pointText;
}

TEST_F(TembrixDocTest, ProtocolOfTwoObjectsIsExactlyTheseBytes)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    CKPhoneObject later, earlier;
    later.nFirstSample = 44100; // 2.00 s
    later.nLastSample = 55125;  // 2.50 s
    later.sName = "Ы";
    later.sComment = "б";
    earlier.nFirstSample = 11025; // 0.50 s
    earlier.nLastSample = 22050;  // 1.00 s
    earlier.sName = "A";
    earlier.sComment = "c";
    const std::string out = dir / "two.doc";
    ASSERT_TRUE(WriteAnalysisProtocol(out.c_str(), doc->WaveFilm, {&later, &earlier}));
    std::string expected;
    ASSERT_TRUE(Utf8ToCp1251("Протокол анализа звукового файла:\n", expected));
    expected += wav + "\n\n";
    // "\nНачало - 0.50 с. Окончание - 1.00 с. Длительность - 0.50 с.\nA:\nc.\n" in Windows-1251 bytes.
    const auto entry = [](const char* t0, const char* t1, const char* d, const std::string& nameAndComment) {
        return std::string("\n\xCD\xE0\xF7\xE0\xEB\xEE - ") + t0 + " \xF1. \xCE\xEA\xEE\xED\xF7\xE0\xED\xE8\xE5 - " + t1 +
               " \xF1. \xC4\xEB\xE8\xF2\xE5\xEB\xFC\xED\xEE\xF1\xF2\xFC - " + d + " \xF1.\n" + nameAndComment;
    };
    expected += entry("0.50", "1.00", "0.50", "A:\nc.\n");
    expected += entry("2.00", "2.50", "0.50", "\xDB:\n\xE1.\n");
    const Bytes bytes = kavrel_test::ReadAll(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
}

// The batch tool's make-document runs the document's own New and New-object
// steps: the same .tbx and object files as the dialogs make, byte for byte.
TEST_F(TembrixDocTest, BatchToolMakesTheDocumentTheDialogsMake)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    ASSERT_TRUE(NewObject(*doc, 10, 120, 1, "фраза 1"));
    ASSERT_TRUE(NewObject(*doc, 30, 60, 0, "текст"));
    ASSERT_TRUE(NewObject(*doc, 50, 70, 4, "эхо"));
    ASSERT_TRUE(NewObject(*doc, 130, 140, 3, "голос"));
    const std::string tbx = dir / "doc.tbx";
    ASSERT_TRUE(doc->OnSaveDocument(tbx.c_str()));
    const char* kFiles[] = {"doc.tbx", "sound_1.gsr", "sound_1.kfw", "sound_3.vrn", "sound_4.ocn", "sound_4.kfw"};
    std::map<std::string, Bytes> workshop;
    for (const char* f : kFiles) {
        workshop[f] = kavrel_test::ReadAll(dir / f);
        ASSERT_FALSE(workshop[f].empty()) << f;
        std::filesystem::remove(dir / f);
    }
    doc.reset();

    const std::string args = "make-document '" + wav + "' '" + tbx +
                             "' --object 10 120 1 'фраза 1' --object 30 60 0 текст --object 50 70 4 эхо "
                             "--object 130 140 3 голос";
    ktest::ToolRun r = ktest::RunKavrel(dir, args);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* f : kFiles)
        EXPECT_EQ(kavrel_test::FirstDifference(kavrel_test::ReadAll(dir / f), workshop[f]), -1) << f;
    EXPECT_FALSE(std::filesystem::exists(dir / "sound_2."));

    // Never over an existing document; the level change reaches its object.
    r = ktest::RunKavrel(dir, args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не будет перезаписан"), std::string::npos) << r.err;
    EXPECT_EQ(kavrel_test::ReadAll(tbx), workshop["doc.tbx"]);
    const std::string other = dir / "other.tbx";
    r = ktest::RunKavrel(dir, "make-document '" + wav + "' '" + other + "' --object 10 20 0 a --level-change -12.5");
    ASSERT_EQ(r.status, 0) << r.err;
    CTembrixDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(other.c_str()));
    ASSERT_EQ(reopened.PhoneObjectList.GetCount(), 1);
    EXPECT_EQ(reopened.GetPhoneObject(0)->dLevelChange_dB, -12.5);
}

TEST_F(TembrixDocTest, BatchToolRefusesBadObjectsAndLeavesNothingBehind)
{
    const std::string tbx = dir / "made.tbx";
    const long cadres = NewDoc()->WaveFilm.GetNCadres();
    auto refused = [&](const std::string& objects, const char* message) {
        const ktest::ToolRun r = ktest::RunKavrel(dir, "make-document '" + wav + "' '" + tbx + "' " + objects);
        EXPECT_EQ(r.status, 1) << objects;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(tbx));
        EXPECT_FALSE(std::filesystem::exists(dir / "sound_1.gsr"));
        EXPECT_FALSE(std::filesystem::exists(dir / "sound_1.kfw"));
    };
    refused("--object 10 20 5 a", "Тип фонообъекта должен быть от 0 до 4");
    refused("--object 10 10 1 a", "Выделенный фрагмент пуст");
    refused("--object 10 100000 1 a", "вне фильма");
    refused("--object 0 " + std::to_string(cadres - 1) + " 4 a", "не более 65536 отсчетов");
    refused("--object 10 20 0 a --level-change 111", "от -110 до 110");
    // The 129th overlapping object finds no level: the first one's files go too.
    std::string many = "--object 10 20 1 first";
    for (int k = 0; k < 128; ++k)
        many += " --object 12 18 0 t" + std::to_string(k);
    refused(many, "(Все 128 информационных уровня фонообъектов заняты).");
    // An object file already there is never replaced.
    kavrel_test::WriteAll(dir / "sound_1.kfw", Bytes{1, 2, 3});
    const ktest::ToolRun r = ktest::RunKavrel(dir, "make-document '" + wav + "' '" + tbx + "' --object 10 20 1 a");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(kavrel_test::ReadAll(dir / "sound_1.kfw"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(tbx));
}

// A .tbx put together byte by byte from the documented layout (the film's
// record, two objects of one class, the two integers) opens, and saving it
// gives back the same bytes.
TEST_F(TembrixDocTest, HandWrittenTbxOpensAndIsSavedByteForByte)
{
    auto made = NewDoc();
    ASSERT_TRUE(made);
    const Bytes film = FilmRecord(made->WaveFilm);
    made.reset();
    const Bytes hand = Cat({film, Le16(2), Le16(0xFFFF), Le16(1), Le16(13), "CKPhoneObject",
                            ObjectRecord("гласный", "строка 1\r\nстрока 2", 300, 900, 1, 4, 2, dir / "sound_4.gsr",
                                         dir / "sound_4.kfw"),
                            Le16(0x8001), ObjectRecord("x", "", 500, 501, 0, 7, 0, dir / "sound_7.", ""), Le32(5),
                            Le32(9)});
    const std::string path = dir / "hand.tbx";
    kavrel_test::WriteAll(path, hand);
    CTembrixDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    ASSERT_EQ(doc.PhoneObjectList.GetCount(), 2);
    EXPECT_EQ(doc.GetPhoneObject(0)->nLevel, 2);
    EXPECT_EQ(doc.GetPhoneObject(1)->nIndex, 7);
    EXPECT_EQ(doc.nMaxLevel, 5);
    EXPECT_EQ(doc.nNextPhoneObjectIndex, 9);
    const std::string again = dir / "again.tbx";
    ASSERT_TRUE(doc.OnSaveDocument(again.c_str()));
    EXPECT_EQ(kavrel_test::FirstDifference(kavrel_test::ReadAll(again), hand), -1);
}

TEST_F(TembrixDocTest, BatchProtocolIsTheCommandsFile)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    ASSERT_TRUE(NewObject(*doc, 30, 45, 0, "Слог", "ударный"));
    ASSERT_TRUE(NewObject(*doc, 5, 25, 1, "Фраза"));
    const std::string tbx = dir / "doc.tbx";
    ASSERT_TRUE(doc->OnSaveDocument(tbx.c_str()));
    const std::string mine = dir / "command.doc";
    ui.QueueFile(mine.c_str());
    doc->OnSaveProtocol();

    const std::string batch = dir / "batch.doc";
    const ktest::ToolRun r = ktest::RunKavrel(dir, "protocol '" + tbx + "' '" + batch + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kavrel_test::ReadAll(batch), kavrel_test::ReadAll(mine));
    // Never over an existing file; a document that does not open says why.
    EXPECT_EQ(ktest::RunKavrel(dir, "protocol '" + tbx + "' '" + batch + "'").status, 1);
    EXPECT_EQ(ktest::RunKavrel(dir, "protocol '" + (dir / "none.tbx") + "' '" + (dir / "x.doc") + "'").status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.doc"));
}

// ---- signal edits ----------------------------------------------------------------

namespace {

std::vector<short> OutputSamples(const std::string& path)
{
    const Bytes b = kavrel_test::ReadAll(path);
    std::vector<short> s;
    for (size_t i = 46; i + 1 < b.size(); i += 2)
        s.push_back(short(b[i] | (b[i + 1] << 8)));
    return s;
}

} // namespace

TEST_F(TembrixDocTest, KeepingTheSelectionWritesItsBlocksAndLeavesSourceAndDocumentAlone)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const Bytes source = kavrel_test::ReadAll(wav);
    doc->WaveFilm.SetSelectedFragmentAbsCadres(10, 20);
    CCmdUI state(ID_DELETE_OR_KEEP_SEGMENT);
    doc->OnUpdateNeedsSelection(&state);
    EXPECT_TRUE(state.m_bEnabled);
    CCmdUI caretState(ID_DELETE_OR_KEEP_BEFORE_CARET);
    doc->OnUpdateNeedsNoSelection(&caretState);
    EXPECT_FALSE(caretState.m_bEnabled);

    dialogs.push_back([](CDialog& d) {
        EXPECT_EQ(d.GetTemplateID(), UINT(IDD_CUT_WAVE_FILE));
        d.ClickDlgButton(IDC_CUT_KEEP);
        d.ClickDlgButton(IDC_CUT_ROUGH);
        d.ClickDlgButton(IDOK);
    });
    const std::string out = dir / "kept.wav";
    ui.QueueFile(out.c_str());
    doc->OnDeleteOrKeepSegment();
    ASSERT_EQ(ui.m_fileDialogs.size(), 3u); // sound, .tbx, output
    EXPECT_EQ(std::string(ui.m_fileDialogs[2].sFileName.GetString()), dir.path() + "/sound_Edited");
    EXPECT_STREQ(ui.m_fileDialogs[2].sTitle.GetString(), "Задание имени отредактированного файла-сигнала (в формате WAV)");

    const long w = doc->WaveFilm.GetCadreStepInSamples();
    const long s0 = doc->WaveFilm.GetSelectedFragmentSample0(), s1 = doc->WaveFilm.GetSelectedFragmentSample1();
    const auto src = ktest::Partials({300.0, 900.0}, 6000, 4 * long(kRate), kRate);
    const long end = s0 + ((s1 - s0) / w + 1) * w;
    EXPECT_EQ(OutputSamples(out), std::vector<short>(src.begin() + s0, src.begin() + end));
    EXPECT_EQ(kavrel_test::ReadAll(wav), source);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(ui.m_nWaitCursorDepth, 0);
}

TEST_F(TembrixDocTest, CancelledEditsAskForNoFileAndTheSourceIsNeverTheOutput)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    const Bytes source = kavrel_test::ReadAll(wav);
    dialogs.push_back([](CDialog& d) { d.ClickDlgButton(IDCANCEL); });
    doc->OnDeleteBeforeCaret();
    EXPECT_EQ(ui.m_fileDialogs.size(), 2u);

    dialogs.push_back([](CDialog& d) {
        EXPECT_EQ(d.GetTemplateID(), UINT(IDD_CUT_SIGNAL_BEFORE_CARET));
        d.ClickDlgButton(IDOK);
    });
    ui.QueueFile(wav.c_str());
    doc->OnDeleteBeforeCaret();
    EXPECT_TRUE(HasMessage("Результат нельзя записать в исходный звуковой файл"));
    EXPECT_EQ(kavrel_test::ReadAll(wav), source);
}

TEST_F(TembrixDocTest, LevellingDialogShowsTheTargetInDecibelsAndRefusesRatesOutOfRange)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    dialogs.push_back([](CDialog& d) {
        EXPECT_EQ(d.GetTemplateID(), UINT(IDD_SET_AGC));
        EXPECT_STREQ(d.GetDlgItemText(IDC_AGC_MAX_AMPLITUDE).GetString(), "32767");
        EXPECT_STREQ(d.GetDlgItemText(IDC_AGC_MAX_AMPLITUDE_DB).GetString(), "= 0.00 дБ");
        d.SetDlgItemText(IDC_AGC_MAX_AMPLITUDE, "16384");
        d.OnCommand(IDC_AGC_MAX_AMPLITUDE, EN_CHANGE);
        EXPECT_STREQ(d.GetDlgItemText(IDC_AGC_MAX_AMPLITUDE_DB).GetString(), "= -6.02 дБ"); // 20 lg(16384/32767)
        d.SetDlgItemText(IDC_AGC_FRAME_RATE, "0");
        d.ClickDlgButton(IDOK); // refused: below 0.0001 Hz
        d.SetDlgItemText(IDC_AGC_FRAME_RATE, "100");
        d.ClickDlgButton(IDOK);
    });
    const std::string out = dir / "level.wav";
    ui.QueueFile(out.c_str());
    doc->OnLevelPower();
    EXPECT_TRUE(HasMessage("Введите число от 0.0001 до 100000."));
    ASSERT_EQ(ui.m_fileDialogs.size(), 3u);
    EXPECT_EQ(std::string(ui.m_fileDialogs[2].sFileName.GetString()), dir.path() + "/sound_Normalised");
    EXPECT_STREQ(ui.m_fileDialogs[2].sTitle.GetString(),
                 "Задание нового имени выходного нормированного файла-сигнала (в формате WAV)");
    const auto y = OutputSamples(out);
    ASSERT_EQ(y.size(), 4u * kRate);
    int peak = 0;
    for (short v : y)
        peak = std::max(peak, std::abs(int(v)));
    EXPECT_NEAR(peak, 16384, 2);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(TembrixDocTest, DeletingRightOfTheMarkerKeepsTheRawFramesUpToTheBlockHoldingIt)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    doc->WaveFilm.SetSelectedFragmentAbsCadres(5, 5);
    CCmdUI state(ID_DELETE_OR_KEEP_BEFORE_CARET);
    doc->OnUpdateNeedsNoSelection(&state);
    EXPECT_TRUE(state.m_bEnabled);
    doc->WaveFilm.SetKCaretCadre(30);
    const long c = doc->WaveFilm.GetKCaretSample(), w = doc->WaveFilm.GetCadreStepInSamples();
    ASSERT_GT(c, 0);
    dialogs.push_back([](CDialog& d) {
        d.ClickDlgButton(IDC_CUT_SIDE_RIGHT);
        d.ClickDlgButton(IDOK);
    });
    const std::string out = dir / "left.wav";
    ui.QueueFile(out.c_str());
    doc->OnDeleteBeforeCaret();
    const Bytes source = kavrel_test::ReadAll(wav), b = kavrel_test::ReadAll(out);
    ASSERT_GE(b.size(), 46u);
    const long frames = (c / w + 1) * w;
    EXPECT_EQ(Bytes(b.begin() + 46, b.end()), Bytes(source.begin() + 44, source.begin() + 44 + 2 * frames));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(TembrixDocTest, AmplitudeArrowsStepTheNumberWithinItsRange)
{
    auto doc = NewDoc();
    ASSERT_TRUE(doc);
    CString atTop, down, label;
    dialogs.push_back([&](CDialog& d) {
        auto& agc = static_cast<CKDialogSetAGC&>(d);
        NMUPDOWN nm{};
        nm.hdr.idFrom = IDC_AGC_MAX_AMPLITUDE_SPIN;
        nm.hdr.code = UDN_DELTAPOS;
        LRESULT r = 0;
        nm.iDelta = 1;
        agc.OnDeltaposMaxAmplitudeSpin(&nm.hdr, &r);
        atTop = d.GetDlgItemText(IDC_AGC_MAX_AMPLITUDE);
        nm.iDelta = -1;
        agc.OnDeltaposMaxAmplitudeSpin(&nm.hdr, &r);
        down = d.GetDlgItemText(IDC_AGC_MAX_AMPLITUDE);
        d.OnCommand(IDC_AGC_MAX_AMPLITUDE, EN_CHANGE);
        label = d.GetDlgItemText(IDC_AGC_MAX_AMPLITUDE_DB);
        d.ClickDlgButton(IDCANCEL);
    });
    doc->OnLevelPower();
    EXPECT_STREQ(atTop, "32767");
    EXPECT_STREQ(down, "32766");
    EXPECT_STREQ(label, "= -0.00 дБ"); // 20 lg(32766/32767) = -0.000265
    EXPECT_EQ(ui.m_fileDialogs.size(), 2u); // cancelled: no output asked for
}
