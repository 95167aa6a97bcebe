// CArchive's byte layout, written out by hand from the platform's rules.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <unistd.h>

#include "framework/base/CArchive.h"
#include "testsupport/ArchiveBytes.h"
#include "testsupport/ByteFiles.h"

using namespace kavrel_test;

// Every allocation in this test program goes through here, so that a test
// can tell whether loading a hostile length asked for a huge block. Requests
// above 256 MB are refused outright rather than taken from the machine.
namespace {
std::atomic<size_t> g_largestAllocation{0};
constexpr size_t kRefusedAllocation = size_t(256) << 20;
} // namespace

// GCC takes the free() below for one that pairs with new once it inlines
// both; these are the pair, so the warning is not for this code.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n)
{
    size_t seen = g_largestAllocation.load(std::memory_order_relaxed);
    while (n > seen && !g_largestAllocation.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
    }
    if (n > kRefusedAllocation)
        throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
// Every other plain form is replaced too, so that no block from a
// sanitizer's own operator new reaches the free() here.
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return operator new(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

Bytes Stored(const CString& s)
{
    return Store([&](CArchive& ar) { ar << s; });
}

// Loads one string; all of the archive must have been used.
CString Loaded(Bytes bytes)
{
    CArchive ar(&bytes, CArchive::load);
    CString s;
    ar >> s;
    EXPECT_EQ(ar.GetRemaining(), 0);
    return s;
}

std::string Letters(size_t n)
{
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i)
        s[i] = char('a' + i % 26);
    return s;
}

std::string Repeat(const char* unit, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += unit;
    return s;
}

Bytes Utf16Units(std::u16string_view units)
{
    Bytes b;
    for (char16_t c : units) {
        b.push_back(BYTE(c));
        b.push_back(BYTE(c >> 8));
    }
    return b;
}

} // namespace

