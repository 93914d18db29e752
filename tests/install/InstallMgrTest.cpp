#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ScriptedInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "platform/MyLock.h"
#include "platform/SystemInfo.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"

using namespace SOUI;

namespace {

using Ev = std::tuple<int, int, std::wstring>;

const std::wstring kEnv = L"检测环境...";
const std::wstring kNetProgress = L"正在下载net包...";
const std::wstring kPack = L"正在下载安装包...";

// The window's side: records every install event delivered on the loop.
struct EventRecorder {
    std::vector<Ev> events;
    std::thread::id loopThread = std::this_thread::get_id();
    int nWrongThread = 0;
    int nWrongSender = 0;
    IObject* pExpectedSender = nullptr;

    bool OnEvent(EventArgs* pEvt) {
        if (pEvt->GetID() != EventInstallCallBack::EventID)
            return false;
        if (std::this_thread::get_id() != loopThread)
            ++nWrongThread;
        if (pEvt->sender != pExpectedSender)
            ++nWrongSender;
        auto* pInstall = static_cast<EventInstallCallBack*>(pEvt);
        events.emplace_back(pInstall->nPercent, pInstall->nState, pInstall->strMessage);
        return true;
    }
    bool Has(const std::wstring& text) const {
        for (auto& e : events)
            if (std::get<2>(e) == text)
                return true;
        return false;
    }
};

// Where prefix, a thread id and suffix follow each other in the log, or npos.
size_t FindThreadIdLine(const std::string& log, const std::string& prefix,
                        const std::string& suffix) {
    for (size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
        size_t digits = at + prefix.size();
        size_t end = digits;
        while (end < log.size() && std::isdigit(static_cast<unsigned char>(log[end])))
            ++end;
        if (end > digits && log.compare(end, suffix.size(), suffix) == 0)
            return at;
    }
    return std::string::npos;
}

class InstallMgr : public ::testing::Test {
protected:
    void SetUp() override {
        m_pCenter = new SNotifyCenter;
        m_pCenter->addEvent(EventInstallCallBack::EventID, EventInstallCallBack::EventName);
        m_pCenter->RegisterEventMap(Subscriber(&EventRecorder::OnEvent, &m_recorder));
    }
    void TearDown() override {
        m_pCenter->UnregisterEventMap(Subscriber(&EventRecorder::OnEvent, &m_recorder));
        delete m_pCenter;
    }

    std::unique_ptr<ScriptedInstallMgr> MakeMgr() {
        auto pMgr = std::make_unique<ScriptedInstallMgr>();
        pMgr->m_strExeDir = m_dir.path().wstring();
        pMgr->m_strInstallDir = (m_dir / "Tovadoc").wstring();
        m_recorder.pExpectedSender = pMgr.get();
        return pMgr;
    }

    // Runs to the end and returns the log written meanwhile.
    std::string RunToEnd(ScriptedInstallMgr& mgr) {
        testsupport::StderrCapture capture;
        mgr.BeginInstallThread();
        bool bEnded = RunLoopUntil(
            [&] {
                return capture.Text().find("安装完成 线程threadid=") != std::string::npos &&
                       m_pCenter->GetPendingCount() == 0;
            },
            30000);
        EXPECT_TRUE(bEnded) << "run did not end";
        return capture.Text();
    }

    void ExpectNeverDecreasing() {
        for (size_t i = 1; i < m_recorder.events.size(); ++i)
            EXPECT_GE(std::get<0>(m_recorder.events[i]), std::get<0>(m_recorder.events[i - 1]))
                << "event " << i;
    }

    testsupport::TempDir m_dir;
    SNotifyCenter* m_pCenter = nullptr;
    EventRecorder m_recorder;
};

}  // namespace

TEST(InstallEvent, CarriesItsIdNameAndFields) {
    auto* pEvt = new EventInstallCallBack(nullptr);
    EXPECT_EQ(pEvt->GetID(), 10000001);
    EXPECT_STREQ(pEvt->GetName(), L"on_install_callback");
    EXPECT_STREQ(pEvt->GetObjectClass(), L"on_install_callback");
    EXPECT_EQ(pEvt->nPercent, 0);
    EXPECT_EQ(pEvt->nState, 0);
    EXPECT_TRUE(pEvt->strMessage.empty());
    pEvt->Release();
}

