// install-cli: the headless front end. One whole installation without a
// display, as the window makes it: the installer folder's Install.ini and
// downloads, the same steps and the same folder rules, in the language of
// the settings (or --language) from the same translation tables. The
// archive's launcher starts it for --unattended and --show-licence.
// On a terminal the run is one line redrawn in place (with the running
// download's bytes and speed), otherwise one line per stage; the last line
// is the result. Usage and exit codes: CCliOptions::Usage().
#include <glib-unix.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/AppResources.h"
#include "app/AppShutdown.h"
#include "app/ComponentLoader.h"
#include "app/cli/CCliOptions.h"
#include "app/cli/CLogRedirect.h"
#include "app/cli/CProgressLine.h"
#include "app/cli/LicenceText.h"
#include "platform/AppExit.h"
#include "http/ClusterCurl.h"
#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "platform/CFileLock.h"
#include "platform/FolderPermissions.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/SSlot.h"
#include "toolkit/res/SApplication.h"
#include "ui/InstallFolder.h"
#include "ui/UiText.h"

namespace {

const int kHttpEventId = SOUI::EVT_EXTERNAL_BEGIN + 2;
// Each wait is bounded; the children and downloads have limits of their own.
const int kRunLimitMs = 4 * 60 * 60 * 1000;
const int kAnswerLimitMs = 20 * 1000;

class CEventPrinter {
public:
    explicit CEventPrinter(CProgressLine& line) : m_line(line) {}
    bool OnEvent(SOUI::EventArgs* pEvt) {
        if (pEvt->GetID() == kHttpEventId) {
            m_bAnswered = true;
            WriteLog(L"%s statistics post answered", L"InstallCli::OnEvent");
            return true;
        }
        if (pEvt->GetID() != EventInstallCallBack::EventID)
            return false;
        auto* p = static_cast<EventInstallCallBack*>(pEvt);
        // The status line the window shows for this stage, reason included.
        const std::string strText = WideToAnsi(InstallStatusText(
            p->strMessage.c_str(), p->nState != 0, p->strReason.c_str(), p->nReasonValue));
        m_line.OnEvent(p->nPercent, p->nState, strText);
        if (p->nPercent == 100 && p->nState == 0) {
            m_bDone = m_bSucceeded = true;
        } else if (p->nPercent == 80 && p->nState == -1) {
            m_bDone = true;
            m_strFailure = strText;
        }
        return true;
    }

    CProgressLine& m_line;
    bool m_bDone = false;
    bool m_bSucceeded = false;
    bool m_bAnswered = false;
    std::string m_strFailure;
};

gboolean OnProgressTick(gpointer pLine) {
    static_cast<CProgressLine*>(pLine)->OnTick(CProgressLine::Clock::now());
    return G_SOURCE_CONTINUE;
}

// SIGTERM, SIGINT, SIGHUP: the run ends as the window's close button ends it.
int g_nEndSignal = 0;
gboolean OnEndSignal(gpointer pSignal) {
    g_nEndSignal = GPOINTER_TO_INT(pSignal);
    WriteLog(L"%s asked to end by signal %d; stopping", L"InstallCli::OnEndSignal", g_nEndSignal);
    return G_SOURCE_CONTINUE;
}

// A text of the "install_cli" context with its "%s" filled in.
std::string CliText(const wchar_t* pszKey, const std::string& strArg = {}) {
    std::string strText = WideToAnsi(Tr(pszKey, L"install_cli"));
    if (size_t nAt = strText.find("%s"); nAt != std::string::npos)
        strText.replace(nAt, 2, strArg);
    return strText;
}

std::string Absolute(const std::string& strPath) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(strPath, ec);
    return ec ? strPath : abs.lexically_normal().string();
}

