#include <gtest/gtest.h>

#include "framework/base/ProgressService.h"

TEST(ProgressService, ScriptedServiceRecordsAndRestores)
{
    IProgressService* before = &ProgressService();
    before->Open(0, 10, "ничего не видно"); // the default shows nothing, and takes anything
    before->SetPos(5);
    before->Close();
    {
        CScriptedProgressService progress;
        EXPECT_EQ(&ProgressService(), &progress);
        ProgressService().Open(0, 200, "Спектр");
        EXPECT_TRUE(progress.m_bOpen);
        for (int i = 0; i <= 200; i += 100)
            ProgressService().SetPos(i);
        ProgressService().Close();
        EXPECT_FALSE(progress.m_bOpen);
        EXPECT_EQ(progress.m_nOpened, 1);
        EXPECT_EQ(progress.m_nClosed, 1);
        EXPECT_EQ(progress.m_nUpper, 200);
        EXPECT_EQ(progress.m_sStatus, "Спектр");
        EXPECT_EQ(progress.m_positions, (std::vector<int>{0, 100, 200}));
        {
            CScriptedProgressService inner;
            ProgressService().SetPos(1);
            EXPECT_EQ(inner.m_positions.size(), 1u);
        }
        EXPECT_EQ(&ProgressService(), &progress);
    }
    EXPECT_EQ(&ProgressService(), before);
    EXPECT_EQ(SetProgressService(nullptr), before);
    EXPECT_EQ(&ProgressService(), before);
}
