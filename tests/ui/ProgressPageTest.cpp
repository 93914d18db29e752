#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "UiFixture.h"
#include "install/EventInstallCallBack.h"
#include "platform/AppExit.h"
#include "platform/TextConvert.h"
#include "support/TempDir.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/core/STimerManager.h"
#include "toolkit/res/SApplication.h"

using namespace SOUI;

namespace {

std::wstring Wide(const std::filesystem::path& path) {
    return AnsiToWide(path.string());
}

class ProgressPage : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        m_pDlg = std::make_unique<CTestMainDlg>();
        ASSERT_TRUE(m_pDlg->Open());
    }
    void TearDown() override {
        m_pDlg.reset();
        UiFixture::TearDown();
    }
    // Presses Install with a folder of the temporary tree.
    void StartInstall(const std::string& strFolder = "Program Files") {
        std::filesystem::create_directories(m_tmp / strFolder);
        ASSERT_TRUE(TypeInto(*m_pDlg, L"edit_path", Wide(m_tmp / strFolder)));
        ASSERT_TRUE(ClickControl(*m_pDlg, L"btn_installer"));
        ASSERT_EQ(CurSel(), 1);
    }
    int CurSel() {
        return dynamic_cast<STabCtrl*>(m_pDlg->FindChildByName(L"tab_main"))->GetCurSel();
    }
    int BarValue() {
        return dynamic_cast<SProgress*>(m_pDlg->FindChildByName(L"pro_install"))->GetValue();
    }
    std::wstring Status() { return TextOf(*m_pDlg, L"txt_install_status"); }
    void Fire(int nPercent, int nState, const wchar_t* pszMessage) {
        auto* pEvt = new EventInstallCallBack(nullptr);
        pEvt->nPercent = nPercent;
        pEvt->nState = nState;
        pEvt->strMessage = pszMessage;
        m_pCenter->FireEventAsync(pEvt);
    }
    // Runs the loop until the worker has ended and every event is shown.
    bool DrainRun() {
        return RunLoopUntil(
            [&] {
                return !m_pDlg->Scripted().Steps().empty() && m_pCenter->GetPendingCount() == 0 &&
                       m_pDlg->GetShownPercent() >= m_pDlg->GetTargetPercent();
            },
            30000);
    }

    std::unique_ptr<CTestMainDlg> m_pDlg;
    testsupport::TempDir m_tmp;
};

TEST_F(ProgressPage, SuccessfulRunCountsUpToTheLastPage) {
    m_pDlg->Scripted().bNetPresent = true;
    StartInstall();
    std::vector<int> vecShown;
    bool bPageBeforeFull = false;
    bool bFullInView = false;
    ASSERT_TRUE(RunLoopUntil(
        [&] {
            int nShown = m_pDlg->GetShownPercent();
            if (vecShown.empty() || vecShown.back() != nShown) {
                vecShown.push_back(nShown);
            }
            bPageBeforeFull = bPageBeforeFull || (CurSel() == 2 && nShown < 100);
            bFullInView = bFullInView || (CurSel() == 1 && nShown == 100);
            return CurSel() == 2;
        },
        30000));
    EXPECT_FALSE(bPageBeforeFull);
    EXPECT_TRUE(bFullInView) << "the full bar stays in view a moment";
    EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_FINISHED));
    for (size_t i = 1; i < vecShown.size(); ++i) {
        EXPECT_GT(vecShown[i], vecShown[i - 1]) << "the bar never goes back";
    }
    EXPECT_EQ(m_pDlg->GetShownPercent(), 100);
    EXPECT_EQ(BarValue(), 100);
    EXPECT_EQ(TextOf(*m_pDlg, L"txt_percent"), L"100%");
    EXPECT_EQ(Status(), L"安装完成");
    EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_PROGRESS));
    EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_CAROUSEL));
    EXPECT_EQ(m_pDlg->Scripted().Steps(),
              (std::vector<std::string>{"EndProductProcesses", "CheckNetFile", "DownInstallFile",
                                        "InstallFile", "AfterInstall"}));
}

TEST_F(ProgressPage, PackageDownloadFailureStaysOnTheProgressPage) {
    m_pDlg->Scripted().bNetPresent = true;
    m_pDlg->Scripted().bPackDownOk = false;
    StartInstall();
    ASSERT_TRUE(DrainRun());
    EXPECT_EQ(m_pDlg->GetShownPercent(), 80);
    EXPECT_EQ(TextOf(*m_pDlg, L"txt_percent"), L"80%");
    EXPECT_EQ(BarValue(), 80);
    EXPECT_EQ(Status(), L"下载安装包失败");
    // No way forward; the carousel keeps turning.
    RunLoopFor(100);
    EXPECT_EQ(CurSel(), 1);
    EXPECT_TRUE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_CAROUSEL));
    // Nothing left to climb to: the step timer sleeps instead of waking the process.
    EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_PROGRESS));
}

TEST_F(ProgressPage, StepTimerSleepsAtTheTargetAndWakesOnTheNextEvent) {
    m_pDlg->Scripted().strBlockIn = "EndProductProcesses";
    StartInstall();
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->Scripted().bReachedBlock.load(); }, 30000));
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetShownPercent() == 5; }, 30000));
    RunLoopFor(50);
    EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_PROGRESS));
    for (int nTarget : {30, 31, 60}) {
        int nBefore = m_pDlg->GetShownPercent();
        Fire(nTarget, 0, L"down_pack");
        ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetTargetPercent() == nTarget; }, 30000));
        // Woken, not jumped: the bar still climbs one step per tick from where it stood.
        EXPECT_TRUE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_PROGRESS));
        EXPECT_LE(m_pDlg->GetShownPercent(), nBefore + 1);
        ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetShownPercent() == nTarget; }, 30000));
        RunLoopFor(30);
        EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_PROGRESS));
        EXPECT_EQ(TextOf(*m_pDlg, L"txt_percent"), std::to_wstring(nTarget) + L"%");
    }
    // A lower target wakes nothing.
    Fire(40, -1, L"down_net_error");
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetTargetPercent() == 40; }, 30000));
    EXPECT_FALSE(STimerManager::HasTimer(m_pDlg.get(), CMainDlg::TIMER_PROGRESS));
    EXPECT_EQ(m_pDlg->GetShownPercent(), 60);
}

