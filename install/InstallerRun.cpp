#include "install/InstallerRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/ProcessControl.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

int RunInstaller(const InstallRunContext& run, const wchar_t* szOrigin,
                 const std::string& strCmdLine, uint32_t nTimeoutMs) {
    std::string strOutput;
    int nSpawnErr = 0;
    const int nExitCode =
        RunAndCapture(strCmdLine, strOutput, nTimeoutMs, run.pCancel, &nSpawnErr);
    WriteLog(L"%s install szCmdLine=[%s] strResult=[%s] exitcode=[%d]", szOrigin,
             AnsiToWide(strCmdLine).c_str(), AnsiToWide(strOutput).c_str(), nExitCode);
    if (nExitCode == kRunSpawnFailed)
        DiscardUnstartable(szOrigin, strCmdLine, nSpawnErr);
    return nExitCode;
}

void DiscardUnstartable(const wchar_t* szOrigin, const std::string& strCmdLine, int nSpawnErr) {
    const std::vector<std::string> args = SplitCommandLine(strCmdLine);
    if (args.empty() || args[0].find('/') == std::string::npos)
        return;
    // The file itself is at fault: no executable format, a missing
    // interpreter, execution refused. Kept, it would be run again on every
    // start; gone, the next run fetches it anew.
    struct stat st {};
    const bool bFileFault = nSpawnErr == ENOEXEC || nSpawnErr == EACCES || nSpawnErr == EPERM ||
                            nSpawnErr == ELIBBAD || nSpawnErr == ENOENT;
    if (!bFileFault || lstat(args[0].c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const bool bRemoved = unlink(args[0].c_str()) == 0;
    WriteLog(L"%s [%s] cannot be started errno=[%d]; %s", szOrigin, AnsiToWide(args[0]).c_str(),
             nSpawnErr,
             bRemoved ? L"deleted, the next run downloads it again" : L"cannot be deleted");
}

std::string BuildNetCommandLine(const std::wstring& strInstallerPath) {
    return QuoteProgram(WideToAnsi(strInstallerPath));
}

std::string BuildPackCommandLine(const std::wstring& strPackagePath,
                                 const std::wstring& strInstallDir) {
    return QuoteProgram(WideToAnsi(strPackagePath)) +
           " /VERYSILENT /SUPPRESSMSGBOXES /DIR=" + QuoteArgument(WideToAnsi(strInstallDir));
}

bool MarkExecutable(const std::wstring& strPath) {
    // The installer's folder may be writable by others: a link planted at
    // the name must not make root change the mode of the file it names.
    const int fd = open(WideToAnsi(strPath).c_str(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        WriteLog(L"%s [%s] errno=[%d]", L"InstallerRun::MarkExecutable", strPath.c_str(), errno);
        return false;
    }
    struct stat st {};
    bool bOk = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const mode_t mode = (st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH) & 07777;
    if (bOk && mode != (st.st_mode & 07777))
        bOk = fchmod(fd, mode) == 0;
    if (!bOk) {
        WriteLog(L"%s cannot make [%s] executable errno=[%d]", L"InstallerRun::MarkExecutable",
                 strPath.c_str(), errno);
    }
    close(fd);
    return bOk;
}
