#include "install/FailureReason.h"

#include "platform/ProcessControl.h"

InstallFailureReason ReasonForTransfer(const CurlResult& result) {
    switch (result.eFailure) {
        case TransferFailure::Unreachable:
            return {L"reason_unreachable", 0};
        case TransferFailure::TimedOut:
            return {L"reason_download_timed_out", 0};
        case TransferFailure::CutOff:
            return {L"reason_cut_off", 0};
        case TransferFailure::HttpStatus:
            if (result.lResCode == 404)
                return {L"reason_not_found", 404};
            return {L"reason_http_status", static_cast<int32_t>(result.lResCode)};
        case TransferFailure::Certificate:
            return {L"reason_certificate", 0};
        case TransferFailure::NoTrustStore:
            return {L"reason_no_trust_store", 0};
        case TransferFailure::DiskFull:
            return {L"reason_disk_full", 0};
        case TransferFailure::LocalFile:
            return {L"reason_local_file", 0};
        case TransferFailure::HashMismatch:
            return {L"reason_hash_mismatch", 0};
        case TransferFailure::BadPin:
            return {L"reason_bad_pin", 0};
        case TransferFailure::BadPart:
            return {L"reason_bad_part", 0};
        case TransferFailure::RangeRefused:
            return {L"reason_range_refused", 0};
        case TransferFailure::None:
        case TransferFailure::Cancelled:
        case TransferFailure::Other:
            break;
    }
    return {L"reason_unknown", 0};
}

InstallFailureReason ReasonForInstallerExit(int nExitCode, uint32_t nTimeoutMs) {
    if (nExitCode == kRunTimedOut)
        return {L"reason_install_timed_out",
                static_cast<int32_t>((uint64_t{nTimeoutMs} + 59999) / 60000)};
    if (nExitCode == kRunSpawnFailed || nExitCode == kRunPipeFailed)
        return {L"reason_cannot_start", 0};
    return {L"reason_exit_code", nExitCode};
}