TEST_F(InstallMgr, DefaultsBeforeAnyRun) {
    CInstallMgr mgr;
    EXPECT_TRUE(mgr.m_strInstallDir.empty());
    EXPECT_TRUE(mgr.m_bDesktopShortcut);
    EXPECT_TRUE(mgr.m_bQuickLaunch);
    EXPECT_FALSE(mgr.HasInstallThread());
    EXPECT_EQ(mgr.m_strExeDir, GetExeDirectory());
    EXPECT_EQ(mgr.m_nNetInstallTimeoutMs, 1800000u);
    EXPECT_EQ(mgr.m_nPackInstallTimeoutMs, 300000u);
    EXPECT_FALSE(mgr.m_cancel.IsCancelled());
    EXPECT_EQ(mgr.GetPackagePath(), GetExeDirectory() + L"/TovadocSetup.exe");
}

TEST_F(InstallMgr, FullRunWithoutFrameworkFiresEveryStageInOrder) {
    auto pMgr = MakeMgr();
    pMgr->nProgressEvents = 2;
    std::string log = RunToEnd(*pMgr);

    std::vector<Ev> expected = {
        {5, 0, kEnv},
        {10, 0, L"net_check"},
        {20, 0, L"down_net"},
        {26, 0, kNetProgress},
        {33, 0, kNetProgress},
        {40, 0, L"instll_net"},
        {40, 0, L"instll_net_succeed"},
        {50, 0, kPack},
        {60, 0, kPack},
        {70, 0, kPack},
        {80, 0, L"install_pack_ing"},
        {80, 0, L"install_pack_succeed"},
        {90, 0, L"install_pack_succeed"},
        {100, 0, L"install_pack_succeed"},
    };
    EXPECT_EQ(m_recorder.events, expected);
    EXPECT_EQ(m_recorder.nWrongThread, 0);
    EXPECT_EQ(m_recorder.nWrongSender, 0);
    EXPECT_TRUE(pMgr->bHandleRecordedAtStart);
    pMgr->EndInstallThread();
    EXPECT_EQ(pMgr->Steps(),
              (std::vector<std::string>{"EndProductProcesses", "CheckNetFile", "DownNetFile",
                                        "InstallNetFile", "DownInstallFile", "InstallFile",
                                        "AfterInstall"}));

    // The driver's own log lines, in their order.
    size_t nBegin = log.find("CInstallMgr::BeginInstallThread 创建安装线程\n");
    size_t nStep = log.find("CInstallMgr::IntallSoftware 安装step=5\n");
    size_t nExit =
        FindThreadIdLine(log, "CInstallMgr::ThreadInstall 安装完成 线程threadid=[", "]退出\n");
    ASSERT_NE(nBegin, std::string::npos) << log;
    ASSERT_NE(nStep, std::string::npos) << log;
    ASSERT_NE(nExit, std::string::npos) << log;
    EXPECT_LT(nBegin, nStep);
    EXPECT_LT(nStep, nExit);
}

TEST_F(InstallMgr, FrameworkPresentSkipsItsStages) {
    auto pMgr = MakeMgr();
    pMgr->bNetPresent = true;
    RunToEnd(*pMgr);
    ASSERT_GE(m_recorder.events.size(), 3u);
    EXPECT_EQ(m_recorder.events[1], Ev(10, 0, L"net_check"));
    // Straight from 10 to 50.
    EXPECT_EQ(m_recorder.events[2], Ev(50, 0, kPack));
    for (auto* text : {L"down_net", L"正在下载net包...", L"down_net_error", L"instll_net",
                       L"instll_net_succeed", L"instll_net_error"})
        EXPECT_FALSE(m_recorder.Has(text)) << text;
    EXPECT_EQ(m_recorder.events.back(), Ev(100, 0, L"install_pack_succeed"));
    ExpectNeverDecreasing();
}

