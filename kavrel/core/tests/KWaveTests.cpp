#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/base/ScriptedUserInteraction.h"
#include "kavrel/core/KWave.h"
#include "testsupport/WavBytes.h"

using namespace wavbytes;

namespace {

std::vector<int> ramp(int n, int start = 1)
{
    std::vector<int> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = start + i;
    return v;
}

std::vector<short> fill(CKWave& w, long first, long n)
{
    std::vector<short> out(size_t(n), short(0x5555));
    EXPECT_TRUE(w.FillKWaveBufFromSampleNSamples(out.data(), first, n));
    return out;
}

const char* const kFormatMessageTail =
    "\nЧисло битов на отсчет = %i.\nБлок выравнивания (в байтах) = %i.\nЧастота дискретизации = %u Гц.\n"
    "Номер формата данных = %s.\n%s\n\n"
    "Документ открыт не будет!\n\nЗвуковой файл должен быть только:\n"
    "а) WAVE_FORMAT_PCM (номер формата данных = 1), WAVE_FORMAT_IEEE_FLOAT (3) или WAVE_FORMAT_EXTENSIBLE (65534) "
    "с подформатом PCM или IEEE float;\n"
    "б) 8, 16, 24 или 32-битовым целым либо 32 или 64-битовым с плавающей точкой;\n"
    "в) с числом каналов от 1 до 8;\nг) с частотой дискретизации от 1 Гц до 768 кГц.\n\n"
    "Файлы FLAC, Ogg, MP3, AIFF и CAF мастерская открывает через копию в формате WAV.";

// The refusal of a format, with the record's fields, the tag as shown
// ("1 (PCM)") and the reason.
CString formatMessage(const std::string& path, int channels, int bits, int align, unsigned rate, const char* tag,
                      const char* why)
{
    CString tail;
    tail.Format(kFormatMessageTail, bits, align, rate, tag, why);
    CString head;
    head.Format("Сообщение о звуковом файле - \n%s:\n\nЗаданный звуковой файл не удовлетворяет текущему стандарту "
                "системы Tembrix.\nЕго число каналов = %i.",
                path.c_str(), channels);
    return head + tail;
}

// n interleaved stereo frames: left from, from + 1, ...; right -from, -from - 1, ...
std::vector<int> StereoRamps(int n, int from)
{
    std::vector<int> inter;
    for (int i = 0; i < n; ++i) {
        inter.push_back(from + i);
        inter.push_back(-from - i);
    }
    return inter;
}

} // namespace

TEST(KWave, ReadsEachChannelOfSixteenBitStereo)
{
    const std::vector<int> inter = StereoRamps(50, 100);
    std::string path = writeFile("stereo16.wav", pcm16(2, 8000, inter));
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "stereo16"));
    EXPECT_EQ(w.GetKWaveNChannels(), 2);
    EXPECT_EQ(w.GetKWaveSizeInSamples(), 50);
    EXPECT_EQ(w.GetKWaveSizeInBytes(), 200);
    EXPECT_EQ(w.GetKWaveDataOffset(), 44);
    EXPECT_EQ(w.GetKWaveFrADC(), 8000);
    EXPECT_EQ(fill(w, 3, 2), (std::vector<short>{103, 104}));
    w.nChannel = 1;
    EXPECT_EQ(fill(w, 3, 2), (std::vector<short>{-103, -104}));
}

TEST(KWave, EightBitSamplesAreCentredAndScaled)
{
    Bytes mono = {128, 255, 0, 129};
    std::string path = writeFile("mono8.wav", riff({chunk("fmt ", fmtBody(1, 1, 11025, 8)), chunk("data", mono)}));
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "mono8"));
    EXPECT_EQ(fill(w, 0, 4), (std::vector<short>{0, 32512, -32768, 256}));
    // Beyond the ends an 8-bit file is silent too, not at full negative scale.
    EXPECT_EQ(fill(w, 3, 3), (std::vector<short>{256, 0, 0}));
    EXPECT_EQ(fill(w, -3, 2), (std::vector<short>{0, 0}));

    Bytes stereo = {128, 0, 255, 1};
    path = writeFile("stereo8.wav", riff({chunk("fmt ", fmtBody(1, 2, 11025, 8)), chunk("data", stereo)}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "stereo8"));
    w.nChannel = 1;
    EXPECT_EQ(fill(w, 0, 2), (std::vector<short>{-32768, -32512}));
}

