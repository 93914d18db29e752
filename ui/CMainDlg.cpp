#include "ui/CMainDlg.h"

#include <unistd.h>

#include <cstring>

#include "install/CInstallMgr.h"
#include "install/EventInstallCallBack.h"
#include "platform/AppExit.h"
#include "platform/FolderPermissions.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "toolkit/control/SCheckBox.h"
#include "toolkit/control/SEdit.h"
#include "toolkit/control/SImageButton.h"
#include "toolkit/control/SImageWnd.h"
#include "toolkit/control/SLink.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/SStatic.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/EventCmd.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SSlot.h"
#include "toolkit/res/SApplication.h"
#include "ui/CMsgBoxDlg.h"
#include "ui/CProtocolDlg.h"
#include "ui/InstallFolder.h"
#include "ui/UiText.h"

using namespace SOUI;

CMainDlg::CMainDlg() : SHostWnd(L"LAYOUT:XML_MAINWND") {
    if (SNotifyCenter* pCenter = SNotifyCenter::getSingletonPtr()) {
        pCenter->RegisterEventMap(Subscriber(&CMainDlg::OnNotify, this));
    } else {
        WriteLog(L"%s no notification centre: install progress will not show",
                 L"CMainDlg::CMainDlg");
    }
    m_pInstallMgr = new CInstallMgr;
}

CMainDlg::~CMainDlg() {
    // Ends a worker that is still running before anything it reports to goes.
    delete m_pInstallMgr;
    m_pInstallMgr = nullptr;
    m_strSelectedDir.clear();
    if (SNotifyCenter* pCenter = SNotifyCenter::getSingletonPtr()) {
        pCenter->UnregisterEventMap(Subscriber(&CMainDlg::OnNotify, this));
    }
}

std::wstring CMainDlg::GetInstallDir() {
    if (m_strSelectedDir.empty()) {
        m_strSelectedDir = GetDefaultInstallDir();
    }
    return m_strSelectedDir;
}

bool CMainDlg::OnNotify(EventArgs* pEvt) {
    return _HandleEvent(pEvt);
}

bool CMainDlg::ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (uMsg) {
        case WM_TIMER:
            if (OnTimer(wParam)) {
                lResult = 0;
                return true;
            }
            break;
        case WM_INITDIALOG:
            OnInitDialog();
            lResult = 0;
            return true;
        case WM_CLOSE:
            CloseInstaller();
            lResult = 0;
            return true;
        default:
            break;
    }
    return SHostWnd::ProcessWindowMessage(uMsg, wParam, lParam, lResult);
}

bool CMainDlg::_HandleEvent(EventArgs* pEvt) {
    if (pEvt->GetID() == EventInstallCallBack::EventID) {
        OnInstallCallback(static_cast<EventInstallCallBack*>(pEvt));
        return true;
    }
    if (pEvt->GetID() != EVT_CMD || pEvt->nameFrom.empty()) {
        return SHostWnd::_HandleEvent(pEvt);
    }
    const std::wstring& strName = pEvt->nameFrom;
    if (strName == L"btn_close") {
        CloseInstaller();
    } else if (strName == L"btn_min") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (strName == L"btn_max") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (strName == L"btn_restore") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (strName == L"btn_installer") {
        OnInstall();
    } else if (strName == L"agree") {
        if (m_pAgree && m_pBtnInstaller) {
            m_pBtnInstaller->EnableWindow(m_pAgree->IsChecked(), true);
        }
    } else if (strName == L"link_license") {
        OnLicense();
    } else if (strName == L"btn_open") {
        OnBrowse();
    } else if (strName == L"btn_start") {
        OnStart();
    } else if (strName == L"img_gif") {
        NextSlide();
    } else {
        return SHostWnd::_HandleEvent(pEvt);
    }
    return true;
}

void CMainDlg::CloseInstaller() {
    g_bAppExit = 1;
    DestroyWindow();
}

