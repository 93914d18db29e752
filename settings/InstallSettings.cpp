#include "settings/InstallSettings.h"

#include "platform/ProfileFile.h"
#include "platform/SystemInfo.h"

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

}  // namespace

std::wstring GetInstallIniPath(const std::wstring& strExeDir) {
    return strExeDir + L"/Install.ini";
}

std::wstring ReadVersion(const std::wstring& path) {
    return ProfileReadString(kSection, L"version", kDefaultVersion, kVersionCapacity, path);
}

std::wstring ReadNet40Url(const std::wstring& path) {
    return ProfileReadString(kSection, L"net40_url", kDefaultNet40Url, kTextCapacity, path);
}

std::wstring ReadNet45Url(const std::wstring& path) {
    return ProfileReadString(kSection, L"net45_url", kDefaultNet45Url, kTextCapacity, path);
}

std::wstring ReadInstallPackUrl(const std::wstring& path) {
    return ProfileReadString(kSection, L"install_pack_url", kDefaultInstallPackUrl, kTextCapacity,
                             path);
}

std::wstring ReadInstallStatisticsUrl(const std::wstring& path) {
    return ProfileReadString(kSection, L"install_statistics_url", kDefaultInstallStatisticsUrl,
                             kTextCapacity, path);
}

std::wstring ReadChannel(const std::wstring& path) {
    return ProfileReadString(kSection, L"channel", kDefaultChannel, kTextCapacity, path);
}

uint32_t ReadLanguage(const std::wstring& path) {
    return ProfileReadInt(kSection, L"language", kDefaultLanguage, path);
}
