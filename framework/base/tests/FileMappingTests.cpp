#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/base/FileMapping.h"
#include "framework/base/TempFile.h"
#include "testsupport/ByteFiles.h"

using namespace kavrel_test;

namespace {

long long FileSize(const CString& path)
{
    struct stat st;
    return ::stat(path, &st) == 0 ? st.st_size : -1;
}

int OpenDescriptors()
{
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)e;
        ++n;
    }
    return n;
}

// Whether some part of the file is still mapped into the process.
bool IsMapped(const CString& path)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(path.str()) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

TEST(FileMapping, TemporaryFileIsSharedBetweenTheViewAndTheFile)
{
    ScratchDir dir;
    const int fdsBefore = OpenDescriptors();
    const CString path = KCreateTempFileName(dir.path().c_str(), "TBX");
    ASSERT_FALSE(path.IsEmpty());
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeReadWrite));

    // 1001 frames of two channels, four bytes each: not a whole number of pages.
    const unsigned long long nBytes = 1001ull * 2 * 4;
    HFILEMAPPING h = CreateFileMapping(file, PAGE_READWRITE, nBytes);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(FileSize(path), 8008);
    auto* y = static_cast<float*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0));
    ASSERT_NE(y, nullptr);
    EXPECT_TRUE(IsMapped(path));
    for (int i = 0; i < 2002; ++i)
        ASSERT_EQ(y[i], 0.0f) << i; // a grown file reads as zeros

    // Written through the view, read through the file.
    y[0] = 1.0f;    // 00 00 80 3F
    y[2001] = -2.0f; // 00 00 00 C0
    BYTE head[4] = {}, tail[4] = {};
    ASSERT_EQ(file.Seek(0, CFile::begin), 0);
    ASSERT_EQ(file.Read(head, 4), 4u);
    ASSERT_EQ(file.Seek(8004, CFile::begin), 8004);
    ASSERT_EQ(file.Read(tail, 4), 4u);
    EXPECT_EQ(Bytes(head, head + 4), (Bytes{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(Bytes(tail, tail + 4), (Bytes{0x00, 0x00, 0x00, 0xC0}));

    // Written through the file, read through the view.
    const BYTE half[4] = {0x00, 0x00, 0x00, 0x3F}; // 0.5f
    ASSERT_EQ(file.Seek(4000, CFile::begin), 4000);
    ASSERT_TRUE(file.Write(half, 4));
    EXPECT_EQ(y[1000], 0.5f);

    // The mapping keeps its own hold on the file.
    file.Close();
    y[1] = 3.0f;
    EXPECT_TRUE(UnmapViewOfFile(y));
    EXPECT_FALSE(UnmapViewOfFile(y)); // only once
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(IsMapped(path));
    EXPECT_EQ(OpenDescriptors(), fdsBefore);
    const Bytes all = ReadAll(path.str());
    ASSERT_EQ(all.size(), 8008u);
    EXPECT_EQ(Bytes(all.begin() + 4, all.begin() + 8), (Bytes{0x00, 0x00, 0x40, 0x40}));
    EXPECT_EQ(std::remove(path), 0);
}

TEST(FileMapping, EachFailurePointFailsOnceAndLeavesNothingBehind)
{
    ScratchDir dir;
    const CString path = KCreateTempFileName(dir.path().c_str(), "TBX");
    const int fdsBefore = OpenDescriptors();
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeReadWrite));

        KFailNextCreateFileMapping();
        errno = 0;
        EXPECT_EQ(CreateFileMapping(file, PAGE_READWRITE, 4096), nullptr);
        EXPECT_EQ(errno, ENOMEM);
        EXPECT_EQ(FileSize(path), 0); // the failed call did not grow the file

        HFILEMAPPING h = CreateFileMapping(file, PAGE_READWRITE, 4096);
        ASSERT_NE(h, nullptr);
        KFailNextMapViewOfFile(ENOSPC);
        errno = 0;
        EXPECT_EQ(MapViewOfFile(h, FILE_MAP_WRITE, 0, 0), nullptr);
        EXPECT_EQ(errno, ENOSPC);
        EXPECT_FALSE(IsMapped(path));

        void* p = MapViewOfFile(h, FILE_MAP_WRITE, 0, 0);
        EXPECT_NE(p, nullptr);
        EXPECT_TRUE(UnmapViewOfFile(p));
        EXPECT_TRUE(CloseHandle(h));
    }
    EXPECT_FALSE(IsMapped(path));
    EXPECT_EQ(OpenDescriptors(), fdsBefore);
}

TEST(FileMapping, RefusesWhatThePlatformRefuses)
{
    ScratchDir dir;
    WriteAll(dir / "four", {1, 2, 3, 4});
    WriteAll(dir / "empty", {});
    const int fdsBefore = OpenDescriptors();
    {
        CFile readOnly, empty, closed;
        ASSERT_TRUE(readOnly.Open((dir / "four").c_str(), CFile::modeRead));
        ASSERT_TRUE(empty.Open((dir / "empty").c_str(), CFile::modeReadWrite));

        EXPECT_EQ(CreateFileMapping(closed, PAGE_READONLY, 0), nullptr);
        EXPECT_EQ(errno, EBADF);
        EXPECT_EQ(CreateFileMapping(readOnly, PAGE_READWRITE, 0), nullptr);
        EXPECT_EQ(errno, EACCES);
        EXPECT_EQ(CreateFileMapping(readOnly, PAGE_READONLY, 8), nullptr); // cannot grow
        EXPECT_EQ(CreateFileMapping(empty, PAGE_READWRITE, 0), nullptr);
        EXPECT_EQ(errno, EINVAL);

        HFILEMAPPING h = CreateFileMapping(readOnly, PAGE_READONLY, 0);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(MapViewOfFile(h, FILE_MAP_WRITE, 0, 0), nullptr);
        EXPECT_EQ(errno, EACCES);
        EXPECT_EQ(MapViewOfFile(h, FILE_MAP_READ, 0, 5), nullptr); // past the mapping's end
        EXPECT_EQ(MapViewOfFile(h, FILE_MAP_READ, 4096, 0), nullptr);
        auto* p = static_cast<const BYTE*>(MapViewOfFile(h, FILE_MAP_READ, 0, 0));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Bytes(p, p + 4), (Bytes{1, 2, 3, 4}));
        EXPECT_TRUE(UnmapViewOfFile(p));
        EXPECT_TRUE(CloseHandle(h));
        EXPECT_EQ(FileSize((dir / "four").c_str()), 4);
    }
    EXPECT_EQ(OpenDescriptors(), fdsBefore);
}
