// Pelmora's own WAV reader and writer, against the RIFF layout.
#include "framework/base/ScriptedUserInteraction.h"
#include "pelmora/KWave.h"
#include "pelmora/KWaveWriteToFile.h"
#include "pelmora/tests/PelmoraTestSupport.h"

using namespace pelmoratest;

TEST(PelmoraWaveFiles, WriterHeaderFollowsTheLayout)
{
    CScriptedUserInteraction ui;
    CKWaveWriteToFile w;
    ASSERT_TRUE(w.Create("./w.wav", 8000, 1));
    std::vector<short> data(200, 0x0102);
    ASSERT_TRUE(w.Write(data.data(), 400));
    ASSERT_TRUE(w.Close());
    EXPECT_FALSE(w.Close());
    Bytes want = riff({chunk("fmt ", [] {
                           Bytes f = fmtBody(1, 1, 8000, 16);
                           put16(f, 0); // the 18-byte form
                           return f;
                       }()),
                       chunk("data", Bytes(400, 0))});
    for (size_t i = 46; i < want.size(); i += 2) {
        want[i] = 0x02;
        want[i + 1] = 0x01;
    }
    EXPECT_EQ(readFile("./w.wav"), want);
    EXPECT_FALSE(w.Write(data.data(), 2)); // closed: refused, silently
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(PelmoraWaveFiles, ReaderConvertsEveryAcceptedFormat)
{
    CScriptedUserInteraction ui;
    std::vector<double> x;
    {
        writeFile("pel-r8.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 8)), chunk("data", Bytes{128, 255, 0})}));
        CKWave w;
        ASSERT_TRUE(w.OpenKWaveFile(tempPath("pel-r8.wav").c_str(), "pel-r8"));
        ASSERT_TRUE(w.ReadWholeKWave(x));
        EXPECT_EQ(x, (std::vector<double>{0, 32512, -32768}));
    }
    {
        // "data" before "fmt ", stereo: the second channel on request.
        writeFile("pel-r16.wav", riff({chunk("data", samples16({1, -1, 2, -2, 32767, -32768})), chunk("fmt ", fmtBody(1, 2, 11025, 16))}));
        CKWave w;
        w.nChannel = 1;
        ASSERT_TRUE(w.OpenKWaveFile(tempPath("pel-r16.wav").c_str(), "pel-r16"));
        EXPECT_EQ(w.GetKWaveFrADC(), 11025);
        ASSERT_TRUE(w.ReadWholeKWave(x));
        EXPECT_EQ(x, (std::vector<double>{-1, -2, -32768}));
    }
    {
        // 24 bits in an extensible record, rounded to 16 as the library's reader rounds them.
        writeFile("pel-r24.wav", riff({chunk("fmt ", extensibleFmtBody(2, 48000, 24, 24, 3, 1)),
                                       chunk("data", samples24({0, 384, 0, -128, 0, 0x7FFFFF}))}));
        CKWave w;
        w.nChannel = 1;
        ASSERT_TRUE(w.OpenKWaveFile(tempPath("pel-r24.wav").c_str(), "pel-r24"));
        ASSERT_TRUE(w.ReadWholeKWave(x));
        EXPECT_EQ(x, (std::vector<double>{2, -1, 32767}));
    }
    {
        // A float file with an empty data chunk reads as no samples (the
        // conversion is never handed the null data of an empty buffer).
        writeFile("pel-empty.wav", riff({chunk("fmt ", fmtBody(3, 2, 22050, 64)), chunk("data", Bytes{})}));
        CKWave w;
        w.nChannel = 1;
        ASSERT_TRUE(w.OpenKWaveFile(tempPath("pel-empty.wav").c_str(), "pel-empty"));
        ASSERT_TRUE(w.ReadWholeKWave(x));
        EXPECT_TRUE(x.empty());
    }
    {
        // A data chunk claiming more than the file holds is read as far as it goes.
        Bytes b = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", samples16({5, 6, 7}), 1000)});
        writeFile("pel-cut.wav", b);
        CKWave w;
        ASSERT_TRUE(w.OpenKWaveFile(tempPath("pel-cut.wav").c_str(), "pel-cut"));
        ASSERT_TRUE(w.ReadWholeKWave(x));
        EXPECT_EQ(x, (std::vector<double>{5, 6, 7}));
    }
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(PelmoraWaveFiles, ReaderRefusesWhatItCannotRead)
{
    CScriptedUserInteraction ui;
    writeFile("pel-float.wav", riff({chunk("fmt ", fmtBody(2, 1, 8000, 4)), chunk("data", Bytes(8, 0))}));
    CKWave w;
    std::string path = tempPath("pel-float.wav");
    EXPECT_FALSE(w.OpenKWaveFile(path.c_str(), "pel-float"));
    EXPECT_FALSE(w.KWaveIsGood());
    std::vector<double> x{1};
    EXPECT_FALSE(w.ReadWholeKWave(x));
    EXPECT_TRUE(x.empty());
    EXPECT_FALSE(w.OpenKWaveFile("./missing.wav", "missing"));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[0].sText.Find("Заданный звуковой файл не удовлетворяет текущему стандарту системы Tembrix.\n"
                                          "Его число каналов = 1.\nЧисло битов на отсчет = 4.\n"),
              int(std::string("Сообщение о звуковом файле - \n").size() + path.size() + 3));
    EXPECT_EQ(ui.m_messages[1].sText, "Сообщение о звуковом файле - \n./missing.wav:\n\nФайл не открывается.");
}
