// The archive's object form and CObList, against bytes written out by hand
// from the tag rules: 0x0000 null; 0xFFFF, schema, name length and name for
// a class met for the first time; 0x8000 | class index for a class met
// before; an object met before as its index alone; 0x7FFF then 32 bits for
// indices from 0x7FFF on. Classes and objects share one count from 1.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/base/CArchive.h"
#include "framework/base/CObList.h"
#include "framework/base/CObject.h"
#include "testsupport/ArchiveBytes.h"
#include "testsupport/ByteFiles.h"

using namespace kavrel_test;

// Two serialisable classes with a live count, so that a test sees whether
// a failed load left anything behind. They are global, as a registered
// class with its typed load must be.
static int g_nLiveObjects = 0;

// A member that counts its object among the live ones while it exists.
struct KLiveCount {
    KLiveCount() { ++g_nLiveObjects; }
    ~KLiveCount() { --g_nLiveObjects; }
    KLiveCount(const KLiveCount&) = delete;
    KLiveCount& operator=(const KLiveCount&) = delete;
};

// Each test class keeps one field: stored, or loaded, as the archive goes.
template <class T> void SerializeField(CArchive& ar, T& field)
{
    if (ar.IsStoring())
        ar << field;
    else
        ar >> field;
}

class CTestItem : public CObject {
    DECLARE_SERIAL(CTestItem)
public:
    CTestItem() = default;
    explicit CTestItem(int v) : nValue(v) {}
    void Serialize(CArchive& ar) override { SerializeField(ar, nValue); }
    KLiveCount live;
    int nValue = 0;
};

class CTestOther : public CObject {
    DECLARE_SERIAL(CTestOther)
public:
    void Serialize(CArchive& ar) override { SerializeField(ar, bFlag); }
    KLiveCount live;
    bool bFlag = true;
};

// Dynamic only: it has no schema and cannot be stored.
class CTestDynamic : public CObject {
    DECLARE_DYNAMIC(CTestDynamic)
};

IMPLEMENT_SERIAL(CTestItem, CObject, 3)
IMPLEMENT_SERIAL(CTestOther, CObject, 1)
IMPLEMENT_DYNAMIC(CTestDynamic, CObject)

namespace {

const Bytes kItemClass = Cat({{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, "CTestItem"});
const Bytes kOtherClass = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00}, "CTestOther"});

