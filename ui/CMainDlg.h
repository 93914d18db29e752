#pragma once
#include <string>

#include "toolkit/window/SHostWnd.h"
#include "ui/CFolderPicker.h"

class CInstallMgr;
class EventInstallCallBack;

namespace SOUI {
class STabCtrl;
class SImageButton;
class SCheckBox;
class SLink;
class SEdit;
class SImageWnd;
class SStatic;
class SProgress;
}  // namespace SOUI

// The installer's main window: page 0 chooses the folder and starts the
// install, page 1 shows its progress, page 2 starts the product. It owns the
// install manager and hears the worker through the notification centre,
// which must exist before the window is made.
class CMainDlg : public SOUI::SHostWnd {
public:
    SOUI_CLASS_NAME(L"maindlg")
    enum : uintptr_t { TIMER_PROGRESS = 101, TIMER_CAROUSEL = 102, TIMER_FINISHED = 103 };
    // How long the full bar stays in view before the last page comes, so
    // that it is seen, and heard by a screen reader, at 100.
    static constexpr unsigned kFinishedDwellMs = 500;

    CMainDlg();
    ~CMainDlg() override;

    // The folder the window holds, the default one until another is chosen.
    std::wstring GetInstallDir();

    bool ProcessWindowMessage(SOUI::UINT uMsg, SOUI::WPARAM wParam, SOUI::LPARAM lParam,
                              SOUI::LRESULT& lResult) override;
    bool _HandleEvent(SOUI::EventArgs* pEvt) override;

    // Replaces the desktop's folder chooser (tests answer in its place).
    void SetFolderPicker(FolderPickerFn fnPicker) { m_fnFolderPicker = std::move(fnPicker); }
    CInstallMgr* GetInstallMgr() const { return m_pInstallMgr; }
    int GetTargetPercent() const { return m_nTargetPercent; }
    int GetShownPercent() const { return m_nShownPercent; }
    int GetSlide() const { return m_nSlide; }

protected:
    void OnInitDialog();
    void OnInstall();
    void OnBrowse();
    void OnLicense();
    // Progress page.
    bool OnTimer(uintptr_t nID);
    void OnInstallCallback(EventInstallCallBack* pEvt);
    void AdvanceProgress();
    // The carousel's next picture and caption: every 2 s, unless the
    // desktop asks for reduced motion, and whenever the user clicks it.
    void NextSlide();
    // Restarts the step timer that sleeps while the bar has reached its target.
    void WakeProgressTimer();
    void OnStart();
    // Sets the stop flag the transfers read, then destroys the window.
    void CloseInstaller();
    bool OnNotify(SOUI::EventArgs* pEvt);
    // Shows the shown percentage on the bar and below it.
    void ShowPercent();
    // False, after the message box, when the folder is not there and cannot
    // be made.
    bool PrepareFolder(const std::wstring& strDir);

    SOUI::STabCtrl* m_pTabMain = nullptr;
    SOUI::SImageButton* m_pBtnInstaller = nullptr;
    SOUI::SCheckBox* m_pCheckShortcut = nullptr;
    SOUI::SCheckBox* m_pCheckLauncher = nullptr;
    SOUI::SCheckBox* m_pAgree = nullptr;
    SOUI::SLink* m_pLinkLicense = nullptr;
    SOUI::SImageButton* m_pBtnOpen = nullptr;
    SOUI::SEdit* m_pEditPath = nullptr;
    SOUI::SImageWnd* m_pImgGif = nullptr;
    SOUI::SStatic* m_pTxtGif = nullptr;
    SOUI::SStatic* m_pTxtPercent = nullptr;
    SOUI::SStatic* m_pTxtInstallStatus = nullptr;
    SOUI::SProgress* m_pProInstall = nullptr;

    std::wstring m_strSelectedDir;
    int m_nTargetPercent = 0;
    int m_nShownPercent = 0;
    CInstallMgr* m_pInstallMgr = nullptr;
    int m_nSlide = 1;
    FolderPickerFn m_fnFolderPicker = PickFolderNative;
    bool m_bInitialised = false;
};
