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

// The outcome of CreateFolderLevels in a child process that first ran prepare
// (a user of its own, a mount of its own); the error's number, -1 when the
// preparation failed, and the failing level through the pipe.
std::pair<int, std::string> CreateInChild(const std::string& strPath,
                                          const std::function<bool()>& prepare) {
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, ""};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int nError = -1;
        std::string strLevel;
        if (prepare()) {
            const FolderCreateResult result = CreateFolderLevels(strPath);
            nError = static_cast<int>(result.eError);
            strLevel = result.strLevel;
        }
        ssize_t ignored = write(fds[1], strLevel.data(), strLevel.size());
        (void)ignored;
        _exit(nError + 1);
    }
    close(fds[1]);
    std::string strLevel;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        strLevel.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    return {WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) - 1 : -1, strLevel};
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
    const FolderCreateResult result = CreateFolderLevels(target.string());
    EXPECT_EQ(result.eError, FolderCreateError::None) << result.strLevel;
    for (const fs::path& level : {m_tmp / "kept" / "a", m_tmp / "kept" / "a" / "b c", target})
        EXPECT_EQ(ModeOf(level), 0755u) << level;
    // What was there keeps its mode; a second run changes nothing.
    EXPECT_EQ(ModeOf(m_tmp / "kept"), 0700u);
    fs::permissions(target, fs::perms::owner_all);
    EXPECT_EQ(CreateFolderLevels(target.string()).eError, FolderCreateError::None);
    EXPECT_EQ(ModeOf(target), 0700u);
}

TEST_F(FolderCreate, RefusesWhatIsInTheWayAndNeverCreatesThroughALink) {
    testsupport::WriteFile(m_tmp / "file", "x");
    fs::create_directory(m_tmp / "elsewhere");
    fs::create_directory_symlink(m_tmp / "elsewhere", m_tmp / "own-link");
    fs::create_directory_symlink(m_tmp / "nowhere", m_tmp / "dangling");
    const std::string strLong(300, 'n');
    struct Case {
        std::string strPath;
        FolderCreateError eError;
        std::string strLevel;  // the failing level, under the temporary folder
    } cases[] = {
        {(m_tmp / "file" / "Tovadoc").string(), FolderCreateError::NotAFolder, "file"},
        {(m_tmp / "file").string(), FolderCreateError::NotAFolder, "file"},
        // A link of our own at an existing level is followed ...
        {(m_tmp / "own-link" / "Tovadoc").string(), FolderCreateError::None, ""},
        // ... but a missing level is never made through one.
        {(m_tmp / "dangling" / "Tovadoc").string(), FolderCreateError::NotAFolder, "dangling"},
        {(m_tmp / strLong / "Tovadoc").string(), FolderCreateError::NameTooLong, strLong},
        {"relative/Tovadoc", FolderCreateError::Other, "relative/Tovadoc"},
    };
    for (const Case& c : cases) {
        const FolderCreateResult result = CreateFolderLevels(c.strPath);
        EXPECT_EQ(result.eError, c.eError) << c.strPath;
        if (c.eError != FolderCreateError::None && c.eError != FolderCreateError::Other)
            EXPECT_EQ(result.strLevel, (m_tmp / c.strLevel).string()) << c.strPath;
    }
    EXPECT_TRUE(fs::is_directory(m_tmp / "elsewhere" / "Tovadoc"));
    EXPECT_FALSE(fs::exists(m_tmp / "nowhere"));
    EXPECT_EQ(testsupport::ReadFile(m_tmp / "file"), "x");
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
        const char* pszName;
        fs::path path;
        std::function<bool()> prepare;
        FolderCreateError eError;
        fs::path level;
    } cases[] = {
        {"no permission", m_tmp / "locked" / "a" / "Tovadoc", asNobody,
         FolderCreateError::PermissionDenied, m_tmp / "locked" / "a"},
        {"read-only", m_tmp / "ro" / "Tovadoc", readOnlyMount, FolderCreateError::ReadOnly,
         m_tmp / "ro" / "Tovadoc"},
        {"another user's link", m_tmp / "planted" / "Tovadoc", [] { return true; },
         FolderCreateError::NotAFolder, m_tmp / "planted"},
    };
    for (const Case& c : cases) {
        const auto [nError, strLevel] = CreateInChild(c.path.string(), c.prepare);
        EXPECT_EQ(nError, static_cast<int>(c.eError)) << c.pszName;
        EXPECT_EQ(strLevel, c.level.string()) << c.pszName;
    }
    EXPECT_FALSE(fs::exists(m_tmp / "target" / "Tovadoc"));
    EXPECT_FALSE(fs::exists(m_tmp / "locked" / "a"));
}

}  // namespace
