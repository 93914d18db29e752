#pragma once
// The headless front end's command line.
#include <cstdint>
#include <string>

// Exit codes of install-cli, as documented in its usage text.
enum CliExit : int {
    kCliExitInstalled = 0,
    kCliExitInstallFailed = 1,  // the reason is on standard error
    kCliExitUsage = 2,
    kCliExitLicenceNotAccepted = 3,
    kCliExitAnotherInstaller = 4,
    // An end asked for by signal N gives 128 + N, as a shell reports it.
    kCliExitSignalBase = 128,
};

class CCliOptions {
public:
    // False with m_strError set when the line is not understood. Values come
    // as "--name VALUE" or "--name=VALUE".
    bool Parse(int argc, const char* const* argv);
    // The usage text: forms, options and exit codes.
    static const char* Usage();

    bool m_bHelp = false;
    // Only the launcher's routing word; the program never asks anything anyway.
    bool m_bUnattended = false;
    bool m_bAcceptLicence = false;
    bool m_bShowLicence = false;
    // As typed (relative to the caller's folder); empty: the default rules.
    std::string m_strInstallDir;
    // Empty: the program's own folder.
    std::string m_strInstallerDir;
    // Empty: installer.log in the installer's folder.
    std::string m_strLogFile;
    // 1 or 2; 0: the settings' language.
    uint32_t m_nLanguage = 0;
    // 0: the installer's own limit.
    uint32_t m_nPackTimeoutMs = 0;
    std::string m_strError;
};
