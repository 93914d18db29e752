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

// SHA-256 pins of the three downloads: empty (the key is absent or empty)
// for none, else what the key holds, cut to 1023. A value that is not 64
// hexadecimal digits is logged here; the download it pins then fails.
std::wstring ReadInstallPackSha256(const std::wstring& path);
std::wstring ReadNet40Sha256(const std::wstring& path);
std::wstring ReadNet45Sha256(const std::wstring& path);
// Further attempts after a transient download failure: 3, at most 10; 0 for none.
uint32_t ReadDownloadRetries(const std::wstring& path);
// A proxy for every transfer ("host:port", "http://host:port",
// "socks5://host:port"); empty: the environment's proxies.
std::wstring ReadProxy(const std::wstring& path);

// The defaults, for callers and tests that need to tell them apart.
extern const wchar_t* const kDefaultVersion;
extern const wchar_t* const kDefaultNet40Url;
extern const wchar_t* const kDefaultNet45Url;
extern const wchar_t* const kDefaultInstallPackUrl;
extern const wchar_t* const kDefaultInstallStatisticsUrl;
extern const wchar_t* const kDefaultChannel;
constexpr uint32_t kDefaultLanguage = 1;
constexpr uint32_t kDefaultDownloadRetries = 3;
constexpr uint32_t kMaxDownloadRetries = 10;