TEST(CArchive, NarrowStringLengthForms)
{
    const struct {
        size_t n;
        Bytes header;
    } forms[] = {
        {0, {0x00}},
        {1, {0x01}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {256, {0xFF, 0x00, 0x01}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}}, // 0xFFFE would be the UTF-16 marker
        {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {100000, {0xFF, 0xFF, 0xFF, 0xA0, 0x86, 0x01, 0x00}},
    };
    for (const auto& form : forms) {
        std::string text = Letters(form.n);
        Bytes expected = Cat({form.header, std::string_view(text)});
        EXPECT_EQ(Stored(CString(text)), expected) << form.n;
        EXPECT_EQ(Loaded(expected).str(), text) << form.n;
    }
}

TEST(CArchive, Utf16StringLengthForms)
{
    // "ü" is outside Windows-1251, so these strings go in the UTF-16 form:
    // 0xFF, 0xFFFE, then the length in units in the same forms.
    const struct {
        size_t n;
        Bytes header;
    } forms[] = {
        {1, {0xFF, 0xFE, 0xFF, 0x01}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const auto& form : forms) {
        std::string text = Repeat("ü", form.n);
        Bytes expected = Cat({form.header, Utf16Units(std::u16string(form.n, u'ü'))});
        EXPECT_EQ(Stored(CString(text)), expected) << form.n;
        EXPECT_EQ(Loaded(expected).str(), text) << form.n;
    }
}

TEST(CArchive, StringsAreWindows1251WhenTheyFit)
{
    EXPECT_EQ(Stored("Привет"), (Bytes{0x06, 0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}));
    EXPECT_EQ(Stored("Ёё №"), (Bytes{0x04, 0xA8, 0xB8, 0x20, 0xB9}));
    EXPECT_EQ(Loaded({0x06, 0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}), "Привет");

    // One character that Windows-1251 lacks puts the whole string in UTF-16.
    EXPECT_EQ(Stored("Жü日"), (Bytes{0xFF, 0xFE, 0xFF, 0x03, 0x16, 0x04, 0xFC, 0x00, 0xE5, 0x65}));
    EXPECT_EQ(Stored("😀"), (Bytes{0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x00, 0xDE}));
    for (const char* s : {"Жü日", "/home/Jürgen/Записи/日本.wav", "😀 и 𝄞"})
        EXPECT_EQ(Loaded(Stored(s)), s);
}

TEST(CArchive, LoadsHandWrittenForms)
{
    // The UTF-16 form, as a Unicode build of the platform writes every string.
    EXPECT_EQ(Loaded({0xFF, 0xFE, 0xFF, 0x03, 0x1F, 0x04, 0x3E, 0x04, 0x3B, 0x04}), "Пол");
    EXPECT_EQ(Loaded({0xFF, 0xFE, 0xFF, 0x00}), "");
    // Longer forms than needed are still read.
    EXPECT_EQ(Loaded({0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0x3D, 0xD8, 0x00, 0xDE}), "😀");
    EXPECT_EQ(Loaded({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x41, 0x00}), "A");
    EXPECT_EQ(Loaded({0xFF, 0x03, 0x00, 'a', 'b', 'c'}), "abc");
    EXPECT_EQ(Loaded({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 0xEF, 0xF0}), "пр");
    // The 64-bit form: nothing of ours is that long.
    Bytes huge = Cat({{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Bytes(8, 0)});
    CArchive ar(&huge, CArchive::load);
    CString s;
    EXPECT_THROW(ar >> s, CArchiveException);
}

TEST(CArchive, ScalarWidthsAndBool)
{
    Bytes b = Store([](CArchive& ar) {
        ar << true << false << short(-2) << (unsigned short)0xABCD << int(-2) << long(0x12345678)
           << (unsigned long)0xFFFFFFFFul << (DWORD)0xDEADBEEF << 1.0f << -2.0 << 'A' << (BYTE)0xFE;
    });
    EXPECT_EQ(b, (Bytes{0x01, 0x00,                                     // bool: one byte each
                        0xFE, 0xFF, 0xCD, 0xAB,                         // short, WORD: two
                        0xFE, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, // int, long: four
                        0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xBE, 0xAD, 0xDE, // unsigned long, DWORD
                        0x00, 0x00, 0x80, 0x3F,                         // float 1
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, // double -2
                        'A', 0xFE}));

    Bytes in{0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80};
    CArchive ar(&in, CArchive::load);
    bool t = false, f = true, t2 = false;
    long l = 0;
    unsigned long ul = 0;
    unsigned short w = 0;
    ar >> t >> f >> t2 >> l >> ul >> w;
    EXPECT_TRUE(t);  // any nonzero byte reads true
    EXPECT_FALSE(f);
    EXPECT_TRUE(t2);
    EXPECT_EQ(l, -1L);
    EXPECT_EQ(ul, 0xFFFFFFFFul);
    EXPECT_EQ(w, 0x8000);
    EXPECT_EQ(ar.GetRemaining(), 0);
    EXPECT_THROW(ar >> t, CArchiveException);
}

TEST(CArchive, WrongDirectionThrows)
{
    Bytes buf{1, 2, 3};
    CArchive load(&buf, CArchive::load);
    try {
        load << 1;
        FAIL() << "storing into a loading archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
    }
    CArchive store(&buf, CArchive::store);
    int v;
    try {
        store >> v;
        FAIL() << "loading from a storing archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }
}

namespace {

// A record with every scalar and every string form, and its loader.
Bytes Record()
{
    Bytes stored = Store([](CArchive& ar) {
        ar << true << short(7) << int(-9) << long(123456) << 2.5f << 0.125 << CString("") << CString("Привет")
           << CString(Letters(300)) << CString("aü日😀") << CString(Repeat("ж", 300) + "ü");
    });
    return Cat({stored,
                {0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'},
                {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x41, 0x00},
                {0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0x3D, 0xD8, 0x00, 0xDE}});
}

void LoadRecord(CArchive& ar)
{
    bool b;
    short sh;
    int i;
    long l;
    float f;
    double d;
    CString s[8];
    ar >> b >> sh >> i >> l >> f >> d;
    for (CString& x : s)
        ar >> x;
    EXPECT_EQ(sh, 7);
    EXPECT_EQ(l, 123456L);
    EXPECT_EQ(d, 0.125);
    EXPECT_EQ(s[1], "Привет");
    EXPECT_EQ(s[2].str(), Letters(300));
    EXPECT_EQ(s[3], "aü日😀");
    EXPECT_EQ(s[4].str(), Repeat("ж", 300) + "ü");
    EXPECT_EQ(s[5], "abc");
    EXPECT_EQ(s[6], "A");
    EXPECT_EQ(s[7], "😀");
}

} // namespace

TEST(CArchive, ArchiveCutAtEveryByteThrows)
{
    const Bytes full = Record();
    {
        Bytes copy = full;
        CArchive ar(&copy, CArchive::load);
        LoadRecord(ar);
        EXPECT_EQ(ar.GetRemaining(), 0);
    }
    ScratchDir dir;
    const std::string path = dir / "cut.bin";
    for (size_t cut = 0; cut < full.size(); ++cut) {
        Bytes part(full.begin(), full.begin() + long(cut));
        {
            CArchive ar(&part, CArchive::load);
            EXPECT_THROW(LoadRecord(ar), CArchiveException) << "cut at " << cut;
        }
        WriteAll(path, part);
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
        CArchive ar(&file, CArchive::load);
        EXPECT_THROW(LoadRecord(ar), CArchiveException) << "file cut at " << cut;
    }
}

TEST(CArchive, AHugeClaimedLengthThrowsWithoutAllocating)
{
    const Bytes claims[] = {
        Cat({{0xFF, 0xFF, 0xFF}, Le32(0xFFFFFFFE), "abc"}),             // 4 GB of 8-bit text
        Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, Le32(0x7FFFFFFF)}),  // 4 GB of UTF-16
        Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, Le32(0xFFFFFFFE)}),  // 8 GB of UTF-16
        Cat({{0xFF, 0xFD, 0xFF}, "abcdefg"}),                          // 64 KB claimed, 7 there
    };
    ScratchDir dir;
    for (const Bytes& claim : claims) {
        ASSERT_EQ(claim.size(), 10u);
        Bytes copy = claim;
        WriteAll(dir / "claim.bin", claim);
        CFile file;
        ASSERT_TRUE(file.Open((dir / "claim.bin").c_str(), CFile::modeRead));

        g_largestAllocation = 0;
        for (CArchive* ar : {new CArchive(&copy, CArchive::load), new CArchive(&file, CArchive::load)}) {
            CString s;
            try {
                *ar >> s;
                ADD_FAILURE() << "a 10-byte archive gave a string of " << s.GetLength();
            } catch (const CArchiveException& e) {
                EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
            } catch (const std::bad_alloc&) {
                ADD_FAILURE() << "tried to allocate the claimed length";
            }
            delete ar;
        }
        EXPECT_LT(g_largestAllocation.load(), size_t(64) << 10) << testing::PrintToString(claim);
    }
}

TEST(CArchive, FileBackedStoreThenLoad)
{
    ScratchDir dir;
    const std::string path = dir / "doc.bin";
    auto write = [](CArchive& ar) {
        ar << CString("Заголовок") << int(3000);
        for (int i = 0; i < 3000; ++i)
            ar << i * 7 << double(i) / 8;  // well past the archive's own buffer
        ar << CString(Letters(70000)) << CString("конец ü");
    };
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        EXPECT_EQ(ar.GetFile(), &file);
        write(ar);
        ar.Close();
        file.Close();
    }
    EXPECT_EQ(ReadAll(path), Store(write)); // the same bytes as in memory

    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    CString title, big, tail;
    int n = 0;
    ar >> title >> n;
    EXPECT_EQ(title, "Заголовок");
    ASSERT_EQ(n, 3000);
    for (int i = 0; i < n; ++i) {
        int v;
        double d;
        ar >> v >> d;
        ASSERT_EQ(v, i * 7);
        ASSERT_EQ(d, double(i) / 8);
    }
    ar >> big >> tail;
    EXPECT_EQ(big.str(), Letters(70000));
    EXPECT_EQ(tail, "конец ü");
    EXPECT_EQ(ar.GetRemaining(), 0);
    char c;
    EXPECT_THROW(ar >> c, CArchiveException);
}

