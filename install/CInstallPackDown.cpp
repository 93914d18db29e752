#include "install/CInstallPackDown.h"

#include <cmath>

CInstallPackDown::CInstallPackDown(InstallStage eStage, const std::wstring& strTip,
                                   const InstallRunContext& run)
    : m_nStartPercent(StageStart(eStage)),
      m_nEndPercent(StageEnd(eStage)),
      m_strTip(strTip),
      m_fnReport(run.fnReport) {}

int CInstallPackDown::MapPercent(int nStartPercent, int nEndPercent, double dTotal, double dNow) {
    if (std::fabs(dTotal) < 1e-8)
        return nStartPercent;
    const double dRange = static_cast<double>(nEndPercent) - nStartPercent;
    const double dAdvance = std::trunc(dRange * dNow / dTotal);
    // More bytes than announced, a negative total or a non-finite ratio would
    // move the bar outside the step's range (or backwards); keep it inside.
    if (!(dAdvance >= 0))
        return nStartPercent;
    if (dAdvance > dRange)
        return nEndPercent;
    return nStartPercent + static_cast<int>(dAdvance);
}

void CInstallPackDown::OnDownProgress(int nType, int /*nTaskId*/, double dTotal, double dNow) {
    if (nType != 1 || !m_fnReport)
        return;
    m_fnReport(MapPercent(m_nStartPercent, m_nEndPercent, dTotal, dNow), 0, m_strTip, {});
}

void CInstallPackDown::OnUpProgress(int /*nTaskId*/, double /*dTotal*/, double /*dNow*/) {}
