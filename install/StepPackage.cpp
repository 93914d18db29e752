#include "install/CInstallMgr.h"
#include "install/ExeDirDownload.h"
#include "install/InstallerRun.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"

namespace {

const wchar_t kPackFileName[] = L"TovadocSetup.exe";

}  // namespace

bool CInstallMgr::DownInstallFile() {
    FireInstallEvent(50, 0, L"正在下载安装包...");
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::DownInstallFile", 50);

    const std::wstring strIni = GetInstallIniPath(m_strExeDir);
    const CurlResult result =
        DownloadIntoExeDir(*this, ReadInstallPackUrl(strIni), kPackFileName, 50, 80,
                           L"正在下载安装包...", ReadInstallPackSha256(strIni));
    if (result.lResCode == 200) {
        WriteLog(L"%s success 下载安装包成功", L"CInstallMgr::DownInstallFile");
        return true;
    }
    WriteLog(L"%s error  下载安装包失败 reason=%s", L"CInstallMgr::DownInstallFile",
             AnsiToWide(DescribeTransferFailure(result)).c_str());
    FireInstallEvent(80, -1,
                     IsVerificationFailure(result) ? L"down_pack_hash_error" : L"down_pack_error",
                     ReasonForTransfer(result));
    return false;
}

bool CInstallMgr::InstallFile() {
    FireInstallEvent(80, 0, L"install_pack_ing");

    MarkExecutable(GetPackagePath());
    const int nExitCode = RunInstaller(*this, L"CInstallMgr::InstallFile",
                                       BuildPackCommandLine(GetPackagePath(), m_strInstallDir),
                                       m_nPackInstallTimeoutMs);
    if (nExitCode == 0) {
        FireInstallEvent(80, 0, L"install_pack_succeed");
        return true;
    }
    FireInstallEvent(80, -1, L"install_pack_error",
                     ReasonForInstallerExit(nExitCode, m_nPackInstallTimeoutMs));
    return false;
}
