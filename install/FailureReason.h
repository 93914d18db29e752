#pragma once
#include <cstdint>
#include <string>

#include "http/CurlResult.h"

// Why a stage failed, in words the user can act on: a key of the "msg_tip"
// translation context and the number it names (an HTTP status, an exit
// code, minutes), 0 when it names none. The log keeps the technical detail.
struct InstallFailureReason {
    std::wstring strKey;
    int32_t nValue = 0;
};

// "reason_unreachable", "reason_download_timed_out", "reason_cut_off",
// "reason_not_found" (404), "reason_http_status" (other statuses),
// "reason_certificate", "reason_no_trust_store", "reason_disk_full", "reason_local_file",
// "reason_hash_mismatch", "reason_bad_pin" (the settings' pin is no
// SHA-256), "reason_bad_part" (a resumed answer did not fit the file),
// "reason_range_refused" (416 to a resume), or "reason_unknown".
InstallFailureReason ReasonForTransfer(const CurlResult& result);

// "reason_install_timed_out" (minutes of the limit, rounded up) when the installer was
// ended at its time-out, "reason_cannot_start" when it could not be run,
// otherwise "reason_exit_code" with its exit code.
InstallFailureReason ReasonForInstallerExit(int nExitCode, uint32_t nTimeoutMs);
