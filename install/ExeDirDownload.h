#pragma once
#include <string>
#include <vector>

#include "http/CurlResult.h"
#include "install/InstallRunContext.h"
#include "install/InstallStage.h"

class CCancelToken;

// Downloads into the installer's own folder, where the framework installer
// and the package are kept for later runs.

// Downloads strUrl into the run's installer folder as strFileName,
// reporting progress over eStage's range with strTip. The settings give the
// retries and the proxy; strSha256 (the settings' pin, empty for none) must
// match, or the file is not kept. Stops when the run is cancelled. strUrl
// may name several addresses separated by blanks: each is tried, with its
// retries, until one gives the file.
CurlResult DownloadIntoExeDir(const InstallRunContext& run, const std::wstring& strUrl,
                              const std::wstring& strFileName, InstallStage eStage,
                              const std::wstring& strTip, const std::wstring& strSha256);

// The blank-separated addresses of one address setting, in order; an empty
// setting gives one empty address.
std::vector<std::wstring> SplitMirrorList(const std::wstring& strUrls);

// The download failed because its bytes, or its pin, could not be trusted.
bool IsVerificationFailure(const CurlResult& result);

// net40_url for the XP generation (OS kinds 0 to 3), net45_url otherwise;
// the pin likewise.
std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath);
std::wstring ChooseNetSha256(int nOsKind, const std::wstring& strIniPath);

// A file found beside the installer, held against its pin.
enum class ExistingFile {
    Absent,      // nothing there
    Unpinned,    // there, and no pin to hold it against
    Matches,     // there, and its SHA-256 is the pin
    Removed,     // it did not match, so it was deleted
    Unverified,  // there, but the pin is unusable or the file unreadable: not used
    NotRegular,  // pinned, but a pipe, device, socket or folder: not used, never opened
};
// Hashing stops (Unverified) once pCancel is set.
ExistingFile CheckExistingFile(const std::wstring& strPath, const std::wstring& strSha256,
                               const wchar_t* szCaller, const CCancelToken* pCancel);
