#include "WorkflowRun.h"

#include "http/CHttpMgr.h"
#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/SSlot.h"

namespace workflowtest {

namespace {
const int kHttpEventId = SOUI::EVT_EXTERNAL_BEGIN + 2;
}

CWorkflowRun::CWorkflowRun() : m_pCenter(new SOUI::SNotifyCenter()) {
    m_pCenter->addEvent(EventInstallCallBack::EventID, EventInstallCallBack::EventName);
    m_pCenter->addEvent(kHttpEventId, L"on_httpcallback");
    m_pCenter->RegisterEventMap(SOUI::Subscriber(&CWorkflowRun::OnEvent, this));
}

CWorkflowRun::~CWorkflowRun() {
    // A statistics post still under way would fire into a deleted centre.
    SOUI::RunLoopUntil([] { return CHttpMgr::GetRunningCount() == 0; }, 30000);
    Drain();
    m_pCenter->UnregisterEventMap(SOUI::Subscriber(&CWorkflowRun::OnEvent, this));
    delete m_pCenter;
}

bool CWorkflowRun::OnEvent(SOUI::EventArgs* pEvt) {
    if (pEvt->GetID() == EventInstallCallBack::EventID) {
        auto* p = static_cast<EventInstallCallBack*>(pEvt);
        m_events.push_back({p->nPercent, p->nState, p->strMessage, p->strReason, p->nReasonValue});
        return true;
    }
    if (pEvt->GetID() == kHttpEventId) {
        ++m_nHttpAnswers;
        return true;
    }
    return false;
}

bool CWorkflowRun::Finished() const {
    if (m_events.empty())
        return false;
    const CRecordedEvent& last = m_events.back();
    return (last.nPercent == 100 && last.nState == 0) || (last.nPercent == 80 && last.nState == -1);
}

bool CWorkflowRun::Run(CInstallMgr& mgr, int nTimeoutMs) {
    mgr.BeginInstallThread();
    return SOUI::RunLoopUntil([this] { return Finished(); }, nTimeoutMs);
}

bool CWorkflowRun::WaitForMessage(const std::wstring& strMessage, int nTimeoutMs) {
    return SOUI::RunLoopUntil(
        [this, &strMessage] {
            return !m_events.empty() && m_events.back().strMessage == strMessage;
        },
        nTimeoutMs);
}

bool CWorkflowRun::WaitHttpAnswers(int n, int nTimeoutMs) {
    return SOUI::RunLoopUntil([this, n] { return m_nHttpAnswers >= n; }, nTimeoutMs);
}

void CWorkflowRun::Drain() {
    SOUI::RunLoopUntil([this] { return m_pCenter->GetPendingCount() == 0; }, 5000);
}

int EventRow(const CRecordedEvent& ev) {
    struct Row {
        int nRow, nPercent, nState;
        const wchar_t* szMessage;
    };
    static const Row kRows[] = {
        {1, 5, 0, L"检测环境..."},
        {2, 10, 0, L"net_check"},
        {3, 20, 0, L"down_net"},
        {5, 40, -1, L"down_net_error"},
        {6, 40, 0, L"instll_net"},
        {7, 40, 0, L"instll_net_succeed"},
        {8, 40, -1, L"instll_net_error"},
        {9, 50, 0, L"正在下载安装包..."},
        {11, 80, -1, L"down_pack_error"},
        {12, 80, 0, L"install_pack_ing"},
        {13, 80, 0, L"install_pack_succeed"},
        {14, 80, -1, L"install_pack_error"},
        {15, 90, 0, L"install_pack_succeed"},
        {16, 100, 0, L"install_pack_succeed"},
        // A download whose bytes, or pin, could not be trusted.
        {17, 40, -1, L"down_net_hash_error"},
        {18, 80, -1, L"down_pack_hash_error"},
    };
    for (const Row& row : kRows) {
        if (ev.nPercent == row.nPercent && ev.nState == row.nState &&
            ev.strMessage == row.szMessage)
            return row.nRow;
    }
    // Progress rows share their text with the start of the download.
    if (ev.nState == 0 && ev.strMessage == L"正在下载net包..." && ev.nPercent >= 20 &&
        ev.nPercent <= 40)
        return 4;
    if (ev.nState == 0 && ev.strMessage == L"正在下载安装包..." && ev.nPercent > 50 &&
        ev.nPercent <= 80)
        return 10;
    return 0;
}

std::vector<int> CWorkflowRun::Rows() const {
    std::vector<int> rows;
    for (const CRecordedEvent& ev : m_events) {
        int row = EventRow(ev);
        // A progress report at 50 looks like the start; after the start it is progress.
        if (row == 9 && !rows.empty() && (rows.back() == 9 || rows.back() == 10))
            row = 10;
        if ((row == 4 || row == 10) && !rows.empty() && rows.back() == row)
            continue;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace workflowtest