TEST_F(InstallMgr, PackageAlreadyThereIsRunWithoutDownload) {
    for (bool bNetPresent : {true, false}) {
        m_recorder.events.clear();
        testsupport::WriteFile(m_dir / "TovadocSetup.exe", "package");
        auto pMgr = MakeMgr();
        pMgr->bNetPresent = bNetPresent;
        RunToEnd(*pMgr);
        EXPECT_FALSE(m_recorder.Has(kPack));
        EXPECT_FALSE(m_recorder.Has(L"down_pack_error"));
        auto it = std::find(m_recorder.events.begin(), m_recorder.events.end(),
                            Ev(80, 0, L"install_pack_ing"));
        ASSERT_NE(it, m_recorder.events.begin());
        ASSERT_NE(it, m_recorder.events.end());
        // From 10 (framework present) or 40 (after its install) straight to 80.
        EXPECT_EQ(std::get<0>(*(it - 1)), bNetPresent ? 10 : 40);
        EXPECT_EQ(m_recorder.events.back(), Ev(100, 0, L"install_pack_succeed"));
        pMgr->EndInstallThread();
        auto steps = pMgr->Steps();
        EXPECT_EQ(std::count(steps.begin(), steps.end(), "DownInstallFile"), 0);
        EXPECT_EQ(std::count(steps.begin(), steps.end(), "InstallFile"), 1);
    }
}

TEST_F(InstallMgr, AFolderNamedLikeThePackageAlsoCountsAsPresent) {
    std::filesystem::create_directory(m_dir / "TovadocSetup.exe");
    auto pMgr = MakeMgr();
    pMgr->bNetPresent = true;
    RunToEnd(*pMgr);
    EXPECT_FALSE(m_recorder.Has(kPack));
    EXPECT_TRUE(m_recorder.Has(L"install_pack_ing"));
}

TEST_F(InstallMgr, FrameworkDownloadFailureGoesOnWithThePackage) {
    auto pMgr = MakeMgr();
    pMgr->bNetDownOk = false;
    RunToEnd(*pMgr);
    auto it = std::find(m_recorder.events.begin(), m_recorder.events.end(),
                        Ev(40, -1, L"down_net_error"));
    ASSERT_NE(it, m_recorder.events.end());
    ASSERT_NE(it + 1, m_recorder.events.end());
    EXPECT_EQ(*(it + 1), Ev(50, 0, kPack));
    EXPECT_FALSE(m_recorder.Has(L"instll_net"));
    EXPECT_EQ(m_recorder.events.back(), Ev(100, 0, L"install_pack_succeed"));
    ExpectNeverDecreasing();
    pMgr->EndInstallThread();
    auto steps = pMgr->Steps();
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "InstallNetFile"), 0);
}

TEST_F(InstallMgr, FrameworkInstallFailureGoesOnWithThePackage) {
    auto pMgr = MakeMgr();
    pMgr->bNetInstallOk = false;
    pMgr->nProgressEvents = 0;
    RunToEnd(*pMgr);
    std::vector<Ev> expected = {
        {5, 0, kEnv},
        {10, 0, L"net_check"},
        {20, 0, L"down_net"},
        {40, 0, L"instll_net"},
        {40, -1, L"instll_net_error"},
        {50, 0, kPack},
        {80, 0, L"install_pack_ing"},
        {80, 0, L"install_pack_succeed"},
        {90, 0, L"install_pack_succeed"},
        {100, 0, L"install_pack_succeed"},
    };
    EXPECT_EQ(m_recorder.events, expected);
}

TEST_F(InstallMgr, PackageDownloadFailureEndsTheRunWithThatEvent) {
    auto pMgr = MakeMgr();
    pMgr->bNetPresent = true;
    pMgr->bPackDownOk = false;
    std::string log = RunToEnd(*pMgr);
    ASSERT_FALSE(m_recorder.events.empty());
    EXPECT_EQ(m_recorder.events.back(), Ev(80, -1, L"down_pack_error"));
    EXPECT_FALSE(m_recorder.Has(L"install_pack_ing"));
    ExpectNeverDecreasing();
    pMgr->EndInstallThread();
    auto steps = pMgr->Steps();
    EXPECT_EQ(steps.back(), "DownInstallFile");
    EXPECT_NE(log.find("CInstallMgr::ThreadInstall 安装完成 线程threadid=["), std::string::npos);
}

