#include "install/CInstallMgr.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>

#include "install/ExeDirDownload.h"
#include "install/InstallStage.h"
#include "platform/SystemInfo.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"

namespace {

int CurrentThreadId() {
    return static_cast<int>(syscall(SYS_gettid));
}

}  // namespace

CInstallMgr::CInstallMgr() : m_strExeDir(GetExeDirectory()) {}

CInstallMgr::~CInstallMgr() {
    EndInstallThread();
}

void CInstallMgr::EndInstallThread() {
    {
        std::lock_guard<std::mutex> guard(m_fireLock);
        m_cancel.Cancel();
    }
    if (!m_hThread.joinable())
        return;
    if (m_hThread.get_id() == std::this_thread::get_id()) {
        // Cannot join itself; the run is cancelled and ends on its own.
        WriteLog(L"%s called on the worker itself", L"CInstallMgr::EndInstallThread");
        m_hThread.detach();
        return;
    }
    m_hThread.join();
}

void CInstallMgr::BeginInstallThread() {
    WriteLog(L"%s %s", L"CInstallMgr::BeginInstallThread", L"创建安装线程");
    if (m_hThread.joinable()) {
        // A second worker would run the same steps over the same files.
        WriteLog(L"%s 安装线程已创建, 不再创建", L"CInstallMgr::BeginInstallThread");
        return;
    }
    try {
        m_hThread = std::thread([this] {
            WaitStartGate();
            ThreadInstall(this);
        });
    } catch (const std::system_error& e) {
        WriteLog(L"%s 创建安装线程失败 errno=[%d]", L"CInstallMgr::BeginInstallThread",
                 e.code().value());
        return;
    }
    // The worker starts only now that its handle is recorded.
    {
        std::lock_guard<std::mutex> guard(m_gateLock);
        m_bGateOpen = true;
    }
    m_gate.notify_one();
}

void CInstallMgr::WaitStartGate() {
    std::unique_lock<std::mutex> lock(m_gateLock);
    m_gate.wait(lock, [this] { return m_bGateOpen; });
}

unsigned CInstallMgr::ThreadInstall(void* param) {
    if (!param) {
        WriteLog(L"%s 线程参数有问题 threadid=[%d]", L"CInstallMgr::ThreadInstall",
                 CurrentThreadId());
        return 0;
    }
    static_cast<CInstallMgr*>(param)->IntallSoftware();
    WriteLog(L"%s 安装完成 线程threadid=[%d]退出", L"CInstallMgr::ThreadInstall",
             CurrentThreadId());
    return 0;
}

bool CInstallMgr::HasUsablePackage() const {
    const ExistingFile eFound =
        CheckExistingFile(GetPackagePath(), ReadInstallPackSha256(GetInstallIniPath(m_strExeDir)),
                          L"CInstallMgr::IntallSoftware", &m_cancel);
    return eFound == ExistingFile::Unpinned || eFound == ExistingFile::Matches;
}

void CInstallMgr::IntallSoftware() {
    FireInstallEvent(StageStart(InstallStage::Prepare), 0, L"检测环境...");
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::IntallSoftware", StageStart(InstallStage::Prepare));

    EndProductProcesses();
    if (m_cancel.IsCancelled())
        return;

    // The framework is optional for the run: its failures do not stop it.
    if (!CheckNetFile() && !m_cancel.IsCancelled()) {
        if (DownNetFile() && !m_cancel.IsCancelled())
            InstallNetFile();
    }
    if (m_cancel.IsCancelled())
        return;

    // A package already lying there is run as it is, unless a pin says otherwise.
    if (!HasUsablePackage()) {
        if (!DownInstallFile() || m_cancel.IsCancelled())
            return;
    }
    if (!InstallFile() || m_cancel.IsCancelled())
        return;
    AfterInstall();
}
