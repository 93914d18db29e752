#pragma once
#include <cstdint>
#include <string>

#include "install/InstallRunContext.h"

// Running a downloaded installer: its command line, its execute bit, and
// the run itself with a time-out.

// Runs an installer's command line with the time-out (and until the run is
// cancelled), logs the line, its output and exit code under szOrigin, and
// returns the exit code. An installer that cannot be started is deleted
// (DiscardUnstartable).
int RunInstaller(const InstallRunContext& run, const wchar_t* szOrigin,
                 const std::string& strCmdLine, uint32_t nTimeoutMs);

// Deletes the program of strCmdLine when starting it failed with
// nSpawnErr because of the file itself (no executable format, execution
// refused), so that it is downloaded again; logs under szOrigin.
void DiscardUnstartable(const wchar_t* szOrigin, const std::string& strCmdLine, int nSpawnErr);

// Paths are quoted so that the splitter gives back exactly these paths,
// whatever their folder names hold (blanks, quotes, backslashes).
// "<installer>"
std::string BuildNetCommandLine(const std::wstring& strInstallerPath);
// "<package>" /VERYSILENT /SUPPRESSMSGBOXES /DIR="<folder>"
std::string BuildPackCommandLine(const std::wstring& strPackagePath,
                                 const std::wstring& strInstallDir);

// Adds execute permission (downloads arrive without it). False, with a log
// line, when the file is missing, is no regular file (a symbolic link is
// never followed) or cannot be changed.
bool MarkExecutable(const std::wstring& strPath);