TEST(KWave, WindowIsCentredAndZeroOutsideTheData)
{
    std::string path = writeFile("ramp.wav", pcm16(1, 16000, ramp(2000)));
    CScriptedUserInteraction ui;
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "ramp"));
    EXPECT_EQ(w.GetKWaveWindowWidthInSamples(), 1024);
    ASSERT_TRUE(w.PositKWaveWindowOnSample(0));
    const short* win = w.GetKWaveWindow();
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(win[i], 0) << i;
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(win[512 + i], 1 + i) << i;

    // Past the end: samples then zeros.
    std::vector<short> tail = fill(w, 1998, 4);
    EXPECT_EQ(tail, (std::vector<short>{1999, 2000, 0, 0}));
    // Covering the whole data from before its start to after its end.
    std::vector<short> all = fill(w, -2, 2004);
    EXPECT_EQ(all[0], 0);
    EXPECT_EQ(all[2], 1);
    EXPECT_EQ(all[2001], 2000);
    EXPECT_EQ(all[2003], 0);
    // Wholly outside: zeros, and nothing said.
    EXPECT_EQ(fill(w, -10, 5), std::vector<short>(5, 0));
    EXPECT_EQ(fill(w, 2000, 3), std::vector<short>(3, 0));
    EXPECT_TRUE(ui.m_messages.empty());

    short dummy;
    EXPECT_FALSE(w.FillKWaveBufFromSampleNSamples(&dummy, 0, 0));
}

TEST(KWave, WindowWidthRules)
{
    std::string path = writeFile("width.wav", pcm16(1, 16000, ramp(3000)));
    CKWave w;
    EXPECT_FALSE(w.SetKWaveWindowWidthInSamples(100)); // nothing open
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "width"));
    EXPECT_TRUE(w.SetKWaveWindowWidthInSamples(1001));
    EXPECT_EQ(w.GetKWaveWindowWidthInSamples(), 1002);
    EXPECT_FALSE(w.SetKWaveWindowWidthInSamples(1));
    EXPECT_EQ(w.GetKWaveWindowWidthInSamples(), 1002);

    // The width survives a close and a re-open; the position does not.
    ASSERT_TRUE(w.PositKWaveWindowOnSample(1500));
    EXPECT_EQ(w.GetKWaveWindow()[501], 1501); // sample 1500 of a ramp from 1
    w.CloseKWaveFile();
    EXPECT_FALSE(w.KWaveIsGood());
    EXPECT_EQ(w.nLastMmioResult, 1u);
    EXPECT_EQ(w.GetKWaveWindowSamplePosition(), 0);
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "width"));
    EXPECT_EQ(w.GetKWaveWindowWidthInSamples(), 1002);
    EXPECT_EQ(w.GetKWaveWindow()[501], 1);
}

TEST(KWave, FindsChunksWhereverTheyStand)
{
    Bytes list = chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'a', 'b', 0, 0});
    Bytes odd = chunk("junk", Bytes{1, 2, 3}); // odd size, padded
    Bytes data = chunk("data", samples16({7, 8, 9}));
    std::string path = writeFile("chunks.wav", riff({list, chunk("fmt ", fmtBody(1, 1, 22050, 16)), odd, data}));
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "chunks"));
    EXPECT_EQ(w.GetKWaveDataOffset(), long(12 + list.size() + 8 + 16 + odd.size() + 8));
    EXPECT_EQ(fill(w, 0, 3), (std::vector<short>{7, 8, 9}));

    // "data" before "fmt ", and a "fmt " longer than the record.
    Bytes fmt = fmtBody(1, 1, 22050, 16);
    fmt.insert(fmt.end(), {0, 0, 0xAA, 0xBB});
    path = writeFile("datafirst.wav", riff({data, chunk("fmt ", fmt)}));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "datafirst"));
    EXPECT_EQ(w.GetKWaveDataOffset(), 20);
    EXPECT_EQ(fill(w, 1, 2), (std::vector<short>{8, 9}));
}

