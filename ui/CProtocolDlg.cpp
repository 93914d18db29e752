#include "ui/CProtocolDlg.h"

#include "platform/WriteLog.h"
#include "toolkit/control/SRichEdit.h"

using namespace SOUI;

const wchar_t* CProtocolDlg::LicenceFor(uint32_t nLanguage) {
    return nLanguage == 2 ? L"RTF:rtf_protocol_rtf_en" : L"RTF:rtf_protocol_rtf";
}

bool CProtocolDlg::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (uMsg == WM_INITDIALOG) {
        OnInitDialog();
        lResult = 0;
        return true;
    }
    if (uMsg == WM_DESTROY) {
        LeaveActive();
    }
    return SHostDialog::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
}

void CProtocolDlg::OnInitDialog() {
    EnterActive(this);
    if (ReadLanguage(m_strIniPath) != 2) {
        return;
    }
    if (SRichEdit* pRich = FindChildByName2<SRichEdit>(L"richedit_rtf")) {
        pRich->SetAttribute(L"rtf", LicenceFor(2), false);
    }
}
