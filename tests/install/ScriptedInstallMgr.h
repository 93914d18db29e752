#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "install/CInstallMgr.h"

// An install manager whose steps do what the test says: each fires the
// events its real counterpart fires for the chosen result, records that it
// ran, and may wait (observing the cancellation token) to stand in for a
// download or a child installer.
class ScriptedInstallMgr : public CInstallMgr {
public:
    ~ScriptedInstallMgr() override { EndInstallThread(); }
    using CInstallMgr::EndInstallThread;

    bool bNetPresent = false;
    bool bNetDownOk = true;
    bool bNetInstallOk = true;
    bool bPackDownOk = true;
    bool bPackInstallOk = true;
    // Download progress events per download.
    int nProgressEvents = 4;
    // Milliseconds each step waits before its result (cancellable).
    int nStepDelayMs = 0;
    // The step that waits until cancelled, then reports failure the way an
    // aborted transfer or child wait would.
    std::string strBlockIn;
    // Runs inside the blocking step before it waits.
    std::function<void()> onBlocked;

    std::vector<std::string> Steps() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_steps;
    }
    std::atomic<bool> bReachedBlock{false};

    void EndProductProcesses() override {
        // The start gate opens only after the creator recorded the thread.
        bHandleRecordedAtStart = HasInstallThread();
        Enter("EndProductProcesses");
    }
    std::atomic<bool> bHandleRecordedAtStart{false};
    bool CheckNetFile() override {
        FireInstallEvent(10, 0, L"net_check");
        return Enter("CheckNetFile") && bNetPresent;
    }
    bool DownNetFile() override {
        return Download("DownNetFile", bNetDownOk, 20, 40, L"down_net", L"正在下载net包...",
                        L"down_net_error");
    }
    bool InstallNetFile() override {
        return RunInstaller("InstallNetFile", bNetInstallOk, 40, L"instll_net",
                            L"instll_net_succeed", L"instll_net_error");
    }
    bool DownInstallFile() override {
        return Download("DownInstallFile", bPackDownOk, 50, 80, L"正在下载安装包...",
                        L"正在下载安装包...", L"down_pack_error");
    }
    bool InstallFile() override {
        return RunInstaller("InstallFile", bPackInstallOk, 80, L"install_pack_ing",
                            L"install_pack_succeed", L"install_pack_error");
    }
    bool AfterInstall() override {
        FireInstallEvent(90, 0, L"install_pack_succeed");
        Enter("AfterInstall");
        FireInstallEvent(100, 0, L"install_pack_succeed");
        return true;
    }

private:
    // False when the step was cancelled while it waited.
    bool Enter(const std::string& step) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_steps.push_back(step);
        }
        if (step == strBlockIn) {
            if (onBlocked)
                onBlocked();
            bReachedBlock = true;
            m_cancel.SleepFor(600000);
            return false;
        }
        return nStepDelayMs <= 0 || m_cancel.SleepFor(nStepDelayMs);
    }
    bool Download(const std::string& step, bool bResult, int nFrom, int nTo,
                  const wchar_t* startText, const wchar_t* progressText, const wchar_t* failText) {
        FireInstallEvent(nFrom, 0, startText);
        for (int i = 1; i <= nProgressEvents; ++i)
            FireInstallEvent(nFrom + (nTo - nFrom) * i / (nProgressEvents + 1), 0, progressText);
        bool bOk = Enter(step) && bResult;
        if (!bOk)
            FireInstallEvent(nTo, -1, failText);
        return bOk;
    }
    bool RunInstaller(const std::string& step, bool bResult, int nPercent, const wchar_t* startText,
                      const wchar_t* okText, const wchar_t* failText) {
        FireInstallEvent(nPercent, 0, startText);
        bool bOk = Enter(step) && bResult;
        FireInstallEvent(nPercent, bOk ? 0 : -1, bOk ? okText : failText);
        return bOk;
    }

    std::mutex m_lock;
    std::vector<std::string> m_steps;
};
