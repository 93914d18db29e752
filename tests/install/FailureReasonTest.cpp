#include "install/FailureReason.h"

#include <gtest/gtest.h>

#include "platform/ProcessControl.h"

namespace {

TEST(FailureReason, TransfersAndRunsNameWhatHappened) {
    struct Case {
        InstallFailureReason got;
        const wchar_t* szKey;
        int32_t nValue;
    } cases[] = {
        // The longest limit a command line can ask for never wraps to 0 minutes.
        {ReasonForInstallerExit(kRunTimedOut, 4294967295u), L"reason_install_timed_out", 71583},
        {ReasonForInstallerExit(kRunTimedOut, 300001), L"reason_install_timed_out", 6},
        {ReasonForInstallerExit(kRunSpawnFailed, 300000), L"reason_cannot_start", 0},
        {ReasonForTransfer({-1, "", TransferFailure::BadPart}), L"reason_bad_part", 0},
        {ReasonForTransfer({416, "", TransferFailure::RangeRefused}), L"reason_range_refused", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.strKey, c.szKey);
        EXPECT_EQ(c.got.nValue, c.nValue) << c.szKey;
    }
}

}  // namespace
