#include "support/StderrCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace testsupport {

StderrCapture::StderrCapture() {
    char name[] = "/tmp/tovadoc-stderr-XXXXXX";
    m_nFileFd = mkostemp(name, O_CLOEXEC);
    if (m_nFileFd < 0) return;
    unlink(name);
    fflush(stderr);
    m_nSavedFd = dup(STDERR_FILENO);
    dup2(m_nFileFd, STDERR_FILENO);
}

StderrCapture::~StderrCapture() {
    if (m_nSavedFd >= 0) {
        fflush(stderr);
        dup2(m_nSavedFd, STDERR_FILENO);
        close(m_nSavedFd);
    }
    if (m_nFileFd >= 0) close(m_nFileFd);
}

std::string StderrCapture::Text() const {
    fflush(stderr);
    std::string text;
    if (m_nFileFd < 0) return text;
    char buf[65536];
    off_t offset = 0;
    for (;;) {
        ssize_t n = pread(m_nFileFd, buf, sizeof(buf), offset);
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
        offset += n;
    }
    return text;
}

}  // namespace testsupport
