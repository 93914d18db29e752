#pragma once
#include <functional>
#include <string>

#include "install/FailureReason.h"

class CCancelToken;

// What the steps' helpers use of a run: the installer's own folder, the
// run's cancel token and the way a stage is reported. The manager hands one
// out for its run, so that the helpers never need the manager itself.
struct InstallRunContext {
    using FnReport = std::function<void(int nPercent, int nState, const std::wstring& strMessage,
                                        const InstallFailureReason& reason)>;

    std::wstring strExeDir;
    const CCancelToken* pCancel = nullptr;
    FnReport fnReport;

    void Report(int nPercent, int nState, const std::wstring& strMessage,
                const InstallFailureReason& reason = {}) const {
        if (fnReport)
            fnReport(nPercent, nState, strMessage, reason);
    }
};
