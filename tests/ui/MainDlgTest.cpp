#include <acl/libacl.h>
#include <sys/acl.h>

#include <filesystem>

#include "UiFixture.h"
#include "platform/AppExit.h"
#include "platform/TextConvert.h"
#include "support/TempDir.h"
#include "toolkit/control/SCheckBox.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/STimerManager.h"
#include "toolkit/window/COffscreenBackend.h"
#include "ui/CMsgBoxDlg.h"
#include "ui/CProtocolDlg.h"
#include "ui/InstallFolder.h"

using namespace SOUI;

namespace {

std::wstring Wide(const std::filesystem::path& path) {
    return AnsiToWide(path.string());
}

int CurSel(CMainDlg& dlg) {
    auto* pTab = dynamic_cast<STabCtrl*>(dlg.FindChildByName(L"tab_main"));
    return pTab ? pTab->GetCurSel() : -1;
}

bool Checked(CMainDlg& dlg, const wchar_t* pszName) {
    SWindow* pWnd = dlg.FindChildByName(pszName);
    return pWnd && pWnd->IsChecked();
}

class MainDlg : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        // The worker stays in its first step until the window goes.
        m_pDlg = std::make_unique<CTestMainDlg>();
        m_pDlg->Scripted().strBlockIn = "EndProductProcesses";
        ASSERT_TRUE(m_pDlg->Open());
    }
    void TearDown() override {
        m_pDlg.reset();
        UiFixture::TearDown();
    }
    // Answers the message box that the next action shows, from inside its
    // modal loop, with the button given; returns what the box said.
    void AnswerMessageBox(const wchar_t* pszButton) {
        SMessageLoop::PostTask([this, pszButton] {
            CMsgBoxDlg* pBox = CMsgBoxDlg::GetActive();
            m_bBoxShown = pBox != nullptr;
            if (pBox) {
                m_strBoxText = TextOf(*pBox, L"text_msg");
                ClickControl(*pBox, pszButton);
            }
        });
    }

    std::unique_ptr<CTestMainDlg> m_pDlg;
    testsupport::TempDir m_tmp;
    bool m_bBoxShown = false;
    std::wstring m_strBoxText;
};

TEST_F(MainDlg, StartsOnTheFirstPageWithDefaults) {
    CMainDlg& dlg = *m_pDlg;
    EXPECT_EQ(dlg.GetNativeTitle(), L"Tovadoc安装程序");
    EXPECT_EQ(CurSel(dlg), 0);
    EXPECT_EQ(TextOf(dlg, L"edit_path"), GetDefaultInstallDir());
    EXPECT_EQ(dlg.GetInstallDir(), GetDefaultInstallDir());
    EXPECT_EQ(TextOf(dlg, L"txt_percent"), L"0%");
    EXPECT_EQ(dynamic_cast<SProgress*>(dlg.FindChildByName(L"pro_install"))->GetValue(), 0);
    EXPECT_TRUE(Checked(dlg, L"agree"));
    // The shortcut options are on and hidden.
    for (const wchar_t* pszName : {L"check_shortcut", L"check_Launcher"}) {
        EXPECT_TRUE(Checked(dlg, pszName)) << pszName;
        EXPECT_FALSE(dlg.FindChildByName(pszName)->IsVisible()) << pszName;
    }
    EXPECT_FALSE(dlg.FindChildByName(L"btn_installer")->IsDisabled());
    EXPECT_EQ(dlg.GetSlide(), 1);
    EXPECT_FALSE(dlg.GetInstallMgr()->HasInstallThread());
}

TEST_F(MainDlg, EnglishTitle) {
    UiEnv().SetLanguage(PreviewLang::English);
    CTestMainDlg dlg;
    ASSERT_TRUE(dlg.Open());
    EXPECT_EQ(dlg.GetNativeTitle(), L"Tovadoc install program");
}

TEST_F(MainDlg, AgreementBoxEnablesInstall) {
    CMainDlg& dlg = *m_pDlg;
    SWindow* pInstall = dlg.FindChildByName(L"btn_installer");
    ASSERT_TRUE(ClickControl(dlg, L"agree"));
    EXPECT_FALSE(Checked(dlg, L"agree"));
    EXPECT_TRUE(pInstall->IsDisabled());
    // A disabled Install does nothing.
    ClickWindow(dlg, pInstall);
    EXPECT_EQ(CurSel(dlg), 0);
    EXPECT_FALSE(dlg.GetInstallMgr()->HasInstallThread());

    ASSERT_TRUE(ClickControl(dlg, L"agree"));
    EXPECT_TRUE(Checked(dlg, L"agree"));
    EXPECT_FALSE(pInstall->IsDisabled());
}

