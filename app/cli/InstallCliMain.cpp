// install-cli: one whole installation without a window. Runs the install
// manager on the real notification centre and message loop, in a given
// installer folder (its Install.ini, its downloads) into a given folder, and
// shows every install event as the window would receive it, then the result:
// on a terminal as one line redrawn in place (with the running download's
// bytes and speed), otherwise as one line per event.
//   install-cli --installer-dir DIR --install-dir DIR [--pack-timeout-ms N]
// Exit 0 when the installation succeeded.
#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/AppShutdown.h"
#include "demo/install-cli/CProgressLine.h"
#include "http/ClusterCurl.h"
#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "platform/TextConvert.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/SSlot.h"

namespace {

const int kHttpEventId = SOUI::EVT_EXTERNAL_BEGIN + 2;
// Each wait is bounded; the children and downloads have limits of their own.
const int kRunLimitMs = 4 * 60 * 60 * 1000;
const int kAnswerLimitMs = 20 * 1000;

class CEventPrinter {
public:
    explicit CEventPrinter(CProgressLine& line) : m_line(line) {}
    bool OnEvent(SOUI::EventArgs* pEvt) {
        if (pEvt->GetID() == kHttpEventId) {
            m_bAnswered = true;
            m_line.Note("statistics post answered");
            return true;
        }
        if (pEvt->GetID() != EventInstallCallBack::EventID)
            return false;
        auto* p = static_cast<EventInstallCallBack*>(pEvt);
        m_line.OnEvent(p->nPercent, p->nState, WideToAnsi(p->strMessage));
        if (p->nPercent == 100 && p->nState == 0) {
            m_bDone = m_bSucceeded = true;
        } else if (p->nPercent == 80 && p->nState == -1) {
            m_bDone = true;
            m_strFailure = WideToAnsi(p->strMessage);
        }
        return true;
    }

    CProgressLine& m_line;
    bool m_bDone = false;
    bool m_bSucceeded = false;
    bool m_bAnswered = false;
    std::string m_strFailure;
};

gboolean OnProgressTick(gpointer pLine) {
    static_cast<CProgressLine*>(pLine)->OnTick(CProgressLine::Clock::now());
    return G_SOURCE_CONTINUE;
}

void Usage() {
    std::fprintf(
        stderr, "usage: install-cli --installer-dir DIR --install-dir DIR [--pack-timeout-ms N]\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string strInstallerDir, strInstallDir;
    long nPackTimeoutMs = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        if (arg == "--installer-dir")
            strInstallerDir = argv[i + 1];
        else if (arg == "--install-dir")
            strInstallDir = argv[i + 1];
        else if (arg == "--pack-timeout-ms")
            nPackTimeoutMs = std::atol(argv[i + 1]);
        else {
            Usage();
            return 2;
        }
    }
    if (argc % 2 == 0 || strInstallerDir.empty() || strInstallDir.empty()) {
        Usage();
        return 2;
    }

    ClusterCurl::globalInit();
    auto* pCenter = new SOUI::SNotifyCenter();
    pCenter->addEvent(EventInstallCallBack::EventID, EventInstallCallBack::EventName);
    pCenter->addEvent(kHttpEventId, L"on_httpcallback");
    CProgressLine line(stdout, isatty(STDOUT_FILENO) != 0, strInstallerDir);
    CEventPrinter printer(line);
    // Only a terminal's line shows the download's bytes; nothing polls otherwise.
    guint nTick = line.IsTerminal() ? g_timeout_add(250, OnProgressTick, &line) : 0;
    pCenter->RegisterEventMap(SOUI::Subscriber(&CEventPrinter::OnEvent, &printer));

    bool bFinished = false;
    {
        CInstallMgr mgr;
        mgr.m_strExeDir = AnsiToWide(strInstallerDir);
        mgr.m_strInstallDir = AnsiToWide(strInstallDir);
        if (nPackTimeoutMs > 0)
            mgr.m_nPackInstallTimeoutMs = static_cast<uint32_t>(nPackTimeoutMs);
        std::printf("installing from %s into %s\n", strInstallerDir.c_str(), strInstallDir.c_str());
        std::fflush(stdout);
        mgr.BeginInstallThread();
        bFinished = SOUI::RunLoopUntil([&] { return printer.m_bDone; }, kRunLimitMs);
        // Let the statistics post finish rather than cut it off at exit.
        if (printer.m_bSucceeded)
            SOUI::RunLoopUntil([&] { return printer.m_bAnswered; }, kAnswerLimitMs);
    }
    // A post still waiting for its answer must not fire into a deleted centre.
    EndRequests();
    SOUI::RunLoopUntil([&] { return pCenter->GetPendingCount() == 0; }, 1000);
    if (nTick)
        g_source_remove(nTick);
    line.Finish();
    pCenter->UnregisterEventMap(SOUI::Subscriber(&CEventPrinter::OnEvent, &printer));
    delete pCenter;
    EndTransfers();

    if (printer.m_bSucceeded) {
        std::printf("result: success, installed into %s\n", strInstallDir.c_str());
        return 0;
    }
    std::printf("result: failure (%s)\n",
                bFinished ? printer.m_strFailure.c_str() : "the run did not finish");
    return 1;
}
