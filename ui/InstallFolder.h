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
// Where the folder chooser opens for a typed folder: the folder itself
// when it exists, else its nearest existing parent (a relative path counts
// from the current directory); empty when the text is empty.
std::wstring NearestExistingFolder(const std::wstring& strPath);
