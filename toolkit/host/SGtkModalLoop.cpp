#include "toolkit/host/SGtkModalLoop.h"

#include "toolkit/core/SLog.h"
#include "toolkit/host/SGtkWindow.h"

namespace SOUI {

SGtkModalLoop::~SGtkModalLoop() {
    if (m_pLoop)
        g_main_loop_quit(m_pLoop);
}

int SGtkModalLoop::Run(SGtkWindow* pDialog, SGtkWindow* pOwner) {
    if (m_pLoop) {
        SLogA("SGtkModalLoop::Run already running");
        return -1;
    }
    if (pOwner && !pOwner->IsCreated())
        pOwner = nullptr;
    // An owner that is already disabled (under another dialog) stays so.
    bool bReenable = pOwner && pOwner->IsSensitive();
    if (pDialog && pDialog->IsCreated()) {
        pDialog->SetModalFor(pOwner);
        if (pDialog->IsVisible())
            pDialog->Present();
    }
    if (bReenable)
        pOwner->SetSensitive(false);
    if (!m_bEndPending) {
        m_pLoop = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(m_pLoop);
        g_main_loop_unref(m_pLoop);
        m_pLoop = nullptr;
    }
    m_bEndPending = false;
    if (bReenable && pOwner->IsCreated()) {
        pOwner->SetSensitive(true);
        pOwner->Present();
    }
    if (pDialog && pDialog->IsCreated())
        pDialog->SetModalFor(nullptr);
    return m_nCode;
}

void SGtkModalLoop::End(int nCode) {
    m_nCode = nCode;
    m_bEndPending = true;
    if (m_pLoop)
        g_main_loop_quit(m_pLoop);
}

}  // namespace SOUI
