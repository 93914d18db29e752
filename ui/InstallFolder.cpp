#include "ui/InstallFolder.h"

#include <glib.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

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
