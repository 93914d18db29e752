#pragma once
#include <string>

namespace testsupport {

// Redirects file descriptor 2 into a temporary file for the object's life;
// Text() returns everything written so far. One capture at a time.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    std::string Text() const;

private:
    int m_nSavedFd = -1;
    int m_nFileFd = -1;
};

}  // namespace testsupport