TEST(KWave, OtherFormatsAreRefusedEvenWithErrorsSwitchedOff)
{
    const char* const kCodec = "Номер формата данных %s - это не PCM и не IEEE float: такие данные не читаются.";
    struct Case {
        unsigned tag, channels, bits;
        const char* shown;
        CString why;
    } cases[] = {
        {2, 1, 4, "2 (Microsoft ADPCM)", ""},
        {6, 1, 8, "6 (A-law)", ""},
        {0x55, 2, 0, "85 (MP3)", ""},
        {0x1234, 1, 16, "4660", ""},
        {1, 9, 16, "1 (PCM)", "Число каналов должно быть от 1 до 8."},
        {1, 1, 12, "1 (PCM)", "Целые отсчеты должны иметь 8, 16, 24 или 32 бита, отсчеты с плавающей точкой - 32 или 64 бита."},
        {3, 1, 16, "3 (IEEE float)", "Целые отсчеты должны иметь 8, 16, 24 или 32 бита, отсчеты с плавающей точкой - 32 или 64 бита."},
    };
    for (Case& c : cases) {
        if (c.why.IsEmpty()) {
            CString tag;
            tag.Format("%u", c.tag);
            const char* name = std::strchr(c.shown, '(');
            if (name)
                tag = c.shown;
            c.why.Format(kCodec, tag.GetString());
        }
        CScriptedUserInteraction ui;
        std::string path = writeFile("refused.wav", riff({chunk("fmt ", fmtBody(c.tag, c.channels, 8000, c.bits)),
                                                           chunk("data", Bytes(12, 0))}));
        CKWave w;
        w.DoNotShowKWaveErrors();
        EXPECT_FALSE(w.OpenKWaveFile(path.c_str(), "refused"));
        EXPECT_FALSE(w.KWaveIsGood());
        EXPECT_EQ(w.hmmio, nullptr);
        ASSERT_EQ(ui.m_messages.size(), 1u);
        EXPECT_EQ(ui.m_messages[0].sText, formatMessage(path, int(c.channels), int(c.bits), int(c.channels * c.bits / 8),
                                                        8000, c.shown, c.why.GetString()));
    }
}

TEST(KWave, OpenFailureMessages)
{
    CScriptedUserInteraction ui;
    CKWave w;
    std::string missing = tempPath("no-such-file.wav");
    EXPECT_FALSE(w.OpenKWaveFile(missing.c_str(), "x"));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, CString("Сообщение о звуковом файле - \n") + missing.c_str() + ":\n\nФайл не открывается.");

    std::string notRiff = writeFile("text.wav", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'});
    EXPECT_FALSE(w.OpenKWaveFile(notRiff.c_str(), "text"));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[1].sText, CString("Сообщение о звуковом файле - \n") + notRiff.c_str() +
                                          ":\n\nЭто не звуковой файл WAV (RIFF WAVE): его начало - «hell».\n\n"
                                          "Файлы FLAC, Ogg, MP3, AIFF и CAF мастерская открывает через копию в формате WAV.");

    // A "fmt " chunk cut short by the end of the file.
    Bytes cut = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16))});
    cut.resize(cut.size() - 6);
    std::string shortFmt = writeFile("shortfmt.wav", cut);
    EXPECT_FALSE(w.OpenKWaveFile(shortFmt.c_str(), "shortfmt"));
    ASSERT_EQ(ui.m_messages.size(), 3u);
    EXPECT_TRUE(ui.m_messages[2].sText.str().ends_with("Ошибка чтения чанка формата."));

    // Switched off, these stay silent.
    ui.m_messages.clear();
    w.DoNotShowKWaveErrors();
    EXPECT_FALSE(w.OpenKWaveFile(missing.c_str(), "x"));
    EXPECT_FALSE(w.OpenKWaveFile(notRiff.c_str(), "text"));
    EXPECT_TRUE(ui.m_messages.empty());
}

