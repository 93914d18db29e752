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

    void EndProductProcesses() override { Enter("EndProductProcesses"); }
    bool CheckNetFile() override {
        FireInstallEvent(10, 0, L"net_check");
        return Enter("CheckNetFile") && bNetPresent;
    }
    bool DownNetFile() override {
        FireInstallEvent(20, 0, L"down_net");
        Progress(20, 40, L"正在下载net包...");
        bool bOk = Enter("DownNetFile") && bNetDownOk;
        if (!bOk)
            FireInstallEvent(40, -1, L"down_net_error");
        return bOk;
    }
    bool InstallNetFile() override {
        FireInstallEvent(40, 0, L"instll_net");
        bool bOk = Enter("InstallNetFile") && bNetInstallOk;
        FireInstallEvent(40, bOk ? 0 : -1, bOk ? L"instll_net_succeed" : L"instll_net_error");
        return bOk;
    }
    bool DownInstallFile() override {
        FireInstallEvent(50, 0, L"正在下载安装包...");
        Progress(50, 80, L"正在下载安装包...");
        bool bOk = Enter("DownInstallFile") && bPackDownOk;
        if (!bOk)
            FireInstallEvent(80, -1, L"down_pack_error");
        return bOk;
    }
    bool InstallFile() override {
        FireInstallEvent(80, 0, L"install_pack_ing");
        bool bOk = Enter("InstallFile") && bPackInstallOk;
        FireInstallEvent(80, bOk ? 0 : -1, bOk ? L"install_pack_succeed" : L"install_pack_error");
        return bOk;
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
    void Progress(int nFrom, int nTo, const wchar_t* text) {
        for (int i = 1; i <= nProgressEvents; ++i)
            FireInstallEvent(nFrom + (nTo - nFrom) * i / (nProgressEvents + 1), 0, text);
    }

    std::mutex m_lock;
    std::vector<std::string> m_steps;
};
