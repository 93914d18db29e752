#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "settings/InstallSettings.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::wstring IniIn(const TempDir& dir) {
    return AnsiToWide((dir / "Install.ini").string());
}

}  // namespace

TEST(InstallSettings, PathIsBesideTheExecutable) {
    EXPECT_EQ(GetInstallIniPath(), GetExeDirectory() + L"/Install.ini");
}

TEST(InstallSettings, MissingFileGivesEveryDefault) {
    TempDir dir;
    const std::wstring path = IniIn(dir);
    EXPECT_EQ(ReadVersion(path), L"0.0.0.0");
    EXPECT_EQ(ReadNet40Url(path),
              L"http://dl.tovadoc.com/software/third_party/NETFramework4.0.exe");
    EXPECT_EQ(ReadNet45Url(path),
              L"http://dl.tovadoc.com/software/third_party/NETFramework4.5.exe");
    EXPECT_EQ(ReadInstallPackUrl(path),
              L"http://dl.tovadoc.com/software/install_pack/tvdoc2.0.exe");
    EXPECT_EQ(ReadInstallStatisticsUrl(path),
              L"http://stat.tovadoc.com/Soft/Sys/InstallationPackage");
    EXPECT_EQ(ReadChannel(path), L"10");
    EXPECT_EQ(ReadLanguage(path), 1u);
}

TEST(InstallSettings, ValuesFromTheFileInAnyLetterCase) {
    TempDir dir;
    WriteFile(dir / "Install.ini",
              "[CONFIG]\r\n"
              "VERSION=2.2.3.3\r\n"
              "Net40_Url=http://127.0.0.1:8080/net40.exe\r\n"
              "net45_url = http://127.0.0.1:8080/net45.exe\r\n"
              "install_pack_url=\r\n"
              "install_statistics_url=\"http://127.0.0.1:8080/stat\"\r\n"
              "channel=渠道7\r\n"
              "LANGUAGE=2\r\n");
    const std::wstring path = IniIn(dir);
    EXPECT_EQ(ReadVersion(path), L"2.2.3.3");
    EXPECT_EQ(ReadNet40Url(path), L"http://127.0.0.1:8080/net40.exe");
    EXPECT_EQ(ReadNet45Url(path), L"http://127.0.0.1:8080/net45.exe");
    EXPECT_EQ(ReadInstallPackUrl(path), L"");  // present but empty: not the default
    EXPECT_EQ(ReadInstallStatisticsUrl(path), L"http://127.0.0.1:8080/stat");
    EXPECT_EQ(ReadChannel(path), L"渠道7");
    EXPECT_EQ(ReadLanguage(path), 2u);
}

TEST(InstallSettings, LanguageValuesAndLongTexts) {
    TempDir dir;
    const std::wstring path = IniIn(dir);
    const std::pair<const char*, uint32_t> languages[] = {
        {"3", 3}, {"0", 0}, {"english", 0}, {"", 1}};
    for (const auto& [text, expected] : languages) {
        WriteFile(dir / "Install.ini", std::string("[Config]\nlanguage=") + text + "\n");
        EXPECT_EQ(ReadLanguage(path), expected) << text;
    }

    const std::string longUrl = "http://127.0.0.1/" + std::string(2000, 'u');
    WriteFile(dir / "Install.ini",
              "[Config]\nversion=" + std::string(80, '7') + "\nchannel=" + longUrl + "\n");
    EXPECT_EQ(ReadVersion(path), std::wstring(63, L'7'));
    EXPECT_EQ(ReadChannel(path), AnsiToWide(longUrl.substr(0, 1023)));
}

TEST(InstallSettings, ChangedFileIsSeenByTheNextRead) {
    TempDir dir;
    const std::wstring path = IniIn(dir);
    WriteFile(dir / "Install.ini", "[Config]\nchannel=11\n");
    EXPECT_EQ(ReadChannel(path), L"11");
    WriteFile(dir / "Install.ini", "[Config]\nchannel=12\n");
    EXPECT_EQ(ReadChannel(path), L"12");
    std::filesystem::remove(dir / "Install.ini");
    EXPECT_EQ(ReadChannel(path), L"10");
}

// A value ends at a zero character: nothing after it reaches an address.
TEST(InstallSettings, TextEndsAtItsFirstZeroCharacter) {
    TempDir dir;
    const std::wstring path = IniIn(dir);
    using namespace std::string_literals;
    WriteFile(dir / "Install.ini",
              "[Config]\ninstall_pack_url=http://a/p\0@evil/x\nchannel=\0"
              "12\nversion=1.0\0.0\n"s);
    EXPECT_EQ(ReadInstallPackUrl(path), L"http://a/p");
    EXPECT_EQ(ReadChannel(path), L"");
    EXPECT_EQ(ReadVersion(path), L"1.0");
}

// An Install.ini that is a FIFO nobody writes to, or a device, gives the
// defaults at once instead of holding up start-up.
TEST(InstallSettings, FifoOrDeviceGivesTheDefaultsAtOnce) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "Install.ini").c_str(), 0644), 0);
    EXPECT_EQ(ReadLanguage(IniIn(dir)), 1u);
    EXPECT_EQ(ReadChannel(IniIn(dir)), L"10");
    std::filesystem::remove(dir / "Install.ini");
    std::filesystem::create_symlink("/dev/zero", dir / "Install.ini");
    EXPECT_EQ(ReadVersion(IniIn(dir)), L"0.0.0.0");
}

TEST(InstallSettings, PinsRetriesAndProxy) {
    TempDir dir;
    const std::wstring path = IniIn(dir);
    // Absent: no pins, three retries, the environment's proxies.
    EXPECT_EQ(ReadInstallPackSha256(path), L"");
    EXPECT_EQ(ReadNet40Sha256(path), L"");
    EXPECT_EQ(ReadNet45Sha256(path), L"");
    EXPECT_EQ(ReadDownloadRetries(path), 3u);
    EXPECT_EQ(ReadProxy(path), L"");

    const std::string pin(64, 'A');
    WriteFile(dir / "Install.ini", "[Config]\nINSTALL_PACK_SHA256= " + pin +
                                       " \nnet40_sha256=\nnet45_sha256=not-a-digest\n"
                                       "proxy=http://proxy.example:3128\n");
    EXPECT_EQ(ReadInstallPackSha256(path), AnsiToWide(pin));
    EXPECT_EQ(ReadNet40Sha256(path), L"");  // empty: no pin
    {
        // Kept as written (the download then refuses it), and logged.
        testsupport::StderrCapture log;
        EXPECT_EQ(ReadNet45Sha256(path), L"not-a-digest");
        EXPECT_NE(log.Text().find("InstallSettings::ReadSha256 net45_sha256=[not-a-digest] is "
                                  "not 64 hexadecimal digits"),
                  std::string::npos)
            << log.Text();
    }
    EXPECT_EQ(ReadProxy(path), L"http://proxy.example:3128");

    const std::pair<const char*, uint32_t> retries[] = {
        {"0", 0}, {"5", 5}, {"10", 10}, {"11", 10}, {"-1", 10}, {"many", 0}, {"", 3}};
    for (const auto& [text, expected] : retries) {
        WriteFile(dir / "Install.ini", std::string("[Config]\ndownload_retries=") + text + "\n");
        EXPECT_EQ(ReadDownloadRetries(path), expected) << text;
    }
}
