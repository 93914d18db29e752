#include "install/CInstallMgr.h"
#include "install/ExeDirDownload.h"
#include "install/InstallStage.h"
#include "install/InstallerRun.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"

namespace {

const wchar_t kPackFileName[] = L"TovadocSetup.exe";

}  // namespace

std::wstring CInstallMgr::GetPackagePath() const {
    return m_strExeDir + L"/" + kPackFileName;
}

bool CInstallMgr::DownInstallFile() {
    FireInstallEvent(StageStart(InstallStage::PackDownload), 0, L"正在下载安装包...");
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::DownInstallFile",
             StageStart(InstallStage::PackDownload));

    const std::wstring strIni = GetInstallIniPath(m_strExeDir);
    const CurlResult result = DownloadIntoExeDir(
        GetRunContext(), ReadInstallPackUrl(strIni), kPackFileName, InstallStage::PackDownload,
        L"正在下载安装包...", ReadInstallPackSha256(strIni));
    if (result.lResCode == 200) {
        WriteLog(L"%s success 下载安装包成功", L"CInstallMgr::DownInstallFile");
        return true;
    }
    WriteLog(L"%s error  下载安装包失败 reason=%s", L"CInstallMgr::DownInstallFile",
             AnsiToWide(DescribeTransferFailure(result)).c_str());
    FireInstallEvent(StageEnd(InstallStage::PackDownload), -1,
                     IsVerificationFailure(result) ? L"down_pack_hash_error" : L"down_pack_error",
                     ReasonForTransfer(result));
    return false;
}

bool CInstallMgr::InstallFile() {
    FireInstallEvent(StageStart(InstallStage::PackInstall), 0, L"install_pack_ing");

    MarkExecutable(GetPackagePath());
    const int nExitCode = RunInstaller(GetRunContext(), L"CInstallMgr::InstallFile",
                                       BuildPackCommandLine(GetPackagePath(), m_strInstallDir),
                                       m_nPackInstallTimeoutMs);
    if (nExitCode == 0) {
        FireInstallEvent(StageEnd(InstallStage::PackInstall), 0, L"install_pack_succeed");
        return true;
    }
    FireInstallEvent(StageEnd(InstallStage::PackInstall), -1, L"install_pack_error",
                     ReasonForInstallerExit(nExitCode, m_nPackInstallTimeoutMs));
    return false;
}
