#include "install/ExeDirDownload.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "http/ClusterCurl.h"
#include "install/CInstallPackDown.h"
#include "platform/Sha256.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"

namespace {

// With retries on, a connection silent for this long is given up and resumed.
constexpr int kStallSeconds = 60;

// What the next address cannot do better: the installer is closing, or
// the fault is here (the pin, the disk, the folder).
bool OtherAddressMayHelp(const CurlResult& result) {
    switch (result.eFailure) {
        case TransferFailure::Cancelled:
        case TransferFailure::BadPin:
        case TransferFailure::DiskFull:
        case TransferFailure::LocalFile:
            return false;
        default:
            return true;
    }
}

}  // namespace

CurlResult DownloadIntoExeDir(const InstallRunContext& run, const std::wstring& strUrl,
                              const std::wstring& strFileName, InstallStage eStage,
                              const std::wstring& strTip, const std::wstring& strSha256) {
    const std::wstring strIni = GetInstallIniPath(run.strExeDir);
    CInstallPackDown receiver(eStage, strTip, run);
    const std::vector<std::wstring> urls = SplitMirrorList(strUrl);
    CurlResult result;
    for (size_t i = 0; i < urls.size(); ++i) {
        ClusterCurl curl;
        curl.setDownCallback(&receiver);
        curl.setCancelToken(run.pCancel);
        curl.setExpectedSha256(WideToAnsi(strSha256));
        curl.m_nRetries = static_cast<int>(ReadDownloadRetries(strIni));
        if (curl.m_nRetries > 0)
            curl.m_nStallSeconds = kStallSeconds;
        curl.m_strProxy = WideToAnsi(ReadProxy(strIni));
        result = curl.downloadFile(WideToAnsi(urls[i]), WideToAnsi(strFileName),
                                   WideToAnsi(run.strExeDir));
        if (result.lResCode == 200 || i + 1 == urls.size() || !OtherAddressMayHelp(result))
            break;
        WriteLog(L"%s [%s] failed (%s); trying [%s]", L"ExeDirDownload::DownloadIntoExeDir",
                 urls[i].c_str(), AnsiToWide(TransferFailureName(result.eFailure)).c_str(),
                 urls[i + 1].c_str());
    }
    return result;
}

std::vector<std::wstring> SplitMirrorList(const std::wstring& strUrls) {
    std::vector<std::wstring> urls;
    size_t nPos = 0;
    for (;;) {
        const size_t nBegin = strUrls.find_first_not_of(L" \t", nPos);
        if (nBegin == std::wstring::npos)
            break;
        nPos = strUrls.find_first_of(L" \t", nBegin);
        urls.push_back(strUrls.substr(nBegin, nPos == std::wstring::npos ? nPos : nPos - nBegin));
    }
    // An empty setting is tried as it is, and fails as it always did.
    if (urls.empty())
        urls.push_back(strUrls);
    return urls;
}

bool IsVerificationFailure(const CurlResult& result) {
    return result.eFailure == TransferFailure::HashMismatch ||
           result.eFailure == TransferFailure::BadPin;
}

std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath) {
    return nOsKind <= kOsKindXp64 ? ReadNet40Url(strIniPath) : ReadNet45Url(strIniPath);
}

std::wstring ChooseNetSha256(int nOsKind, const std::wstring& strIniPath) {
    return nOsKind <= kOsKindXp64 ? ReadNet40Sha256(strIniPath) : ReadNet45Sha256(strIniPath);
}

ExistingFile CheckExistingFile(const std::wstring& strPath, const std::wstring& strSha256,
                               const wchar_t* szCaller, const CCancelToken* pCancel) {
    const std::string strNarrow = WideToAnsi(strPath);
    struct stat st {};
    if (lstat(strNarrow.c_str(), &st) != 0 ||
        (S_ISLNK(st.st_mode) && access(strNarrow.c_str(), F_OK) != 0))
        return ExistingFile::Absent;
    if (strSha256.empty())
        return ExistingFile::Unpinned;
    // Never hashed: a pipe would hold the reader, a device or folder is no installer.
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        WriteLog(L"%s [%s] not used: no regular file (mode %o)", szCaller, strPath.c_str(),
                 static_cast<unsigned>(st.st_mode & S_IFMT));
        return ExistingFile::NotRegular;
    }
    std::string strPin;
    if (!NormalizeSha256Hex(WideToAnsi(strSha256), strPin)) {
        WriteLog(L"%s [%s] not used: its pin is no SHA-256", szCaller, strPath.c_str());
        return ExistingFile::Unverified;
    }
    std::string strGot;
    int nErr = 0;
    if (!CSha256::HashFile(strNarrow, strGot, nErr, pCancel)) {
        WriteLog(L"%s [%s] not used: unreadable errno=[%d]", szCaller, strPath.c_str(), nErr);
        return ExistingFile::Unverified;
    }
    if (strGot == strPin) {
        WriteLog(L"%s [%s] matches its pin", szCaller, strPath.c_str());
        return ExistingFile::Matches;
    }
    // Not what the distributor pinned: never run it, fetch it again.
    const bool bRemoved = unlink(strNarrow.c_str()) == 0;
    WriteLog(L"%s [%s] sha256=[%s] is not the pinned one; %s", szCaller, strPath.c_str(),
             AnsiToWide(strGot).c_str(), bRemoved ? L"deleted" : L"cannot be deleted");
    return bRemoved ? ExistingFile::Removed : ExistingFile::Unverified;
}
