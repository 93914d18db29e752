#include "app/settings/InstallSettings.h"
#include "http/ClusterCurl.h"
#include "install/CInstallMgr.h"
#include "install/CInstallPackDown.h"
#include "install/StepCommon.h"
#include "platform/ProcessControl.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

const wchar_t kPackFileName[] = L"TovadocSetup.exe";

}  // namespace

bool CInstallMgr::DownInstallFile() {
    FireInstallEvent(50, 0, L"正在下载安装包...");
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::DownInstallFile", 50);

    const std::string strFile = WideToAnsi(kPackFileName);
    const std::string strDir = WideToAnsi(m_strExeDir);
    const std::string strUrl = WideToAnsi(ReadInstallPackUrl(GetInstallIniPathIn(m_strExeDir)));

    CInstallPackDown receiver(50, 80, L"正在下载安装包...", this);
    CurlResult result;
    {
        ClusterCurl curl;
        curl.setDownCallback(&receiver);
        curl.setCancelToken(&m_cancel);
        result = curl.downloadFile(strUrl, strFile, strDir);
    }
    if (result.lResCode == 200) {
        WriteLog(L"%s success 下载安装包成功", L"CInstallMgr::DownInstallFile");
        return true;
    }
    WriteLog(L"%s error  下载安装包失败 reason=%s", L"CInstallMgr::DownInstallFile",
             AnsiToWide(result.strMsg).c_str());
    FireInstallEvent(80, -1, L"down_pack_error");
    return false;
}

bool CInstallMgr::InstallFile() {
    FireInstallEvent(80, 0, L"install_pack_ing");

    MarkExecutable(GetPackagePath());
    const std::string strCmdLine = BuildPackCommandLine(GetPackagePath(), m_strInstallDir);
    std::string strOutput;
    const int nExitCode = RunAndCapture(strCmdLine, strOutput, m_nPackInstallTimeoutMs, &m_cancel);
    WriteLog(L"%s install szCmdLine=[%s] strResult=[%s] exitcode=[%d]", L"CInstallMgr::InstallFile",
             AnsiToWide(strCmdLine).c_str(), AnsiToWide(strOutput).c_str(), nExitCode);
    if (nExitCode == 0) {
        FireInstallEvent(80, 0, L"install_pack_succeed");
        return true;
    }
    FireInstallEvent(80, -1, L"install_pack_error");
    return false;
}
