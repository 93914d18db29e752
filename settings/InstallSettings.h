#pragma once
#include <cstdint>
#include <string>

#include "platform/SystemInfo.h"

// Settings of Install.ini beside the executable, section "Config". There is
// no settings object: every use reads its key anew, so a changed file is seen
// by the next read. Every key has a default; a missing file gives them all.

// strExeDir + "/Install.ini"; by default the running installer's folder,
// looked up anew on each call.
std::wstring GetInstallIniPath(const std::wstring& strExeDir = GetExeDirectory());

std::wstring ReadVersion(const std::wstring& path);               // "0.0.0.0", cut to 63
std::wstring ReadNet40Url(const std::wstring& path);              // cut to 1023
std::wstring ReadNet45Url(const std::wstring& path);              // cut to 1023
std::wstring ReadInstallPackUrl(const std::wstring& path);        // cut to 1023
std::wstring ReadInstallStatisticsUrl(const std::wstring& path);  // cut to 1023
std::wstring ReadChannel(const std::wstring& path);               // "10", cut to 1023
// 1 Chinese, 2 English, anything else no translation.
uint32_t ReadLanguage(const std::wstring& path);

// The defaults, for callers and tests that need to tell them apart.
extern const wchar_t* const kDefaultVersion;
extern const wchar_t* const kDefaultNet40Url;
extern const wchar_t* const kDefaultNet45Url;
extern const wchar_t* const kDefaultInstallPackUrl;
extern const wchar_t* const kDefaultInstallStatisticsUrl;
extern const wchar_t* const kDefaultChannel;
constexpr uint32_t kDefaultLanguage = 1;
