#include "install/CInstallMgr.h"
#include "platform/WriteLog.h"

// Ends the product's programs that may hold files the package replaces.
void CInstallMgr::EndProductProcesses() {
    WriteLog(L"%s process ending is not available in this build",
             L"CInstallMgr::EndProductProcesses");
}

// True when a .NET Framework 4 is installed.
bool CInstallMgr::CheckNetFile() {
    WriteLog(L"%s 检测net文件step=%d", L"CInstallMgr::CheckNetFile", 10);
    FireInstallEvent(10, 0, L"net_check");
    WriteLog(L"%s registry check is not available in this build", L"CInstallMgr::CheckNetFile");
    return false;
}
