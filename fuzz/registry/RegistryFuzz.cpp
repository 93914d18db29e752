// Key paths in the registry hive, a folder tree on disk. The input's first
// byte chooses reading (even) or creating (odd); the rest is the key path,
// "Software\Microsoft\...", as UTF-8.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "fuzz/FuzzSupport.h"
#include "platform/CRegSettings.h"
#include "platform/TextConvert.h"

namespace fs = std::filesystem;

namespace {

// A hive with the keys the installer reads, names in other spellings and
// encodings, and a link that leads out of the hive.
void MakeHive(const std::string& strRoot, const std::string& strOutside) {
    const std::string hklm = strRoot + "/HKEY_LOCAL_MACHINE";
    for (const char* pszKey :
         {"Software/Microsoft/NET Framework Setup/NDP/v4/Full",
          "Software/Microsoft/NET Framework Setup/NDP/v3.5", "Software/\xC3\x9Cnicode/Sub",
          "Software/\xFF\xFE not utf-8", "Software/UPPER/lower", "Software/upper"}) {
        fs::create_directories(hklm + "/" + pszKey);
    }
    fs::create_directories(strOutside);
    std::error_code ec;
    fs::create_directory_symlink(strOutside, hklm + "/Software/Link", ec);
}

bool IsInside(const std::string& strPath, const std::string& strRoot) {
    char* pszReal = realpath(strPath.c_str(), nullptr);
    char* pszRoot = realpath(strRoot.c_str(), nullptr);
    bool bInside = pszReal && pszRoot &&
                   std::string(pszReal).starts_with(std::string(pszRoot) + "/HKEY_LOCAL_MACHINE");
    free(pszReal);
    free(pszRoot);
    return bInside;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize == 0) {
        return 0;
    }
    const bool bCreate = pData[0] & 1;
    const std::wstring strKey = AnsiToWide(std::string(FuzzBytes(pData + 1, nSize - 1)));
    const std::string strRoot = FuzzScratchDir() + "/registry";
    const std::string strOutside = FuzzScratchDir() + "/outside";
    static bool s_bMade = false;
    if (!s_bMade || bCreate) {
        // Creating changes the hive: every such input starts from a fresh one.
        FuzzRemoveTree(strRoot);
        FuzzRemoveTree(strOutside);
        MakeHive(strRoot, strOutside);
        setenv("TOVADOC_REGISTRY_ROOT", strRoot.c_str(), 1);
        s_bMade = true;
    }

    std::string strPath;
    const bool bResolved = CRegSettings::ResolveKeyPath(strKey, bCreate, strPath);
    if (bResolved) {
        struct stat st {};
        FUZZ_CHECK(stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
        // A zero cannot be part of a name on disk: such a key is no key.
        FUZZ_CHECK(strKey.find(L'\0') == std::wstring::npos);
    }
    if (bCreate) {
        FUZZ_CHECK(fs::is_empty(strOutside));
        if (bResolved) {
            FUZZ_CHECK(IsInside(strPath, strRoot));
        }
    }

    // Reading finds what resolving found; after creating, the key is there.
    std::string strAgain;
    const bool bFound = CRegSettings::ResolveKeyPath(strKey, false, strAgain);
    if (bResolved || !bCreate) {
        FUZZ_CHECK(bFound == bResolved);
    }
    if (bResolved && bFound) {
        FUZZ_CHECK(strAgain == strPath);
    }
    // The framework key lists its subkeys, whatever creating put under it.
    CRegSettings key;
    std::vector<std::wstring> vecNames;
    if (key.EnumSubKeys(vecNames)) {
        for (const std::wstring& strName : vecNames) {
            FUZZ_CHECK(!strName.empty() && strName.find(L'\\') == std::wstring::npos);
        }
    }
    return 0;
}
