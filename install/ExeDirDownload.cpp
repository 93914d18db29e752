#include "install/ExeDirDownload.h"

#include "http/ClusterCurl.h"
#include "install/CInstallMgr.h"
#include "install/CInstallPackDown.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "settings/InstallSettings.h"

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

std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath) {
    return nOsKind <= kOsKindXp64 ? ReadNet40Url(strIniPath) : ReadNet45Url(strIniPath);
}