TEST_F(MainDlg, InstallCreatesTheFolderAndStartsTheWorker) {
    CTestMainDlg& dlg = *m_pDlg;
    const auto apps = m_tmp / "Program Files";
    std::filesystem::create_directory(apps);
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(apps)));
    ASSERT_TRUE(ClickControl(dlg, L"btn_installer"));

    const std::wstring strExpected = Wide(apps / "Tovadoc");
    EXPECT_TRUE(std::filesystem::is_directory(apps / "Tovadoc"));
    EXPECT_EQ(CurSel(dlg), 1);
    EXPECT_EQ(dlg.GetInstallDir(), strExpected);
    CInstallMgr* pMgr = dlg.GetInstallMgr();
    EXPECT_EQ(pMgr->m_strInstallDir, strExpected);
    EXPECT_TRUE(pMgr->m_bDesktopShortcut);
    EXPECT_TRUE(pMgr->m_bQuickLaunch);
    EXPECT_TRUE(pMgr->HasInstallThread());
    EXPECT_TRUE(STimerManager::HasTimer(&dlg, CMainDlg::TIMER_PROGRESS));
    EXPECT_TRUE(STimerManager::HasTimer(&dlg, CMainDlg::TIMER_CAROUSEL));
    EXPECT_TRUE(RunLoopUntil([&] { return dlg.Scripted().bReachedBlock.load(); }, 30000));
    // The worker's first event reaches the page.
    EXPECT_TRUE(RunLoopUntil([&] { return dlg.GetShownPercent() == 5; }, 30000));
    EXPECT_EQ(TextOf(dlg, L"txt_install_status"), L"检测环境...");

    // The users group may work in the folder, and in what the product puts there.
    acl_t acl = acl_get_file((apps / "Tovadoc").c_str(), ACL_TYPE_DEFAULT);
    if (acl && acl_entries(acl) > 0) {
        char* pszText = acl_to_any_text(acl, nullptr, ',', 0);
        EXPECT_NE(std::string(pszText).find("group:users:rwx"), std::string::npos) << pszText;
        acl_free(pszText);
    }
    if (acl) {
        acl_free(acl);
    }
}

TEST_F(MainDlg, TypedFoldersBecomeProductFolders) {
    CTestMainDlg& dlg = *m_pDlg;
    // Case-sensitive: a folder called "tovadoc" gets the product folder inside.
    std::filesystem::create_directory(m_tmp / "tovadoc");
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(m_tmp / "tovadoc")));
    ClickControl(dlg, L"btn_installer");
    EXPECT_EQ(dlg.GetInstallMgr()->m_strInstallDir, Wide(m_tmp / "tovadoc" / "Tovadoc"));

    // A trailing separator does not double.
    CTestMainDlg dlg2;
    dlg2.Scripted().strBlockIn = "EndProductProcesses";
    ASSERT_TRUE(dlg2.Open());
    ASSERT_TRUE(TypeInto(dlg2, L"edit_path", Wide(m_tmp.path()) + L"/"));
    ClickControl(dlg2, L"btn_installer");
    EXPECT_EQ(dlg2.GetInstallMgr()->m_strInstallDir, Wide(m_tmp / "Tovadoc"));
}

TEST_F(MainDlg, FolderThatCannotBeMadeShowsTheMessageBoxAndStays) {
    CTestMainDlg& dlg = *m_pDlg;
    const std::wstring strHeld = dlg.GetInstallDir();
    // Missing levels are made, up to a file in the way.
    std::filesystem::create_directory(m_tmp / "NoSuch");
    testsupport::WriteFile(m_tmp / "NoSuch" / "file", "in the way");
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(m_tmp / "NoSuch" / "file" / "Sub")));
    AnswerMessageBox(L"btn_confirm");
    ClickControl(dlg, L"btn_installer");

    EXPECT_TRUE(m_bBoxShown);
    EXPECT_EQ(m_strBoxText, L"当前安装路径无法创建,请重新指定!\n" +
                                Wide(m_tmp / "NoSuch" / "file") + L" 已存在，但不是文件夹");
    EXPECT_EQ(CMsgBoxDlg::GetActive(), nullptr);
    EXPECT_EQ(testsupport::ReadFile(m_tmp / "NoSuch" / "file"), "in the way");
    EXPECT_EQ(TextOf(dlg, L"edit_path"), strHeld);
    EXPECT_EQ(CurSel(dlg), 0);
    EXPECT_FALSE(dlg.GetInstallMgr()->HasInstallThread());
    EXPECT_FALSE(STimerManager::HasTimer(&dlg, CMainDlg::TIMER_PROGRESS));

    // Every missing level of a path that can be made is made.
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(m_tmp / "a" / "b")));
    ClickControl(dlg, L"btn_installer");
    EXPECT_TRUE(std::filesystem::is_directory(m_tmp / "a" / "b" / "Tovadoc"));
    EXPECT_TRUE(dlg.GetInstallMgr()->HasInstallThread());
}

