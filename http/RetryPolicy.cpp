#include "http/RetryPolicy.h"

bool IsTransientFailure(const CurlResult& result) {
    switch (result.eFailure) {
        case TransferFailure::Unreachable:
        case TransferFailure::TimedOut:
        case TransferFailure::CutOff:
            return true;
        case TransferFailure::HttpStatus:
            return result.lResCode == 408 || result.lResCode == 429 ||
                   (result.lResCode >= 500 && result.lResCode <= 599);
        default:
            return false;
    }
}

int RetryPauseMs(int nRetry, int nFirstPauseMs, long long nRetryAfterSeconds, int nMaxPauseMs) {
    long long nPause = 0;
    if (nRetryAfterSeconds > 0) {
        nPause =
            nRetryAfterSeconds > nMaxPauseMs / 1000 + 1 ? nMaxPauseMs : nRetryAfterSeconds * 1000;
    } else {
        nPause = nFirstPauseMs;
        for (int i = 1; i < nRetry && nPause < nMaxPauseMs; ++i)
            nPause *= 2;
    }
    return static_cast<int>(nPause < nMaxPauseMs ? nPause : nMaxPauseMs);
}
