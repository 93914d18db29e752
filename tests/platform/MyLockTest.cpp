#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/MyLock.h"

TEST(MyLock, HolderMayLockAgainAndMustUnlockAsOften) {
    MyLock::Mutex lock;
    {
        MyLock::AutoLock outer(&lock);
        MyLock::AutoLock inner(&lock);  // would hang if the lock were not re-entrant
    }
    lock.Lock();
    lock.Lock();
    lock.Unlock();  // one of two: the lock is still held
    std::atomic<bool> otherGotIt{false};
    std::thread other([&] {
        lock.Lock();
        otherGotIt = true;
        lock.Unlock();
    });
    // Whatever the timing, the other thread cannot get in before the last unlock.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(otherGotIt);
    lock.Unlock();
    other.join();
    EXPECT_TRUE(otherGotIt);
}

TEST(MyLock, TwoThreadsExcludeEachOther) {
    MyLock::Mutex lock;
    int inside = 0;
    int maxInside = 0;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            MyLock::AutoLock guard(&lock);
            ++inside;
            if (inside > maxInside)
                maxInside = inside;
            ++counter;  // not atomic: only the lock keeps it right
            --inside;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
    EXPECT_EQ(maxInside, 1);
}

TEST(MyLock, AutoLockReleasesWhenLeftByException) {
    MyLock::Mutex lock;
    try {
        MyLock::AutoLock guard(&lock);
        throw 1;
    } catch (int) {
    }
    bool acquired = false;
    std::thread other([&] {
        lock.Lock();
        acquired = true;
        lock.Unlock();
    });
    other.join();
    EXPECT_TRUE(acquired);
}
