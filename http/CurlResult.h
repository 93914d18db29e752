#pragma once
#include <string>

// Why a transfer did not succeed, in the terms a retry decision and a
// message to the user need. The result code keeps the detail for the log.
enum class TransferFailure {
    None,          // success
    Unreachable,   // no name, no route, connection refused
    TimedOut,      // the connection or the whole transfer took too long
    CutOff,        // the connection broke before the whole body arrived
    HttpStatus,    // an answer other than 200; lResCode is its status
    Certificate,   // the peer could not be verified
    NoTrustStore,  // HTTPS, but this machine has no certificates to verify against
    DiskFull,      // the file system refused the bytes (no space, quota, size limit)
    LocalFile,     // the file could not be made, written or moved into place
    HashMismatch,  // the bytes are not the ones the distributor pinned
    BadPart,       // a resumed answer was not the rest of the same file
    RangeRefused,  // the server would not serve the rest of the file (416)
    BadPin,        // the pin itself is no SHA-256, so nothing can be verified
    Cancelled,     // the installer is closing
    Other,
};

// Outcome of one transfer. 200 is the only success; otherwise the HTTP
// status of an error answer, the libcurl result number, or -1 / -2 for the
// client's own failures.
struct CurlResult {
    long lResCode = -1;
    std::string strMsg;
    TransferFailure eFailure = TransferFailure::Other;
};

// A short stable name of the kind, for log lines.
const char* TransferFailureName(TransferFailure eFailure);

// What went wrong, for a log line: the message, or for an error answer its
// status (the library's own text then says "No error"), then the kind and
// the code, e.g. "the server answered 404 (http-status, 404)".
std::string DescribeTransferFailure(const CurlResult& result);
