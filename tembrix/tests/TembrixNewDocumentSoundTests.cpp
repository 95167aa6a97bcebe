// File New on today's recordings: 24-bit and float WAV opened as they
// stand, a FLAC through a WAV copy whose place the save dialog gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "framework/base/ProgressService.h"
#include "tembrix/KNewDocumentSound.h"
#include "tembrix/tests/TembrixWindowsFixture.h"
#include "testsupport/FileDialogs.h"
#include "testsupport/SoundFiles.h"

using namespace tembrix_test;

namespace {

// The first channel of a reference decoding as the workshop's reader gives it.
std::vector<short> firstChannel16(const ktest::ReferenceSound& r, bool bFloat)
{
    std::vector<short> v;
    for (long long i = 0; i < r.frames; ++i) {
        const size_t k = size_t(i * r.channels);
        v.push_back(bFloat ? ktest::Expected16FromDouble(r.doubles[k]) : ktest::Expected16FromInt32(r.ints[k]));
    }
    return v;
}

std::vector<short> filmSamples(CTembrixDoc* doc)
{
    std::vector<short> v(size_t(doc->WaveFilm.GetKWaveSizeInSamples()));
    doc->WaveFilm.FillKWaveBufFromSampleNSamples(v.data(), 0, long(v.size()));
    return v;
}

} // namespace

TEST_F(TembrixWindows, FileNewOpensWideWavAsItStandsAndAFlacThroughACopy)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: no 24-bit, float or FLAC file to open";
    const std::string source = dir / "field.source.wav", wide = dir / "wide.wav", flt = dir / "float.wav",
                      flac = dir / "field.flac";
    ASSERT_TRUE(ktest::Sox("-D -n -r 48000 -b 24 -c 2 '" + source + "' synth 1 sawtooth 170 sine 2500 vol 0.6"));
    ASSERT_TRUE(ktest::Sox("-D '" + source + "' '" + wide + "'"));
    ASSERT_TRUE(ktest::Sox("-D '" + source + "' -e floating-point -b 32 '" + flt + "'"));
    ASSERT_TRUE(ktest::Sox("-D '" + source + "' '" + flac + "'"));
    const ktest::ReferenceSound ref = ktest::DecodeReference(source), fref = ktest::DecodeReference(flt);
    ASSERT_TRUE(ref.ok && fref.ok);

    struct Case {
        std::string path;
        const ktest::ReferenceSound& ref;
        bool bFloat;
    } direct[] = {{wide, ref, false}, {flt, fref, true}};
    for (const Case& c : direct) {
        SCOPED_TRACE(c.path);
        ui.QueueFile(c.path.c_str());
        ui.QueueFile((dir / (std::filesystem::path(c.path).stem().string() + ".tbx")).c_str());
        const size_t asked = ui.m_fileDialogs.size();
        main->SendMessage(WM_COMMAND, ID_FILE_NEW);
        Pump();
        CTembrixDoc* doc = main->GetActiveTembrixDoc();
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(std::string(doc->WaveFilm.GetKWaveFilePathName().GetString()), c.path);
        EXPECT_EQ(ui.m_fileDialogs.size(), asked + 2); // the sound and the document: no copy asked for
        EXPECT_EQ(doc->WaveFilm.GetKWaveFrADC(), 48000);
        EXPECT_EQ(filmSamples(doc), firstChannel16(c.ref, c.bFloat));
    }

    // NAME.wav stands beside the FLAC already: the copy is offered NAME-1.wav.
    kavrel_test::WriteAll(dir / "field.wav", wavbytes::pcm16(1, 8000, {1, 2, 3}));
    const kavrel_test::Bytes before = kavrel_test::ReadAll(dir / "field.wav");
    const std::string copy = dir / "field-1.wav";
    CScriptedProgressService progress;
    ui.m_fileDialogs.clear();
    ui.QueueFile(flac.c_str());
    ui.QueueFile(copy.c_str());
    ui.QueueFile((dir / "field.tbx").c_str());
    main->SendMessage(WM_COMMAND, ID_FILE_NEW);
    Pump();
    ASSERT_GE(ui.m_fileDialogs.size(), 3u);
    EXPECT_TRUE(ui.m_fileDialogs[0].bOpen);
    EXPECT_EQ(ui.m_fileDialogs[0].sFilter, kNewDocumentSoundFilter);
    EXPECT_NE(ui.m_fileDialogs[0].sFilter.str().find("*.flac"), std::string::npos);
    FileDialogRequest expected;
    expected.bOpen = false;
    expected.sDefaultExt = "wav";
    expected.sFileName = copy.c_str();
    expected.sFilter = "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||";
    expected.sTitle = "Куда записать копию звукового файла в формате WAV?";
    EXPECT_TRUE(ktest::AsksToSave(ui.m_fileDialogs[1], expected));
    CTembrixDoc* doc = main->GetActiveTembrixDoc();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(std::string(doc->WaveFilm.GetKWaveFilePathName().GetString()), copy);
    EXPECT_EQ(std::string(doc->WaveFilm.GetKWaveFileTitle().GetString()), "field-1");
    EXPECT_EQ(ui.m_fileDialogs[2].sFileName, "field-1.tbx");
    EXPECT_EQ(filmSamples(doc), firstChannel16(ref, false));
    EXPECT_EQ(doc->WaveFilm.GetKWaveNChannels(), 2);
    EXPECT_EQ(kavrel_test::ReadAll(dir / "field.wav"), before);
    // The decoding showed its progress to the end (the power file's follows).
    EXPECT_GE(progress.m_nOpened, 2);
    EXPECT_EQ(progress.m_nOpened, progress.m_nClosed);
    EXPECT_NE(std::find(progress.m_positions.begin(), progress.m_positions.end(), 100), progress.m_positions.end());
}

