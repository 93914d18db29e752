#include "platform/CRegSettings.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/WriteLog.h"

namespace {

const wchar_t kNetSetupKey[] = L"Software\\Microsoft\\NET Framework Setup\\NDP";

// Registry names are limited to 255 characters; the enumeration buffer holds 260.
const size_t kMaxKeyName = 259;

std::string ToUtf8(const std::wstring& strText) {
    std::string out;
    gchar* p = g_ucs4_to_utf8(reinterpret_cast<const gunichar*>(strText.c_str()),
                              static_cast<glong>(strText.size()), nullptr, nullptr, nullptr);
    if (p) {
        out = p;
        g_free(p);
    }
    return out;
}

bool ToWide(const char* szText, std::wstring& strOut) {
    glong n = 0;
    gunichar* p = g_utf8_to_ucs4(szText, -1, nullptr, &n, nullptr);
    if (!p)
        return false;
    strOut.assign(reinterpret_cast<const wchar_t*>(p), static_cast<size_t>(n));
    g_free(p);
    return true;
}

// The registry compares names in upper case, which also fixes its order
// ("_x" after "Z").
std::string FoldCase(const std::string& strName) {
    gchar* p = g_utf8_strup(strName.c_str(), -1);
    std::string out = p ? p : strName;
    g_free(p);
    return out;
}

bool IsFolder(const std::string& strPath) {
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (fstatat(nDirFd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode))
            continue;
        names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string fa = FoldCase(a), fb = FoldCase(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

// Child folder of strDir whose name equals strName ignoring case; an exact
// match wins over other spellings.
bool FindChild(const std::string& strDir, const std::string& strName, std::string& strFound) {
    if (IsFolder(strDir + "/" + strName)) {
        strFound = strName;
        return true;
    }
    int fd = open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string folded = FoldCase(strName);
    bool bFound = false;
    for (const std::string& name : ListSubFolders(fd)) {
        if (FoldCase(name) == folded) {
            strFound = name;
            bFound = true;
            break;
        }
    }
    close(fd);
    return bFound;
}

}  // namespace

CRegSettings::CRegSettings(bool bWow64Key) : m_bWow64Key(bWow64Key) {
    Open(kNetSetupKey);
}

CRegSettings::CRegSettings(const std::wstring& strSubKey, bool bWow64Key) : m_bWow64Key(bWow64Key) {
    Open(strSubKey);
}

CRegSettings::~CRegSettings() {
    if (m_nKey >= 0)
        close(m_nKey);
}

void CRegSettings::Open(const std::wstring& strSubKey) {
    // Read-only in any case; m_bWriteAccess stays off as the installer wants it.
    std::string strPath;
    if (!ResolveKeyPath(strSubKey, false, strPath))
        return;
    m_nKey = open(strPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool CRegSettings::EnumSubKeys(std::vector<std::wstring>& vecNames) {
    if (m_nKey < 0)
        return false;
    for (const std::string& name : ListSubFolders(m_nKey)) {
        std::wstring wide;
        if (!ToWide(name.c_str(), wide)) {
            WriteLog(L"%s skipped a key name that is not UTF-8", L"CRegSettings::EnumSubKeys");
            continue;
        }
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
    std::string path = GetHiveRoot();
    if (bCreate) {
        if (g_mkdir_with_parents(path.c_str(), 0755) != 0) {
            WriteLog(L"%s cannot create the hive errno=[%d]", L"CRegSettings::ResolveKeyPath",
                     errno);
            return false;
        }
    } else if (!IsFolder(path)) {
        return false;
    }
    size_t pos = 0;
    while (pos <= strSubKey.size()) {
        size_t end = strSubKey.find(L'\\', pos);
        if (end == std::wstring::npos)
            end = strSubKey.size();
        std::wstring part = strSubKey.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;  // doubled or trailing separators
        std::string name = ToUtf8(part);
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
            WriteLog(L"%s invalid key name [%s]", L"CRegSettings::ResolveKeyPath", part.c_str());
            return false;
        }
        std::string found;
        if (FindChild(path, name, found)) {
            path += "/" + found;
        } else if (bCreate) {
            path += "/" + name;
            // EEXIST is fine only when a folder appeared meanwhile, not a file.
            if (mkdir(path.c_str(), 0755) != 0 && !(errno == EEXIST && IsFolder(path))) {
                WriteLog(L"%s cannot create key [%s] errno=[%d]", L"CRegSettings::ResolveKeyPath",
                         part.c_str(), errno);
                return false;
            }
        } else {
            return false;
        }
    }
    strPath = path;
    return true;
}
