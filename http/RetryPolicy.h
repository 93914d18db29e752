#pragma once
#include "http/CurlResult.h"

// Whether another attempt may do better a moment later: the network failed
// (refused, reset, timed out, cut short) or the server asked for patience
// (408, 429, 5xx). Answers that would come again the same (404, 403, a
// certificate, a hash mismatch, a full disk, a cancel) are final.
bool IsTransientFailure(const CurlResult& result);

// The pause before retry nRetry (1, 2, ...): the server's Retry-After
// (seconds; 0 when it sent none) up to nMaxPauseMs, else nFirstPauseMs
// doubled for each earlier retry, up to nMaxPauseMs as well.
int RetryPauseMs(int nRetry, int nFirstPauseMs, long long nRetryAfterSeconds, int nMaxPauseMs);
