#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

#include "framework/base/TempFile.h"
#include "testsupport/ByteFiles.h"

using namespace kavrel_test;

namespace {

bool IsEmptyFile(const CString& path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

bool StartsWith(const CString& s, const std::string& head) { return s.str().rfind(head, 0) == 0; }

// Sets or clears $TMPDIR for the life of the object.
class TmpDirVariable {
public:
    explicit TmpDirVariable(const char* value)
    {
        if (const char* old = std::getenv("TMPDIR"))
            m_old = old;
        if (value)
            ::setenv("TMPDIR", value, 1);
        else
            ::unsetenv("TMPDIR");
    }
    ~TmpDirVariable()
    {
        if (m_old)
            ::setenv("TMPDIR", m_old->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> m_old;
};

} // namespace

TEST(TempFile, NamesAreNewFilesWithTheFolderAndPrefix)
{
    ScratchDir dir;
    const std::string head = dir.path() + "/wav";
    CString a = KCreateTempFileName(dir.path().c_str(), "wav");
    CString b = KCreateTempFileName((dir.path() + "/").c_str(), "wav");
    EXPECT_NE(a, b);
    for (const CString& name : {a, b}) {
        EXPECT_TRUE(StartsWith(name, head)) << name.str();
        EXPECT_EQ(name.GetLength(), int(head.size() + 6 + 4)) << name.str();
        EXPECT_EQ(name.Right(4), ".tmp");
        EXPECT_TRUE(IsEmptyFile(name)) << name.str();
    }

    CString c = KCreateTempFileName(dir.path().c_str(), "kavrel"); // only three characters of it
    EXPECT_TRUE(StartsWith(c, dir.path() + "/kav")) << c.str();
    EXPECT_EQ(c.GetLength(), int(dir.path().size() + 1 + 3 + 6 + 4)) << c.str();
    EXPECT_TRUE(IsEmptyFile(c));

    CString d = KCreateTempFileName(dir.path().c_str(), "звук"); // characters, not bytes
    EXPECT_TRUE(StartsWith(d, dir.path() + "/зву")) << d.str();
    EXPECT_EQ(d.GetLength(), int(dir.path().size() + 1 + std::string("зву").size() + 6 + 4)) << d.str();
    EXPECT_TRUE(IsEmptyFile(d));

    CString e = KCreateTempFileName(dir.path().c_str(), nullptr);
    EXPECT_EQ(e.GetLength(), int(dir.path().size() + 1 + 6 + 4)) << e.str();
    EXPECT_TRUE(IsEmptyFile(e));

    EXPECT_TRUE(KCreateTempFileName((dir / "no/such/folder").c_str(), "wav").IsEmpty());
}

TEST(TempFile, TheTemporaryFolderComesFromTmpdir)
{
    ScratchDir dir;
    {
        TmpDirVariable var(dir.path().c_str());
        EXPECT_EQ(KGetTempPath(), (dir.path() + "/").c_str());
        CString name = KCreateTempFileName(nullptr, "snd");
        EXPECT_TRUE(StartsWith(name, dir.path() + "/snd")) << name.str();
        EXPECT_TRUE(IsEmptyFile(name));
    }
    {
        TmpDirVariable var((dir.path() + "/").c_str());
        EXPECT_EQ(KGetTempPath(), (dir.path() + "/").c_str());
    }
    {
        TmpDirVariable var(nullptr);
        EXPECT_EQ(KGetTempPath(), "/tmp/");
    }
    {
        TmpDirVariable var("");
        EXPECT_EQ(KGetTempPath(), "/tmp/");
    }
}
