#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "LoopGuard.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/STimerManager.h"
#include "toolkit/core/SWakeableSource.h"

using namespace SOUI;

namespace {

class TimerWindow : public IMessageTarget {
public:
    ~TimerWindow() override { STimerManager::KillAllTimers(this); }

    bool ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult) override {
        if (uMsg != WM_TIMER)
            return false;
        ticks.push_back(wParam);
        if (wParam == nKillSelfAt && ++nSelfTicks == 3)
            STimerManager::KillTimer(this, wParam);
        if (wParam == nRestartSelf)
            STimerManager::SetTimer(this, wParam, 5);
        lResult = 0;
        return true;
    }
    size_t Count(uintptr_t id) const {
        size_t n = 0;
        for (auto t : ticks)
            n += (t == id);
        return n;
    }

    std::vector<uintptr_t> ticks;
    uintptr_t nKillSelfAt = 0;
    uintptr_t nRestartSelf = 0;
    int nSelfTicks = 0;
};

}  // namespace

TEST(MessageLoop, RunReturnsTheCodeOfAQuitFromAnotherThread) {
    SMessageLoop loop;
    std::thread quitter([&] {
        while (!loop.IsRunning())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        loop.Quit(42);
    });
    EXPECT_EQ(loop.Run(), 42);
    quitter.join();
    EXPECT_FALSE(loop.IsRunning());
}

TEST(MessageLoop, QuitBeforeRunIsNotLost) {
    SMessageLoop loop;
    loop.Quit(3);
    EXPECT_EQ(loop.Run(), 3);
}

TEST(MessageLoop, PostedTasksRunOnTheLoopThreadInOrder) {
    SMessageLoop loop;
    const auto loopThread = std::this_thread::get_id();
    std::vector<int> order;
    int nWrongThread = 0;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            SMessageLoop::PostTask([&, i] {
                if (std::this_thread::get_id() != loopThread)
                    ++nWrongThread;
                order.push_back(i);
                if (i == 99)
                    loop.Quit(0);
            });
        }
    });
    loop.Run();
    poster.join();
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(nWrongThread, 0);
}

TEST(MessageLoop, NestedLoopKeepsDispatchingAndOuterQuitWaitsForIt) {
    SMessageLoop outer;
    std::vector<std::string> trail;
    SMessageLoop::PostTask([&] {
        EXPECT_EQ(SMessageLoop::GetCurrent(), &outer);
        SMessageLoop inner;
        SMessageLoop::PostTask([&] {
            trail.push_back("inner task");
            outer.Quit(1);
            inner.Quit(2);
        });
        LoopGuard guard(inner, 10);
        EXPECT_EQ(inner.Run(), 2);
        trail.push_back("inner ended");
        EXPECT_EQ(SMessageLoop::GetCurrent(), &outer);
    });
    EXPECT_EQ(outer.Run(), 1);
    EXPECT_EQ(SMessageLoop::GetCurrent(), nullptr);
    EXPECT_EQ(trail, (std::vector<std::string>{"inner task", "inner ended"}));
}

TEST(MessageLoop, TimersTickAsWmTimerPerTargetAndId) {
    TimerWindow a, b;
    EXPECT_TRUE(STimerManager::SetTimer(&a, 101, 5));
    EXPECT_TRUE(STimerManager::SetTimer(&b, 101, 5));
    EXPECT_TRUE(STimerManager::SetTimer(&a, 102, 15));
    EXPECT_FALSE(STimerManager::SetTimer(nullptr, 1, 5));
    ASSERT_TRUE(RunLoopUntil([&] { return a.Count(102) >= 2 && b.Count(101) >= 2; }, 10000));
    EXPECT_GE(a.Count(101), 2u);
    for (auto id : b.ticks)
        EXPECT_EQ(id, 101u);

    EXPECT_TRUE(STimerManager::KillTimer(&a, 101));
    EXPECT_FALSE(STimerManager::KillTimer(&a, 101));
    EXPECT_TRUE(STimerManager::HasTimer(&a, 102));
    size_t nBefore = a.Count(101);
    ASSERT_TRUE(RunLoopUntil([&] { return a.Count(102) >= 4; }, 10000));
    EXPECT_EQ(a.Count(101), nBefore);

    STimerManager::KillAllTimers(&a);
    EXPECT_FALSE(STimerManager::HasTimer(&a, 102));
    EXPECT_TRUE(STimerManager::HasTimer(&b, 101));
    size_t nA = a.ticks.size();
    size_t nB = b.ticks.size();
    ASSERT_TRUE(RunLoopUntil([&] { return b.ticks.size() >= nB + 3; }, 10000));
    EXPECT_EQ(a.ticks.size(), nA);
}

TEST(MessageLoop, TimerMayKillOrRestartItselfFromItsOwnTick) {
    TimerWindow w;
    w.nKillSelfAt = 7;
    w.nRestartSelf = 8;
    STimerManager::SetTimer(&w, 7, 1);
    STimerManager::SetTimer(&w, 8, 1);
    ASSERT_TRUE(RunLoopUntil([&] { return w.Count(8) >= 10; }, 10000));
    EXPECT_EQ(w.Count(7), 3u);
    EXPECT_FALSE(STimerManager::HasTimer(&w, 7));
    EXPECT_TRUE(STimerManager::HasTimer(&w, 8));
}

TEST(MessageLoop, TimerSetAgainRestartsInsteadOfAddingASecond) {
    TimerWindow w;
    STimerManager::SetTimer(&w, 5, 60000);
    STimerManager::SetTimer(&w, 5, 2);
    ASSERT_TRUE(RunLoopUntil([&] { return w.Count(5) >= 3; }, 10000));
    STimerManager::KillTimer(&w, 5);
    EXPECT_FALSE(STimerManager::HasTimer(&w, 5));
}

TEST(MessageLoop, RunLoopUntilGivesUpAtItsLimit) {
    std::atomic<bool> bFlag{false};
    EXPECT_FALSE(RunLoopUntil([&] { return bFlag.load(); }, 30));
    std::thread setter([&] { bFlag = true; });
    // The condition watches another thread; nothing wakes the loop but the check.
    EXPECT_TRUE(RunLoopUntil([&] { return bFlag.load(); }, 10000));
    setter.join();
}

TEST(MessageLoop, WakeFromAnotherThreadRunsWorkOnceAndThenSettles) {
    std::atomic<int> nWork{0};
    int nDone = 0;
    SWakeableSource source([&] { return nWork.load() > nDone; }, [&] { ++nDone; });
    std::thread waker([&] {
        nWork = 2;
        source.Wake();
    });
    waker.join();
    ASSERT_TRUE(RunLoopUntil([&] { return nDone == 2; }, 10000));
    // A wake with nothing to do is drained, not left to make the loop spin.
    source.Wake();
    g_main_context_iteration(nullptr, FALSE);
    EXPECT_FALSE(g_main_context_pending(nullptr));
    EXPECT_EQ(nDone, 2);
}