void CMainDlg::OnInitDialog() {
    SetWindowTextW(Tr(L"title", L"dlg_main"));
    m_pTabMain = FindChildByName2<STabCtrl>(L"tab_main");
    m_pBtnInstaller = FindChildByName2<SImageButton>(L"btn_installer");
    m_pAgree = FindChildByName2<SCheckBox>(L"agree");
    m_pCheckShortcut = FindChildByName2<SCheckBox>(L"check_shortcut");
    m_pCheckLauncher = FindChildByName2<SCheckBox>(L"check_Launcher");
    m_pLinkLicense = FindChildByName2<SLink>(L"link_license");
    m_pEditPath = FindChildByName2<SEdit>(L"edit_path");
    m_pBtnOpen = FindChildByName2<SImageButton>(L"btn_open");
    m_pImgGif = FindChildByName2<SImageWnd>(L"img_gif");
    m_pTxtGif = FindChildByName2<SStatic>(L"txt_gif");
    m_pTxtPercent = FindChildByName2<SStatic>(L"txt_percent");
    m_pTxtInstallStatus = FindChildByName2<SStatic>(L"txt_install_status");
    m_pProInstall = FindChildByName2<SProgress>(L"pro_install");
    if (m_pAgree) {
        m_pAgree->SetCheck(true);
    }
    // The shortcut options are always on and never shown.
    for (SCheckBox* pCheck : {m_pCheckShortcut, m_pCheckLauncher}) {
        if (pCheck) {
            pCheck->SetCheck(true);
            pCheck->SetVisible(false, true);
        }
    }
    // The window cannot work without these: the Install button stays off
    // rather than starting a run nobody could follow.
    m_bInitialised = m_pTabMain && m_pBtnInstaller && m_pAgree && m_pEditPath && m_pImgGif &&
                     m_pTxtGif && m_pTxtPercent && m_pTxtInstallStatus && m_pProInstall;
    if (!m_bInitialised) {
        WriteLog(L"%s the layout lacks controls the installer needs", L"CMainDlg::OnInitDialog");
        if (m_pBtnInstaller) {
            m_pBtnInstaller->EnableWindow(false, true);
        }
    }
    ShowPercent();
    if (m_pEditPath) {
        m_pEditPath->SetWindowText(GetInstallDir());
    }
    if (SNotifyCenter* pCenter = SNotifyCenter::getSingletonPtr()) {
        pCenter->addEvent(EventInstallCallBack::EventID, EventInstallCallBack::EventName);
    }
}

void CMainDlg::OnBrowse() {
    if (!m_fnFolderPicker) {
        return;
    }
    // Modal, whatever the desktop's chooser is: Install cannot start while
    // the folder is still being chosen.
    IHostBackend* pBackend = GetBackend();
    if (pBackend) {
        pBackend->SetSensitive(false);
    }
    // The chooser opens where the field points, or as near to it as exists.
    std::wstring strFolder =
        NearestExistingFolder(m_pEditPath ? m_pEditPath->GetWindowText(true) : GetInstallDir());
    const bool bChosen = m_fnFolderPicker(Tr(L"open_dir", L"install_tip"), strFolder);
    if (pBackend) {
        pBackend->SetSensitive(true);
    }
    if (!bChosen) {
        return;
    }
    // A choice without a local path (a remote location) cannot take the
    // product; it would otherwise become "/Tovadoc" at the root.
    if (strFolder.empty()) {
        WriteLog(L"%s the chosen folder has no local path; nothing changes", L"CMainDlg::OnBrowse");
        return;
    }
    m_strSelectedDir = JoinProductFolder(strFolder);
    if (m_pEditPath) {
        m_pEditPath->SetWindowText(m_strSelectedDir);
    }
}

void CMainDlg::OnLicense() {
    CProtocolDlg dlg;
    dlg.DoModal(this);
}

bool CMainDlg::PrepareFolder(const std::wstring& strDir) {
    std::wstring strReason;
    if (CreateInstallDir(strDir, L"CMainDlg::OnInstall", &strReason)) {
        return true;
    }
    ShowMsgBox(this, strReason);
    if (m_pEditPath) {
        m_pEditPath->SetWindowText(GetInstallDir());
    }
    return false;
}

void CMainDlg::OnInstall() {
    if (!m_bInitialised || m_pInstallMgr->HasInstallThread()) {
        return;
    }
    // A relative name means the current folder (the installer's own); the
    // worker, the package and the start button must all mean the same one.
    std::wstring strCandidate = SettleInstallDir(m_pEditPath->GetWindowText());
    if (!PrepareFolder(strCandidate)) {
        return;
    }
    if (!GrantFolderAccess(strCandidate, L"Users")) {
        WriteLog(L"%s no access for the users group on [%s]; going on", L"CMainDlg::OnInstall",
                 strCandidate.c_str());
    }
    m_strSelectedDir = strCandidate;
    WriteLog(L"%s installing into [%s]", L"CMainDlg::OnInstall", m_strSelectedDir.c_str());
    m_pInstallMgr->m_bDesktopShortcut = m_pCheckShortcut && m_pCheckShortcut->IsChecked();
    m_pInstallMgr->m_bQuickLaunch = m_pCheckLauncher && m_pCheckLauncher->IsChecked();
    m_pInstallMgr->m_strInstallDir = GetInstallDir();
    m_pTabMain->SetCurSel(1);
    m_nShownPercent = 0;
    SetTimer(TIMER_CAROUSEL, 2000);
    SetTimer(TIMER_PROGRESS, 10);
    m_pInstallMgr->BeginInstallThread();
}
