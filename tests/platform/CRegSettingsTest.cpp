#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/CRegSettings.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::wstring kNdpKey = L"Software\\Microsoft\\NET Framework Setup\\NDP";

// Points the hive at a fresh temporary folder for one test.
class RegSettings : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TOVADOC_REGISTRY_ROOT");
        m_bHadOld = old != nullptr;
        if (old)
            m_strOld = old;
        setenv("TOVADOC_REGISTRY_ROOT", m_dir.path().c_str(), 1);
    }
    void TearDown() override {
        if (m_bHadOld)
            setenv("TOVADOC_REGISTRY_ROOT", m_strOld.c_str(), 1);
        else
            unsetenv("TOVADOC_REGISTRY_ROOT");
    }
    fs::path Ndp() const {
        return m_dir.path() / "HKEY_LOCAL_MACHINE" / "Software" / "Microsoft" /
               "NET Framework Setup" / "NDP";
    }
    testsupport::TempDir m_dir;
    bool m_bHadOld = false;
    std::string m_strOld;
};

}  // namespace

TEST_F(RegSettings, MissingKeyGivesFalseAndLeavesTheVectorAlone) {
    CRegSettings reg(false);
    std::vector<std::wstring> names{L"kept"};
    EXPECT_FALSE(reg.EnumSubKeys(names));
    EXPECT_EQ(names, std::vector<std::wstring>{L"kept"});

    // A hive that stops one level short of the key is still a missing key.
    fs::create_directories(Ndp().parent_path());
    CRegSettings reg2(true);
    EXPECT_FALSE(reg2.EnumSubKeys(names));
    EXPECT_EQ(names.size(), 1u);
}

TEST_F(RegSettings, FourReleasesComeInRegistryOrderAndFilesAreNoKeys) {
    for (const char* name : {"v4", "v3.0", "v2.0.50727", "v3.5"})
        fs::create_directories(Ndp() / name);
    testsupport::WriteFile(Ndp() / "v5-not-a-key", "value");
    CRegSettings reg(false);
    std::vector<std::wstring> names{L"first"};
    ASSERT_TRUE(reg.EnumSubKeys(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"first", L"v2.0.50727", L"v3.0", L"v3.5", L"v4"}));
}

TEST_F(RegSettings, EmptyKeyIsOpenWithNoSubKeys) {
    fs::create_directories(Ndp());
    CRegSettings reg(false);
    std::vector<std::wstring> names;
    EXPECT_TRUE(reg.EnumSubKeys(names));
    EXPECT_TRUE(names.empty());
}

TEST_F(RegSettings, NamesMatchAndSortIgnoringCase) {
    fs::path ndp = m_dir.path() / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "microsoft" /
                   "net framework setup" / "Ndp";
    for (const char* name : {"_x", "b", "A", "c", "V4.0"})
        fs::create_directories(ndp / name);
    CRegSettings reg(false);
    std::vector<std::wstring> names;
    ASSERT_TRUE(reg.EnumSubKeys(names));
    // Upper-case comparison puts '_' after the letters, as the registry does.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"b", L"c", L"V4.0", L"_x"}));
}

TEST_F(RegSettings, KeyOnlyUnderWow6432NodeIsNotSeen) {
    fs::path redirected = m_dir.path() / "HKEY_LOCAL_MACHINE" / "Software" / "Wow6432Node" /
                          "Microsoft" / "NET Framework Setup" / "NDP" / "v4";
    fs::create_directories(redirected);
    for (bool b64 : {false, true}) {
        CRegSettings reg(b64);
        std::vector<std::wstring> names;
        EXPECT_FALSE(reg.EnumSubKeys(names));
        EXPECT_TRUE(names.empty());
    }
}

