#include "install/InstallerRun.h"

#include <sys/stat.h>

#include <cerrno>

#include "install/CInstallMgr.h"
#include "platform/CommandLine.h"
#include "platform/ProcessControl.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

int RunInstaller(CInstallMgr& mgr, const wchar_t* szOrigin, const std::string& strCmdLine,
                 uint32_t nTimeoutMs) {
    std::string strOutput;
    const int nExitCode = RunAndCapture(strCmdLine, strOutput, nTimeoutMs, &mgr.m_cancel);
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
    const std::string strNarrow = WideToAnsi(strPath);
    struct stat st {};
    if (stat(strNarrow.c_str(), &st) != 0) {
        WriteLog(L"%s [%s] errno=[%d]", L"InstallSteps::MarkExecutable", strPath.c_str(), errno);
        return false;
    }
    const mode_t mode = (st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH) & 07777;
    if (mode != (st.st_mode & 07777) && chmod(strNarrow.c_str(), mode) != 0) {
        WriteLog(L"%s chmod [%s] errno=[%d]", L"InstallSteps::MarkExecutable", strPath.c_str(),
                 errno);
        return false;
    }
    return true;
}
