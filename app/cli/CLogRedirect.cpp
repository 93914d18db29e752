#include "app/cli/CLogRedirect.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

CLogRedirect::~CLogRedirect() {
    if (m_nSavedFd < 0)
        return;
    std::fflush(m_pUserErr);
    dup2(m_nSavedFd, STDERR_FILENO);
    std::fclose(m_pUserErr);  // closes m_nSavedFd
}

bool CLogRedirect::Redirect(const std::string& strPath, std::string& strError) {
    if (m_nSavedFd >= 0) {
        strError = "the log is already redirected";
        return false;
    }
    const int nLog =
        open(strPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (nLog < 0) {
        strError = std::strerror(errno);
        return false;
    }
    // Children (the installers) must not inherit the user's copy.
    const int nSaved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    FILE* pUserErr = nSaved >= 0 ? fdopen(nSaved, "w") : nullptr;
    if (!pUserErr) {
        strError = std::strerror(errno);
        if (nSaved >= 0)
            close(nSaved);
        close(nLog);
        return false;
    }
    std::fflush(stderr);
    dup2(nLog, STDERR_FILENO);
    close(nLog);
    setvbuf(pUserErr, nullptr, _IOLBF, 0);
    m_nSavedFd = nSaved;
    m_pUserErr = pUserErr;
    return true;
}
