#pragma once
#include <string>

#include "http/CLibcurlDownCallback.h"
#include "install/InstallRunContext.h"
#include "install/InstallStage.h"

// Turns the byte counts of one download into install events over its
// stage's range of the overall percentage, reported through the run.
// Lives on the stack of the step that downloads.
class CInstallPackDown : public CLibcurlDownCallback {
public:
    CInstallPackDown(InstallStage eStage, const std::wstring& strTip, const InstallRunContext& run);

    // Fires one event per download report; other report types fire nothing.
    void OnDownProgress(int nType, int nTaskId, double dTotal, double dNow) override;
    void OnUpProgress(int nTaskId, double dTotal, double dNow) override;

    // The overall percentage for dNow of dTotal bytes: the start while the
    // size is unknown, else the start plus the share of the range, cut toward
    // zero and held inside the range.
    static int MapPercent(int nStartPercent, int nEndPercent, double dTotal, double dNow);

private:
    int m_nStartPercent;
    int m_nEndPercent;
    std::wstring m_strTip;
    InstallRunContext::FnReport m_fnReport;
};
