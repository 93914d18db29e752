#include "toolkit/window/SHostDialog.h"

#include "toolkit/core/EventCmd.h"
#include "toolkit/core/SLog.h"

namespace SOUI {

int SHostDialog::DoModal(SHostWnd* pParent) {
    if (!IsWindow() && !Create(pParent)) {
        SLog(L"SHostDialog::DoModal cannot create [%s]", m_strResName.c_str());
        return -1;
    }
    m_nRetCode = IDCANCEL;
    m_bModal = true;
    SHostDialog* pPrevModal = nullptr;
    if (pParent) {
        pPrevModal = pParent->m_pModalChild;
        pParent->m_pModalChild = this;
    }
    SendMessage(WM_INITDIALOG);
    // As on any desktop, a dialog opens with its default button focused:
    // Enter presses it, and a screen reader starts there.
    if (!GetFocus()) {
        if (SWindow* pDefault = GetDefaultButton()) {
            SetFocus(pDefault);
        }
    }
    int nCode = m_nRetCode;
    // An init handler may end the dialog before it ever shows.
    if (m_bModal && IsWindow()) {
        CenterWindow(pParent);
        ShowWindow(SW_SHOW);
        nCode = m_pBackend->RunModalLoop(pParent ? pParent->GetBackend() : nullptr);
    }
    if (pParent) {
        pParent->m_pModalChild = pPrevModal;
    }
    m_bModal = false;
    ShowWindow(SW_HIDE);
    DestroyWindow();
    return nCode;
}

void SHostDialog::EndDialog(int nCode) {
    if (!m_bModal) {
        return;
    }
    m_nRetCode = nCode;
    m_bModal = false;
    // A dialog over this one ends first: its loop runs inside this one's.
    if (m_pModalChild) {
        m_pModalChild->EndDialog(IDCANCEL);
    }
    if (m_pBackend) {
        m_pBackend->EndModalLoop(nCode);
    }
}

bool SHostDialog::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (uMsg == WM_CLOSE && m_bModal) {
        lResult = 0;
        EndDialog(IDCANCEL);
        return true;
    }
    return SHostWnd::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
}

bool SHostDialog::OnFireEvent(EventArgs* pEvt) {
    if (_HandleEvent(pEvt)) {
        return true;
    }
    if (pEvt->GetID() == EVT_CMD && (pEvt->idFrom == IDOK || pEvt->idFrom == IDCANCEL)) {
        EndDialog(pEvt->idFrom);
        return true;
    }
    return false;
}

}  // namespace SOUI
