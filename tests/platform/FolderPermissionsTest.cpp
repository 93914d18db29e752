#include <acl/libacl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/FolderPermissions.h"
#include "platform/TextConvert.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace {

// The text form of a list ("user::rwx\ngroup:users:rwx\n..."), empty when unreadable.
std::string AclText(const std::filesystem::path& path, acl_type_t type) {
    acl_t acl = acl_get_file(path.c_str(), type);
    if (!acl) {
        return {};
    }
    char* pszText = acl_to_any_text(acl, nullptr, '\n', 0);
    std::string strText = pszText ? pszText : "";
    acl_free(pszText);
    acl_free(acl);
    return strText + "\n";
}

bool HasLine(const std::string& strText, const std::string& strLine) {
    return strText.find(strLine + "\n") != std::string::npos;
}

bool SetAclText(const std::filesystem::path& path, acl_type_t type, const char* pszText) {
    acl_t acl = acl_from_text(pszText);
    bool bOk = acl && acl_set_file(path.c_str(), type, acl) == 0;
    if (acl) {
        acl_free(acl);
    }
    return bOk;
}

class FolderPermissions : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getgrnam("users")) {
            GTEST_SKIP() << "this system has no group \"users\"";
        }
        // A probe list on the temporary file system tells whether it keeps lists.
        if (!SetAclText(m_tmp.path(), ACL_TYPE_ACCESS, "u::rwx,g::r-x,o::r-x")) {
            GTEST_SKIP() << "the file system of " << m_tmp.path() << " has no access lists";
        }
    }
    testsupport::TempDir m_tmp;
};

TEST_F(FolderPermissions, FolderGetsAccessAndInheritedEntryForTheGroup) {
    auto dir = m_tmp / "Tovadoc";
    std::filesystem::create_directory(dir);
    ASSERT_TRUE(GrantFolderAccess(dir.wstring(), L"Users"));

    EXPECT_TRUE(HasLine(AclText(dir, ACL_TYPE_ACCESS), "group:users:rwx"));
    EXPECT_TRUE(HasLine(AclText(dir, ACL_TYPE_DEFAULT), "group:users:rwx"));
    // The mask lets the entry take effect.
    EXPECT_TRUE(HasLine(AclText(dir, ACL_TYPE_ACCESS), "mask::rwx"));

    // What is created inside later inherits the entry.
    auto sub = dir / "bin";
    std::filesystem::create_directory(sub);
    EXPECT_TRUE(HasLine(AclText(sub, ACL_TYPE_ACCESS), "group:users:rwx"));
    EXPECT_TRUE(HasLine(AclText(sub, ACL_TYPE_DEFAULT), "group:users:rwx"));
}

TEST_F(FolderPermissions, MergesIntoExistingEntriesAndKeepsTheOthers) {
    auto dir = m_tmp / "merge";
    std::filesystem::create_directory(dir);
    ASSERT_TRUE(
        SetAclText(dir, ACL_TYPE_ACCESS, "u::rwx,g::r-x,o::---,g:users:r--,g:nogroup:r-x,m::r-x"));
    ASSERT_TRUE(SetAclText(dir, ACL_TYPE_DEFAULT, "u::rwx,g::r-x,o::---,g:nogroup:r--,m::r-x"));

    ASSERT_TRUE(GrantFolderAccess(dir.wstring(), L"users"));

    std::string strAccess = AclText(dir, ACL_TYPE_ACCESS);
    EXPECT_TRUE(HasLine(strAccess, "group:users:rwx")) << strAccess;
    EXPECT_TRUE(HasLine(strAccess, "group:nogroup:r-x")) << strAccess;
    EXPECT_TRUE(HasLine(strAccess, "other::---")) << strAccess;
    EXPECT_TRUE(HasLine(strAccess, "user::rwx")) << strAccess;
    std::string strDefault = AclText(dir, ACL_TYPE_DEFAULT);
    EXPECT_TRUE(HasLine(strDefault, "group:users:rwx")) << strDefault;
    EXPECT_TRUE(HasLine(strDefault, "group:nogroup:r--")) << strDefault;

    // A second grant changes nothing more and adds no second entry.
    ASSERT_TRUE(GrantFolderAccess(dir.wstring(), L"Users"));
    EXPECT_EQ(AclText(dir, ACL_TYPE_ACCESS), strAccess);
}