TEST_F(MainDlg, FileInPlaceOfTheFolderIsRefusedInEnglish) {
    UiEnv().SetLanguage(PreviewLang::English);
    CTestMainDlg& dlg = *m_pDlg;
    testsupport::WriteFile(m_tmp / "Tovadoc", "not a folder");
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(m_tmp / "Tovadoc")));
    AnswerMessageBox(L"btn_cancel");
    ClickControl(dlg, L"btn_installer");

    EXPECT_TRUE(m_bBoxShown);
    EXPECT_EQ(m_strBoxText, L"The install directory is invalid. Please reassign it!\n" +
                                Wide(m_tmp / "Tovadoc") + L" exists and is not a folder.");
    EXPECT_EQ(CurSel(dlg), 0);
    EXPECT_FALSE(dlg.GetInstallMgr()->HasInstallThread());
    EXPECT_EQ(testsupport::ReadFile(m_tmp / "Tovadoc"), "not a folder");
}

TEST_F(MainDlg, BrowsedFolderFillsTheFieldAndIsInstalledTo) {
    CTestMainDlg& dlg = *m_pDlg;
    std::wstring strPrompt;
    std::wstring strAnswer = Wide(m_tmp.path());
    bool bAccept = true;
    bool bSensitiveWhileOpen = true;
    dlg.SetFolderPicker([&](const std::wstring& strText, std::wstring& strFolder) {
        strPrompt = strText;
        strFolder = strAnswer;
        // The chooser is modal: Install cannot start while it is open.
        bSensitiveWhileOpen = dlg.GetBackend()->IsSensitive();
        ClickControl(dlg, L"btn_installer");
        return bAccept;
    });
    ASSERT_TRUE(ClickControl(dlg, L"btn_open"));
    EXPECT_EQ(strPrompt, L"从下面选文件夹目录:");
    EXPECT_FALSE(bSensitiveWhileOpen);
    EXPECT_FALSE(dlg.GetInstallMgr()->HasInstallThread());
    EXPECT_TRUE(dlg.GetBackend()->IsSensitive());
    EXPECT_EQ(TextOf(dlg, L"edit_path"), Wide(m_tmp / "Tovadoc"));

    strAnswer = L"/";
    ClickControl(dlg, L"btn_open");
    EXPECT_EQ(TextOf(dlg, L"edit_path"), L"/Tovadoc");
    EXPECT_EQ(dlg.GetInstallDir(), L"/Tovadoc");

    // Cancelling changes nothing, nor does an answer without a local path.
    for (const auto& [bAnswer, strText] : {std::pair{false, L"/elsewhere"}, std::pair{true, L""}}) {
        bAccept = bAnswer;
        strAnswer = strText;
        ClickControl(dlg, L"btn_open");
        EXPECT_EQ(TextOf(dlg, L"edit_path"), L"/Tovadoc");
        EXPECT_EQ(dlg.GetInstallDir(), L"/Tovadoc");
    }

    // A folder whose name is no UTF-8 (GBK) is installed to byte for byte.
    const std::filesystem::path gbk = m_tmp / "\xB0\xB2\xD7\xB0";
    std::filesystem::create_directories(gbk);
    bAccept = true;
    strAnswer = Wide(gbk);
    ClickControl(dlg, L"btn_open");
    ClickControl(dlg, L"btn_installer");
    EXPECT_EQ(dlg.GetInstallMgr()->m_strInstallDir, Wide(gbk / "Tovadoc"));
    EXPECT_TRUE(std::filesystem::is_directory(gbk / "Tovadoc"));
}