TEST_F(InstallMgr, PackageInstallFailureEndsTheRunWithThatEvent) {
    auto pMgr = MakeMgr();
    pMgr->bPackInstallOk = false;
    std::string log = RunToEnd(*pMgr);
    ASSERT_FALSE(m_recorder.events.empty());
    EXPECT_EQ(m_recorder.events.back(), Ev(80, -1, L"install_pack_error"));
    EXPECT_FALSE(m_recorder.Has(L"install_pack_succeed"));
    ExpectNeverDecreasing();
    pMgr->EndInstallThread();
    EXPECT_EQ(pMgr->Steps().back(), "InstallFile");
    EXPECT_NE(log.find("CInstallMgr::ThreadInstall 安装完成"), std::string::npos);
}

TEST_F(InstallMgr, NullThreadParameterEndsWithOneLineAndNoEvent) {
    testsupport::StderrCapture capture;
    EXPECT_EQ(CInstallMgr::ThreadInstall(nullptr), 0u);
    std::string text = capture.Text();
    size_t at =
        FindThreadIdLine(text, "CInstallMgr::ThreadInstall 线程参数有问题 threadid=[", "]\n");
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line only: " << text;
    RunLoopFor(10);
    EXPECT_TRUE(m_recorder.events.empty());
}

TEST_F(InstallMgr, SecondStartIsRefusedAndTheRunHappensOnce) {
    auto pMgr = MakeMgr();
    pMgr->bNetPresent = true;
    pMgr->nStepDelayMs = 5;
    testsupport::StderrCapture capture;
    pMgr->BeginInstallThread();
    pMgr->BeginInstallThread();
    ASSERT_TRUE(RunLoopUntil(
        [&] { return !m_recorder.events.empty() && std::get<0>(m_recorder.events.back()) == 100; },
        30000));
    pMgr->EndInstallThread();
    RunLoopFor(10);
    EXPECT_NE(capture.Text().find("安装线程已创建"), std::string::npos);
    EXPECT_EQ(std::count(m_recorder.events.begin(), m_recorder.events.end(), Ev(5, 0, kEnv)), 1);
    EXPECT_EQ(pMgr->Steps().size(), 5u);
}

