#pragma once
#include <string>

// Outcome of one transfer. 200 is the only success; otherwise the HTTP
// status of an error answer, the libcurl result number, or -1 / -2 for the
// client's own failures.
struct CurlResult {
    long lResCode = -1;
    std::string strMsg;
};
