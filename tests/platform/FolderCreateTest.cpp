#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/FolderCreate.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// CreateFolderLevels in a child process that first ran prepare (became
// another user, made a mount of its own): the error's number, 99 when the
// preparation failed.
int CreateInChild(const std::string& strPath, const std::function<bool()>& prepare) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(prepare() ? static_cast<int>(CreateFolderLevels(strPath).eError) : 99);
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class FolderCreate : public ::testing::Test {
protected:
    void SetUp() override { m_nOldMask = umask(077); }
    void TearDown() override { umask(m_nOldMask); }
    mode_t m_nOldMask = 0;
    testsupport::TempDir m_tmp;
};

TEST_F(FolderCreate, MakesEveryMissingLevelOpenToOthersWhateverTheUmask) {
    fs::create_directory(m_tmp / "kept");
    fs::permissions(m_tmp / "kept", fs::perms::owner_all);
    const fs::path target = m_tmp / "kept" / "a" / "b c" / "." / "Tovadoc";
    EXPECT_EQ(CreateFolderLevels(target.string()).eError, FolderCreateError::None);
    for (const fs::path& level : {m_tmp / "kept" / "a", m_tmp / "kept" / "a" / "b c", target})
        EXPECT_EQ(ModeOf(level), 0755u) << level;
    // What was there keeps its mode.
    EXPECT_EQ(ModeOf(m_tmp / "kept"), 0700u);
}

TEST_F(FolderCreate, RefusesWhatIsInTheWayAndNeverCreatesThroughALink) {
    testsupport::WriteFile(m_tmp / "file", "x");
    fs::create_directory(m_tmp / "elsewhere");
    fs::create_directory_symlink(m_tmp / "elsewhere", m_tmp / "own-link");
    fs::create_directory_symlink(m_tmp / "nowhere", m_tmp / "dangling");
    const std::string strLong(300, 'n');
    struct Case {
        std::string strName;  // under the temporary folder; the failing level is its first part
        FolderCreateError eError;
    } cases[] = {
        {"file/Tovadoc", FolderCreateError::NotAFolder},
        // A link of our own at an existing level is followed, but a missing
        // level is never made through one.
        {"own-link/Tovadoc", FolderCreateError::None},
        {"dangling/Tovadoc", FolderCreateError::NotAFolder},
        {strLong + "/Tovadoc", FolderCreateError::NameTooLong},
    };
    for (const Case& c : cases) {
        const FolderCreateResult result = CreateFolderLevels((m_tmp / c.strName).string());
        EXPECT_EQ(result.eError, c.eError) << c.strName;
        if (c.eError != FolderCreateError::None) {
            EXPECT_EQ(result.strLevel, (m_tmp / c.strName).parent_path().string()) << c.strName;
        }
    }
    EXPECT_TRUE(fs::is_directory(m_tmp / "elsewhere" / "Tovadoc"));
    EXPECT_FALSE(fs::exists(m_tmp / "nowhere"));
    EXPECT_EQ(CreateFolderLevels("relative/Tovadoc").eError, FolderCreateError::Other);
}

// Another user's link, a folder we may not write, a read-only mount: each in
// a child process that became that user or has that mount.
TEST_F(FolderCreate, SaysWhyALevelCannotBeMade) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: another user's link, a mount of its own";
    fs::permissions(m_tmp.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(m_tmp / "locked");
    fs::permissions(m_tmp / "locked", fs::perms::owner_all | fs::perms::others_exec);
    fs::create_directory(m_tmp / "ro");
    fs::create_directory(m_tmp / "target");
    fs::create_directory_symlink(m_tmp / "target", m_tmp / "planted");
    ASSERT_EQ(lchown((m_tmp / "planted").c_str(), kNobody, kNobody), 0);

    const auto asNobody = [] {
        return setresgid(kNobody, kNobody, kNobody) == 0 &&
               setresuid(kNobody, kNobody, kNobody) == 0;
    };
    const auto readOnlyMount = [this] {
        return unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount("tovadoc-ro", (m_tmp / "ro").c_str(), "tmpfs", MS_RDONLY, nullptr) == 0;
    };
    struct Case {
        fs::path path;
        std::function<bool()> prepare;
        FolderCreateError eError;
    } cases[] = {
        {m_tmp / "locked" / "a" / "Tovadoc", asNobody, FolderCreateError::PermissionDenied},
        {m_tmp / "ro" / "Tovadoc", readOnlyMount, FolderCreateError::ReadOnly},
        {m_tmp / "planted" / "Tovadoc", [] { return true; }, FolderCreateError::NotAFolder},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CreateInChild(c.path.string(), c.prepare), static_cast<int>(c.eError)) << c.path;
    EXPECT_FALSE(fs::exists(m_tmp / "target" / "Tovadoc"));
    EXPECT_FALSE(fs::exists(m_tmp / "locked" / "a"));
}

}  // namespace
