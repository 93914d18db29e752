#pragma once
#include "toolkit/window/SHostWnd.h"

namespace SOUI {

// The classic dialog result codes a layout's buttons may carry as IDs.
enum : int { IDOK = 1, IDCANCEL = 2 };

// A host window run modally: DoModal returns the code given to EndDialog.
// A command from a control with ID IDOK or IDCANCEL that the event map
// leaves unhandled ends the dialog with that ID; so do Escape, a close
// request and the end of its parent window (IDCANCEL).
class SHostDialog : public SHostWnd {
public:
    SOUI_CLASS_NAME(L"hostdlg")
    explicit SHostDialog(const wchar_t* pszResName = nullptr) : SHostWnd(pszResName) {}

    // Creates the window over pParent (may be null), sends WM_INITDIALOG,
    // centres it over the parent, shows it and runs the nested loop with the
    // parent made insensitive. -1 when the window cannot be created.
    int DoModal(SHostWnd* pParent = nullptr);
    void EndDialog(int nCode);
    bool IsModalRunning() const { return m_bModal; }

    bool ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    bool OnFireEvent(EventArgs* pEvt) override;

protected:
    void OnEscape() override { EndDialog(IDCANCEL); }

    bool m_bModal = false;
    int m_nRetCode = IDCANCEL;
};

}  // namespace SOUI
