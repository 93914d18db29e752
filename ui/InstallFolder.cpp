#include "ui/InstallFolder.h"

#include <glib.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/FolderCreate.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "ui/UiText.h"

std::wstring DecideProgramsFolder(bool bRoot, const char* pszXdgDataHome, const char* pszHome) {
    if (bRoot) {
        return L"/opt";
    }
    // The base directory rules ignore a relative XDG_DATA_HOME.
    if (pszXdgDataHome && pszXdgDataHome[0] == '/') {
        return AnsiToWide(pszXdgDataHome);
    }
    std::string strHome = pszHome ? pszHome : "";
    while (strHome.size() > 1 && strHome.back() == '/') {
        strHome.pop_back();
    }
    if (strHome == "/") {
        strHome.clear();
    }
    return AnsiToWide(strHome) + L"/.local/share";
}

std::wstring GetDefaultInstallDir() {
    const char* pszHome = getenv("HOME");
    if (!pszHome || !*pszHome) {
        struct passwd* pPw = getpwuid(geteuid());
        pszHome = pPw ? pPw->pw_dir : nullptr;
    }
    std::wstring strPrograms =
        DecideProgramsFolder(geteuid() == 0, getenv("XDG_DATA_HOME"), pszHome);
    // A fresh account may not have ~/.local/share yet; it is made here, as
    // the shell makes the programs folder when asked for it.
    if (g_mkdir_with_parents(WideToAnsi(strPrograms).c_str(), 0755) != 0) {
        WriteLog(L"InstallFolder::GetDefaultInstallDir cannot create [%s]", strPrograms.c_str());
    }
    return JoinProductFolder(strPrograms);
}

std::wstring JoinProductFolder(const std::wstring& strDir) {
    if (!strDir.empty() && strDir.back() == L'/') {
        return strDir + kProductFolderName;
    }
    return strDir + L"/" + kProductFolderName;
}

std::wstring AppendProductFolder(const std::wstring& strCandidate) {
    const std::wstring strName = kProductFolderName;
    if (strCandidate.size() >= strName.size() &&
        strCandidate.compare(strCandidate.size() - strName.size(), strName.size(), strName) == 0) {
        return strCandidate;
    }
    return JoinProductFolder(strCandidate);
}

std::wstring SettleInstallDir(const std::wstring& strTyped) {
    std::wstring strDir = AppendProductFolder(strTyped);
    if (!strDir.empty() && strDir.front() != L'/') {
        std::error_code ec;
        std::filesystem::path abs = std::filesystem::absolute(WideToAnsi(strDir), ec);
        if (!ec) {
            strDir = AnsiToWide(abs.string());
        }
    }
    return strDir;
}

namespace {

// The "install_tip" text that says why a level of the folder could not be
// made; "%s" in it stands for that level. Null when there is none to give.
const wchar_t* FolderReasonKey(FolderCreateError eError) {
    switch (eError) {
        case FolderCreateError::PermissionDenied:
            return L"dir_reason_denied";
        case FolderCreateError::ReadOnly:
            return L"dir_reason_read_only";
        case FolderCreateError::NotAFolder:
            return L"dir_reason_not_folder";
        case FolderCreateError::NameTooLong:
            return L"dir_reason_too_long";
        case FolderCreateError::None:
        case FolderCreateError::Other:
            break;
    }
    return nullptr;
}

}  // namespace

bool CreateInstallDir(const std::wstring& strDir, const wchar_t* szOrigin,
                      std::wstring* pstrError) {
    const FolderCreateResult result = CreateFolderLevels(WideToAnsi(strDir));
    if (result.eError == FolderCreateError::None) {
        return true;
    }
    WriteLog(L"%s cannot use [%s] as the install folder", szOrigin, strDir.c_str());
    if (pstrError) {
        std::wstring strText = Tr(L"dir_error", L"install_tip");
        if (const wchar_t* pszReason = FolderReasonKey(result.eError)) {
            std::wstring strReason = Tr(pszReason, L"install_tip");
            const size_t nAt = strReason.find(L"%s");
            if (nAt != std::wstring::npos) {
                strReason.replace(nAt, 2, AnsiToWide(result.strLevel));
            }
            strText += L"\n" + strReason;
        }
        *pstrError = strText;
    }
    return false;
}

std::wstring NearestExistingFolder(const std::wstring& strPath) {
    if (strPath.empty()) {
        return {};
    }
    std::string strDir = WideToAnsi(strPath);
    if (strDir[0] != '/') {
        gchar* pszCwd = g_get_current_dir();
        strDir = std::string(pszCwd) + "/" + strDir;
        g_free(pszCwd);
    }
    for (;;) {
        while (strDir.size() > 1 && strDir.back() == '/') {
            strDir.pop_back();
        }
        struct stat st {};
        if (stat(strDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            return AnsiToWide(strDir);
        }
        size_t nSlash = strDir.rfind('/');
        if (nSlash == std::string::npos || strDir == "/") {
            return L"/";
        }
        strDir.erase(nSlash == 0 ? 1 : nSlash);
    }
}