// The wider mask the group needs gives no other entry more than it had,
// and a folder without an inherited list gets a minimal one.
TEST_F(FolderPermissions, OtherEntriesKeepTheirRightsAndAreNotInherited) {
    if (!getpwnam("nobody") || !getgrnam("nogroup"))
        GTEST_SKIP() << "this system has no user nobody or group nogroup";
    auto dir = m_tmp / "narrow";
    std::filesystem::create_directory(dir);
    ASSERT_TRUE(
        SetAclText(dir, ACL_TYPE_ACCESS, "u::rwx,g::rwx,o::---,u:nobody:rwx,g:nogroup:rw-,m::r--"));
    ASSERT_TRUE(GrantFolderAccess(dir.wstring(), L"Users"));
    const std::string strAccess = AclText(dir, ACL_TYPE_ACCESS);
    for (const char* szLine :
         {"user:nobody:r--", "group::r--", "group:nogroup:r--", "group:users:rwx", "mask::rwx"})
        EXPECT_TRUE(HasLine(strAccess, szLine)) << szLine << "\n" << strAccess;
    EXPECT_EQ(AclText(dir, ACL_TYPE_DEFAULT),
              "user::rwx\ngroup::r--\ngroup:users:rwx\nmask::rwx\nother::---\n");
}

TEST_F(FolderPermissions, FileGetsTheAccessEntryOnly) {
    auto file = m_tmp / "readme.txt";
    testsupport::WriteFile(file, "x");
    ASSERT_TRUE(GrantFolderAccess(file.wstring(), L"Users"));
    EXPECT_TRUE(HasLine(AclText(file, ACL_TYPE_ACCESS), "group:users:rwx"));
}

TEST_F(FolderPermissions, PathWithBlanksAndNonAsciiName) {
    auto dir = m_tmp / "Program Files" / "文档 Tovadoc";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(GrantFolderAccess(AnsiToWide(dir.string()), L"Users"));
    EXPECT_TRUE(HasLine(AclText(dir, ACL_TYPE_ACCESS), "group:users:rwx"));
}

TEST_F(FolderPermissions, FailuresChangeNothingAndSaySo) {
    auto dir = m_tmp / "kept";
    std::filesystem::create_directory(dir);
    const std::string strBefore = AclText(dir, ACL_TYPE_ACCESS);
    {
        testsupport::StderrCapture capture;
        EXPECT_FALSE(GrantFolderAccess(dir.wstring(), L"NoSuchGroupForTovadoc"));
        EXPECT_NE(capture.Text().find("GrantFolderAccess"), std::string::npos);
    }
    EXPECT_EQ(AclText(dir, ACL_TYPE_ACCESS), strBefore);
    EXPECT_EQ(AclText(dir, ACL_TYPE_DEFAULT), "\n");

    // A link in the folder's place: what it points to gets nothing.
    std::filesystem::create_symlink(dir, m_tmp / "link");
    {
        testsupport::StderrCapture capture;
        EXPECT_FALSE(GrantFolderAccess((m_tmp / "link").wstring(), L"Users"));
        EXPECT_NE(capture.Text().find("is a symbolic link"), std::string::npos);
    }
    EXPECT_EQ(AclText(dir, ACL_TYPE_ACCESS), strBefore);
    EXPECT_EQ(AclText(dir, ACL_TYPE_DEFAULT), "\n");

    testsupport::StderrCapture capture;
    EXPECT_FALSE(GrantFolderAccess((m_tmp / "missing").wstring(), L"Users"));
    EXPECT_FALSE(std::filesystem::exists(m_tmp / "missing"));
    EXPECT_FALSE(GrantFolderAccess(L"", L"Users"));
    EXPECT_FALSE(GrantFolderAccess(dir.wstring(), L""));
}

}  // namespace
