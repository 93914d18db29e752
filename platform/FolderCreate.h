#pragma once
#include <string>

// Why a level of a folder path could not be made (or opened).
enum class FolderCreateError {
    None,
    PermissionDenied,  // the parent does not let us create or enter
    ReadOnly,          // the file system is mounted read-only
    NotAFolder,        // a file (or a link we do not follow) is in the way
    NameTooLong,       // one name is longer than the file system allows
    Other,             // anything else; errno says what
};

struct FolderCreateResult {
    FolderCreateError eError = FolderCreateError::None;
    std::string strLevel;  // the level that failed: the path up to it
    int nErrno = 0;
};

// Creates every missing level of an absolute path, as mkdir -p does, each
// level with mkdirat inside the one before it, so no level is made through a
// link. New levels get 0755 whatever the umask; levels that exist keep their
// modes. A link at an existing level is followed only when it belongs to
// root or to us (another user could have planted it); any other link counts
// as a file in the way. On failure: the reason, the level and a log line.
FolderCreateResult CreateFolderLevels(const std::string& strPath);
