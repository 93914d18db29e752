#include "platform/CRegSettings.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

const wchar_t kNetSetupKey[] = L"Software\\Microsoft\\NET Framework Setup\\NDP";

// Registry names are limited to 255 characters; the enumeration buffer holds 260.
const size_t kMaxKeyName = 259;

constexpr int kOpenKeyFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The registry compares names in upper case, which also fixes its order
// ("_x" after "Z"). Bytes of a name that is no UTF-8 stay as they are.
std::wstring FoldCase(const std::string& strName) {
    std::wstring folded = AnsiToWide(strName);
    for (wchar_t& ch : folded)
        ch = static_cast<wchar_t>(g_unichar_toupper(static_cast<gunichar>(ch)));
    return folded;
}

// A real folder, not a link to one.
bool IsKeyFolder(int nDirFd, const char* pszName) {
    struct stat st {};
    return fstatat(nDirFd, pszName, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Names of the sub-folders of an open folder, sorted case-insensitively.
std::vector<std::string> ListSubFolders(int nDirFd) {
    std::vector<std::string> names;
    int fd = dup(nDirFd);
    if (fd < 0)
        return names;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return names;
    }
    rewinddir(dir);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !IsKeyFolder(nDirFd, entry->d_name))
            continue;
        names.push_back(name);
    }
    closedir(dir);
    std::vector<std::pair<std::wstring, std::string>> keyed;
    for (std::string& name : names)
        keyed.emplace_back(FoldCase(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& [folded, name] : keyed)
        names.push_back(std::move(name));
    return names;
}

// The child key whose name equals strName ignoring case, opened; an exact
// match wins over other spellings. -1 when there is none.
int OpenChildKey(int nDirFd, const std::string& strName, std::string& strFound) {
    if (IsKeyFolder(nDirFd, strName.c_str())) {
        strFound = strName;
    } else {
        const std::wstring folded = FoldCase(strName);
        std::vector<std::string> names = ListSubFolders(nDirFd);
        auto it = std::find_if(names.begin(), names.end(),
                               [&](const std::string& name) { return FoldCase(name) == folded; });
        if (it == names.end())
            return -1;
        strFound = *it;
    }
    return openat(nDirFd, strFound.c_str(), kOpenKeyFlags);
}

bool IsValidKeyName(const std::wstring& strPart) {
    return strPart != L"." && strPart != L".." && strPart.find(L'/') == std::wstring::npos &&
           strPart.find(L'\0') == std::wstring::npos;
}

}  // namespace

CRegSettings::CRegSettings(bool bWow64Key) : m_bWow64Key(bWow64Key) {
    std::string strPath;
    m_nKey = OpenKeyFolder(kNetSetupKey, false, strPath);
}

CRegSettings::~CRegSettings() {
    if (m_nKey >= 0)
        close(m_nKey);
}

bool CRegSettings::EnumSubKeys(std::vector<std::wstring>& vecNames) {
    if (m_nKey < 0)
        return false;
    for (const std::string& name : ListSubFolders(m_nKey)) {
        std::wstring wide = AnsiToWide(name);
        if (wide.size() > kMaxKeyName) {
            WriteLog(L"%s skipped a key name of %d characters", L"CRegSettings::EnumSubKeys",
                     static_cast<int>(wide.size()));
            continue;
        }
        vecNames.push_back(wide);
    }
    return true;
}

std::string CRegSettings::GetHiveRoot() {
    const char* root = std::getenv("TOVADOC_REGISTRY_ROOT");
    std::string strRoot = (root && *root) ? root : "/var/lib/tovadoc/registry";
    while (strRoot.size() > 1 && strRoot.back() == '/')
        strRoot.pop_back();
    return strRoot + "/HKEY_LOCAL_MACHINE";
}

bool CRegSettings::ResolveKeyPath(const std::wstring& strSubKey, bool bCreate,
                                  std::string& strPath) {
    std::string path;
    int fd = OpenKeyFolder(strSubKey, bCreate, path);
    if (fd < 0)
        return false;
    close(fd);
    strPath = path;
    return true;
}

int CRegSettings::OpenKeyFolder(const std::wstring& strSubKey, bool bCreate, std::string& strPath) {
    // Every part is checked before anything is created.
    std::vector<std::wstring> parts;
    size_t pos = 0;
    while (pos <= strSubKey.size()) {
        size_t end = strSubKey.find(L'\\', pos);
        if (end == std::wstring::npos)
            end = strSubKey.size();
        std::wstring part = strSubKey.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;  // doubled or trailing separators
        if (!IsValidKeyName(part)) {
            WriteLog(L"%s invalid key name [%s]", L"CRegSettings::OpenKeyFolder", part.c_str());
            return -1;
        }
        parts.push_back(std::move(part));
    }
    std::string path = GetHiveRoot();
    if (bCreate && g_mkdir_with_parents(path.c_str(), 0755) != 0) {
        WriteLog(L"%s cannot create the hive errno=[%d]", L"CRegSettings::OpenKeyFolder", errno);
        return -1;
    }
    // The hive's own folder may be a link (a distribution's choice); below
    // it, nothing is followed.
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    for (const std::wstring& part : parts) {
        const std::string name = WideToAnsi(part);
        std::string found;
        int child = OpenChildKey(fd, name, found);
        if (child < 0 && bCreate) {
            found = name;
            // EEXIST is fine only when a folder appeared meanwhile, not a file or a link.
            if (mkdirat(fd, name.c_str(), 0755) == 0 || errno == EEXIST)
                child = openat(fd, name.c_str(), kOpenKeyFlags);
            if (child < 0)
                WriteLog(L"%s cannot create key [%s] errno=[%d]", L"CRegSettings::OpenKeyFolder",
                         part.c_str(), errno);
        }
        close(fd);
        if (child < 0)
            return -1;
        fd = child;
        path += "/" + found;
    }
    strPath = path;
    return fd;
}
