#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "http/CTrustStore.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Where the store is looked for, in order, over real files and folders.
TEST(CTrustStore, FindsTheFirstUsableBundleAndFolder) {
    TempDir tmp;
    fs::create_directories(tmp / "hashed");
    fs::create_directories(tmp / "unhashed");
    for (const char* pszFile : {"bundle.pem", "other.pem", "hashed/9d66eef0.0", "unhashed/ca.pem"})
        WriteFile(tmp / pszFile, "-----BEGIN CERTIFICATE-----\n");
    WriteFile(tmp / "empty.pem", "");
    const std::string strBundle = (tmp / "bundle.pem").string();
    const std::string strOther = (tmp / "other.pem").string();
    const std::string strEmpty = (tmp / "empty.pem").string();
    const std::string strMissing = (tmp / "missing.pem").string();
    const std::string strHashed = (tmp / "hashed").string();
    const std::string strUnhashed = (tmp / "unhashed").string();
    const std::vector<std::string> files = {strMissing, strEmpty, strBundle, strOther};
    const std::vector<std::string> dirs = {strUnhashed, strBundle, strHashed};
    struct Case {
        const char* szName;
        const char* szEnvFile;
        const char* szEnvDir;
        std::vector<std::string> files, dirs;
        std::string strFile, strDir;
    } cases[] = {
        {"well-known places, first usable of each", nullptr, nullptr, files, dirs, strBundle,
         strHashed},
        {"empty variables count as unset", "", "", files, {}, strBundle, ""},
        {"SSL_CERT_FILE alone", strOther.c_str(), nullptr, files, dirs, strOther, ""},
        // The user chose: an unusable choice is no store, not another one.
        {"SSL_CERT_DIR without certificates", nullptr, strUnhashed.c_str(), files, dirs, "", ""},
        {"nothing anywhere", nullptr, nullptr, {strMissing, strEmpty}, {strUnhashed}, "", ""},
    };
    for (const Case& c : cases) {
        const CTrustStore store = CTrustStore::Find(c.szEnvFile, c.szEnvDir, c.files, c.dirs);
        EXPECT_EQ(store.m_strFile, c.strFile) << c.szName;
        EXPECT_EQ(store.m_strDir, c.strDir) << c.szName;
        EXPECT_EQ(store.IsFound(), !c.strFile.empty() || !c.strDir.empty()) << c.szName;
    }
}

}  // namespace
