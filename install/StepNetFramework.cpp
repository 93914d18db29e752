#include "install/CInstallMgr.h"
#include "platform/WriteLog.h"

// True when the framework installer was downloaded.
bool CInstallMgr::DownNetFile() {
    FireInstallEvent(20, 0, L"down_net");
    WriteLog(L"%s download is not available in this build", L"CInstallMgr::DownNetFile");
    FireInstallEvent(40, -1, L"down_net_error");
    return false;
}

// True when the framework installer exited with 0.
bool CInstallMgr::InstallNetFile() {
    FireInstallEvent(40, 0, L"instll_net");
    WriteLog(L"%s install is not available in this build", L"CInstallMgr::InstallNetFile");
    FireInstallEvent(40, -1, L"instll_net_error");
    return false;
}