TEST_F(ProgressPage, EnglishStatusTextsIncludingTheWorkersStageTexts) {
    UiEnv().SetLanguage(PreviewLang::English);
    m_pDlg->Scripted().bNetPresent = true;
    m_pDlg->Scripted().bPackInstallOk = false;
    m_pDlg->Scripted().strBlockIn = "DownInstallFile";
    StartInstall();
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->Scripted().bReachedBlock.load(); }, 30000));
    ASSERT_TRUE(RunLoopUntil([&] { return m_pCenter->GetPendingCount() == 0; }, 30000));
    // The worker's own stage texts are keys with English entries too.
    EXPECT_EQ(Status(), L"Downloading the installation package...");
    Fire(80, -1, L"install_pack_error");
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetShownPercent() == 80; }, 30000));
    EXPECT_EQ(Status(), L"Install failure");
    EXPECT_EQ(CurSel(), 1);
}

TEST_F(ProgressPage, UntranslatedStatusShowsTheKey) {
    UiEnv().SetLanguage(PreviewLang::None);
    m_pDlg->Scripted().bNetDownOk = false;
    m_pDlg->Scripted().strBlockIn = "DownInstallFile";
    StartInstall();
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->Scripted().bReachedBlock.load(); }, 30000));
    Fire(45, 0, L"net_check");
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetShownPercent() == 45; }, 30000));
    EXPECT_EQ(Status(), L"net_check");
    m_pDlg->SendMessage(WM_TIMER, CMainDlg::TIMER_CAROUSEL);
    EXPECT_EQ(TextOf(*m_pDlg, L"txt_gif"), L"24hours_online");
}

TEST_F(ProgressPage, LowerTargetNeverTakesTheBarBack) {
    m_pDlg->Scripted().strBlockIn = "EndProductProcesses";
    StartInstall();
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->Scripted().bReachedBlock.load(); }, 30000));
    Fire(60, 0, L"down_pack");
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetShownPercent() == 60; }, 30000));
    // The .NET failure arrives late with a lower percentage: only its text shows.
    Fire(40, -1, L"down_net_error");
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetTargetPercent() == 40; }, 30000));
    RunLoopFor(50);
    EXPECT_EQ(m_pDlg->GetShownPercent(), 60);
    EXPECT_EQ(BarValue(), 60);
    EXPECT_EQ(Status(), L"下载 Net Framework 组件失败");
    EXPECT_EQ(CurSel(), 1);
}

TEST_F(ProgressPage, CarouselTurnsThroughThreeSlides) {
    m_pDlg->Scripted().strBlockIn = "EndProductProcesses";
    StartInstall();
    SWindow* pImg = m_pDlg->FindChildByName(L"img_gif");
    const wchar_t* const kCaptions[] = {L"高质量的PDF转WORD", L"7 x 12小时在线客服",
                                        L"专业团队，精心研发"};
    // The real timer makes the first turn.
    ASSERT_TRUE(RunLoopUntil([&] { return m_pDlg->GetSlide() == 2; }, 30000));
    EXPECT_EQ(pImg->GetAttribute(L"skin"), L"skin.2");
    EXPECT_EQ(TextOf(*m_pDlg, L"txt_gif"), kCaptions[1]);
    for (int nSlide : {3, 1, 2}) {
        m_pDlg->SendMessage(WM_TIMER, CMainDlg::TIMER_CAROUSEL);
        EXPECT_EQ(m_pDlg->GetSlide(), nSlide);
        EXPECT_EQ(pImg->GetAttribute(L"skin"), L"skin." + std::to_wstring(nSlide));
        EXPECT_EQ(pImg->GetSkin(), UiEnv().GetApp()->GetSkin(L"skin." + std::to_wstring(nSlide)));
        EXPECT_EQ(TextOf(*m_pDlg, L"txt_gif"), kCaptions[nSlide - 1]);
    }
}

TEST_F(ProgressPage, StartButtonStartsTheProductAndEnds) {
    m_pDlg->Scripted().bNetPresent = true;
    // A folder with a blank and quotes, and in it the "installed" product.
    StartInstall("My \"Programs\"");
    const auto product = m_tmp / "My \"Programs\"" / "Tovadoc" / "Tovadoc.exe";
    testsupport::WriteFile(product, "#!/bin/sh\necho \"$#\" > \"$(dirname \"$0\")/started.txt\"\n");
    chmod(product.c_str(), 0755);
    ASSERT_TRUE(RunLoopUntil([&] { return CurSel() == 2; }, 30000));

    ASSERT_TRUE(ClickControl(*m_pDlg, L"btn_start"));
    EXPECT_EQ(g_bAppExit, 1);
    EXPECT_FALSE(m_pDlg->IsWindow());
    const auto started = product.parent_path() / "started.txt";
    ASSERT_TRUE(RunLoopUntil(
        [&] { return std::filesystem::exists(started) && testsupport::ReadFile(started) == "0\n"; },
        30000))
        << "the product was not started as one program without arguments";
}

}  // namespace
