#pragma once
// The installer's toolkit set-up off-screen, a notification centre per test,
// and ways to drive the installer's windows as a user would.
#include <gtest/gtest.h>

#include <string>

#include "install/ScriptedInstallMgr.h"
#include "support/TempDir.h"
#include "tools/layout-preview/CPreviewEnv.h"
#include "ui/CMainDlg.h"

namespace SOUI {
class SNotifyCenter;
class SHostWnd;
class SWindow;
}  // namespace SOUI

// Once per process; tests that change the language get Chinese back in TearDown.
CPreviewEnv& UiEnv();

// Clicks the middle of the named control; false when it is not there.
bool ClickControl(SOUI::SHostWnd& wnd, const std::wstring& strName);
bool ClickWindow(SOUI::SHostWnd& wnd, SOUI::SWindow* pWnd);
// Types into the named edit as the user would into its native entry.
bool TypeInto(SOUI::SHostWnd& wnd, const std::wstring& strName, const std::wstring& strText);
std::wstring TextOf(SOUI::SHostWnd& wnd, const std::wstring& strName);

// The main window with a scripted install manager in place of the real one,
// so a test chooses what the install steps report.
class CTestMainDlg : public CMainDlg {
public:
    CTestMainDlg();
    // The worker ends before the installer folder goes.
    ~CTestMainDlg() override;
    ScriptedInstallMgr& Scripted() { return *m_pScripted; }
    // Created, initialised and shown as the entry does it.
    bool Open();

private:
    // The installer's own folder of the run: no package lies there unless a
    // test puts one.
    testsupport::TempDir m_installerDir;
    ScriptedInstallMgr* m_pScripted;
};

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    SOUI::SNotifyCenter* m_pCenter = nullptr;
};
