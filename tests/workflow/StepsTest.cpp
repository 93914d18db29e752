#include <glib.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "WorkflowFixture.h"
#include "install/CInstallMgr.h"
#include "install/ExeDirDownload.h"
#include "install/InstallerRun.h"
#include "install/StatisticsRecord.h"
#include "platform/CommandLine.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "settings/InstallSettings.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string DecodeBase64(const std::string& text) {
    gsize n = 0;
    guchar* p = g_base64_decode(text.c_str(), &n);
    std::string out(reinterpret_cast<const char*>(p), n);
    g_free(p);
    return out;
}

}  // namespace

TEST(StatisticsRecord, RecordHasTheStyledWriterFormAndKeepsUtf8) {
    std::string json = BuildStatisticsJson(L"10", L"0.0.0.0", L"AA-BB-CC-DD-EE-FF", 1);
    EXPECT_EQ(json,
              "{\n"
              "   \"channel\" : \"10\",\n"
              "   \"lang\" : \"zh_cn\",\n"
              "   \"mac_id\" : \"AA-BB-CC-DD-EE-FF\",\n"
              "   \"version\" : \"0.0.0.0\"\n"
              "}\n");
    // Same layout as the library's own styled writer for plain text.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::Value v;
    v["channel"] = "a\"b\\c";
    v["version"] = "1.2";
    v["mac_id"] = "";
    v["lang"] = "en_us";
    EXPECT_EQ(BuildStatisticsJson(L"a\"b\\c", L"1.2", L"", 2), Json::StyledWriter().write(v));
#pragma GCC diagnostic pop

    std::string chinese = BuildStatisticsJson(L"渠道", L"1", L"", 1);
    EXPECT_NE(chinese.find("\"channel\" : \"渠道\""), std::string::npos) << chinese;
}

TEST(StatisticsRecord, LanguageOtherThanOneIsEnglishInTheRecord) {
    for (uint32_t lang : {0u, 2u, 3u, 4294967291u})
        EXPECT_NE(BuildStatisticsJson(L"", L"", L"", lang).find("\"lang\" : \"en_us\""),
                  std::string::npos)
            << lang;
    EXPECT_NE(BuildStatisticsJson(L"", L"", L"", 1).find("\"lang\" : \"zh_cn\""),
              std::string::npos);
}

TEST(StatisticsRecord, BodyIsInfoAndOneLineOfBase64) {
    for (const wchar_t* channel : {L"1", L"10", L"渠道测试", L"~~~>>>???"}) {
        std::string json = BuildStatisticsJson(channel, L"0.0.0.0", L"", 1);
        std::string body = BuildStatisticsBody(json);
        ASSERT_EQ(body.rfind("info=", 0), 0u);
        std::string b64 = body.substr(5);
        EXPECT_EQ(b64.size() % 4, 0u);
        EXPECT_EQ(b64.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(DecodeBase64(b64), json);
    }
}

TEST(InstallerRun, CommandLinesGiveBackExactlyTheirPaths) {
    // The usual case reads as the package's documentation writes it.
    EXPECT_EQ(
        BuildPackCommandLine(L"/opt/my dir/TovadocSetup.exe", L"/home/u/Program Files/Tovadoc"),
        "\"/opt/my dir/TovadocSetup.exe\" /VERYSILENT /SUPPRESSMSGBOXES "
        "/DIR=\"/home/u/Program Files/Tovadoc\"");
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"/in\"st/TovadocSetup.exe", L"/x/my \"x\" dir/Tovadoc"},
        {L"/a\\b\\/TovadocSetup.exe", L"/trailing\\"},
        {L"/tab\there/TovadocSetup.exe", L"/b/Tovadoc/"},
        {L"/\"\"/Setup \\\".exe", L"\\\"\t\\\\\" 文件夹"},
    };
    for (const auto& [pack, dir] : cases) {
        EXPECT_EQ(SplitCommandLine(BuildPackCommandLine(pack, dir)),
                  (std::vector<std::string>{WideToAnsi(pack), "/VERYSILENT", "/SUPPRESSMSGBOXES",
                                            "/DIR=" + WideToAnsi(dir)}))
            << WideToAnsi(dir);
        EXPECT_EQ(SplitCommandLine(BuildNetCommandLine(pack)),
                  std::vector<std::string>{WideToAnsi(pack)});
    }
}

TEST(ExeDirDownload, FrameworkAddressFollowsTheOsKind) {
    testsupport::TempDir dir;
    std::wstring ini = GetInstallIniPath(AnsiToWide(dir.path().string()));
    testsupport::WriteFile(dir / "Install.ini",
                           "[Config]\nnet40_url=http://h/40\nnet45_url=http://h/45\n");
    for (int kind = 0; kind <= 3; ++kind)
        EXPECT_EQ(ChooseNetUrl(kind, ini), L"http://h/40") << kind;
    for (int kind = 4; kind <= 14; ++kind)
        EXPECT_EQ(ChooseNetUrl(kind, ini), L"http://h/45") << kind;
    // An empty setting stays empty (the download then fails), not the default.
    testsupport::WriteFile(dir / "Install.ini", "[Config]\nnet45_url=\n");
    EXPECT_EQ(ChooseNetUrl(kOsKindWin7_64, ini), L"");
}

TEST(InstallerRun, MarkExecutableAddsExecuteBitsOnlyAndNeverThroughALink) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "net4.exe", "x");
    fs::permissions(dir / "net4.exe", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(MarkExecutable(AnsiToWide((dir / "net4.exe").string())));
    struct stat st {};
    ASSERT_EQ(stat((dir / "net4.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0711u);
    EXPECT_FALSE(MarkExecutable(AnsiToWide((dir / "missing.exe").string())));

    // A link planted at the package's name leaves its target's mode alone.
    testsupport::WriteFile(dir / "outside", "secret");
    fs::permissions(dir / "outside", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(dir / "outside", dir / "TovadocSetup.exe");
    EXPECT_FALSE(MarkExecutable(AnsiToWide((dir / "TovadocSetup.exe").string())));
    ASSERT_EQ(stat((dir / "outside").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The "v4" rule over the registry hive.
class CheckNetFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ec;
        fs::remove_all(workflowtest::RegistryRoot() / "HKEY_LOCAL_MACHINE", ec);
    }
    // No notification centre: the step's event is dropped with a log line.
    bool Check() {
        CInstallMgr mgr;
        return mgr.CheckNetFile();
    }
};

TEST_F(CheckNetFile, MissingKeyMeansAbsent) {
    EXPECT_FALSE(Check());
}

TEST_F(CheckNetFile, OlderReleasesOnlyMeansAbsent) {
    workflowtest::RegisterReleases({"v2.0.50727", "v3.0", "v3.5"});
    EXPECT_FALSE(Check());
}

TEST_F(CheckNetFile, AnyKeyStartingWithLowerCaseV4Counts) {
    workflowtest::RegisterReleases({"v4/Client"});
    EXPECT_TRUE(Check());
    SetUp();
    workflowtest::RegisterReleases({"v3.5", "v4.5.1"});
    EXPECT_TRUE(Check());
}

TEST_F(CheckNetFile, UpperCaseOrShortNamesDoNotCount) {
    workflowtest::RegisterReleases({"V4", "v", "4", "CDF", "av4"});
    EXPECT_FALSE(Check());
}
