#include "install/InstallerRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CommandLine.h"
#include "platform/ProcessControl.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

int RunInstaller(const InstallRunContext& run, const wchar_t* szOrigin,
                 const std::string& strCmdLine, uint32_t nTimeoutMs) {
    std::string strOutput;
    const int nExitCode = RunAndCapture(strCmdLine, strOutput, nTimeoutMs, run.pCancel);
    WriteLog(L"%s install szCmdLine=[%s] strResult=[%s] exitcode=[%d]", szOrigin,
             AnsiToWide(strCmdLine).c_str(), AnsiToWide(strOutput).c_str(), nExitCode);
    return nExitCode;
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