TEST_F(InstallMgr, WithoutANotificationCentreEventsAreDroppedWithALogLine) {
    auto pMgr = MakeMgr();
    pMgr->bNetPresent = true;
    pMgr->nProgressEvents = 0;
    m_pCenter->UnregisterEventMap(Subscriber(&EventRecorder::OnEvent, &m_recorder));
    delete m_pCenter;
    m_pCenter = nullptr;
    std::string log;
    {
        testsupport::StderrCapture capture;
        pMgr->BeginInstallThread();
        for (int i = 0; i < 3000 && capture.Text().find("安装完成") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = capture.Text();
    }
    size_t nDropped = 0;
    for (size_t at = log.find("no notification centre"); at != std::string::npos;
         at = log.find("no notification centre", at + 1))
        ++nDropped;
    // 5, 10, 50, 80, 80, 90 and 100.
    EXPECT_EQ(nDropped, 7u) << log;
    EXPECT_NE(log.find("CInstallMgr::FireInstallEvent no notification centre; dropped step=100 "
                       "state=0 [install_pack_succeed]"),
              std::string::npos)
        << log;
    m_pCenter = new SNotifyCenter;
    m_pCenter->RegisterEventMap(Subscriber(&EventRecorder::OnEvent, &m_recorder));
}

// Destroys the manager on another thread so a hang fails the test instead
// of stalling it.
static bool DestroyWithin(std::unique_ptr<ScriptedInstallMgr> pMgr, int nSeconds) {
    auto done = std::async(std::launch::async, [p = std::move(pMgr)]() mutable { p.reset(); });
    if (done.wait_for(std::chrono::seconds(nSeconds)) == std::future_status::ready)
        return true;
    // The future would wait for the hung destructor forever; end the run here.
    std::fprintf(stderr, "install manager destruction hung for %d s\n", nSeconds);
    std::abort();
}

TEST_F(InstallMgr, DestroyingWhileAStepBlocksEndsTheWorkerAndFiresNothingMore) {
    for (const char* step : {"EndProductProcesses", "CheckNetFile", "DownNetFile", "InstallNetFile",
                             "DownInstallFile", "InstallFile", "AfterInstall"}) {
        m_recorder.events.clear();
        auto pMgr = MakeMgr();
        pMgr->strBlockIn = step;
        std::string log;
        {
            testsupport::StderrCapture capture;
            pMgr->BeginInstallThread();
            ASSERT_TRUE(RunLoopUntil([&] { return pMgr->bReachedBlock.load(); }, 30000)) << step;
            size_t nQueued = m_pCenter->GetPendingCount();
            size_t nSeen = m_recorder.events.size();
            ASSERT_TRUE(DestroyWithin(std::move(pMgr), 30)) << "hang in " << step;
            // The blocked step reports its failure once cancelled: not fired.
            EXPECT_EQ(m_pCenter->GetPendingCount(), nQueued) << step;
            RunLoopFor(5);
            EXPECT_EQ(m_recorder.events.size(), nSeen + nQueued) << step;
            log = capture.Text();
        }
        EXPECT_FALSE(m_recorder.Has(L"down_pack_error")) << step;
        EXPECT_FALSE(m_recorder.Has(L"install_pack_error")) << step;
        EXPECT_FALSE(m_recorder.Has(L"instll_net_error")) << step;
        EXPECT_FALSE(m_recorder.Has(L"down_net_error")) << step;
        EXPECT_NE(m_recorder.events.back(), Ev(100, 0, L"install_pack_succeed")) << step;
        // However the run ended, the worker says so.
        EXPECT_NE(log.find("CInstallMgr::ThreadInstall 安装完成"), std::string::npos) << step;
    }
}

TEST_F(InstallMgr, DestroyingLeavesNoLockHeld) {
    static MyLock::Mutex s_shared;
    auto pMgr = MakeMgr();
    pMgr->strBlockIn = "DownInstallFile";
    std::promise<void> held;
    auto* pRaw = pMgr.get();
    pMgr->onBlocked = [&] {
        // A step that waits while holding a process-wide lock, and lets go
        // of it on its own way out once cancelled.
        MyLock::AutoLock guard(&s_shared);
        held.set_value();
        pRaw->m_cancel.SleepFor(600000);
    };
    pMgr->BeginInstallThread();
    ASSERT_EQ(held.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
    ASSERT_TRUE(DestroyWithin(std::move(pMgr), 30));
    auto locker = std::async(std::launch::async, [] { MyLock::AutoLock guard(&s_shared); });
    EXPECT_EQ(locker.wait_for(std::chrono::seconds(30)), std::future_status::ready);
}

TEST_F(InstallMgr, DestroyingBeforeStartOrAfterTheEndIsQuiet) {
    {
        auto pMgr = MakeMgr();
        EXPECT_TRUE(DestroyWithin(std::move(pMgr), 30));
    }
    auto pMgr = MakeMgr();
    RunToEnd(*pMgr);
    size_t nSeen = m_recorder.events.size();
    EXPECT_TRUE(DestroyWithin(std::move(pMgr), 30));
    RunLoopFor(5);
    EXPECT_EQ(m_recorder.events.size(), nSeen);
}

TEST_F(InstallMgr, DestroyingAtRandomMomentsNeverHangsOrReordersEvents) {
    // What an uninterrupted run fires with these settings.
    std::vector<Ev> full;
    {
        auto pMgr = MakeMgr();
        pMgr->nProgressEvents = 3;
        RunToEnd(*pMgr);
        full = m_recorder.events;
    }
    ASSERT_EQ(full.back(), Ev(100, 0, L"install_pack_succeed"));

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    for (int round = 0; round < 150; ++round) {
        m_recorder.events.clear();
        auto pMgr = MakeMgr();
        pMgr->nProgressEvents = 3;
        pMgr->nStepDelayMs = 1;
        pMgr->BeginInstallThread();
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_TRUE(DestroyWithin(std::move(pMgr), 30)) << "round " << round;
        size_t nQueued = m_pCenter->GetPendingCount();
        ASSERT_TRUE(RunLoopUntil([&] { return m_pCenter->GetPendingCount() == 0; }, 30000));
        RunLoopFor(1);
        // Whatever came is the start of the full sequence, nothing more.
        ASSERT_LE(m_recorder.events.size(), full.size()) << "round " << round;
        EXPECT_GE(m_recorder.events.size(), nQueued);
        for (size_t i = 0; i < m_recorder.events.size(); ++i)
            ASSERT_EQ(m_recorder.events[i], full[i]) << "round " << round << " event " << i;
    }
}