TEST(KWave, OpenDialog)
{
    CScriptedUserInteraction ui;
    CKWave w;
    EXPECT_FALSE(w.OpenKWaveFile()); // cancelled
    ASSERT_EQ(ui.m_fileDialogs.size(), 1u);
    EXPECT_TRUE(ui.m_fileDialogs[0].bOpen);
    EXPECT_EQ(ui.m_fileDialogs[0].sFilter, "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||");
    EXPECT_EQ(ui.m_fileDialogs[0].sTitle, "С каким звуковым файлом будем работать?");
    EXPECT_TRUE(ui.m_fileDialogs[0].nFlags & OFN_FILEMUSTEXIST);
    EXPECT_TRUE(ui.m_messages.empty());

    std::string good = writeFile("dialog.wav", pcm16(1, 8000, ramp(10)));
    ui.QueueFile(good.c_str());
    EXPECT_TRUE(w.OpenKWaveFile());
    EXPECT_EQ(w.GetKWaveFileTitle(), "dialog");
    EXPECT_EQ(w.GetKWaveFilePathName(), good.c_str());

    std::string bad = writeFile("dialog-bad.wav", Bytes(30, 0));
    ui.QueueFile(bad.c_str());
    EXPECT_FALSE(w.OpenKWaveFile());
    ASSERT_FALSE(ui.m_messages.empty());
    EXPECT_EQ(ui.m_messages.back().sText, CString("Не удается открыть указанный Вами файл -\n") + bad.c_str());
}

TEST(KWave, LyingSizesNeverReadBeyondTheFile)
{
    CScriptedUserInteraction ui;
    CKWave w;
    // A data chunk claiming a gigabyte holds what the file holds.
    Bytes liar = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", samples16({1, 2, 3}), 1u << 30)});
    std::string path = writeFile("liar.wav", liar);
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "liar"));
    EXPECT_EQ(w.GetKWaveSizeInSamples(), 3);
    EXPECT_EQ(fill(w, 0, 5), (std::vector<short>{1, 2, 3, 0, 0}));

    // A RIFF size of 0, as a writer that was never closed leaves it.
    path = writeFile("unclosed.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", samples16({4, 5}))}, 0));
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "unclosed"));
    EXPECT_EQ(fill(w, 0, 2), (std::vector<short>{4, 5}));

    // A chunk whose size runs past the end hides what would follow it.
    path = writeFile("overrun.wav", riff({chunk("LIST", Bytes(4, 0), 0x7FFFFFF0u), chunk("fmt ", fmtBody(1, 1, 8000, 16)),
                                          chunk("data", samples16({1}))}));
    EXPECT_FALSE(w.OpenKWaveFile(path.c_str(), "overrun"));
    EXPECT_TRUE(ui.m_messages.back().sText.str().ends_with("265 = MMIOERR_CHUNKNOTFOUND"));

    // A block alignment of 0 (or one that disagrees with channels and bits) is refused.
    path = writeFile("align0.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 16, 0)), chunk("data", samples16({1}))}));
    ui.m_messages.clear();
    EXPECT_FALSE(w.OpenKWaveFile(path.c_str(), "align0"));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText,
              formatMessage(path, 1, 16, 0, 8000, "1 (PCM)",
                            "Блок выравнивания не равен числу каналов, умноженному на число байтов отсчета."));
}

// Each of the eight ways a window fill can fail, provoked by cutting the
// file short while it is open.
TEST(KWave, FillFailurePathsShowTheirMessageAndYieldZeros)
{
    struct Case {
        int path;
        long first, n;
        long truncateTo; // file length after the cut
    } cases[] = {
        {1, 1000, 100, 44 + 1000}, {2, 1000, 100, 44 + 2100}, {3, -10, 100, 20},    {4, -10, 100, 44 + 100},
        {5, 1990, 100, 44 + 3000}, {6, 1990, 100, 44 + 3990}, {7, -10, 2100, 20}, {8, -10, 2100, 44 + 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string path = writeFile("cut.wav", pcm16(1, 8000, ramp(2000)));
        CScriptedUserInteraction ui;
        CKWave w;
        w.DoNotShowKWaveErrors(); // these messages are shown regardless
        ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "cut"));
        ui.m_messages.clear();
        ASSERT_EQ(::truncate(path.c_str(), c.truncateTo), 0);
        std::vector<short> out = fill(w, c.first, c.n);
        EXPECT_EQ(out, std::vector<short>(size_t(c.n), 0));
        ASSERT_EQ(ui.m_messages.size(), 1u);
        CString text;
        if (c.path % 2)
            text.Format("FillBufFromSampleNSamples() -> ( SeekedPosition == -1 )\n\nПлохая ошибка %i.\nНе удалось "
                        "провильно позиционироваться на сигнале.",
                        c.path);
        else
            text.Format("FillBufFromSampleNSamples() -> ( ReadedBytes != %s ).\n\nПлохая ошибка %i.\nНе удалось "
                        "правильно прочитать фрагмент сигнала.",
                        c.path == 2 ? "n_bytes" : "byte_n", c.path);
        EXPECT_EQ(ui.m_messages[0].sText, CString("Сообщение о звуковом файле - \n") + path.c_str() + ":\n\n" + text);
    }
}

