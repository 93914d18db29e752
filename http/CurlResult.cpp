#include "http/CurlResult.h"

const char* TransferFailureName(TransferFailure eFailure) {
    switch (eFailure) {
        case TransferFailure::None:
            return "none";
        case TransferFailure::Unreachable:
            return "unreachable";
        case TransferFailure::TimedOut:
            return "timed-out";
        case TransferFailure::CutOff:
            return "cut-off";
        case TransferFailure::HttpStatus:
            return "http-status";
        case TransferFailure::Certificate:
            return "certificate";
        case TransferFailure::NoTrustStore:
            return "no-trust-store";
        case TransferFailure::DiskFull:
            return "disk-full";
        case TransferFailure::LocalFile:
            return "local-file";
        case TransferFailure::HashMismatch:
            return "hash-mismatch";
        case TransferFailure::BadPin:
            return "bad-pin";
        case TransferFailure::BadPart:
            return "bad-part";
        case TransferFailure::RangeRefused:
            return "range-refused";
        case TransferFailure::Cancelled:
            return "cancelled";
        case TransferFailure::Other:
            break;
    }
    return "other";
}

std::string DescribeTransferFailure(const CurlResult& result) {
    const std::string strWhat = result.eFailure == TransferFailure::HttpStatus
                                    ? "the server answered " + std::to_string(result.lResCode)
                                    : result.strMsg;
    return strWhat + " (" + TransferFailureName(result.eFailure) + ", " +
           std::to_string(result.lResCode) + ")";
}
