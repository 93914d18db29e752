#include <gtest/gtest.h>
#include <poll.h>

#include "platform/AppExit.h"

namespace {

bool FdReadable(const CCancelToken& token) {
    pollfd pfd{token.GetFd(), POLLIN, 0};
    return poll(&pfd, 1, 0) == 1;
}

// The stop byte of old, as a token: each assignment must leave the flag and
// the descriptor waiters poll in agreement, also when set a second time.
TEST(AppExit, SetAndClearedLikeAByte) {
    CAppExit signal;
    const struct {
        unsigned char nAssign;
        bool bCancelled;
    } kSteps[] = {{1, true}, {1, true}, {0, false}, {0, false}, {1, true}, {0, false}};
    EXPECT_EQ(signal, 0);
    for (const auto& step : kSteps) {
        signal = step.nAssign;
        SCOPED_TRACE(static_cast<int>(step.nAssign));
        EXPECT_EQ(signal.IsCancelled(), step.bCancelled);
        EXPECT_EQ(FdReadable(signal), step.bCancelled);
        EXPECT_EQ(signal, step.nAssign);
    }
    signal = 1;
    EXPECT_FALSE(signal.SleepFor(60000));
}

}  // namespace