TEST(KWave, RawBlockAccess)
{
    std::string path = writeFile("raw.wav", pcm16(2, 8000, {1, -1, 2, -2, 3, -3}));
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "raw"));
    EXPECT_EQ(w.SeekBlockAlignedWaveSample(1), 44 + 4);
    short frames[4];
    EXPECT_EQ(w.ReadBlockAlignedWaveSamples(frames, 2), 8);
    EXPECT_EQ(frames[0], 2);
    EXPECT_EQ(frames[1], -2);
    EXPECT_EQ(frames[3], -3);
    EXPECT_EQ(w.ReadBlockAlignedWaveSamples(frames, 2), 0); // at the end
}

// A wave whose file is closed (a re-open that failed, say) fills nothing,
// says nothing and reports it; the next open starts from the first sample.
TEST(KWave, ClosedWaveWindowOperationsFailQuietly)
{
    std::string path = writeFile("closed.wav", pcm16(1, 8000, ramp(3000)));
    CScriptedUserInteraction ui;
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "closed"));
    ASSERT_TRUE(w.PositKWaveWindowOnSample(1500));
    EXPECT_FALSE(w.OpenKWaveFile("/nonexistent/closed.wav", "gone"));
    ui.m_messages.clear();
    EXPECT_FALSE(w.PositKWaveWindowOnSample(700));
    short buf[4] = {9, 9, 9, 9};
    EXPECT_FALSE(w.FillKWaveBufFromSampleNSamples(buf, 10, 4));
    EXPECT_EQ(std::vector<short>(buf, buf + 4), std::vector<short>(4, 0));
    EXPECT_TRUE(ui.m_messages.empty());
    EXPECT_EQ(w.GetKWaveWindowSamplePosition(), 0);
}

// Positions at the far ends of the range read silence: the byte offset of
// such a sample does not exist, and must not wrap round into the file.
TEST(KWave, PositionsFarOutsideTheFileReadZeros)
{
    const std::vector<int> inter = StereoRamps(100, 1000);
    std::string path = writeFile("far.wav", pcm16(2, 8000, inter));
    CScriptedUserInteraction ui;
    CKWave w;
    ASSERT_TRUE(w.OpenKWaveFile(path.c_str(), "far"));
    for (long first : {LONG_MIN, LONG_MIN + 1, -9223372036854775000L, LONG_MIN / 4, LONG_MAX - 1, LONG_MAX / 4 + 3})
        EXPECT_EQ(fill(w, first, 2), std::vector<short>(2, 0)) << first;
    w.SetKWaveWindowWidthInSamples(4);
    EXPECT_TRUE(w.PositKWaveWindowOnSample(LONG_MIN));
    EXPECT_EQ(std::vector<short>(w.GetKWaveWindow(), w.GetKWaveWindow() + 4), std::vector<short>(4, 0));
    EXPECT_EQ(w.SeekBlockAlignedWaveSample(LONG_MAX / 2), -1);
    EXPECT_TRUE(ui.m_messages.empty());
    EXPECT_EQ(fill(w, 99, 1), std::vector<short>{1099});
}

TEST(KWave, APipeOrDeviceIsRefusedAtOnce)
{
    std::string fifo = tempPath("kwave-fifo.wav");
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CScriptedUserInteraction ui;
    CKWave w;
    EXPECT_FALSE(w.OpenKWaveFile(fifo.c_str(), "fifo"));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Сообщение о звуковом файле - \n" + CString(fifo.c_str()) +
                                          ":\n\nФайл не открывается: это не обычный файл, а устройство или канал.");
    EXPECT_FALSE(w.OpenKWaveFile("/dev/zero", "zero"));
    std::remove(fifo.c_str());
}
