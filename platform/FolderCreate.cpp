#include "platform/FolderCreate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

FolderCreateError ErrorFromErrno(int nErrno) {
    switch (nErrno) {
        case EACCES:
        case EPERM:
            return FolderCreateError::PermissionDenied;
        case EROFS:
            return FolderCreateError::ReadOnly;
        case ENOTDIR:
        case EEXIST:
        case ELOOP:
            return FolderCreateError::NotAFolder;
        case ENAMETOOLONG:
            return FolderCreateError::NameTooLong;
        default:
            return FolderCreateError::Other;
    }
}

// Opens an existing level below parent; -1 with errno when it is missing,
// no folder, or a link we do not follow.
int OpenLevel(int nParent, const std::string& strName) {
    int fd = openat(nParent, strName.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != ENOTDIR) {
        return fd;
    }
    // O_NOFOLLOW on a link gives ENOTDIR together with O_DIRECTORY.
    struct stat st {};
    if (fstatat(nParent, strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) {
        errno = ENOTDIR;
        return -1;
    }
    if (st.st_uid != 0 && st.st_uid != geteuid()) {
        errno = ELOOP;
        return -1;
    }
    return openat(nParent, strName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Makes one level and opens what was made; its mode is set through the
// descriptor, so a link swapped in meanwhile is never changed.
int MakeLevel(int nParent, const std::string& strName) {
    if (mkdirat(nParent, strName.c_str(), 0755) != 0 && errno != EEXIST) {
        return -1;
    }
    const int fd = openat(nParent, strName.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    // The umask may have taken bits away; others must be able to enter.
    const std::string strFd = "/proc/self/fd/" + std::to_string(fd);
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_uid == geteuid() && (st.st_mode & 07777) != 0755 &&
        chmod(strFd.c_str(), 0755) != 0) {
        const int nErrno = errno;
        close(fd);
        errno = nErrno;
        return -1;
    }
    return fd;
}

}  // namespace

FolderCreateResult CreateFolderLevels(const std::string& strPath) {
    FolderCreateResult result;
    if (strPath.empty() || strPath.front() != '/') {
        result = {FolderCreateError::Other, strPath, EINVAL};
        WriteLog(L"%s [%s] is no absolute path", L"FolderCreate::CreateFolderLevels",
                 AnsiToWide(strPath).c_str());
        return result;
    }
    int fd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::string strLevel;
    size_t nPos = 0;
    while (fd >= 0 && nPos < strPath.size()) {
        size_t nEnd = strPath.find('/', nPos);
        if (nEnd == std::string::npos) {
            nEnd = strPath.size();
        }
        const std::string strName = strPath.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (strName.empty() || strName == ".") {
            continue;
        }
        strLevel += "/" + strName;
        int nNext = OpenLevel(fd, strName);
        if (nNext < 0 && errno == ENOENT) {
            nNext = MakeLevel(fd, strName);
        }
        const int nErrno = errno;
        close(fd);
        fd = nNext;
        if (fd < 0) {
            result = {ErrorFromErrno(nErrno), strLevel, nErrno};
        }
    }
    if (fd >= 0) {
        close(fd);
    } else if (result.eError == FolderCreateError::None) {
        result = {FolderCreateError::Other, "/", errno};
    }
    if (result.eError != FolderCreateError::None) {
        WriteLog(L"%s cannot create [%s] errno=[%d]", L"FolderCreate::CreateFolderLevels",
                 AnsiToWide(result.strLevel).c_str(), result.nErrno);
    }
    return result;
}
