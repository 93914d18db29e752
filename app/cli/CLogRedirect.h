#pragma once
// The headless front end speaks to two readers on what is one standard
// error: the log (every WriteLog entry goes to descriptor 2) belongs in a
// file, the user's messages (a failure's reason) on the standard error the
// program was started with. While this object lives, descriptor 2 is the
// log file and UserErr() the original standard error.
#include <cstdio>
#include <string>

class CLogRedirect {
public:
    CLogRedirect() = default;
    // Gives descriptor 2 back, so whatever is written after (a sanitizer's
    // report at exit) reaches the caller again.
    ~CLogRedirect();
    CLogRedirect(const CLogRedirect&) = delete;
    CLogRedirect& operator=(const CLogRedirect&) = delete;

    // Appends the log to strPath (created 0600, never through a symbolic
    // link). False, with errno's text in strError and nothing changed, when
    // the file cannot be opened.
    bool Redirect(const std::string& strPath, std::string& strError);
    // The standard error the user sees; stderr itself before a redirection.
    FILE* UserErr() const { return m_pUserErr ? m_pUserErr : stderr; }

private:
    int m_nSavedFd = -1;
    FILE* m_pUserErr = nullptr;
};
