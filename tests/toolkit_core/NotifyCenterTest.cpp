#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "CountedEvent.h"
#include "LoopGuard.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"

using namespace SOUI;

std::atomic<int> CountedEvent::s_nDestroyed{0};

namespace {

// A window's event map as the centre sees it.
struct EventMapProbe {
    std::thread::id loopThread = std::this_thread::get_id();
    std::vector<std::pair<int, int>> seen;  // (source, sequence)
    int nWrongThread = 0;
    int nUnregisterAfter = -1;
    SNotifyCenter* pCenter = nullptr;
    EventArgs* pKept = nullptr;

    bool OnEvent(EventArgs* pEvt) {
        if (std::this_thread::get_id() != loopThread)
            ++nWrongThread;
        auto* pCounted = static_cast<CountedEvent*>(pEvt);
        seen.emplace_back(pCounted->nSource, pCounted->nSeq);
        if (static_cast<int>(seen.size()) == nUnregisterAfter)
            pCenter->UnregisterEventMap(Subscriber(&EventMapProbe::OnEvent, this));
        return true;
    }
    bool KeepFirst(EventArgs* pEvt) {
        if (!pKept) {
            pKept = pEvt;
            pKept->AddRef();
        }
        return true;
    }
};

class NotifyCenter : public ::testing::Test {
protected:
    void SetUp() override {
        m_pCenter = new SNotifyCenter;
        m_pCenter->addEvent(CountedEvent::EventID, CountedEvent::EventName);
        CountedEvent::s_nDestroyed = 0;
    }
    void TearDown() override { delete m_pCenter; }

    SNotifyCenter* m_pCenter = nullptr;
};

}  // namespace

TEST_F(NotifyCenter, OneSingletonCreatedAndDeletedExplicitly) {
    EXPECT_EQ(SNotifyCenter::getSingletonPtr(), m_pCenter);
    {
        testsupport::StderrCapture capture;
        auto* pSecond = new SNotifyCenter;
        EXPECT_EQ(SNotifyCenter::getSingletonPtr(), m_pCenter);
        delete pSecond;
        EXPECT_NE(capture.Text().find("SNotifyCenter::SNotifyCenter"), std::string::npos);
    }
    EXPECT_EQ(SNotifyCenter::getSingletonPtr(), m_pCenter);
    delete m_pCenter;
    m_pCenter = nullptr;
    EXPECT_EQ(SNotifyCenter::getSingletonPtr(), nullptr);
}

TEST_F(NotifyCenter, EventsFromManyThreadsArriveOnceInOrderOnTheLoopThread) {
    EventMapProbe probe;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &probe));
    constexpr int kThreads = 4;
    constexpr int kPerThread = 300;
    std::vector<std::thread> firers;
    for (int t = 0; t < kThreads; ++t) {
        firers.emplace_back([this, t] {
            for (int i = 0; i < kPerThread; ++i)
                m_pCenter->FireEventAsync(new CountedEvent(nullptr, t, i));
        });
    }
    // Deliver while the firers are still at work.
    bool bAll = RunLoopUntil([&] { return probe.seen.size() == kThreads * kPerThread; }, 30000);
    for (auto& t : firers)
        t.join();
    ASSERT_TRUE(bAll) << probe.seen.size();
    RunLoopFor(20);

    EXPECT_EQ(probe.seen.size(), static_cast<size_t>(kThreads * kPerThread));
    EXPECT_EQ(probe.nWrongThread, 0);
    std::map<int, int> next;
    for (auto [nSource, nSeq] : probe.seen) {
        EXPECT_EQ(nSeq, next[nSource]) << "source " << nSource;
        next[nSource] = nSeq + 1;
    }
    EXPECT_EQ(CountedEvent::s_nDestroyed.load(), kThreads * kPerThread);
    EXPECT_EQ(m_pCenter->GetPendingCount(), 0u);
}

TEST_F(NotifyCenter, SingleFirerOrderIsKeptExactly) {
    EventMapProbe probe;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &probe));
    std::thread firer([this] {
        for (int i = 0; i < 200; ++i)
            m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, i));
    });
    firer.join();
    EXPECT_EQ(m_pCenter->GetPendingCount(), 200u);
    ASSERT_TRUE(RunLoopUntil([&] { return probe.seen.size() == 200; }, 10000));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(probe.seen[i].second, i);
}

TEST_F(NotifyCenter, NothingReachesAMapAfterItUnregistered) {
    EventMapProbe leaving, staying;
    leaving.pCenter = m_pCenter;
    leaving.nUnregisterAfter = 5;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &leaving));
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &staying));
    EXPECT_FALSE(m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &staying)));

    std::thread firer([this] {
        for (int i = 0; i < 50; ++i)
            m_pCenter->FireEventAsync(new CountedEvent(nullptr, 1, i));
    });
    firer.join();
    ASSERT_TRUE(RunLoopUntil([&] { return staying.seen.size() == 50; }, 10000));
    EXPECT_EQ(leaving.seen.size(), 5u);

    // Unregistered from outside a handler, with events already queued.
    for (int i = 50; i < 60; ++i)
        m_pCenter->FireEventAsync(new CountedEvent(nullptr, 1, i));
    EXPECT_TRUE(m_pCenter->UnregisterEventMap(Subscriber(&EventMapProbe::OnEvent, &staying)));
    EXPECT_FALSE(m_pCenter->UnregisterEventMap(Subscriber(&EventMapProbe::OnEvent, &staying)));
    ASSERT_TRUE(RunLoopUntil([&] { return m_pCenter->GetPendingCount() == 0; }, 10000));
    EXPECT_EQ(staying.seen.size(), 50u);
    // Delivered to nobody, yet released all the same.
    EXPECT_TRUE(RunLoopUntil([&] { return CountedEvent::s_nDestroyed == 60; }, 10000));
}

