#include "install/FailureReason.h"

#include <gtest/gtest.h>

#include "platform/ProcessControl.h"

// The longest limit a command line can ask for never wraps to 0 minutes.
TEST(FailureReason, TimeOutMinutesNeverWrap) {
    for (auto [nMs, nMinutes] : {std::pair{4294967295u, 71583}, {300001u, 6}}) {
        const InstallFailureReason reason = ReasonForInstallerExit(kRunTimedOut, nMs);
        EXPECT_EQ(reason.strKey, L"reason_install_timed_out");
        EXPECT_EQ(reason.nValue, nMinutes) << nMs;
    }
}
