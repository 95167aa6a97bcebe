// The phone object's record and the workshop document's object list, against
// bytes written out by hand from their layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "framework/base/CArchive.h"
#include "framework/base/CObList.h"
#include "testsupport/ArchiveBytes.h"
#include "testsupport/ByteFiles.h"
#include "kavrel/core/KPhoneObject.h"

using namespace kavrel_test;

namespace {

// A new object: byte 0, "Имя не указано" and "Без комментариев" in
// Windows-1251 with one-byte lengths, five zero ints, two empty strings, 0.0.
const Bytes kNewRecord = Cat({{0x00},
                              {0x0E, 0xC8, 0xEC, 0xFF, 0x20, 0xED, 0xE5, 0x20, 0xF3, 0xEA, 0xE0, 0xE7, 0xE0, 0xED, 0xEE},
                              {0x10, 0xC1, 0xE5, 0xE7, 0x20, 0xEA, 0xEE, 0xEC, 0xEC, 0xE5, 0xED, 0xF2, 0xE0, 0xF0, 0xE8,
                               0xE5, 0xE2},
                              Bytes(20, 0x00),
                              {0x00, 0x00},
                              Bytes(8, 0x00)});

// Flag 7, "а", "", samples 100..199, type 1, index 5, level 3, "x.gsr",
// "x.kfw", -3.5 dB.
const Bytes kRecord = Cat({{0x07},
                           {0x01, 0xE0},
                           {0x00},
                           Le32(100), Le32(199), Le32(1), Le32(5), Le32(3),
                           {0x05}, "x.gsr",
                           {0x05}, "x.kfw",
                           {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0xC0}});

void FillAsRecord(CKPhoneObject& p)
{
    p.nFlag = 7;
    p.sName = "а";
    p.sComment = "";
    p.nFirstSample = 100;
    p.nLastSample = 199;
    p.nType = 1;
    p.nIndex = 5;
    p.nLevel = 3;
    p.sPhoneObjectDocFilePathName = "x.gsr";
    p.sPhoneObjectFloatWaveFilePathName = "x.kfw";
    p.dLevelChange_dB = -3.5;
}

// The record of p as our writer stores it; the writer itself is checked
// against the hand-written bytes.
Bytes Stored(CKPhoneObject& p)
{
    return Store([&](CArchive& ar) { p.Serialize(ar); });
}

// The .tbx layout with a few bytes standing in for the film's record: the
// stand-in, the object list, nMaxLevel, nNextPhoneObjectIndex. Like the
// document, it owns what its list holds, loaded in full or not.
struct TbxShaped {
    bool bStandIn = true;
    int nStandIn = 42;
    CObList PhoneObjectList{10};
    int nMaxLevel = 3;
    int nNextPhoneObjectIndex = 6;

