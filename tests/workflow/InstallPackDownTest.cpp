#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "WorkflowRun.h"
#include "install/CInstallMgr.h"
#include "install/CInstallPackDown.h"

using workflowtest::CRecordedEvent;

TEST(InstallPackDown, PercentArithmetic) {
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 0, 0), 50);        // size not announced
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1e-9, 5000), 50);  // below 1e-8 counts as none
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1000, 1000), 80);
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1000, 500), 65);
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1000, 999), 79);  // cut toward zero
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 3, 1), 60);
    EXPECT_EQ(CInstallPackDown::MapPercent(20, 40, 1000000, 999999), 39);
    EXPECT_EQ(CInstallPackDown::MapPercent(20, 40, 1000000, 50000), 21);
}

TEST(InstallPackDown, ReportsOutsideTheRangeStayInside) {
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1000, 5000), 80);  // more than announced
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, -1000, 500), 50);  // a negative total
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1e-7, 1e300), 80);
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1000, std::nan("")), 50);
    EXPECT_EQ(CInstallPackDown::MapPercent(50, 80, 1000, std::numeric_limits<double>::infinity()),
              80);
}

TEST(InstallPackDown, FiresOneEventPerDownloadReport) {
    workflowtest::CWorkflowRun run;
    CInstallMgr mgr;
    CInstallPackDown receiver(InstallStage::PackDownload, L"正在下载安装包...",
                              mgr.GetRunContext());
    receiver.OnDownProgress(1, 0, 0, 0);
    receiver.OnDownProgress(2, 0, 1000, 500);  // not a download report
    receiver.OnUpProgress(0, 1000, 500);
    receiver.OnDownProgress(1, 7, 1000, 500);
    receiver.OnDownProgress(1, 0, 1000, 999);
    receiver.OnDownProgress(1, 0, 1000, 1000);
    run.Drain();
    const auto& events = run.Events();
    ASSERT_EQ(events.size(), 4u);
    const int expected[] = {50, 65, 79, 80};
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].nPercent, expected[i]);
        EXPECT_EQ(events[i].nState, 0);
        EXPECT_EQ(events[i].strMessage, L"正在下载安装包...");
    }
}
