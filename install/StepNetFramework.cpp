#include "install/CInstallMgr.h"
#include "install/ExeDirDownload.h"
#include "install/InstallStage.h"
#include "install/InstallerRun.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"

namespace {

const wchar_t kNetFileName[] = L"net4.exe";

}  // namespace

bool CInstallMgr::DownNetFile() {
    FireInstallEvent(StageStart(InstallStage::NetDownload), 0, L"down_net");
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::DownNetFile", StageStart(InstallStage::NetDownload));

    const std::wstring strIni = GetInstallIniPath(m_strExeDir);
    const int nOsKind = GetOsKind();
    const std::wstring strSha256 = ChooseNetSha256(nOsKind, strIni);
    // Only a pinned installer from an earlier run can be trusted again.
    if (CheckExistingFile(m_strExeDir + L"/" + kNetFileName, strSha256, L"CInstallMgr::DownNetFile",
                          &m_cancel) == ExistingFile::Matches) {
        WriteLog(L"%s success 下载net包成功", L"CInstallMgr::DownNetFile");
        return true;
    }
    const CurlResult result =
        DownloadIntoExeDir(GetRunContext(), ChooseNetUrl(nOsKind, strIni), kNetFileName,
                           InstallStage::NetDownload, L"正在下载net包...", strSha256);
    if (result.lResCode == 200) {
        WriteLog(L"%s success 下载net包成功", L"CInstallMgr::DownNetFile");
        return true;
    }
    WriteLog(L"%s error 下载net包失败 reason=%s", L"CInstallMgr::DownNetFile",
             AnsiToWide(DescribeTransferFailure(result)).c_str());
    FireInstallEvent(StageEnd(InstallStage::NetDownload), -1,
                     IsVerificationFailure(result) ? L"down_net_hash_error" : L"down_net_error",
                     ReasonForTransfer(result));
    return false;
}

bool CInstallMgr::InstallNetFile() {
    FireInstallEvent(StageStart(InstallStage::NetInstall), 0, L"instll_net");

    const std::wstring strPath = m_strExeDir + L"/" + kNetFileName;
    MarkExecutable(strPath);
    const int nExitCode = RunInstaller(GetRunContext(), L"CInstallMgr::InstallNetFile",
                                       BuildNetCommandLine(strPath), m_nNetInstallTimeoutMs);
    if (nExitCode == 0) {
        FireInstallEvent(StageEnd(InstallStage::NetInstall), 0, L"instll_net_succeed");
        return true;
    }
    FireInstallEvent(StageEnd(InstallStage::NetInstall), -1, L"instll_net_error",
                     ReasonForInstallerExit(nExitCode, m_nNetInstallTimeoutMs));
    return false;
}
