#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "install/CInstallMgr.h"
#include "install/InstallStage.h"
#include "platform/CRegSettings.h"
#include "platform/ProcessFind.h"
#include "platform/ProcessTree.h"
#include "platform/SystemInfo.h"
#include "platform/WriteLog.h"

namespace {

// However many workers run, the loop makes at most this many attempts.
const int kMaxConvertWorkerEnds = 50;

// Ends the first running process of that name and everything it started;
// false when none runs. The result of the kill itself is not waited for: a
// process that survives it (no rights) is left alone and the run goes on.
bool EndFirstProcess(const wchar_t* szExeName) {
    uint32_t nPid = 0;
    if (!FindProcessByName(szExeName, nPid))
        return false;
    // Never signal a process group (0), every process (-1), init or ourselves.
    if (nPid <= 1 || static_cast<pid_t>(nPid) == getpid())
        return true;
    if (EndProcessTree(static_cast<pid_t>(nPid)) == 0) {
        WriteLog(L"%s cannot end %s pid=[%d]", L"CInstallMgr::EndProductProcesses", szExeName,
                 static_cast<int>(nPid));
    }
    return true;
}

}  // namespace

void CInstallMgr::EndProductProcesses() {
    EndFirstProcess(L"Tovadoc.exe");
    EndFirstProcess(L"UpdateAgent.exe");
    for (int i = 0; i < kMaxConvertWorkerEnds; ++i) {
        if (!EndFirstProcess(L"ConvertWorker.exe"))
            break;
    }
}

bool CInstallMgr::CheckNetFile() {
    WriteLog(L"%s 检测net文件step=%d", L"CInstallMgr::CheckNetFile",
             StageStart(InstallStage::NetCheck));
    FireInstallEvent(StageStart(InstallStage::NetCheck), 0, L"net_check");

    CRegSettings reg(IsWow64());
    std::vector<std::wstring> vecNames;
    reg.EnumSubKeys(vecNames);
    // Any release key starting with "v4" counts, whatever lies beneath it.
    for (const std::wstring& strName : vecNames) {
        if (strName.size() >= 2 && strName.compare(0, 2, L"v4") == 0)
            return true;
    }
    return false;
}
