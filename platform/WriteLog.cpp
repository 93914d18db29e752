#include "platform/WriteLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "toolkit/core/SLog.h"

// The entries are the toolkit's standard error lines, so that the two never
// differ in form.

void WriteLogV(const wchar_t* format, va_list args) {
    SOUI::WriteStderrLineV(format, args);
}

void WriteLogAV(const char* format, va_list args) {
    SOUI::WriteStderrLineAV(format, args);
}

void WriteLog(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLogV(format, args);
    va_end(args);
}

void WriteLogA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLogAV(format, args);
    va_end(args);
}

bool OpenLogFile(const char* pszPath, bool bKeepStderr) {
    const int fd =
        pszPath && *pszPath
            ? open(pszPath, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600)
            : -1;
    // An older file of the same name may have been readable by others.
    if (fd < 0 || fchmod(fd, 0600) != 0) {
        const int nErrno = fd < 0 ? errno : EPERM;
        if (fd >= 0)
            close(fd);
        WriteLogA("WriteLog::OpenLogFile cannot open [%s] errno=[%d]", pszPath ? pszPath : "",
                  nErrno);
        return false;
    }
    if (bKeepStderr) {
        const int nOld = SOUI::SetStderrLineMirror(fd);
        if (nOld >= 0)
            close(nOld);
        return true;
    }
    // Standard output too: what the program starts (the product at the
    // end) inherits both and must not write on the terminal either.
    fflush(stdout);
    const bool bOk = dup2(fd, STDERR_FILENO) >= 0 && dup2(fd, STDOUT_FILENO) >= 0;
    close(fd);
    return bOk;
}