// Stdout gets the result line; the standard error gets a failure's reason
// too, unless both are the same file (a terminal, one pipe), which would
// show it twice.
bool SameFile(FILE* pA, FILE* pB) {
    struct stat a {};
    struct stat b {};
    return fstat(fileno(pA), &a) == 0 && fstat(fileno(pB), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

void Fail(FILE* pUserErr, const std::string& strLine) {
    std::printf("%s\n", strLine.c_str());
    std::fflush(stdout);
    if (!SameFile(stdout, pUserErr))
        std::fprintf(pUserErr, "%s\n", strLine.c_str());
}

// The run itself, once the licence is accepted and the folder is held.
int RunInstall(const CCliOptions& opts, const std::string& strInstallerDir,
               const std::string& strInstallDir, FILE* pUserErr) {
    auto* pCenter = new SOUI::SNotifyCenter();
    pCenter->addEvent(EventInstallCallBack::EventID, EventInstallCallBack::EventName);
    pCenter->addEvent(kHttpEventId, L"on_httpcallback");
    CProgressLine line(stdout, isatty(STDOUT_FILENO) != 0, strInstallerDir);
    CEventPrinter printer(line);
    // Only a terminal's line shows the download's bytes; nothing polls otherwise.
    guint nTick = line.IsTerminal() ? g_timeout_add(250, OnProgressTick, &line) : 0;
    pCenter->RegisterEventMap(SOUI::Subscriber(&CEventPrinter::OnEvent, &printer));
    guint nSignalSources[3];
    int nSource = 0;
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP})
        nSignalSources[nSource++] =
            g_unix_signal_add(nSignal, OnEndSignal, GINT_TO_POINTER(nSignal));

    bool bFinished = false;
    {
        CInstallMgr mgr;
        mgr.m_strExeDir = AnsiToWide(strInstallerDir);
        mgr.m_strInstallDir = AnsiToWide(strInstallDir);
        mgr.m_nLanguage = opts.m_nLanguage;
        if (opts.m_nPackTimeoutMs > 0)
            mgr.m_nPackInstallTimeoutMs = opts.m_nPackTimeoutMs;
        std::printf("%s\n", CliText(L"installing_into", strInstallDir).c_str());
        std::fflush(stdout);
        mgr.BeginInstallThread();
        // Without a worker (the system refused a thread) nothing will come.
        bFinished =
            mgr.HasInstallThread() &&
            SOUI::RunLoopUntil([&] { return printer.m_bDone || g_nEndSignal; }, kRunLimitMs);
        // Let the statistics post finish rather than cut it off at exit.
        if (printer.m_bSucceeded && !g_nEndSignal)
            SOUI::RunLoopUntil([&] { return printer.m_bAnswered || g_nEndSignal; }, kAnswerLimitMs);
        if (g_nEndSignal)
            g_bAppExit = 1;
        // Leaving the block cancels and joins the worker: a download in
        // progress ends and takes its ".temp" file with it.
    }
    // A post still waiting for its answer must not fire into a deleted centre.
    EndRequests();
    SOUI::RunLoopUntil([&] { return pCenter->GetPendingCount() == 0; }, 1000);
    for (guint nId : nSignalSources)
        g_source_remove(nId);
    if (nTick)
        g_source_remove(nTick);
    line.Finish();
    pCenter->UnregisterEventMap(SOUI::Subscriber(&CEventPrinter::OnEvent, &printer));
    delete pCenter;

    if (printer.m_bSucceeded) {
        std::printf("%s\n", CliText(L"result_success", strInstallDir).c_str());
        return kCliExitInstalled;
    }
    if (g_nEndSignal) {
        Fail(pUserErr, CliText(L"result_interrupted"));
        return kCliExitSignalBase + g_nEndSignal;
    }
    const std::string strWhy =
        bFinished ? printer.m_strFailure : WideToAnsi(Tr(L"reason_unknown", L"msg_tip"));
    Fail(pUserErr, CliText(L"result_failure", strWhy));
    return kCliExitInstallFailed;
}

// Everything after the log and the language are settled.
int RunCommand(const CCliOptions& opts, SOUI::SApplication& app, const std::string& strInstallerDir,
               uint32_t nTextLanguage, FILE* pUserErr) {
    if (opts.m_bShowLicence) {
        const std::string strLicence = LicenceText(app, nTextLanguage);
        if (strLicence.empty()) {
            std::fprintf(pUserErr, "install-cli: the licence text cannot be read (see the log)\n");
            return kCliExitInstallFailed;
        }
        std::fputs(strLicence.c_str(), stdout);
        return kCliExitInstalled;
    }
    if (!opts.m_bAcceptLicence) {
        std::fprintf(pUserErr, "%s\n", CliText(L"licence_not_accepted").c_str());
        return kCliExitLicenceNotAccepted;
    }
    // The window's lock, on the installer folder itself: one installer at a
    // time per installer folder.
    CFileLock lock;
    const std::string strLock = strInstallerDir;
    if (lock.TryLockFolder(strLock) == CFileLock::Result::Busy) {
        WriteLog(L"%s another installation is running from this folder [%s]", L"InstallCli::main",
                 AnsiToWide(strLock).c_str());
        std::fprintf(pUserErr, "%s\n", WideToAnsi(Tr(L"install_running", L"install_tip")).c_str());
        return kCliExitAnotherInstaller;
    }
    // The window's folder rules (main settled a typed folder already).
    const std::wstring strInstallDir =
        opts.m_strInstallDir.empty() ? GetDefaultInstallDir() : AnsiToWide(opts.m_strInstallDir);
    std::wstring strDirError;
    if (!CreateInstallDir(strInstallDir, L"InstallCli::main", &strDirError)) {
        std::wstring strOneLine = strDirError;
        for (wchar_t& c : strOneLine) {
            if (c == L'\n')
                c = L' ';
        }
        Fail(pUserErr, CliText(L"result_failure", WideToAnsi(strOneLine) + " (" +
                                                      WideToAnsi(strInstallDir) + ")"));
        return kCliExitInstallFailed;
    }
    if (!GrantFolderAccess(strInstallDir, L"Users"))
        WriteLog(L"%s no access for the users group on [%s]; going on", L"InstallCli::main",
                 strInstallDir.c_str());
    WriteLog(L"%s installing into [%s]", L"InstallCli::main", strInstallDir.c_str());
    return RunInstall(opts, strInstallerDir, WideToAnsi(strInstallDir), pUserErr);
}

}  // namespace

