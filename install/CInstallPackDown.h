#pragma once
#include <string>

#include "http/CLibcurlDownCallback.h"

class CInstallMgr;

// Turns the byte counts of one download into install events over a range of
// the overall percentage (20..40 for the framework, 50..80 for the package).
// Lives on the stack of the step that downloads.
class CInstallPackDown : public CLibcurlDownCallback {
public:
    CInstallPackDown(int nStartPercent, int nEndPercent, const std::wstring& strTip,
                     CInstallMgr* pSender);

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
    CInstallMgr* m_pSender;
};