TEST_F(NotifyCenter, CentreReleasesEachEventOnceWhoeverHandledIt) {
    EventMapProbe keeper;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::KeepFirst, &keeper));
    m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, 0));
    m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, 1));
    ASSERT_TRUE(RunLoopUntil([&] { return CountedEvent::s_nDestroyed == 1; }, 10000));
    ASSERT_NE(keeper.pKept, nullptr);
    // The handler's own reference keeps the first one alive.
    EXPECT_EQ(static_cast<CountedEvent*>(keeper.pKept)->GetRefCount(), 1);
    keeper.pKept->Release();
    EXPECT_EQ(CountedEvent::s_nDestroyed.load(), 2);
}

TEST_F(NotifyCenter, UnaddedEventIsDroppedWithALogLineAndReleased) {
    EventMapProbe probe;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &probe));
    m_pCenter->removeEvent(CountedEvent::EventID);
    testsupport::StderrCapture capture;
    m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, 0));
    m_pCenter->FireEventAsync(nullptr);
    ASSERT_TRUE(RunLoopUntil([&] { return CountedEvent::s_nDestroyed == 1; }, 10000));
    EXPECT_TRUE(probe.seen.empty());
    std::string text = capture.Text();
    EXPECT_NE(text.find("SNotifyCenter::Deliver event id [10000077]"), std::string::npos) << text;
    EXPECT_NE(text.find("SNotifyCenter::FireEventAsync null event"), std::string::npos) << text;
}

TEST_F(NotifyCenter, DeletingTheCentreReleasesUndeliveredEvents) {
    EventMapProbe probe;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &probe));
    for (int i = 0; i < 10; ++i)
        m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, i));
    delete m_pCenter;
    m_pCenter = nullptr;
    EXPECT_EQ(CountedEvent::s_nDestroyed.load(), 10);
    // The loop must not call into the deleted centre.
    RunLoopFor(20);
    EXPECT_TRUE(probe.seen.empty());
}

TEST_F(NotifyCenter, SyncFiringLeavesTheReferenceWithTheCaller) {
    EventMapProbe probe;
    m_pCenter->RegisterEventMap(Subscriber(&EventMapProbe::OnEvent, &probe));
    auto* pEvt = new CountedEvent(nullptr, 2, 9);
    EXPECT_TRUE(m_pCenter->FireEventSync(pEvt));
    EXPECT_EQ(probe.seen.size(), 1u);
    EXPECT_EQ(pEvt->GetRefCount(), 1);
    pEvt->Release();
}

namespace {

// Fires a follow-up from inside a handler, and runs a modal loop on one event.
struct ReentrantProbe {
    SNotifyCenter* pCenter = nullptr;
    std::vector<int> seen;
    int nModalOn = -1;
    SMessageLoop* pModal = nullptr;
    bool bModalTimedOut = false;

    bool OnEvent(EventArgs* pEvt) {
        int nSeq = static_cast<CountedEvent*>(pEvt)->nSeq;
        seen.push_back(nSeq);
        if (nSeq == 0)
            pCenter->FireEventAsync(new CountedEvent(nullptr, 0, 100));
        if (nSeq == 200 && pModal)
            pModal->Quit(0);
        if (nSeq == nModalOn)
            RunModal();
        return true;
    }

    // Stands for a modal dialog opened by a handler; it closes once the
    // events it waits for came, or after a generous limit.
    void RunModal() {
        SMessageLoop modal;
        pModal = &modal;
        std::thread([this] { pCenter->FireEventAsync(new CountedEvent(nullptr, 1, 200)); }).join();
        {
            LoopGuard guard(modal, 10);
            modal.Run();
            bModalTimedOut = guard.Fired();
        }
        pModal = nullptr;
    }
};

}  // namespace

TEST_F(NotifyCenter, EventFiredByAHandlerComesAfterThoseAlreadyQueued) {
    ReentrantProbe probe;
    probe.pCenter = m_pCenter;
    m_pCenter->RegisterEventMap(Subscriber(&ReentrantProbe::OnEvent, &probe));
    for (int i = 0; i < 3; ++i)
        m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, i));
    ASSERT_TRUE(RunLoopUntil([&] { return probe.seen.size() == 4; }, 10000));
    EXPECT_EQ(probe.seen, (std::vector<int>{0, 1, 2, 100}));
}

TEST_F(NotifyCenter, EventsKeepArrivingInsideAModalLoopOfAHandler) {
    ReentrantProbe probe;
    probe.pCenter = m_pCenter;
    probe.nModalOn = 1;
    m_pCenter->RegisterEventMap(Subscriber(&ReentrantProbe::OnEvent, &probe));
    m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, 1));
    m_pCenter->FireEventAsync(new CountedEvent(nullptr, 0, 2));
    ASSERT_TRUE(RunLoopUntil([&] { return probe.seen.size() == 3; }, 10000));
    // 2 and 200 were delivered while the handler of 1 was still in its modal loop.
    EXPECT_FALSE(probe.bModalTimedOut);
    EXPECT_EQ(probe.seen, (std::vector<int>{1, 2, 200}));
    EXPECT_TRUE(RunLoopUntil([&] { return CountedEvent::s_nDestroyed == 3; }, 10000));
}
