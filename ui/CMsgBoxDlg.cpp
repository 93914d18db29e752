#include "ui/CMsgBoxDlg.h"

#include <algorithm>

#include "platform/WriteLog.h"
#include "toolkit/control/SImageButton.h"
#include "toolkit/control/SStatic.h"
#include "toolkit/core/EventCmd.h"

using namespace SOUI;

namespace {
// Places in the 50-pixel button strip, 82 x 32, from its right edge.
const wchar_t* const kPosLeft = L"-199,|-16,@82,@32";
const wchar_t* const kPosRight = L"-102,|-16,@82,@32";
// What the dialog adds around the text: its margins, caption and button strip.
constexpr int kTextExtraWidth = 26;
constexpr int kTextExtraHeight = 103;
}  // namespace

CMsgBoxDlg::CMsgBoxDlg(std::wstring strMessage, int nStyle)
    : SHostDialog(L"LAYOUT:XML_MSGBOX_DLG"),
      m_strMessage(std::move(strMessage)),
      m_nStyle(nStyle) {}

bool CMsgBoxDlg::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (uMsg == WM_INITDIALOG) {
        OnInitDialog();
        lResult = 0;
        return true;
    }
    if (uMsg == WM_DESTROY) {
        LeaveActive();
    }
    // The dialog's own close code, not the toolkit's cancel, which is the
    // confirm button's code here.
    if (uMsg == WM_CLOSE && IsModalRunning()) {
        EndDialog(kResultClose);
        lResult = 0;
        return true;
    }
    return SHostDialog::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
}

void CMsgBoxDlg::OnEscape() {
    EndDialog(kResultClose);
}

bool CMsgBoxDlg::_HandleEvent(EventArgs* pEvt) {
    if (pEvt->GetID() == EVT_CMD && pEvt->idFrom >= kResultClose &&
        pEvt->idFrom <= kResultContinue) {
        EndDialog(pEvt->idFrom);
        return true;
    }
    return SHostDialog::_HandleEvent(pEvt);
}

void CMsgBoxDlg::ArrangeButtons() {
    for (SImageButton* pBtn : {m_pBtnCancel, m_pBtnConfirm, m_pBtnContinue}) {
        if (pBtn) {
            pBtn->SetVisible(false, true);
        }
    }
    if (!m_pBtnConfirm) {
        return;
    }
    SImageButton* pSecond = nullptr;
    if (m_nStyle == 0) {
        pSecond = m_pBtnContinue;
    } else if (m_nStyle != 2) {
        pSecond = m_pBtnCancel;
    }
    m_pBtnConfirm->SetAttribute(L"pos", pSecond ? kPosLeft : kPosRight);
    if (pSecond) {
        pSecond->SetVisible(true, true);
    }
    m_pBtnConfirm->SetVisible(true, true);
}

void CMsgBoxDlg::OnInitDialog() {
    EnterActive(this);

    m_pBtnClose = FindChildByName2<SImageButton>(L"btn_close");
    m_pBtnCancel = FindChildByName2<SImageButton>(L"btn_cancel");
    m_pBtnConfirm = FindChildByName2<SImageButton>(L"btn_confirm");
    m_pBtnContinue = FindChildByName2<SImageButton>(L"btn_continue");
    m_pTextMsg = FindChildByName2<SStatic>(L"text_msg");
    // Result codes in place of the named IDs.
    const std::pair<SImageButton*, int> ids[] = {{m_pBtnClose, kResultClose},
                                                 {m_pBtnCancel, kResultCancel},
                                                 {m_pBtnConfirm, kResultConfirm},
                                                 {m_pBtnContinue, kResultContinue}};
    for (const auto& [pBtn, nID] : ids) {
        if (pBtn) {
            pBtn->SetID(nID);
        }
    }
    ArrangeButtons();
    if (!m_pTextMsg) {
        WriteLog(L"%s the layout has no text_msg", L"CMsgBoxDlg::OnInitDialog");
        return;
    }
    m_pTextMsg->SetWindowText(m_strMessage);
    CSize szText = m_pTextMsg->GetDesiredSize(kMinWidth);
    ResizeWindow(std::max(szText.cx + kTextExtraWidth, kMinWidth),
                 std::max(szText.cy + kTextExtraHeight, kMinHeight));
    UpdateLayout();
    // The text fills the body from top to bottom, so its vertical centring
    // puts it in the middle of the body.
    SWindow* pBody = m_pTextMsg->GetParent();
    if (pBody) {
        const CRect& rcBody = pBody->GetWindowRect();
        const CRect& rcText = m_pTextMsg->GetWindowRect();
        m_pTextMsg->SetAttribute(L"pos", std::to_wstring(rcText.left - rcBody.left) + L",0,@" +
                                             std::to_wstring(rcText.Width()) + L",-0");
        UpdateLayout();
    }
    // DoModal centres the dialog over its parent once this returns.
}

int ShowMsgBox(SHostWnd* pParent, const std::wstring& strMessage) {
    CMsgBoxDlg dlg(strMessage, 1);
    return dlg.DoModal(pParent);
}