TEST_F(MainDlg, TheChooserOpensAtTheFieldsNearestExistingFolder) {
    CTestMainDlg& dlg = *m_pDlg;
    std::filesystem::create_directories(m_tmp / "Apps");
    const std::string strCwd = std::filesystem::current_path().string();
    struct Row {
        std::string strField;
        std::string strOpensAt;
    };
    const Row rows[] = {
        {(m_tmp / "Apps").string(), (m_tmp / "Apps").string()},
        {(m_tmp / "Apps" / "Tovadoc").string(), (m_tmp / "Apps").string()},
        {(m_tmp / "No" / "Such" / "Tovadoc").string(), m_tmp.path().string()},
        {(m_tmp / "Apps").string() + "//", (m_tmp / "Apps").string()},
        {"/no-such-top-folder/Tovadoc", "/"},
        {"no-such-relative/Tovadoc", strCwd},
    };
    for (const Row& row : rows) {
        std::wstring strOpenedAt = L"(not asked)";
        dlg.SetFolderPicker([&](const std::wstring&, std::wstring& strFolder) {
            strOpenedAt = strFolder;
            return false;
        });
        ASSERT_TRUE(TypeInto(dlg, L"edit_path", AnsiToWide(row.strField)));
        ASSERT_TRUE(ClickControl(dlg, L"btn_open"));
        EXPECT_EQ(strOpenedAt, AnsiToWide(row.strOpensAt)) << row.strField;
    }
}

TEST_F(MainDlg, EnterInTheFolderFieldPressesInstall) {
    CTestMainDlg& dlg = *m_pDlg;
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(m_tmp.path())));
    SWindow* pField = dlg.FindChildByName(L"edit_path");
    // Not while the agreement is unticked.
    ASSERT_TRUE(ClickControl(dlg, L"agree"));
    pField->SetFocus();
    dlg.OnBackendKeyDown(kHostKeyKpEnter, 0);
    EXPECT_EQ(CurSel(dlg), 0);
    ASSERT_TRUE(ClickControl(dlg, L"agree"));
    pField->SetFocus();
    dlg.OnBackendKeyDown(kHostKeyReturn, 0);
    EXPECT_EQ(CurSel(dlg), 1);
    EXPECT_EQ(dlg.GetInstallDir(), Wide(m_tmp / "Tovadoc"));
    EXPECT_TRUE(dlg.GetInstallMgr()->HasInstallThread());
}

TEST_F(MainDlg, LicenceLinkOpensTheLicenceOverTheWindow) {
    CMainDlg& dlg = *m_pDlg;
    bool bShown = false;
    bool bOwnerBlocked = false;
    SMessageLoop::PostTask([&] {
        CProtocolDlg* pLicence = CProtocolDlg::GetActive();
        bShown = pLicence && pLicence->IsWindowVisible();
        bOwnerBlocked = !dlg.GetBackend()->IsSensitive();
        if (pLicence) {
            ClickWindow(*pLicence, pLicence->FindChildByID(2));
        }
    });
    ASSERT_TRUE(ClickControl(dlg, L"link_license"));
    EXPECT_TRUE(bShown);
    EXPECT_TRUE(bOwnerBlocked);
    EXPECT_EQ(CProtocolDlg::GetActive(), nullptr);
    EXPECT_TRUE(dlg.GetBackend()->IsSensitive());
    EXPECT_TRUE(dlg.IsWindow());
}

TEST_F(MainDlg, CaptionButtons) {
    CMainDlg& dlg = *m_pDlg;
    ASSERT_TRUE(ClickControl(dlg, L"btn_min"));
    EXPECT_TRUE(dlg.GetOffscreen()->IsMinimized());
    EXPECT_EQ(g_bAppExit, 0);

    ASSERT_TRUE(ClickControl(dlg, L"btn_close"));
    EXPECT_EQ(g_bAppExit, 1);
    EXPECT_FALSE(dlg.IsWindow());
}

TEST_F(MainDlg, ClosingDuringTheInstallEndsAtOnce) {
    CTestMainDlg& dlg = *m_pDlg;
    std::filesystem::create_directory(m_tmp / "Tovadoc");
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", Wide(m_tmp / "Tovadoc")));
    ClickControl(dlg, L"btn_installer");
    ASSERT_TRUE(RunLoopUntil([&] { return dlg.Scripted().bReachedBlock.load(); }, 30000));
    // The system close command, as Alt+F4 sends it: no question.
    dlg.GetOffscreen()->RequestClose();
    EXPECT_EQ(g_bAppExit, 1);
    EXPECT_FALSE(dlg.IsWindow());
    EXPECT_FALSE(STimerManager::HasTimer(&dlg, CMainDlg::TIMER_PROGRESS));
    // The window's end takes the blocked worker with it.
    m_pDlg.reset();
}

}  // namespace
