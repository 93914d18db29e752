#pragma once
#include <string>

#include "toolkit/window/SHostDialog.h"
#include "ui/CActiveDialog.h"

namespace SOUI {
class SImageButton;
class SStatic;
}  // namespace SOUI

// The installer's own message box: the text sizes the dialog, the style
// chooses the buttons (0 confirm and continue, 2 confirm alone, anything
// else confirm and cancel). DoModal returns one of the result codes; Escape
// and a close request count as the caption's close button.
class CMsgBoxDlg : public SOUI::SHostDialog, public CActiveDialog<CMsgBoxDlg> {
public:
    SOUI_CLASS_NAME(L"msgboxdlg")
    enum : int { kResultClose = 0, kResultCancel = 1, kResultConfirm = 2, kResultContinue = 3 };
    // The dialog's smallest size, the layout's own.
    static constexpr int kMinWidth = 300;
    static constexpr int kMinHeight = 160;

    CMsgBoxDlg(std::wstring strMessage, int nStyle);

    bool ProcessWindowMessage(SOUI::UINT uMsg, SOUI::WPARAM wParam, SOUI::LPARAM lParam,
                              SOUI::LRESULT& lResult) override;
    bool _HandleEvent(SOUI::EventArgs* pEvt) override;

protected:
    void OnEscape() override;
    void OnInitDialog();
    void ArrangeButtons();

    std::wstring m_strMessage;
    int m_nStyle;
    SOUI::SImageButton* m_pBtnClose = nullptr;
    SOUI::SImageButton* m_pBtnCancel = nullptr;
    SOUI::SImageButton* m_pBtnConfirm = nullptr;
    SOUI::SImageButton* m_pBtnContinue = nullptr;
    SOUI::SStatic* m_pTextMsg = nullptr;
};

// Shows a message box with confirm and cancel over pParent; its result code.
int ShowMsgBox(SOUI::SHostWnd* pParent, const std::wstring& strMessage);
