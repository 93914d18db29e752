#include "settings/InstallSettings.h"

#include "platform/ProfileFile.h"
#include "platform/Sha256.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

const wchar_t* const kDefaultVersion = L"0.0.0.0";
const wchar_t* const kDefaultNet40Url =
    L"http://dl.tovadoc.com/software/third_party/NETFramework4.0.exe";
const wchar_t* const kDefaultNet45Url =
    L"http://dl.tovadoc.com/software/third_party/NETFramework4.5.exe";
const wchar_t* const kDefaultInstallPackUrl =
    L"http://dl.tovadoc.com/software/install_pack/tvdoc2.0.exe";
const wchar_t* const kDefaultInstallStatisticsUrl =
    L"http://stat.tovadoc.com/Soft/Sys/InstallationPackage";
const wchar_t* const kDefaultChannel = L"10";

namespace {

const wchar_t* const kSection = L"Config";
constexpr size_t kVersionCapacity = 64;
constexpr size_t kTextCapacity = 1024;

// A zero character ends the text, as it ends the reader's buffer: what
// follows it would otherwise travel on unseen into addresses and records.
std::wstring ReadText(const wchar_t* szKey, const wchar_t* szDefault, size_t nCapacity,
                      const std::wstring& path) {
    std::wstring value = ProfileReadString(kSection, szKey, szDefault, nCapacity, path);
    const size_t zero = value.find(L'\0');
    if (zero != std::wstring::npos)
        value.resize(zero);
    return value;
}

std::wstring ReadSha256(const std::wstring& path, const wchar_t* key) {
    std::wstring value = ReadText(key, L"", kTextCapacity, path);
    std::string hex;
    if (!value.empty() && !NormalizeSha256Hex(WideToAnsi(value), hex))
        WriteLog(L"%s %s=[%s] is not 64 hexadecimal digits; the file it pins is not used",
                 L"InstallSettings::ReadSha256", key, value.c_str());
    return value;
}

}  // namespace

std::wstring GetInstallIniPath(const std::wstring& strExeDir) {
    return strExeDir + L"/Install.ini";
}

std::wstring ReadVersion(const std::wstring& path) {
    return ReadText(L"version", kDefaultVersion, kVersionCapacity, path);
}

std::wstring ReadNet40Url(const std::wstring& path) {
    return ReadText(L"net40_url", kDefaultNet40Url, kTextCapacity, path);
}

std::wstring ReadNet45Url(const std::wstring& path) {
    return ReadText(L"net45_url", kDefaultNet45Url, kTextCapacity, path);
}

std::wstring ReadInstallPackUrl(const std::wstring& path) {
    return ReadText(L"install_pack_url", kDefaultInstallPackUrl, kTextCapacity, path);
}

std::wstring ReadInstallStatisticsUrl(const std::wstring& path) {
    return ReadText(L"install_statistics_url", kDefaultInstallStatisticsUrl, kTextCapacity, path);
}

std::wstring ReadChannel(const std::wstring& path) {
    return ReadText(L"channel", kDefaultChannel, kTextCapacity, path);
}

uint32_t ReadLanguage(const std::wstring& path) {
    return ProfileReadInt(kSection, L"language", kDefaultLanguage, path);
}

std::wstring ReadInstallPackSha256(const std::wstring& path) {
    return ReadSha256(path, L"install_pack_sha256");
}

std::wstring ReadNet40Sha256(const std::wstring& path) {
    return ReadSha256(path, L"net40_sha256");
}

std::wstring ReadNet45Sha256(const std::wstring& path) {
    return ReadSha256(path, L"net45_sha256");
}

uint32_t ReadDownloadRetries(const std::wstring& path) {
    // "-1" reads as 4294967295: every large value means "as many as allowed".
    uint32_t n = ProfileReadInt(kSection, L"download_retries", kDefaultDownloadRetries, path);
    return n > kMaxDownloadRetries ? kMaxDownloadRetries : n;
}

std::wstring ReadProxy(const std::wstring& path) {
    return ReadText(L"proxy", L"", kTextCapacity, path);
}
