// How a run reports: the one way its events leave the worker, and what the
// steps' helpers are given of the run instead of the manager.

#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "platform/WriteLog.h"
#include "toolkit/core/SNotifyCenter.h"

InstallRunContext CInstallMgr::GetRunContext() {
    InstallRunContext run;
    run.strExeDir = m_strExeDir;
    run.pCancel = &m_cancel;
    run.fnReport = [this](int nPercent, int nState, const std::wstring& strMessage,
                          const InstallFailureReason& reason) {
        FireInstallEvent(nPercent, nState, strMessage, reason);
    };
    return run;
}

void CInstallMgr::FireInstallEvent(int nPercent, int nState, const SOUI::SStringW& strMessage,
                                   const InstallFailureReason& reason) {
    std::lock_guard<std::mutex> guard(m_fireLock);
    if (m_cancel.IsCancelled())
        return;
    SOUI::SNotifyCenter* pCenter = SOUI::SNotifyCenter::getSingletonPtr();
    if (!pCenter) {
        WriteLog(L"%s no notification centre; dropped step=%d state=%d [%s]",
                 L"CInstallMgr::FireInstallEvent", nPercent, nState, strMessage.c_str());
        return;
    }
    auto* pEvt = new EventInstallCallBack(this);
    pEvt->nPercent = nPercent;
    pEvt->nState = nState;
    pEvt->strMessage = strMessage;
    pEvt->strReason = reason.strKey;
    pEvt->nReasonValue = reason.nValue;
    // The centre owns the event from here on.
    pCenter->FireEventAsync(pEvt);
}
