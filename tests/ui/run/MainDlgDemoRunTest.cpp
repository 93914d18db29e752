// The real main window and the real install manager, driven off-screen
// through whole runs against the demo server.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "../UiFixture.h"
#include "DemoServerProcess.h"
#include "install/CInstallMgr.h"
#include "platform/TextConvert.h"
#include "support/TempDir.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"

namespace fs = std::filesystem;
using namespace SOUI;

namespace {

// One registry hive for the whole program, set before any thread runs.
class CRegistryEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_pRoot = std::make_unique<testsupport::TempDir>();
        setenv("TOVADOC_REGISTRY_ROOT", m_pRoot->path().c_str(), 1);
    }
    void TearDown() override { m_pRoot.reset(); }

private:
    std::unique_ptr<testsupport::TempDir> m_pRoot;
};
const auto* g_pRegistryEnv = ::testing::AddGlobalTestEnvironment(new CRegistryEnvironment);

class MainDlgDemoRun : public UiFixture {
protected:
    void StartServer(const std::vector<std::string>& vecModes) {
        ASSERT_TRUE(m_server.Start(m_tmp.path(), vecModes)) << m_server.Log();
        fs::create_directories(m_installerDir);
        testsupport::WriteFile(
            m_installerDir / "Install.ini",
            "[Config]\nchannel=ui-test\nlanguage=1\nnet40_url=" +
                m_server.Url("/software/third_party/NETFramework4.0.exe") +
                "\nnet45_url=" + m_server.Url("/software/third_party/NETFramework4.5.exe") +
                "\ninstall_pack_url=" + m_server.Url("/software/install_pack/tvdoc2.0.exe") +
                "\ninstall_statistics_url=" + m_server.Url("/Soft/Sys/InstallationPackage") + "\n");
    }
    // Opens the real window for this installer folder and presses Install
    // with the install folder typed in.
    void Install(CMainDlg& dlg) {
        ASSERT_TRUE(dlg.Create(nullptr));
        dlg.SendMessage(WM_INITDIALOG);
        dlg.ShowWindow(SW_SHOWNORMAL);
        dlg.GetInstallMgr()->m_strExeDir = AnsiToWide(m_installerDir.string());
        fs::create_directories(m_programs);
        ASSERT_TRUE(TypeInto(dlg, L"edit_path", AnsiToWide(m_programs.string())));
        ASSERT_TRUE(ClickControl(dlg, L"btn_installer"));
    }
    static int CurSel(CMainDlg& dlg) {
        return dynamic_cast<STabCtrl*>(dlg.FindChildByName(L"tab_main"))->GetCurSel();
    }

    testsupport::TempDir m_tmp;
    fs::path m_installerDir = m_tmp / "installer";
    fs::path m_programs = m_tmp / "Program Files";
    workflowtest::CDemoServerProcess m_server;
};

TEST_F(MainDlgDemoRun, WholeInstallationReachesTheLastPage) {
    StartServer({});
    CMainDlg dlg;
    Install(dlg);
    ASSERT_TRUE(RunLoopUntil([&] { return CurSel(dlg) == 2; }, 120000))
        << "status: " << WideToAnsi(TextOf(dlg, L"txt_install_status")) << "\n"
        << m_server.Log();
    EXPECT_EQ(TextOf(dlg, L"txt_percent"), L"100%");
    EXPECT_EQ(TextOf(dlg, L"txt_install_status"), L"安装完成");
    const fs::path product = m_programs / "Tovadoc" / "Tovadoc.exe";
    EXPECT_TRUE(fs::exists(product));
    EXPECT_NE(testsupport::ReadFile(m_programs / "Tovadoc" / "user.ini").find("ui-test"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(m_installerDir / "TovadocSetup.exe"));

    // The start button runs what was installed.
    ASSERT_TRUE(ClickControl(dlg, L"btn_start"));
    EXPECT_FALSE(dlg.IsWindow());
    const fs::path log = m_programs / "Tovadoc" / "Tovadoc.log";
    EXPECT_TRUE(RunLoopUntil([&] { return fs::exists(log); }, 30000));
}

TEST_F(MainDlgDemoRun, MissingPackageLeavesTheFailureOnTheProgressPage) {
    StartServer({"--pack", "missing"});
    UiEnv().SetLanguage(PreviewLang::English);
    CMainDlg dlg;
    Install(dlg);
    ASSERT_TRUE(RunLoopUntil(
        [&] {
            return dlg.GetShownPercent() == 80 &&
                   TextOf(dlg, L"txt_install_status") ==
                       L"Download failed: file not found on the server (404)";
        },
        120000))
        << "status: " << WideToAnsi(TextOf(dlg, L"txt_install_status"));
    RunLoopFor(200);
    EXPECT_EQ(CurSel(dlg), 1);
    EXPECT_EQ(dlg.GetShownPercent(), 80);
    EXPECT_FALSE(fs::exists(m_programs / "Tovadoc" / "Tovadoc.exe"));
}

}  // namespace
