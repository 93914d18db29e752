#pragma once
#include <string>

// Grants a group full access (read, write, search) to a file or folder,
// merged into its access list; every other entry stays as it was. A folder
// also gets the entry in its default list, so everything created inside
// later inherits it. The group name is tried as given, then in lower case
// ("Users" is "users" here). False, with a log line, when the object is
// missing, the group unknown, or the file system refuses access lists.
bool GrantFolderAccess(const std::wstring& objectPath, const std::wstring& trusteeName);
