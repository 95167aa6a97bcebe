// RIFF files through the mmio calls, checked against bytes laid out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/base/CFile.h"
#include "framework/base/Mmio.h"
#include "framework/base/WaveFormat.h"
#include "testsupport/ByteFiles.h"

using namespace kavrel_test;

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

// 16 bytes of PCM format: mono, 22050 Hz, 16 bits.
const Bytes kPcm = {0x01, 0x00, 0x01, 0x00, 0x22, 0x56, 0x00, 0x00,
                    0x44, 0xAC, 0x00, 0x00, 0x02, 0x00, 0x10, 0x00};

// RIFF WAVE { LIST INFO { ISFT "abc"+pad }, junk (3 bytes)+pad, fmt (16), data (5)+pad }.
Bytes WaveWithExtras(DWORD riffSize)
{
    return Cat({"RIFF", Le32(riffSize), "WAVE",
                "LIST", Le32(16), "INFO", "ISFT", Le32(3), "abc", {0},
                "junk", Le32(3), {9, 9, 9, 0},
                "fmt ", Le32(16), kPcm,
                "data", Le32(5), {1, 2, 3, 4, 5, 0}});
}
constexpr DWORD kRiffSize = 4 + 24 + 12 + 24 + 14; // 78: the file is 86 bytes

class Mmio : public testing::Test {
protected:
    HMMIO Open(const Bytes& contents, DWORD flags = MMIO_READ)
    {
        WriteAll(m_path, contents);
        MMIOINFO info;
        info.wErrorRet = 12345;
        HMMIO h = mmioOpen(m_path.c_str(), &info, flags);
        EXPECT_NE(h, nullptr);
        EXPECT_EQ(info.wErrorRet, 0u);
        return h;
    }
    ScratchDir m_dir;
    std::string m_path = m_dir / "test.wav";
};

} // namespace

