#pragma once
#include <string>

#include "http/CurlResult.h"

class CInstallMgr;

// Downloads into the installer's own folder, where the framework installer
// and the package are kept for later runs.

// Downloads strUrl into the installer's folder as strFileName, firing
// progress events from nStartPercent to nEndPercent with strTip. Stops when
// the manager is cancelled.
CurlResult DownloadIntoExeDir(CInstallMgr& mgr, const std::wstring& strUrl,
                              const std::wstring& strFileName, int nStartPercent, int nEndPercent,
                              const std::wstring& strTip);

// net40_url for the XP generation (OS kinds 0 to 3), net45_url otherwise.
std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath);
