#include "install/StepCommon.h"

#include <glib.h>
#include <json/json.h>
#include <sys/stat.h>

#include <cerrno>

#include "app/settings/InstallSettings.h"
#include "http/ClusterCurl.h"
#include "install/CInstallMgr.h"
#include "install/CInstallPackDown.h"
#include "platform/ProcessControl.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

CurlResult DownloadIntoExeDir(CInstallMgr& mgr, const std::wstring& strUrl,
                              const std::wstring& strFileName, int nStartPercent, int nEndPercent,
                              const std::wstring& strTip) {
    CInstallPackDown receiver(nStartPercent, nEndPercent, strTip, &mgr);
    ClusterCurl curl;
    curl.setDownCallback(&receiver);
    curl.setCancelToken(&mgr.m_cancel);
    return curl.downloadFile(WideToAnsi(strUrl), WideToAnsi(strFileName),
                             WideToAnsi(mgr.m_strExeDir));
}

int RunInstaller(CInstallMgr& mgr, const wchar_t* szOrigin, const std::string& strCmdLine,
                 uint32_t nTimeoutMs) {
    std::string strOutput;
    const int nExitCode = RunAndCapture(strCmdLine, strOutput, nTimeoutMs, &mgr.m_cancel);
    WriteLog(L"%s install szCmdLine=[%s] strResult=[%s] exitcode=[%d]", szOrigin,
             AnsiToWide(strCmdLine).c_str(), AnsiToWide(strOutput).c_str(), nExitCode);
    return nExitCode;
}

std::wstring GetInstallIniPathIn(const std::wstring& strExeDir) {
    return strExeDir + L"/Install.ini";
}

std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath) {
    return nOsKind <= kOsKindXp64 ? ReadNet40Url(strIniPath) : ReadNet45Url(strIniPath);
}

std::string BuildNetCommandLine(const std::wstring& strInstallerPath) {
    return "\"" + WideToAnsi(strInstallerPath) + "\"";
}

std::string BuildPackCommandLine(const std::wstring& strPackagePath,
                                 const std::wstring& strInstallDir) {
    return "\"" + WideToAnsi(strPackagePath) + "\" /VERYSILENT /SUPPRESSMSGBOXES /DIR=\"" +
           WideToAnsi(strInstallDir) + "\"";
}

bool MarkExecutable(const std::wstring& strPath) {
    const std::string strNarrow = WideToAnsi(strPath);
    struct stat st {};
    if (stat(strNarrow.c_str(), &st) != 0) {
        WriteLog(L"%s [%s] errno=[%d]", L"InstallSteps::MarkExecutable", strPath.c_str(), errno);
        return false;
    }
    const mode_t mode = (st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH) & 07777;
    if (mode != (st.st_mode & 07777) && chmod(strNarrow.c_str(), mode) != 0) {
        WriteLog(L"%s chmod [%s] errno=[%d]", L"InstallSteps::MarkExecutable", strPath.c_str(),
                 errno);
        return false;
    }
    return true;
}

std::string BuildStatisticsJson(const std::wstring& strChannel, const std::wstring& strVersion,
                                const std::wstring& strMacId, uint32_t nLanguage) {
    Json::Value record;
    record["channel"] = AnsiToUtf8(WideToAnsi(strChannel));
    record["version"] = AnsiToUtf8(WideToAnsi(strVersion));
    record["mac_id"] = AnsiToUtf8(WideToAnsi(strMacId));
    record["lang"] = nLanguage == 1 ? "zh_cn" : "en_us";
    // The styled writer's layout, but this JsonCpp's StyledWriter escapes
    // non-ASCII text as \u sequences, and the record carries UTF-8.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    builder["commentStyle"] = "None";
    return Json::writeString(builder, record) + "\n";
}

std::string BuildStatisticsBody(const std::string& strJson) {
    gchar* szBase64 =
        g_base64_encode(reinterpret_cast<const guchar*>(strJson.data()), strJson.size());
    std::string strBody = std::string("info=") + szBase64;
    g_free(szBase64);
    return strBody;
}
