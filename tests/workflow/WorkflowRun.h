#pragma once
#include <string>
#include <vector>

#include "toolkit/core/EventArgs.h"

class CInstallMgr;
namespace SOUI {
class SNotifyCenter;
}

namespace workflowtest {

struct CRecordedEvent {
    int nPercent;
    int nState;
    std::wstring strMessage;
    std::wstring strReason;
    int nReasonValue;
};

// A notification centre on the test thread that records every install
// event and counts the HTTP manager's answers, as the window would see them.
class CWorkflowRun {
public:
    CWorkflowRun();
    ~CWorkflowRun();
    CWorkflowRun(const CWorkflowRun&) = delete;
    CWorkflowRun& operator=(const CWorkflowRun&) = delete;

    // Starts the manager's worker and turns the loop until the run's last
    // event (success or a final failure) has arrived.
    bool Run(CInstallMgr& mgr, int nTimeoutMs = 120000);
    // Turns the loop until the latest event carries this message.
    bool WaitForMessage(const std::wstring& strMessage, int nTimeoutMs = 30000);
    // Turns the loop until n answers of the HTTP manager have arrived.
    bool WaitHttpAnswers(int n, int nTimeoutMs = 30000);
    // Delivers whatever is queued.
    void Drain();

    const std::vector<CRecordedEvent>& Events() const { return m_events; }
    // The events as rows of the install event table (1..16, 17 and 18 for
    // the framework and package that failed verification; 0 for none),
    // with repeated progress rows (4, 10) folded into one.
    std::vector<int> Rows() const;
    bool Finished() const;

private:
    bool OnEvent(SOUI::EventArgs* pEvt);

    SOUI::SNotifyCenter* m_pCenter;
    std::vector<CRecordedEvent> m_events;
    int m_nHttpAnswers = 0;
};

// The row of the install event table that an event stands for.
int EventRow(const CRecordedEvent& ev);

}  // namespace workflowtest
