#include <gtest/gtest.h>

#include "kavrel/core/KArrays.h"
#include "kavrel/core/KDisplayFileExceptions.h"
#include "kavrel/core/KParabolaMaximum.h"
#include "framework/base/ScriptedUserInteraction.h"

TEST(KArrays, NewArrayHoldsOneElement)
{
    CKArrayDouble a;
    EXPECT_EQ(a.nSize, 1);
    EXPECT_EQ(a.nAllocated, 1);
    EXPECT_NE(a.pArray, nullptr);
    static_assert(sizeof(Z) == 16);
}

TEST(KArrays, GrowthAndShrinkRules)
{
    CKArrayInt a;
    EXPECT_TRUE(a.SetSize(0));
    EXPECT_EQ(a.nSize, 0);
    EXPECT_EQ(a.nAllocated, 1);
    EXPECT_NE(a.pArray, nullptr);

    EXPECT_TRUE(a.SetSize(4));
    int* four = a.pArray;
    EXPECT_FALSE(a.SetSize(-1));
    EXPECT_EQ(a.nSize, 4);
    EXPECT_EQ(a.pArray, four);

    ASSERT_TRUE(a.SetSize(8));
    EXPECT_EQ(a.nAllocated, 8);
    for (int i = 0; i < 8; ++i)
        a.pArray[i] = 10 + i;
    int* eight = a.pArray;
    // Shrinking and growing back within the capacity neither allocates nor loses values.
    ASSERT_TRUE(a.SetSize(4));
    ASSERT_TRUE(a.SetSize(8));
    EXPECT_EQ(a.pArray, eight);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(a.pArray[i], 10 + i);

    // Clear reaches the whole buffer, not just the elements in use.
    ASSERT_TRUE(a.SetSize(2));
    a.Clear(5);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(a.pArray[i], 5);
}

TEST(KArrays, ClearOfComplexAndByteArrays)
{
    CKArrayZ z;
    ASSERT_TRUE(z.SetSize(3));
    z.Clear(Z{1.5, -2.0});
    EXPECT_EQ(z.pArray[2].re, 1.5);
    EXPECT_EQ(z.pArray[2].im, -2.0);
    z.Clear();
    EXPECT_EQ(z.pArray[0].re, 0.0);
    EXPECT_EQ(z.pArray[0].im, 0.0);

    CKArrayBYTE b;
    ASSERT_TRUE(b.SetSize(5));
    b.Clear(0xAB);
    EXPECT_EQ(b.pArray[4], 0xAB);
}

TEST(KArrays, SizesBeyondThirtyTwoBitBytesAreRefused)
{
    CKArrayZ z;
    EXPECT_FALSE(z.SetSize(1 << 28));
    EXPECT_EQ(z.pArray, nullptr);
    EXPECT_EQ(z.nSize, 0);
    EXPECT_EQ(z.nAllocated, 0);
    // An emptied array can grow again.
    EXPECT_TRUE(z.SetSize(2));

    CKArrayDouble d;
    EXPECT_FALSE(d.SetSize(1 << 29));
    CKArrayFloat f;
    EXPECT_FALSE(f.SetSize(1 << 30));
    CKArrayInt i;
    EXPECT_FALSE(i.SetSize(1 << 30));
}

TEST(KParabolaMaximum, VertexAndPeakValue)
{
    PARABOLA_PARAMS p{0, 1, 1, 2, 1.5, 0, 0};
    CKParabolaMaximum m(&p);
    EXPECT_NEAR(p.xMax, 1.0 / 6.0, 1e-12);
    EXPECT_NEAR(p.yMax, 97.0 / 48.0, 1e-12);

    // Mirror image: the vertex moves left by as much.
    PARABOLA_PARAMS q{10, 2, 1.5, 2, 1, 0, 0};
    m.Calculate(&q);
    EXPECT_NEAR(q.xMax, 10 - 2.0 / 6.0, 1e-12);
    EXPECT_NEAR(q.yMax, 97.0 / 48.0, 1e-12);
}

TEST(KParabolaMaximum, MiddleSampleWhenNotAPeak)
{
    CKParabolaMaximum m;
    PARABOLA_PARAMS sym{3, 1, 1, 2, 1, 0, 0};
    m.Calculate(&sym);
    EXPECT_EQ(sym.xMax, 3);
    EXPECT_EQ(sym.yMax, 2);

    PARABOLA_PARAMS rising{3, 1, 1, 2, 2.5, 0, 0};
    m.Calculate(&rising);
    EXPECT_EQ(rising.xMax, 3);
    EXPECT_EQ(rising.yMax, 2);

    PARABOLA_PARAMS flat{3, 1, 4, 4, 4, 0, 0};
    m.Calculate(&flat);
    EXPECT_EQ(flat.xMax, 3);
    EXPECT_EQ(flat.yMax, 4);
}

TEST(KDisplayFileExceptions, DiskFullMessageAndReset)
{
    CScriptedUserInteraction ui;
    CFileException e(CFileException::diskFull, 28, "a.wav");
    CKDisplayFileExceptions().ShowMessageBox(&e);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].sText, "Ошибка работы с файлом - a.wav\n\nКод ошибки = 13\n\nThe disk is full");
    EXPECT_EQ(ui.m_messages[0].nStyle, unsigned(MB_OK));
    EXPECT_EQ(e.m_cause, 0);

    // Nothing to show for a success; an unknown code shows the header alone.
    CKDisplayFileExceptions().ShowMessageBox(&e);
    EXPECT_EQ(ui.m_messages.size(), 1u);
    CFileException odd(20, 0, "b.wav");
    CKDisplayFileExceptions().ShowMessageBox(&odd);
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(ui.m_messages[1].sText, "Ошибка работы с файлом - b.wav\n\nКод ошибки = 20\n\n");
}