TEST_F(TembrixWindows, TheCopyOfACompressedSoundNeverReplacesAFile)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: no FLAC to open";
    const std::string flac = dir / "take.flac", taken = dir / "taken.wav";
    ASSERT_TRUE(ktest::Sox("-n -r 16000 '" + flac + "' synth 0.3 sine 440"));
    kavrel_test::WriteAll(taken, wavbytes::pcm16(1, 8000, {7, 8, 9}));
    const kavrel_test::Bytes before = kavrel_test::ReadAll(taken);
    ui.QueueFile(flac.c_str());
    ui.QueueFile(taken.c_str()); // refused, and asked again
    ui.QueueFile("");            // then cancelled
    main->SendMessage(WM_COMMAND, ID_FILE_NEW);
    Pump();
    EXPECT_EQ(main->GetActiveTembrixDoc(), nullptr);
    EXPECT_TRUE(HasMessage("Файл уже существует и не будет перезаписан"));
    EXPECT_EQ(ui.m_fileDialogs.size(), 3u);
    EXPECT_EQ(kavrel_test::ReadAll(taken), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "take.wav"));
}

TEST_F(TembrixWindows, StoppingTheDecodingLeavesNoCopyAndNoDocument)
{
    if (!ktest::HaveSox())
        GTEST_SKIP() << "sox is not installed: no FLAC to open";
    const std::string flac = dir / "long.flac";
    ASSERT_TRUE(ktest::Sox("-n -r 44100 '" + flac + "' synth 20 sine 440"));
    CScriptedProgressService progress;
    progress.m_nCancelAfter = 2; // "Прервать" part-way through the decoding
    ui.QueueFile(flac.c_str());
    ui.QueueFile((dir / "long.wav").c_str());
    main->SendMessage(WM_COMMAND, ID_FILE_NEW);
    Pump();
    EXPECT_EQ(main->GetActiveTembrixDoc(), nullptr);
    EXPECT_EQ(progress.m_nOpened, 1) << "the power file of a copy that was never made";
    EXPECT_FALSE(std::filesystem::exists(dir / "long.wav"));
    EXPECT_FALSE(progress.m_bOpen);
}
