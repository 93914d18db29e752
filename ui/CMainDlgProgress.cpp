// The main window's progress page: install events, the two timers and the
// start button of the last page.
#include <cstdio>

#include "install/EventInstallCallBack.h"
#include "platform/CommandLine.h"
#include "platform/ProcessControl.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "toolkit/control/SImageWnd.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/SStatic.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SDesktopSettings.h"
#include "toolkit/core/STimerManager.h"
#include "toolkit/res/SApplication.h"
#include "ui/CMainDlg.h"
#include "ui/UiText.h"

using namespace SOUI;

namespace {

// Caption keys of the carousel, by slide 1 to 3; the picture is "skin.<slide>".
const wchar_t* const kSlideCaptions[] = {L"high_quality_pdf2word", L"24hours_online",
                                         L"professional_team"};
constexpr int kSlideCount = 3;

}  // namespace

void CMainDlg::OnInstallCallback(EventInstallCallBack* pEvt) {
    // The notification centre owns the event and releases it after delivery.
    m_nTargetPercent = pEvt->nPercent;
    if (m_pTxtInstallStatus) {
        m_pTxtInstallStatus->SetWindowText(InstallStatusText(pEvt->strMessage, pEvt->nState < 0,
                                                             pEvt->strReason, pEvt->nReasonValue));
    }
    WakeProgressTimer();
}

void CMainDlg::WakeProgressTimer() {
    // The carousel runs for exactly as long as the progress page does; a
    // running step timer is left alone so its 10 ms rhythm is not reset.
    if (m_nShownPercent < m_nTargetPercent && STimerManager::HasTimer(this, TIMER_CAROUSEL) &&
        !STimerManager::HasTimer(this, TIMER_PROGRESS)) {
        SetTimer(TIMER_PROGRESS, 10);
    }
}

bool CMainDlg::OnTimer(uintptr_t nID) {
    if (nID == TIMER_PROGRESS) {
        AdvanceProgress();
        return true;
    }
    if (nID == TIMER_FINISHED) {
        KillTimer(TIMER_FINISHED);
        if (m_pTabMain) {
            m_pTabMain->SetCurSel(2);
        }
        return true;
    }
    if (nID != TIMER_CAROUSEL) {
        return false;
    }
    // Under reduced motion nothing moves by itself; the timer still marks
    // the progress page as running.
    if (SDesktopSettings::Get().bAnimations) {
        NextSlide();
    }
    return true;
}

void CMainDlg::NextSlide() {
    if (++m_nSlide > kSlideCount) {
        m_nSlide = 1;
    }
    std::wstring strCaption = Tr(kSlideCaptions[m_nSlide - 1], L"dlg_main");
    wchar_t szSkin[64];
    swprintf(szSkin, 64, L"skin.%d", m_nSlide);
    if (m_pImgGif) {
        m_pImgGif->SetAttribute(L"skin", szSkin, false);
    }
    if (m_pTxtGif) {
        m_pTxtGif->SetWindowText(strCaption);
    }
}

void CMainDlg::ShowPercent() {
    if (m_pProInstall) {
        m_pProInstall->SetValue(m_nShownPercent);
    }
    if (m_pTxtPercent) {
        wchar_t szPercent[32];
        swprintf(szPercent, 32, L"%d%%", m_nShownPercent);
        m_pTxtPercent->SetWindowText(szPercent);
    }
}

void CMainDlg::AdvanceProgress() {
    if (m_nShownPercent < m_nTargetPercent) {
        ++m_nShownPercent;
        ShowPercent();
    }
    if (m_nShownPercent >= 100) {
        ShowPercent();
        KillTimer(TIMER_PROGRESS);
        KillTimer(TIMER_CAROUSEL);
        SetTimer(TIMER_FINISHED, kFinishedDwellMs);
    } else if (m_nShownPercent >= m_nTargetPercent) {
        // Nothing to climb to: sleep until the next install event.
        KillTimer(TIMER_PROGRESS);
    }
}

void CMainDlg::OnStart() {
    ShowWindow(SW_HIDE);
    // Quoted, so any folder name still names exactly one program.
    std::wstring strCommand =
        AnsiToWide(QuoteProgram(WideToAnsi(m_strSelectedDir + L"/Tovadoc.exe")));
    if (!LaunchProcess(strCommand)) {
        WriteLog(L"%s cannot start [%s]", L"CMainDlg::OnStart", strCommand.c_str());
    }
    CloseInstaller();
}