TEST_F(Mmio, CreateWritesPatchedSizesAndPadding)
{
    MMIOINFO info;
    HMMIO h = mmioOpen(m_path.c_str(), &info, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(h, nullptr);

    MMCKINFO riff, fmt, data;
    riff.fccType = kWave;
    ASSERT_EQ(mmioCreateChunk(h, &riff, MMIO_CREATERIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.ckid, mmioFOURCC('R', 'I', 'F', 'F'));
    EXPECT_EQ(riff.dwDataOffset, 8u);

    fmt.ckid = kFmt;
    fmt.cksize = 16; // right already: nothing to patch
    ASSERT_EQ(mmioCreateChunk(h, &fmt, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(fmt.dwDataOffset, 20u);
    ASSERT_EQ(mmioWrite(h, kPcm.data(), 16), 16);
    ASSERT_EQ(mmioAscend(h, &fmt), MMSYSERR_NOERROR);

    data.ckid = kData;
    data.cksize = 1000; // wrong: patched on ascend
    ASSERT_EQ(mmioCreateChunk(h, &data, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(data.dwDataOffset, 44u);
    const BYTE samples[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(mmioWrite(h, samples, 5), 5);
    ASSERT_EQ(mmioAscend(h, &data), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, 5u);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 50); // past the pad byte

    ASSERT_EQ(mmioAscend(h, &riff), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.cksize, 42u);
    ASSERT_EQ(mmioClose(h), MMSYSERR_NOERROR);

    EXPECT_EQ(ReadAll(m_path), Cat({"RIFF", {42, 0, 0, 0}, "WAVE",
                                    "fmt ", {16, 0, 0, 0}, kPcm,
                                    "data", {5, 0, 0, 0}, {1, 2, 3, 4, 5}, {0}}));
}

TEST_F(Mmio, DescendFindsChunksPastListAndOddChunks)
{
    const Bytes file = WaveWithExtras(kRiffSize);
    ASSERT_EQ(file.size(), 8 + kRiffSize);
    HMMIO h = Open(file);
    ASSERT_NE(h, nullptr);

    MMCKINFO riff, list, item, fmt, data, none;
    riff.fccType = kWave;
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.cksize, kRiffSize);
    EXPECT_EQ(riff.fccType, kWave);
    EXPECT_EQ(riff.dwDataOffset, 8u);

    fmt.ckid = kFmt;
    ASSERT_EQ(mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(fmt.ckid, kFmt);
    EXPECT_EQ(fmt.cksize, 16u);
    EXPECT_EQ(fmt.dwDataOffset, 56u);
    Bytes got(16);
    EXPECT_EQ(mmioRead(h, got.data(), 16), 16);
    EXPECT_EQ(got, kPcm);
    ASSERT_EQ(mmioAscend(h, &fmt), MMSYSERR_NOERROR);

    data.ckid = kData;
    ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, 5u);
    BYTE samples[8] = {};
    EXPECT_EQ(mmioRead(h, samples, 8), 6); // the pad byte is the last in the file
    EXPECT_EQ(mmioRead(h, samples, 8), 0);
    ASSERT_EQ(mmioAscend(h, &data), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 86);

    none.ckid = mmioFOURCC('c', 'u', 'e', ' ');
    EXPECT_EQ(mmioDescend(h, &none, &riff, MMIO_FINDCHUNK), 265u);

    // From the top again: the LIST and the chunk inside it, whose bounds
    // keep a search for "fmt " from leaving it.
    ASSERT_EQ(mmioSeek(h, 12, SEEK_SET), 12);
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioDescend(h, &list, &riff, MMIO_FINDLIST), MMSYSERR_NOERROR);
    EXPECT_EQ(list.cksize, 16u);
    item.ckid = mmioFOURCC('I', 'S', 'F', 'T');
    ASSERT_EQ(mmioDescend(h, &item, &list, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(item.cksize, 3u);
    char text[3];
    EXPECT_EQ(mmioRead(h, text, 3), 3);
    EXPECT_EQ(std::string(text, 3), "abc");
    ASSERT_EQ(mmioAscend(h, &item), MMSYSERR_NOERROR);
    fmt.ckid = kFmt;
    EXPECT_EQ(mmioDescend(h, &fmt, &list, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);

    // A RIFF of another form is not found.
    ASSERT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
    MMCKINFO avi;
    avi.fccType = mmioFOURCC('A', 'V', 'I', ' ');
    EXPECT_EQ(mmioDescend(h, &avi, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioClose(h), MMSYSERR_NOERROR);
}

TEST_F(Mmio, ARiffSizeOfZeroOrPastTheEndRunsToTheEndOfFile)
{
    for (DWORD riffSize : {DWORD(0), DWORD(1000), DWORD(0xFFFFFFFF)}) {
        HMMIO h = Open(WaveWithExtras(riffSize));
        ASSERT_NE(h, nullptr);
        MMCKINFO riff, data;
        riff.fccType = kWave;
        ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR) << riffSize;
        data.ckid = kData;
        ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR) << riffSize;
        EXPECT_EQ(data.dwDataOffset, 80u);
        EXPECT_EQ(data.cksize, 5u);
        mmioClose(h);
    }
}

TEST_F(Mmio, AChunkRunningPastTheEndHidesWhatFollowsWithoutHanging)
{
    for (DWORD junkSize : {DWORD(0x7FFFFFF0), DWORD(0xFFFFFFFF), DWORD(0xFFFFFFFE), DWORD(30)}) {
        Bytes file = Cat({"RIFF", Le32(0), "WAVE", "fmt ", Le32(16), kPcm,
                          "junk", Le32(junkSize), {0, 0, 0, 0}, "data", Le32(2), {7, 7}});
        HMMIO h = Open(file);
        ASSERT_NE(h, nullptr);
        MMCKINFO riff, fmt, data;
        riff.fccType = kWave;
        ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
        fmt.ckid = kFmt;
        EXPECT_EQ(mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
        EXPECT_EQ(mmioAscend(h, &fmt), MMSYSERR_NOERROR);
        data.ckid = kData;
        EXPECT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND) << junkSize;
        mmioClose(h);
    }
    // A file cut inside a chunk header, or empty.
    for (size_t cut : {size_t(0), size_t(4), size_t(10), size_t(14), size_t(18)}) {
        Bytes file = WaveWithExtras(kRiffSize);
        file.resize(cut);
        HMMIO h = Open(file);
        ASSERT_NE(h, nullptr);
        MMCKINFO riff, fmt;
        riff.fccType = kWave;
        fmt.ckid = kFmt;
        MMRESULT r = mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF);
        if (r == MMSYSERR_NOERROR)
            r = mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK);
        EXPECT_EQ(r, MMIOERR_CHUNKNOTFOUND) << cut;
        mmioClose(h);
    }
}

TEST_F(Mmio, SeekReadAndWriteLimits)
{
    HMMIO h = Open(Bytes(10, 0x55));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_END), 10);
    EXPECT_EQ(mmioSeek(h, 1, SEEK_END), -1); // read-only: not past the end
    EXPECT_EQ(mmioSeek(h, 11, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(h, -1, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(h, 4, SEEK_SET), 4);
    EXPECT_EQ(mmioSeek(h, 3, SEEK_CUR), 7);
    EXPECT_EQ(mmioSeek(h, 4, SEEK_CUR), -1);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 7); // a refused seek does not move
    BYTE b[4];
    EXPECT_EQ(mmioRead(h, b, 4), 3);
    EXPECT_EQ(mmioRead(h, b, 4), 0);
    EXPECT_EQ(mmioWrite(h, b, 1), -1);
    MMCKINFO ck;
    ck.ckid = kData;
    EXPECT_EQ(mmioCreateChunk(h, &ck, 0), MMIOERR_CANNOTWRITE);
    EXPECT_EQ(mmioClose(h), MMSYSERR_NOERROR);

    h = Open(Bytes(10, 0x55), MMIO_READWRITE);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(mmioSeek(h, 20, SEEK_SET), 20); // a writer may
    EXPECT_EQ(mmioClose(h), MMSYSERR_NOERROR);

    MMIOINFO info;
    EXPECT_EQ(mmioOpen((m_dir / "missing.wav").c_str(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
    EXPECT_EQ(mmioOpen(m_dir.path().c_str(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_ACCESSDENIED);
}

TEST_F(Mmio, WritingToAFullDiskReportsCannotWrite)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    MMIOINFO info;
    HMMIO h = mmioOpen("/dev/full", &info, MMIO_WRITE);
    ASSERT_NE(h, nullptr);
    MMCKINFO ck;
    ck.fccType = kWave;
    EXPECT_EQ(mmioCreateChunk(h, &ck, MMIO_CREATERIFF), 262u);
    EXPECT_EQ(mmioWrite(h, "x", 1), -1);
    mmioClose(h);
}

// A failure is the last operation's, not an old one's: after a refused
// write, reading to the end and closing still succeed.
TEST(MmioErrors, EarlierFailureDoesNotTaintLaterResults)
{
    HMMIO h = mmioOpen("/dev/full", nullptr, MMIO_WRITE);
    ASSERT_NE(h, nullptr);
    char b[4] = {1, 2, 3, 4};
    EXPECT_EQ(mmioWrite(h, b, 4), -1);
    EXPECT_EQ(mmioRead(h, b, 4), -1); // opened for writing only
    EXPECT_EQ(mmioClose(h), MMSYSERR_NOERROR);
}

// Past 2 GiB a writer's positions and the sizes it patches stay exact, up to
// the end of the largest RIFF form. The file is sparse: only the header and
// a few bytes at the far end take room on disk.
TEST_F(Mmio, PositionsPastTwoGigabytesAreExact)
{
    HMMIO h = mmioOpen(m_path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(h, nullptr);
    MMCKINFO riff, data;
    riff.fccType = kWave;
    data.ckid = kData;
    ASSERT_EQ(mmioCreateChunk(h, &riff, MMIO_CREATERIFF), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioCreateChunk(h, &data, 0), MMSYSERR_NOERROR);
    const long long far = 0xA0000000LL; // 2.5 GiB
    EXPECT_EQ(mmioSeek(h, far, SEEK_SET), far);
    const BYTE tail[4] = {1, 2, 3, 4};
    EXPECT_EQ(mmioWrite(h, tail, 4), 4);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), far + 4);
    EXPECT_EQ(mmioSeek(h, -4, SEEK_CUR), far);
    EXPECT_EQ(mmioSeek(h, far + 4, SEEK_SET), far + 4);
    ASSERT_EQ(mmioAscend(h, &data), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAscend(h, &riff), MMSYSERR_NOERROR);
    // The largest form ends 8 + 0xFFFFFFFF bytes in; nothing lies beyond.
    EXPECT_EQ(mmioSeek(h, 8 + 0xFFFFFFFFLL, SEEK_SET), 8 + 0xFFFFFFFFLL);
    EXPECT_EQ(mmioSeek(h, 9 + 0xFFFFFFFFLL, SEEK_SET), -1);
    EXPECT_EQ(mmioClose(h), MMSYSERR_NOERROR);

    CFile f;
    ASSERT_TRUE(f.Open(m_path.c_str(), CFile::modeRead));
    EXPECT_EQ(f.GetLength(), far + 4);
    BYTE head[20];
    ASSERT_EQ(f.Read(head, 20), 20u);
    EXPECT_EQ(Bytes(head, head + 20), Cat({"RIFF", Le32(DWORD(far + 4 - 8)), "WAVE", "data", Le32(DWORD(far + 4 - 20))}));
    ASSERT_EQ(f.Seek(far, CFile::begin), far);
    BYTE back[4];
    ASSERT_EQ(f.Read(back, 4), 4u);
    EXPECT_EQ(Bytes(back, back + 4), Bytes(tail, tail + 4));

    // A reader finds the data chunk's end where the writer put it.
    h = mmioOpen(m_path.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(h, nullptr);
    riff.fccType = kWave;
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, DWORD(far + 4 - 20));
    EXPECT_EQ(mmioSeek(h, (long long)data.dwDataOffset + data.cksize, SEEK_SET), far + 4);
    EXPECT_EQ(mmioClose(h), MMSYSERR_NOERROR);
}

// A reader opens regular files only: a FIFO would block the program in the
// open, waiting for a writer that never comes.
TEST_F(Mmio, ReadersRefuseWhatIsNotARegularFile)
{
    const std::string fifo = m_dir / "pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    MMIOINFO info;
    EXPECT_EQ(mmioOpen(fifo.c_str(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_INVALIDFILE);
    CFile f;
    EXPECT_FALSE(f.Open(fifo.c_str(), CFile::modeRead));
    EXPECT_EQ(f.GetLastError().m_cause, CFileException::invalidFile);
    EXPECT_FALSE(f.Open("/dev/zero", CFile::modeRead));
    // Nobody reads the pipe: a writer is told so at once instead of waiting.
    EXPECT_FALSE(f.Open(fifo.c_str(), CFile::modeWrite));
}