// Runs load on bytes and returns the archive exception's cause (-1: none).
int LoadCause(Bytes bytes, const std::function<void(CArchive&)>& load)
{
    CArchive ar(&bytes, CArchive::load);
    try {
        load(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

void DeleteAll(CObList& list)
{
    for (POSITION pos = list.GetHeadPosition(); pos;)
        delete list.GetNext(pos);
    list.RemoveAll();
}

} // namespace

TEST(CObject, TagsAndIndicesInStoreOrder)
{
    CTestItem a(0x11), b(0x22), d(0x44);
    CTestOther c;
    // Indices: CTestItem 1, a 2, b 3, CTestOther 4, c 5, d 6.
    const Bytes expected = Cat({{0x00, 0x00},                    // null
                                kItemClass, Le32(0x11),          // a
                                {0x01, 0x80}, Le32(0x22),        // b: class 1
                                {0x02, 0x00},                    // a again
                                kOtherClass, {0x01},             // c
                                {0x01, 0x80}, Le32(0x44),        // d: class 1
                                {0x05, 0x00}, {0x03, 0x00}});    // c, b again
    EXPECT_EQ(Store([&](CArchive& ar) { ar << (CObject*)nullptr << &a << &b << &a << &c << &d << &c << &b; }),
              expected);

    Bytes in = expected;
    CArchive ar(&in, CArchive::load);
    CObject* p[8];
    for (CObject*& x : p)
        ar >> x;
    EXPECT_EQ(ar.GetRemaining(), 0);
    EXPECT_EQ(p[0], nullptr);
    ASSERT_TRUE(p[1]->IsKindOf(RUNTIME_CLASS(CTestItem)));
    ASSERT_TRUE(p[2]->IsKindOf(RUNTIME_CLASS(CTestItem)));
    ASSERT_TRUE(p[4]->IsKindOf(RUNTIME_CLASS(CTestOther)));
    ASSERT_TRUE(p[5]->IsKindOf(RUNTIME_CLASS(CTestItem)));
    EXPECT_EQ(static_cast<CTestItem*>(p[1])->nValue, 0x11);
    EXPECT_EQ(static_cast<CTestItem*>(p[2])->nValue, 0x22);
    EXPECT_EQ(static_cast<CTestItem*>(p[5])->nValue, 0x44);
    EXPECT_EQ(p[3], p[1]);
    EXPECT_EQ(p[6], p[4]);
    EXPECT_EQ(p[7], p[2]);
    for (int i : {1, 2, 4, 5})
        delete p[i];
    EXPECT_EQ(g_nLiveObjects, 4); // a, b, c, d
}

TEST(CObject, BigIndicesUseThe32BitForms)
{
    // CTestItem is 1 and the items 2 .. 0x7FFF; CTestOther gets 0x8000 and
    // its objects 0x8001 and 0x8002.
    std::vector<CTestItem> items(0x7FFE);
    CTestOther o1, o2;
    Bytes all = Store([&](CArchive& ar) {
        for (CTestItem& x : items)
            ar << &x;
        ar << &items.back() << &o1 << &o2 << &items[items.size() - 2] << &o2;
    });
    const Bytes tail = Cat({{0x01, 0x80}, Le32(0),                   // the last item: class 1
                            {0xFF, 0x7F}, Le32(0x7FFF),              // the last item again
                            kOtherClass, {0x01},                     // o1
                            {0xFF, 0x7F}, Le32(0x80008000), {0x01},  // o2: class 0x8000
                            {0xFE, 0x7F},                            // item 0x7FFE again
                            {0xFF, 0x7F}, Le32(0x8002)});            // o2 again
    ASSERT_GT(all.size(), tail.size());
    EXPECT_EQ(Bytes(all.end() - long(tail.size()), all.end()), tail);

    CArchive ar(&all, CArchive::load);
    const size_t n = items.size();
    std::vector<CObject*> p(n + 5);
    for (CObject*& x : p)
        ar >> x;
    EXPECT_EQ(ar.GetRemaining(), 0);
    EXPECT_EQ(p[n], p[n - 1]);
    EXPECT_EQ(p[n + 3], p[n - 2]);
    EXPECT_EQ(p[n + 4], p[n + 2]);
    EXPECT_NE(p[n + 1], p[n + 2]);
    EXPECT_TRUE(p[n + 2]->IsKindOf(RUNTIME_CLASS(CTestOther)));
    for (size_t i = 0; i < n + 3; ++i)
        if (i != n)
            delete p[i];
}

TEST(CObject, LoadRefusesWhatItCannotResolve)
{
    auto loadOne = [](CArchive& ar) {
        CObject* p;
        ar >> p;
        delete p;
    };
    auto loadTwo = [](CArchive& ar) {
        CObject *p = nullptr, *q = nullptr;
        try {
            ar >> p >> q;
        } catch (...) {
            delete p;
            throw;
        }
        delete p;
        if (q != p)
            delete q;
    };
    const Bytes a = Cat({kItemClass, Le32(7)});
    const struct {
        Bytes bytes;
        std::function<void(CArchive&)> load;
        int cause;
    } cases[] = {
        {Cat({{0xFF, 0xFF, 0x02, 0x00, 0x09, 0x00}, "CTestItem", Le32(7)}), loadOne, CArchiveException::badSchema},
        {Cat({{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, "CTestItex", Le32(7)}), loadOne, CArchiveException::badClass},
        {Cat({{0xFF, 0xFF, 0x00, 0x00, 0x0C, 0x00}, "CTestDynamic"}), loadOne, CArchiveException::badClass},
        {Cat({{0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00}}), loadOne, CArchiveException::badClass},
        {Cat({{0xFF, 0xFF, 0x03, 0x00, 0x00, 0x10}, Bytes(0x1000, 'C')}), loadOne, CArchiveException::badClass},
        {Cat({{0xFF, 0xFF, 0x03, 0x00, 0x28, 0x00}, "CTestItem"}), loadOne, CArchiveException::endOfFile},
        {{0x01, 0x00}, loadOne, CArchiveException::badIndex},                          // nothing met yet
        {{0x01, 0x80}, loadOne, CArchiveException::badIndex},
        {{0x00, 0x80}, loadOne, CArchiveException::badIndex},                          // class 0
        {{0xFF, 0x7F, 0x05, 0x00, 0x00, 0x80}, loadOne, CArchiveException::badIndex},
        {{0xFF, 0x7F, 0x05, 0x00, 0x00}, loadOne, CArchiveException::endOfFile},
        {Cat({a, {0x01, 0x00}}), loadTwo, CArchiveException::badIndex},                // 1 is the class
        {Cat({a, {0x03, 0x00}}), loadTwo, CArchiveException::badIndex},                // not met yet
        {Cat({a, {0x02, 0x80}}), loadTwo, CArchiveException::badIndex},                // 2 is the object
        {Cat({a, {0x03, 0x80}}), loadTwo, CArchiveException::badIndex},
        {Cat({a, {0x01, 0x80}, {0x01, 0x00}}), loadTwo, CArchiveException::endOfFile}, // short record
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadCause(c.bytes, c.load), c.cause) << testing::PrintToString(c.bytes);
        EXPECT_EQ(g_nLiveObjects, 0) << testing::PrintToString(c.bytes);
    }

    // The typed load refuses another class, new or met before.
    auto loadItem = [](CArchive& ar) {
        CTestItem* p = nullptr;
        ar >> p;
        delete p;
    };
    EXPECT_EQ(LoadCause(Cat({kOtherClass, {0x01}}), loadItem), CArchiveException::badClass);
    EXPECT_EQ(LoadCause(Cat({kOtherClass, {0x01}, {0x02, 0x00}}),
                        [&](CArchive& ar) {
                            CObject* p;
                            ar >> p;
                            std::unique_ptr<CObject> owner(p);
                            loadItem(ar);
                        }),
              CArchiveException::badClass);
    EXPECT_EQ(g_nLiveObjects, 0);
    EXPECT_EQ(LoadCause(a, loadItem), -1);

    // Storing an object that could never be loaded is refused at once.
    CTestDynamic dyn;
    Bytes buf;
    CArchive ar(&buf, CArchive::store);
    try {
        ar << &dyn;
        ADD_FAILURE() << "stored a class without a schema";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
}

TEST(CObList, ListOperations)
{
    CTestItem a(1), b(2), c(3);
    CObList list;
    list.AddTail(&b);
    list.AddHead(&a);
    POSITION pc = list.AddTail(&c);
    list.AddTail(&a);
    auto order = [&] {
        std::vector<int> v;
        for (POSITION pos = list.GetHeadPosition(); pos;)
            v.push_back(static_cast<CTestItem*>(list.GetNext(pos))->nValue);
        return v;
    };
    EXPECT_EQ(order(), (std::vector<int>{1, 2, 3, 1}));

    POSITION first = list.Find(&a);
    EXPECT_EQ(first, list.GetHeadPosition());
    EXPECT_EQ(list.Find(&a, first), list.GetTailPosition());
    EXPECT_EQ(list.Find(&a, list.GetTailPosition()), nullptr);
    list.RemoveAt(pc);
    list.RemoveAt(first);
    list.RemoveAt(list.GetTailPosition());
    EXPECT_EQ(order(), (std::vector<int>{2}));
    EXPECT_EQ(list.GetHead(), list.GetTail());
    list.RemoveAt(list.GetHeadPosition());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetTailPosition(), nullptr);
}

TEST(CObList, SerializeForms)
{
    CTestItem a(5), b(6);
    CObList list;
    list.AddTail(&a);
    list.AddTail(nullptr);
    list.AddTail(&b);
    const Bytes expected = Cat({{0x03, 0x00}, kItemClass, Le32(5), {0x00, 0x00}, {0x01, 0x80}, Le32(6)});
    EXPECT_EQ(Store([&](CArchive& ar) { list.Serialize(ar); }), expected);

    Bytes in = expected;
    CArchive ar(&in, CArchive::load);
    CObList loaded;
    loaded.Serialize(ar);
    ASSERT_EQ(loaded.GetCount(), 3);
    POSITION pos = loaded.GetHeadPosition();
    EXPECT_EQ(static_cast<CTestItem*>(loaded.GetNext(pos))->nValue, 5);
    EXPECT_EQ(loaded.GetNext(pos), nullptr);
    EXPECT_EQ(static_cast<CTestItem*>(loaded.GetNext(pos))->nValue, 6);
    DeleteAll(loaded);

    // From 65535 elements on the count is 0xFFFF and then 32 bits.
    CObList nulls;
    for (int i = 0; i < 0xFFFF; ++i)
        nulls.AddTail(nullptr);
    Bytes big = Store([&](CArchive& ar) { nulls.Serialize(ar); });
    EXPECT_EQ(big, Cat({{0xFF, 0xFF}, Le32(0xFFFF), Bytes(2 * 0xFFFF, 0)}));
    CArchive bigAr(&big, CArchive::load);
    CObList back;
    back.Serialize(bigAr);
    EXPECT_EQ(back.GetCount(), 0xFFFF);
    EXPECT_EQ(bigAr.GetRemaining(), 0);
}

TEST(CObList, AFailedLoadLeavesItsObjectsInTheListOnly)
{
    const Bytes full = Cat({{0x03, 0x00}, kItemClass, Le32(5), kOtherClass, {0x00}, {0x01, 0x80}, Le32(6)});
    for (size_t cut = 0; cut < full.size(); ++cut) {
        Bytes part(full.begin(), full.begin() + long(cut));
        CObList list;
        CArchive ar(&part, CArchive::load);
        EXPECT_THROW(list.Serialize(ar), CArchiveException) << "cut at " << cut;
        // Whatever was created is in the list, for its owner to delete.
        EXPECT_EQ(g_nLiveObjects, list.GetCount()) << "cut at " << cut;
        for (POSITION pos = list.GetHeadPosition(); pos;)
            EXPECT_NE(list.GetNext(pos), nullptr);
        DeleteAll(list);
    }
    EXPECT_EQ(g_nLiveObjects, 0);

    // A count the archive cannot hold creates nothing.
    Bytes lying = Cat({{0x60, 0xEA}, kItemClass, Le32(5), {0x01, 0x80}});
    ASSERT_EQ(lying.size(), 23u);
    CObList list;
    EXPECT_EQ(LoadCause(lying, [&](CArchive& ar) { list.Serialize(ar); }), CArchiveException::endOfFile);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(LoadCause(Cat({{0xFF, 0xFF}, Le32(0xFFFFFFFF), Bytes(8, 0)}), [&](CArchive& ar) { list.Serialize(ar); }),
              CArchiveException::endOfFile);
    EXPECT_TRUE(list.IsEmpty());

    // One object twice would be deleted twice by its owner.
    Bytes twice = Cat({{0x02, 0x00}, kItemClass, Le32(5), {0x02, 0x00}});
    EXPECT_EQ(LoadCause(twice, [&](CArchive& ar) { list.Serialize(ar); }), CArchiveException::badIndex);
    EXPECT_EQ(list.GetCount(), 1);
    DeleteAll(list);
    EXPECT_EQ(g_nLiveObjects, 0);
}