TEST_F(RegSettings, ChineseNamesAndNamesThatAreNoUtf8) {
    fs::create_directories(Ndp() / "v4" / "Client");
    fs::create_directories(Ndp() / "版本");
    // Not UTF-8: kept byte for byte, sorted and matched like any other name.
    fs::create_directories(Ndp() / std::string("bad\xff"));
    fs::create_directories(Ndp() / std::string("\xe5"));
    CRegSettings reg(false);
    std::vector<std::wstring> names;
    ASSERT_TRUE(reg.EnumSubKeys(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"bad\xDCFF", L"v4", L"版本", L"\xDCE5"}));
    std::string path;
    ASSERT_TRUE(CRegSettings::ResolveKeyPath(
        L"SOFTWARE\\microsoft\\NET Framework Setup\\NDP\\BAD\xDCFF", false, path));
    EXPECT_EQ(path, (Ndp() / std::string("bad\xff")).string());
}

// Names that would leave the hive, or cut a name short, are refused; a link
// inside the hive is no key, neither read nor created through.
TEST_F(RegSettings, KeyPathsCannotLeaveTheHive) {
    const fs::path outside = m_dir.path() / "outside";
    fs::create_directories(outside / "v4");
    fs::create_directories(m_dir.path() / "HKEY_LOCAL_MACHINE");
    std::string path = "unchanged";
    testsupport::StderrCapture capture;
    const std::wstring refused[] = {L"..\\..\\outside", L"a/b", std::wstring(L"Soft\0ware", 9),
                                    L"Software\\.\\x"};
    for (const std::wstring& key : refused) {
        EXPECT_FALSE(CRegSettings::ResolveKeyPath(key, true, path));
        EXPECT_FALSE(CRegSettings::ResolveKeyPath(key, false, path));
    }
    EXPECT_EQ(path, "unchanged");
    EXPECT_NE(capture.Text().find("CRegSettings::OpenKeyFolder invalid key name"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir.path() / "HKEY_LOCAL_MACHINE" / "Soft"));

    // Links to a folder outside, at a key on the way and at a subkey.
    fs::create_directory_symlink(outside, m_dir.path() / "HKEY_LOCAL_MACHINE" / "Software");
    EXPECT_FALSE(CRegSettings::ResolveKeyPath(L"Software\\Microsoft", true, path));
    EXPECT_FALSE(CRegSettings::ResolveKeyPath(L"software\\v4", false, path));
    EXPECT_FALSE(fs::exists(outside / "Microsoft"));
    fs::remove(m_dir.path() / "HKEY_LOCAL_MACHINE" / "Software");
    fs::create_directories(Ndp() / "v2.0");
    fs::create_directory_symlink(outside / "v4", Ndp() / "v4");
    CRegSettings reg(false);
    std::vector<std::wstring> names;
    ASSERT_TRUE(reg.EnumSubKeys(names));
    EXPECT_EQ(names, std::vector<std::wstring>{L"v2.0"});
    EXPECT_FALSE(CRegSettings::ResolveKeyPath(kNdpKey + std::wstring(L"\\v4\\Full"), true, path));
    EXPECT_FALSE(fs::exists(outside / "v4" / "Full"));
}

TEST_F(RegSettings, CreatingAKeyReusesExistingSpellings) {
    fs::create_directories(m_dir.path() / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "Microsoft");
    std::string path;
    ASSERT_TRUE(CRegSettings::ResolveKeyPath(L"software\\MICROSOFT\\NET Framework Setup\\NDP\\v4",
                                             true, path));
    EXPECT_EQ(path, (m_dir.path() / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "Microsoft" /
                     "NET Framework Setup" / "NDP" / "v4")
                        .string());
    EXPECT_FALSE(fs::exists(m_dir.path() / "HKEY_LOCAL_MACHINE" / "software"));
    CRegSettings reg(false);
    std::vector<std::wstring> names;
    ASSERT_TRUE(reg.EnumSubKeys(names));
    EXPECT_EQ(names, std::vector<std::wstring>{L"v4"});
}

TEST_F(RegSettings, CreatingThroughAFileFailsCleanly) {
    fs::create_directories(m_dir.path() / "HKEY_LOCAL_MACHINE");
    testsupport::WriteFile(m_dir.path() / "HKEY_LOCAL_MACHINE" / "Software", "a file");
    std::string path = "unchanged";
    EXPECT_FALSE(CRegSettings::ResolveKeyPath(L"Software\\X", true, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(testsupport::ReadFile(m_dir.path() / "HKEY_LOCAL_MACHINE" / "Software"), "a file");
}