TEST(CArchive, AFailedFileStoreThrowsOnCloseOnly)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    CFile file;
    ASSERT_TRUE(file.Open("/dev/full", CFile::modeWrite));
    {
        CArchive ar(&file, CArchive::store);
        ar << int(1) << CString("abc");
        try {
            ar.Close();
            FAIL() << "Close on a full disk";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::diskFull);
        }
    }
    EXPECT_NO_THROW({
        CArchive ar(&file, CArchive::store);
        ar << int(1);
    }); // never closed: the destructor swallows the failure
}

TEST(CArchive, ALoadingArchiveGivesBackTheBytesItReadAhead)
{
    // As on the platform: after Close (or the end of a loading archive) the
    // file stands just past what was loaded, so the caller can read the rest
    // itself, e.g. a header through the archive and then raw samples.
    ScratchDir dir;
    const std::string path = dir / "header+samples.bin";
    Bytes samples(10000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = BYTE(i * 31);
    WriteAll(path, Cat({Stored("заголовок"), Le32(10000), samples}));

    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    for (bool close : {true, false}) {
        ASSERT_EQ(file.SeekToBegin(), 0);
        {
            CArchive ar(&file, CArchive::load);
            CString title;
            DWORD n = 0;
            ar >> title >> n;
            EXPECT_EQ(title, "заголовок");
            EXPECT_EQ(n, 10000u);
            if (close)
                ar.Close();
        }
        EXPECT_EQ(file.GetPosition(), 10 + 4) << (close ? "closed" : "destroyed");
        Bytes got(samples.size());
        EXPECT_EQ(file.Read(got.data(), UINT(got.size())), UINT(samples.size()));
        EXPECT_EQ(got, samples);
    }
}
