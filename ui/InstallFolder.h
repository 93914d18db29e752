#pragma once
#include <string>

// Where the product goes and how a chosen folder becomes the install folder.

// The product's own folder name; the installer always installs into it.
inline constexpr const wchar_t* kProductFolderName = L"Tovadoc";

// The programs folder the default install folder lies in: /opt for root,
// otherwise $XDG_DATA_HOME (when absolute) or <home>/.local/share.
std::wstring DecideProgramsFolder(bool bRoot, const char* pszXdgDataHome, const char* pszHome);
// The default install folder of this process: the programs folder (created
// when missing, as the shell creates it when asked) followed by "/Tovadoc".
std::wstring GetDefaultInstallDir();
// strDir followed by the product folder, with one separator.
std::wstring JoinProductFolder(const std::wstring& strDir);
// A typed folder that ends in "Tovadoc" (case-sensitive) stands; any other
// gets the product folder appended.
std::wstring AppendProductFolder(const std::wstring& strCandidate);
// The folder a typed one stands for: the product folder appended as
// AppendProductFolder says, a relative name made absolute against the
// current folder.
std::wstring SettleInstallDir(const std::wstring& strTyped);
// Creates every missing level of the install folder (CreateFolderLevels).
// False, with a log line under szOrigin, when a level cannot be made or
// something that is not a folder has its name; *pstrError (when given) is
// then the text for the user in the interface language, with the reason.
bool CreateInstallDir(const std::wstring& strDir, const wchar_t* szOrigin,
                      std::wstring* pstrError = nullptr);
// Where the folder chooser opens for a typed folder: the folder itself
// when it exists, else its nearest existing parent (a relative path counts
// from the current directory); empty when the text is empty.
std::wstring NearestExistingFolder(const std::wstring& strPath);
