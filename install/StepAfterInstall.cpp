#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "http/CHttpMgr.h"
#include "install/CInstallMgr.h"
#include "install/InstallStage.h"
#include "install/StatisticsRecord.h"
#include "platform/MacAddress.h"
#include "platform/ProfileFile.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"

bool CInstallMgr::AfterInstall() {
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::AfterInstall",
             StageStart(InstallStage::AfterInstall));
    FireInstallEvent(StageStart(InstallStage::AfterInstall), 0, L"install_pack_succeed");

    const std::wstring strIni = GetInstallIniPath(m_strExeDir);
    const uint32_t nLanguage = m_nLanguage ? m_nLanguage : ReadLanguage(strIni);
    // The language goes out as the signed number the settings file spelled.
    const std::wstring strLanguage = std::to_wstring(static_cast<int32_t>(nLanguage));
    if (m_strInstallDir.empty()) {
        // Without a folder the file would land in the file system's root.
        WriteLog(L"%s no install folder, user.ini not written", L"CInstallMgr::AfterInstall");
    } else if (!ProfileWriteStrings(
                   m_strInstallDir + L"/user.ini", L"Config",
                   {{L"channel", ReadChannel(strIni)}, {L"language", strLanguage}})) {
        // Not fatal: the product falls back to its own defaults.
        WriteLog(L"%s user.ini not written in [%s]", L"CInstallMgr::AfterInstall",
                 m_strInstallDir.c_str());
    }

    const std::string strJson = BuildStatisticsJson(ReadChannel(strIni), ReadVersion(strIni),
                                                    GetMacAddressText(), nLanguage);
    const std::string strBody = BuildStatisticsBody(strJson);
    // The answer is not awaited; the HTTP manager logs it.
    CHttpMgr::GetInstance()->PostAsync(ReadInstallStatisticsUrl(strIni), AnsiToWide(strBody), 0,
                                       ReadProxy(strIni));
    WriteLog(L"%s Statistics url=%s ret=%s", L"CInstallMgr::AfterInstall",
             ReadInstallStatisticsUrl(strIni).c_str(), AnsiToWide(strBody).c_str());

    FireInstallEvent(StageStart(InstallStage::Done), 0, L"install_pack_succeed");
    return true;
}
