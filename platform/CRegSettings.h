#pragma once
#include <string>
#include <vector>

// Read access to one key of the machine-wide registry hive. The hive is a
// folder tree: one folder per key under <root>/HKEY_LOCAL_MACHINE, where
// <root> is $TOVADOC_REGISTRY_ROOT or /var/lib/tovadoc/registry. Key names
// match case-insensitively, as the registry does. A symbolic link inside
// the hive is no key: it is neither followed nor listed.
class CRegSettings {
public:
    // Opens the .NET Framework setup key for reading. A missing key leaves the
    // object without one; construction itself never fails. The 64-bit view
    // flag is kept for callers; a native build always reads the native view,
    // so it never redirects to Wow6432Node.
    explicit CRegSettings(bool bWow64Key = false);
    virtual ~CRegSettings();
    CRegSettings(const CRegSettings&) = delete;
    CRegSettings& operator=(const CRegSettings&) = delete;

    // Appends the names of the direct subkeys in the registry's order
    // (case-insensitive). False, and the vector untouched, when no key is open.
    bool EnumSubKeys(std::vector<std::wstring>& vecNames);

    // <root>/HKEY_LOCAL_MACHINE, without a trailing slash.
    static std::string GetHiveRoot();
    // Folder of the key "A\B\C", each part matched case-insensitively. With
    // bCreate, missing parts are created (setup programs and tests only: the
    // installer never writes to the registry). False, with a log line for a
    // bad name, when the key is missing or cannot be created, or a part is
    // ".", "..", holds '/' or a zero character.
    static bool ResolveKeyPath(const std::wstring& strSubKey, bool bCreate, std::string& strPath);

private:
    // The open folder of the key, walked part by part without following
    // links; -1 when it cannot be had.
    static int OpenKeyFolder(const std::wstring& strSubKey, bool bCreate, std::string& strPath);

    int m_nKey = -1;  // open folder of the key
    [[maybe_unused]] bool m_bWow64Key = false;
};
