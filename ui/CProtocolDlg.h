#pragma once
#include <cstdint>
#include <string>

#include "settings/InstallSettings.h"
#include "toolkit/window/SHostDialog.h"
#include "ui/CActiveDialog.h"

// The licence agreement in a read-only rich edit, in English when the
// language setting asks for it and in Chinese otherwise. Its close button
// carries the cancel ID, which ends it.
class CProtocolDlg : public SOUI::SHostDialog, public CActiveDialog<CProtocolDlg> {
public:
    SOUI_CLASS_NAME(L"protocoldlg")
    // strIniPath: the settings file the language is read from.
    explicit CProtocolDlg(std::wstring strIniPath = GetInstallIniPath())
        : SHostDialog(L"LAYOUT:XML_PROTOCOLDLG_WND"), m_strIniPath(std::move(strIniPath)) {}

    bool ProcessWindowMessage(SOUI::UINT uMsg, SOUI::WPARAM wParam, SOUI::LPARAM lParam,
                              SOUI::LRESULT& lResult) override;

    // The licence resource the dialog shows for a language setting.
    static const wchar_t* LicenceFor(uint32_t nLanguage);

protected:
    void OnInitDialog();

    std::wstring m_strIniPath;
};
