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
    WriteFile(tmp / "bundle.pem", "-----BEGIN CERTIFICATE-----\n");
    WriteFile(tmp / "other.pem", "-----BEGIN CERTIFICATE-----\n");
    WriteFile(tmp / "empty.pem", "");
    fs::create_directories(tmp / "hashed");
    WriteFile(tmp / "hashed" / "9d66eef0.0", "x");
    fs::create_directories(tmp / "unhashed");
    WriteFile(tmp / "unhashed" / "ca.pem", "x");
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
        {"SSL_CERT_DIR alone", nullptr, strHashed.c_str(), files, {}, "", strHashed},
        // The user chose: an unusable choice is no store, not another one.
        {"SSL_CERT_FILE names nothing", strMissing.c_str(), nullptr, files, dirs, "", ""},
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