int main(int argc, char** argv) {
    CCliOptions opts;
    if (!opts.Parse(argc, argv)) {
        std::fprintf(stderr, "install-cli: %s\n%s", opts.m_strError.c_str(), CCliOptions::Usage());
        return kCliExitUsage;
    }
    if (opts.m_bHelp) {
        std::fputs(CCliOptions::Usage(), stdout);
        return kCliExitInstalled;
    }
    // Paths typed on the command line mean the caller's folder; the run
    // itself, like the window's, stands in the installer's folder.
    const std::string strInstallerDir = opts.m_strInstallerDir.empty()
                                            ? WideToAnsi(GetExeDirectory())
                                            : Absolute(opts.m_strInstallerDir);
    // A typed install folder is settled by the window's rules here, before
    // the change of folder below.
    if (!opts.m_strInstallDir.empty())
        opts.m_strInstallDir = WideToAnsi(SettleInstallDir(AnsiToWide(opts.m_strInstallDir)));
    const std::string strLog = opts.m_strLogFile.empty() ? strInstallerDir + "/installer.log"
                                                         : Absolute(opts.m_strLogFile);
    CLogRedirect log;
    std::string strError;
    if (!log.Redirect(strLog, strError)) {
        if (!opts.m_strLogFile.empty()) {
            std::fprintf(stderr, "install-cli: cannot write the log %s: %s\n", strLog.c_str(),
                         strError.c_str());
            return kCliExitUsage;
        }
        // Without a writable installer folder the log stays on standard error.
        WriteLog(L"%s cannot write [%s]: %s", L"InstallCli::main", AnsiToWide(strLog).c_str(),
                 AnsiToWide(strError).c_str());
    }
    if (chdir(strInstallerDir.c_str()) != 0)
        WriteLog(L"%s cannot change into [%s]", L"InstallCli::main",
                 AnsiToWide(strInstallerDir).c_str());

    if (!ClusterCurl::globalInit())
        WriteLog(L"%s libcurl set-up failed; downloads will fail", L"InstallCli::main");
    // The texts: the chosen language's table. Where the settings name no
    // table, Chinese, as the licence dialog decides: a terminal shows no keys.
    const uint32_t nLanguage = opts.m_nLanguage
                                   ? opts.m_nLanguage
                                   : ReadLanguage(GetInstallIniPath(AnsiToWide(strInstallerDir)));
    const uint32_t nTextLanguage = nLanguage == 2 ? 2 : 1;
    auto* pLoader = new ComponentLoader;
    // Nothing is drawn: the application serves resources and texts only.
    auto* pApp = new SOUI::SApplication(nullptr, nullptr);
    SOUI::ITranslatorMgr* pTrMgr = nullptr;
    int nRet = kCliExitInstallFailed;
    if (SOUI::IResProvider* pRes = CreateOwnResources()) {
        pApp->AddResProvider(pRes, nullptr);
        pRes->Release();
        InstallTranslation(*pLoader, *pApp, nTextLanguage, &pTrMgr);
        nRet = RunCommand(opts, *pApp, strInstallerDir, nTextLanguage, log.UserErr());
    } else {
        std::fprintf(log.UserErr(), "install-cli: the program's resources cannot be opened\n");
    }
    delete pApp;
    if (pTrMgr)
        pTrMgr->Release();
    EndTransfers();
    delete pLoader;
    return nRet;
}