    ~TbxShaped()
    {
        for (POSITION pos = PhoneObjectList.GetHeadPosition(); pos;)
            delete PhoneObjectList.GetNext(pos);
    }
    void Serialize(CArchive& ar)
    {
        if (ar.IsStoring()) {
            ar << bStandIn << nStandIn;
            PhoneObjectList.Serialize(ar);
            ar << nMaxLevel << nNextPhoneObjectIndex;
        } else {
            ar >> bStandIn >> nStandIn;
            PhoneObjectList.Serialize(ar);
            ar >> nMaxLevel >> nNextPhoneObjectIndex;
        }
    }
};

// The class gets index 1 on its first appearance and the first object
// index 2; the second object's tag names the class, so it is 0x8000 | 1.
const Bytes kTbx = Cat({{0x01}, Le32(42),
                        {0x02, 0x00},
                        {0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}, "CKPhoneObject", kNewRecord,
                        {0x01, 0x80}, kRecord,
                        Le32(3), Le32(6)});
constexpr size_t kSchemaAt = 9, kNameAt = 13, kSecondTagAt = 26 + 63;

int LoadCause(Bytes bytes)
{
    TbxShaped doc;
    CArchive ar(&bytes, CArchive::load);
    try {
        doc.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

Bytes Patched(size_t at, Bytes with)
{
    Bytes b = kTbx;
    std::copy(with.begin(), with.end(), b.begin() + long(at));
    return b;
}

} // namespace

TEST(KPhoneObject, RecordLayout)
{
    ASSERT_EQ(kNewRecord.size(), 63u);
    CKPhoneObject fresh;
    EXPECT_EQ(Stored(fresh), kNewRecord);
    CKPhoneObject filled;
    FillAsRecord(filled);
    EXPECT_EQ(Stored(filled), kRecord);

    Bytes in = kRecord;
    CArchive ar(&in, CArchive::load);
    CKPhoneObject loaded;
    loaded.Serialize(ar);
    EXPECT_EQ(ar.GetRemaining(), 0);
    EXPECT_EQ(Stored(loaded), kRecord);

    // A Unicode build stores its strings in the UTF-16 form; that loads too.
    Bytes wide = Cat({{0x00, 0x00, 0x00}, Bytes(20, 0x00),
                      {0x00},
                      {0xFF, 0xFE, 0xFF, 0x04, 0x1F, 0x04, 0x43, 0x04, 0x42, 0x04, 0x4C, 0x04},
                      Bytes(8, 0x00)});
    CArchive arWide(&wide, CArchive::load);
    loaded.Serialize(arWide);
    EXPECT_EQ(loaded.sPhoneObjectFloatWaveFilePathName, "Путь");
    EXPECT_EQ(arWide.GetRemaining(), 0);
}

// A type the description dialog does not offer, or a level change outside
// its -110 .. 110 dB, does not load.
TEST(KPhoneObject, TypeAndLevelChangeOutsideTheDialogsDoNotLoad)
{
    // Flag, name, comment and the span before the type; the change ends the record.
    constexpr size_t kTypeAt = 1 + 2 + 1 + 8;
    const size_t changeAt = kRecord.size() - 8;
    auto loads = [](Bytes b) {
        CArchive ar(&b, CArchive::load);
        CKPhoneObject p;
        try {
            p.Serialize(ar);
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::genericException);
            return false;
        }
        return true;
    };
    auto withType = [](int t) {
        Bytes b = kRecord;
        const Bytes v = Le32(DWORD(t));
        std::copy(v.begin(), v.end(), b.begin() + long(kTypeAt));
        return b;
    };
    auto withChange = [&](double d) {
        Bytes b = kRecord;
        std::memcpy(&b[changeAt], &d, 8);
        return b;
    };
    EXPECT_TRUE(loads(withType(0)));
    EXPECT_TRUE(loads(withType(4)));
    EXPECT_FALSE(loads(withType(5)));
    EXPECT_FALSE(loads(withType(-1)));
    EXPECT_TRUE(loads(withChange(-110.0)));
    EXPECT_TRUE(loads(withChange(110.0)));
    EXPECT_FALSE(loads(withChange(110.5)));
    EXPECT_FALSE(loads(withChange(-1e300)));
    EXPECT_FALSE(loads(withChange(std::nan(""))));
}

TEST(KPhoneObject, TbxShapedArchive)
{
    TbxShaped doc;
    doc.PhoneObjectList.AddTail(new CKPhoneObject);
    auto* p = new CKPhoneObject;
    FillAsRecord(*p);
    doc.PhoneObjectList.AddTail(p);
    EXPECT_EQ(Store([&](CArchive& ar) { doc.Serialize(ar); }), kTbx);

    Bytes in = kTbx;
    CArchive ar(&in, CArchive::load);
    TbxShaped loaded;
    loaded.bStandIn = false;
    loaded.nStandIn = loaded.nMaxLevel = loaded.nNextPhoneObjectIndex = 0;
    loaded.Serialize(ar);
    EXPECT_EQ(ar.GetRemaining(), 0);
    EXPECT_TRUE(loaded.bStandIn);
    EXPECT_EQ(loaded.nStandIn, 42);
    EXPECT_EQ(loaded.nMaxLevel, 3);
    EXPECT_EQ(loaded.nNextPhoneObjectIndex, 6);
    ASSERT_EQ(loaded.PhoneObjectList.GetCount(), 2);
    POSITION pos = loaded.PhoneObjectList.GetHeadPosition();
    CObject* first = loaded.PhoneObjectList.GetNext(pos);
    CObject* second = loaded.PhoneObjectList.GetNext(pos);
    ASSERT_TRUE(first->IsKindOf(RUNTIME_CLASS(CKPhoneObject)));
    ASSERT_TRUE(second->IsKindOf(RUNTIME_CLASS(CKPhoneObject)));
    EXPECT_NE(first, second);
    EXPECT_EQ(Stored(*static_cast<CKPhoneObject*>(first)), kNewRecord);
    EXPECT_EQ(Stored(*static_cast<CKPhoneObject*>(second)), kRecord);
}

TEST(KPhoneObject, TbxShapedArchiveRejections)
{
    EXPECT_EQ(LoadCause(kTbx), -1);
    EXPECT_EQ(LoadCause(Patched(kSchemaAt, {0x02, 0x00})), CArchiveException::badSchema);
    EXPECT_EQ(LoadCause(Patched(kSchemaAt, {0x00, 0x00})), CArchiveException::badSchema);
    EXPECT_EQ(LoadCause(Patched(kNameAt + 2, {'p'})), CArchiveException::badClass); // "CKphoneObject"
    // 2 is the first object, not a class; 3 has not been met.
    EXPECT_EQ(LoadCause(Patched(kSecondTagAt, {0x02, 0x80})), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(Patched(kSecondTagAt, {0x03, 0x80})), CArchiveException::badIndex);
    // A back-reference to the first object would put it in the list twice.
    EXPECT_EQ(LoadCause(Patched(kSecondTagAt, {0x02, 0x00})), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(Patched(kSecondTagAt, {0x05, 0x00})), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(Patched(kSecondTagAt, {0x01, 0x00})), CArchiveException::badIndex);

    // Cut anywhere, the load fails; what it created is deleted with the
    // document (the sanitizer build checks that nothing is left).
    for (size_t cut = 0; cut < kTbx.size(); ++cut)
        EXPECT_EQ(LoadCause(Bytes(kTbx.begin(), kTbx.begin() + long(cut))), CArchiveException::endOfFile)
            << "cut at " << cut;

    // 60000 objects claimed in 20 bytes: refused before any is created.
    Bytes lying = Cat({{0x60, 0xEA}, {0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}, "CKPhoneObjec"});
    ASSERT_EQ(lying.size(), 20u);
    CArchive ar(&lying, CArchive::load);
    CObList list;
    try {
        list.Serialize(ar);
        ADD_FAILURE() << "a 20-byte list of 60000 objects loaded";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    EXPECT_TRUE(list.IsEmpty());
}

TEST(KPhoneObject, InitializeFromAnotherKeepsTheFlag)
{
    CKPhoneObject source;
    FillAsRecord(source);
    CKPhoneObject copy;
    copy.nFlag = 9;
    copy.InitializeFromAnotherKPhoneObject(&source);
    Bytes expected = kRecord;
    expected[0] = 9;
    EXPECT_EQ(Stored(copy), expected);
}
