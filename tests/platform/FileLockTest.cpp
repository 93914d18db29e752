#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/CFileLock.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

class FileLock : public ::testing::Test {
protected:
    testsupport::TempDir m_tmp;
    const std::string m_strPath = (m_tmp / "TovadocInstaller.lock").string();
};

// A process of its own that holds the lock until it is killed.
pid_t HoldInChild(const std::string& strPath) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        CFileLock lock;
        char ch = lock.TryLock(strPath) == CFileLock::Result::Locked ? 'L' : 'F';
        if (write(fds[1], &ch, 1) != 1) {
            _exit(1);
        }
        for (;;) {
            pause();
        }
    }
    close(fds[1]);
    char ch = 0;
    bool bLocked = read(fds[0], &ch, 1) == 1 && ch == 'L';
    close(fds[0]);
    if (!bLocked && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

}  // namespace

TEST_F(FileLock, OneHolderAtATimeAndFreeAgainOnUnlock) {
    CFileLock first, second;
    ASSERT_EQ(first.TryLock(m_strPath), CFileLock::Result::Locked);
    EXPECT_TRUE(fs::exists(m_strPath));
    // Another open of the file, even in the same process, is refused.
    EXPECT_EQ(second.TryLock(m_strPath), CFileLock::Result::Busy);
    EXPECT_FALSE(second.IsLocked());
    first.Unlock();
    EXPECT_EQ(second.TryLock(m_strPath), CFileLock::Result::Locked);
    // The file stays: removing it while others may open it would split the lock.
    second.Unlock();
    EXPECT_TRUE(fs::exists(m_strPath));
}

TEST_F(FileLock, TheKernelReleasesTheLockOfAKilledHolder) {
    pid_t pid = HoldInChild(m_strPath);
    ASSERT_GT(pid, 0);
    CFileLock lock;
    EXPECT_EQ(lock.TryLock(m_strPath), CFileLock::Result::Busy);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(lock.TryLock(m_strPath), CFileLock::Result::Locked);
}

TEST_F(FileLock, ChildProcessesDoNotInheritIt) {
    // A program the holder started (an installer it runs) outlives the
    // holder's lock.
    CFileLock holder;
    ASSERT_EQ(holder.TryLock(m_strPath), CFileLock::Result::Locked);
    std::string strProgram = std::string(TOVADOC_HELPER_DIR) + "/sleep_ms";
    char* argv[] = {strProgram.data(), const_cast<char*>("5000"), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, strProgram.c_str(), nullptr, nullptr, argv, environ), 0);
    holder.Unlock();
    CFileLock next;
    EXPECT_EQ(next.TryLock(m_strPath), CFileLock::Result::Locked);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

TEST_F(FileLock, PlacesWhereNoLockCanBeTakenFail) {
    // A symbolic link is not followed, so nothing is created where it points.
    const fs::path target = m_tmp / "elsewhere";
    fs::create_symlink(target, m_tmp / "link.lock");
    CFileLock lock;
    EXPECT_EQ(lock.TryLock((m_tmp / "link.lock").string()), CFileLock::Result::Failed);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(lock.TryLock((m_tmp / "no-such-folder" / "x.lock").string()),
              CFileLock::Result::Failed);
    fs::create_directory(m_tmp / "folder.lock");
    EXPECT_EQ(lock.TryLock((m_tmp / "folder.lock").string()), CFileLock::Result::Failed);
    EXPECT_FALSE(lock.IsLocked());
}

// The folder itself is locked: a link planted at a lock file's name, where
// an earlier installer kept its lock, changes nothing.
TEST_F(FileLock, AFolderIsLockedThroughItselfWhateverLiesInIt) {
    fs::create_symlink("/nonexistent", m_strPath);
    CFileLock first, second;
    ASSERT_EQ(first.TryLockFolder(m_tmp.path().string()), CFileLock::Result::Locked);
    EXPECT_EQ(second.TryLockFolder(m_tmp.path().string()), CFileLock::Result::Busy);
    first.Unlock();
    EXPECT_EQ(second.TryLockFolder(m_tmp.path().string()), CFileLock::Result::Locked);
}

TEST_F(FileLock, UnlockEndsTheLockWhileAChildStillHoldsACopyOfTheDescriptor) {
    // Between a spawn and its exec the child holds a copy of every
    // descriptor; a fork that never execs holds it for good.
    CFileLock holder;
    ASSERT_EQ(holder.TryLock(m_strPath), CFileLock::Result::Locked);
    pid_t pid = fork();
    if (pid == 0) {
        for (;;) {
            pause();
        }
    }
    ASSERT_GT(pid, 0);
    holder.Unlock();
    CFileLock next;
    EXPECT_EQ(next.TryLock(m_strPath), CFileLock::Result::Locked);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}
