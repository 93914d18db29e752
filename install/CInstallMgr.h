#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "install/FailureReason.h"
#include "install/InstallRunContext.h"
#include "platform/CCancelToken.h"
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/core/SString.h"

// Runs one installation on a worker thread of its own and reports every
// stage as an EventInstallCallBack through the notification centre.
//
// The steps are virtual so that tests can choose their results. A class that
// overrides them must call EndInstallThread() first thing in its destructor:
// the worker may otherwise still be inside an override while it is torn down.
class CInstallMgr : public SOUI::SObjectImpl<SOUI::IObject> {
public:
    CInstallMgr();
    // Ends a running worker: cancels, then joins. Returns promptly because
    // every step observes m_cancel.
    ~CInstallMgr() override;

    // Starts the worker once; a second call is refused with a log line.
    void BeginInstallThread();
    // The worker's procedure, given the manager; returns 0.
    static unsigned ThreadInstall(void* param);
    // The step driver.
    void IntallSoftware();
    // The one way the worker reports. Nothing is fired once m_cancel is set.
    // A failed stage passes the reason the user is shown.
    void FireInstallEvent(int nPercent, int nState, const SOUI::SStringW& strMessage,
                          const InstallFailureReason& reason = {});

    // What the steps' helpers get of this run: the folder, m_cancel and
    // FireInstallEvent. The manager must outlive what it is given to.
    InstallRunContext GetRunContext();

    // True once a worker was created, also after it ended.
    bool HasInstallThread() const { return m_hThread.joinable(); }
    // Where the package is looked for and downloaded to.
    std::wstring GetPackagePath() const;
    // A package lies there and may be run: there is no pin, or it matches.
    // One that does not match is deleted.
    bool HasUsablePackage() const;

    // Steps, in the order the driver calls them.
    virtual void EndProductProcesses();
    virtual bool CheckNetFile();
    virtual bool DownNetFile();
    virtual bool InstallNetFile();
    virtual bool DownInstallFile();
    virtual bool InstallFile();
    virtual bool AfterInstall();

    // Inputs from the window, written before the worker starts.
    std::wstring m_strInstallDir;
    bool m_bDesktopShortcut = true;
    bool m_bQuickLaunch = true;

    // The installer's own folder: Install.ini, net4.exe, TovadocSetup.exe.
    std::wstring m_strExeDir;
    // The interface language the run records in user.ini and the
    // statistics; 0: the settings' language.
    uint32_t m_nLanguage = 0;
    // Limits for the two child installers.
    uint32_t m_nNetInstallTimeoutMs = 1800000;
    uint32_t m_nPackInstallTimeoutMs = 300000;
    // Set when the manager goes away; transfers and child waits observe it.
    CCancelToken m_cancel;

protected:
    // Cancels and joins the worker; idempotent.
    void EndInstallThread();

private:
    void WaitStartGate();

    // Not joinable until the worker exists; joined (reset) by EndInstallThread.
    std::thread m_hThread;

    std::mutex m_gateLock;
    std::condition_variable m_gate;
    bool m_bGateOpen = false;

    // Orders cancellation against firing: once Cancel() ran under this lock,
    // no event can get into the queue.
    std::mutex m_fireLock;
};
