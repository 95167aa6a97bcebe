#include <gtest/gtest.h>

#include <filesystem>

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "framework/base/CFile.h"
#include "testsupport/ByteFiles.h"

using namespace kavrel_test;

namespace {

CFileException OpenFailure(const std::string& path, UINT flags)
{
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(path.c_str(), flags, &e)) << path;
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.GetLastError().m_cause, e.m_cause);
    return e;
}

} // namespace

TEST(CFile, OpenFailuresCarryTheFrameworkCauses)
{
    ScratchDir dir;
    WriteAll(dir / "plain", {1, 2, 3});

    CFileException e = OpenFailure(dir / "missing.wav", CFile::modeRead);
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_lOsError, ENOENT);
    EXPECT_EQ(e.m_strFileName, (dir / "missing.wav").c_str());

    // A path that goes through a regular file as if it were a folder.
    EXPECT_EQ(OpenFailure(dir / "plain/x.wav", CFile::modeRead).m_cause, CFileException::badPath);
    EXPECT_EQ(OpenFailure(dir / "plain/x.wav", CFile::modeCreate | CFile::modeWrite).m_cause,
              CFileException::badPath);

    // A folder is not a file, whatever the mode.
    EXPECT_EQ(OpenFailure(dir.path(), CFile::modeRead).m_cause, CFileException::accessDenied);
    EXPECT_EQ(OpenFailure(dir.path(), CFile::modeReadWrite).m_cause, CFileException::accessDenied);

    // A name longer than the system allows.
    EXPECT_EQ(OpenFailure(dir / std::string(300, 'n'), CFile::modeRead).m_cause, CFileException::badPath);
}

TEST(CFile, FullPathIsWholeAgainstTheCurrentFolder)
{
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path("/tmp");
    EXPECT_STREQ(KFullPath("rel/./x/../doc.tbx"), "/tmp/rel/doc.tbx");
    std::filesystem::current_path(old);
    EXPECT_STREQ(KFullPath("/a/b/../c"), "/a/c");
    EXPECT_STREQ(KFullPath(""), "");
}

TEST(CFile, OsErrorMapping)
{
    EXPECT_EQ(CFileException::OsErrorToException(0), CFileException::none);
    EXPECT_EQ(CFileException::OsErrorToException(ENOENT), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(ENOTDIR), CFileException::badPath);
    EXPECT_EQ(CFileException::OsErrorToException(EMFILE), CFileException::tooManyOpenFiles);
    EXPECT_EQ(CFileException::OsErrorToException(EACCES), CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToException(EBADF), CFileException::invalidFile);
    EXPECT_EQ(CFileException::OsErrorToException(EIO), CFileException::hardIO);
    EXPECT_EQ(CFileException::OsErrorToException(ENOSPC), 13);
    EXPECT_EQ(CFileException::OsErrorToException(EDQUOT), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(EPROTO), CFileException::genericException);
}

TEST(CFile, WriteToAFullDiskFailsWithDiskFull)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    CFile f;
    ASSERT_TRUE(f.Open("/dev/full", CFile::modeWrite));
    char block[100] = {};
    EXPECT_FALSE(f.Write(block, sizeof block));
    EXPECT_EQ(f.GetLastError().m_cause, CFileException::diskFull);
    EXPECT_EQ(f.GetLastError().m_lOsError, ENOSPC);
    EXPECT_EQ(f.GetLastError().m_strFileName, "/dev/full");
}

TEST(CFile, ReadSeekAndLength)
{
    ScratchDir dir;
    const std::string path = dir / "data.bin";
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
        EXPECT_EQ(f.GetFilePath(), path.c_str());
        ASSERT_TRUE(f.Write("0123456789", 10));
        EXPECT_EQ(f.GetLength(), 10);
        EXPECT_EQ(f.GetPosition(), 10);

        char buf[16] = {};
        EXPECT_EQ(f.Read(buf, sizeof buf), 0u); // at the end
        EXPECT_EQ(f.GetLastError().m_cause, CFileException::none);

        EXPECT_EQ(f.Seek(-3, CFile::end), 7);
        EXPECT_EQ(f.Read(buf, sizeof buf), 3u); // a short read returns what is there
        EXPECT_EQ(std::string(buf, 3), "789");
        EXPECT_EQ(f.Seek(2, CFile::begin), 2);
        EXPECT_EQ(f.Seek(3, CFile::current), 5);
        EXPECT_EQ(f.Read(buf, 2), 2u);
        EXPECT_EQ(std::string(buf, 2), "56");
        EXPECT_EQ(f.SeekToBegin(), 0);
        EXPECT_EQ(f.SeekToEnd(), 10);
        EXPECT_EQ(f.Seek(-1, CFile::begin), -1);
        EXPECT_NE(f.GetLastError().m_cause, CFileException::none);

        EXPECT_TRUE(f.SetLength(4));
        EXPECT_EQ(f.GetLength(), 4);
        EXPECT_TRUE(f.SetLength(8)); // grows with zeros
        EXPECT_EQ(f.GetLength(), 8);
        EXPECT_EQ(f.Seek(12, CFile::begin), 12); // past the end is allowed, as on the platform
        EXPECT_TRUE(f.Flush());
        f.Close();
        EXPECT_FALSE(f.IsOpen());
    }
    EXPECT_EQ(ReadAll(path), (Bytes{'0', '1', '2', '3', 0, 0, 0, 0}));

    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_EQ(f.GetLength(), 8);
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)); // reopens, truncating
    EXPECT_EQ(f.GetLength(), 0);
    char c;
    EXPECT_EQ(f.Read(&c, 1), 0u); // write-only
    EXPECT_EQ(f.GetLastError().m_cause, CFileException::invalidFile);
}

TEST(CFile, AClosedFileRefusesEverything)
{
    CFile f;
    char c = 0;
    EXPECT_EQ(f.Read(&c, 1), 0u);
    EXPECT_EQ(f.GetLastError().m_cause, CFileException::invalidFile);
    EXPECT_FALSE(f.Write(&c, 1));
    EXPECT_EQ(f.Seek(0, CFile::begin), -1);
    EXPECT_EQ(f.GetLength(), -1);
    EXPECT_EQ(f.GetPosition(), -1);
    EXPECT_FALSE(f.SetLength(0));
    EXPECT_FALSE(f.Flush());
    f.Close();
    f.Abort();
}
