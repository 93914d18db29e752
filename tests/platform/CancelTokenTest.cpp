#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <thread>

#include "platform/CCancelToken.h"

namespace {

bool FdReadable(int fd) {
    pollfd pfd{fd, POLLIN, 0};
    return poll(&pfd, 1, 0) == 1 && (pfd.revents & POLLIN);
}

}  // namespace

TEST(CancelToken, FdBecomesAndStaysReadableOnceCancelled) {
    CCancelToken token;
    ASSERT_GE(token.GetFd(), 0);
    EXPECT_FALSE(token.IsCancelled());
    EXPECT_FALSE(FdReadable(token.GetFd()));
    token.Cancel();
    token.Cancel();  // idempotent
    EXPECT_TRUE(token.IsCancelled());
    EXPECT_TRUE(FdReadable(token.GetFd()));
    EXPECT_TRUE(FdReadable(token.GetFd()));
}

TEST(CancelToken, SleepForRunsOutOrStopsAtCancel) {
    CCancelToken token;
    EXPECT_TRUE(token.SleepFor(1));
    EXPECT_TRUE(token.SleepFor(0));

    // A sleep far longer than the hang guard must end when another thread cancels.
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        token.Cancel();
    });
    EXPECT_FALSE(token.SleepFor(600000));
    canceller.join();
    EXPECT_FALSE(token.SleepFor(600000));  // already cancelled: returns at once
}
