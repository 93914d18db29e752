#include "install/CInstallMgr.h"
#include "platform/WriteLog.h"

// True when the package was downloaded to GetPackagePath().
bool CInstallMgr::DownInstallFile() {
    FireInstallEvent(50, 0, L"正在下载安装包...");
    WriteLog(L"%s download is not available in this build", L"CInstallMgr::DownInstallFile");
    FireInstallEvent(80, -1, L"down_pack_error");
    return false;
}

// True when the package installer exited with 0.
bool CInstallMgr::InstallFile() {
    FireInstallEvent(80, 0, L"install_pack_ing");
    WriteLog(L"%s install is not available in this build", L"CInstallMgr::InstallFile");
    FireInstallEvent(80, -1, L"install_pack_error");
    return false;
}
