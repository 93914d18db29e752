#pragma once
#include <cstdint>
#include <string>

#include "http/CurlResult.h"

class CInstallMgr;

// What the install steps share, and the parts of them that depend only on
// their inputs.

// Downloads strUrl into the installer's folder as strFileName, firing
// progress events from nStartPercent to nEndPercent with strTip. Stops when
// the manager is cancelled.
CurlResult DownloadIntoExeDir(CInstallMgr& mgr, const std::wstring& strUrl,
                              const std::wstring& strFileName, int nStartPercent, int nEndPercent,
                              const std::wstring& strTip);

// Runs an installer's command line with the time-out, logs the line, its
// output and exit code under szOrigin, and returns the exit code.
int RunInstaller(CInstallMgr& mgr, const wchar_t* szOrigin, const std::string& strCmdLine,
                 uint32_t nTimeoutMs);

// Install.ini inside the given installer folder.
std::wstring GetInstallIniPathIn(const std::wstring& strExeDir);

// net40_url for the XP generation (OS kinds 0 to 3), net45_url otherwise.
std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath);

// "<installer>" with the path quoted, so a folder with blanks names one program.
std::string BuildNetCommandLine(const std::wstring& strInstallerPath);
// "<package>" /VERYSILENT /SUPPRESSMSGBOXES /DIR="<folder>"
std::string BuildPackCommandLine(const std::wstring& strPackagePath,
                                 const std::wstring& strInstallDir);

// Adds execute permission (downloads arrive without it). False, with a log
// line, when the file is missing or cannot be changed.
bool MarkExecutable(const std::wstring& strPath);

// The statistics record in the styled text form: members sorted, three
// blanks of indentation, " : ", a final line feed; UTF-8 kept as it is.
// "lang" is "zh_cn" for language 1 and "en_us" for any other value.
std::string BuildStatisticsJson(const std::wstring& strChannel, const std::wstring& strVersion,
                                const std::wstring& strMacId, uint32_t nLanguage);
// "info=" and the standard Base64 of the record's bytes, without line breaks.
std::string BuildStatisticsBody(const std::string& strJson);
