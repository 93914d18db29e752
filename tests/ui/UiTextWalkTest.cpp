// Every text the installer shows, walked as a user meets it in each
// language: the pages, both dialogs, every stage the worker reports and
// every reason a stage can fail for.
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "install/EventInstallCallBack.h"
#include "install/FailureReason.h"
#include "platform/ProcessControl.h"
#include "platform/TextConvert.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/window/COffscreenBackend.h"
#include "ui/CMsgBoxDlg.h"
#include "ui/CProtocolDlg.h"
#include "ui/UiText.h"

using namespace SOUI;

namespace {

bool HasCjk(const std::wstring& str) {
    for (wchar_t ch : str) {
        if ((ch >= 0x3000 && ch <= 0x30ff) || (ch >= 0x3400 && ch <= 0x9fff) ||
            (ch >= 0xf900 && ch <= 0xfaff) || (ch >= 0xff00 && ch <= 0xffef)) {
            return true;
        }
    }
    return false;
}

// The keys of the tables that look like keys: one of them on screen means
// a text went untranslated.
const std::set<std::wstring>& RawKeys() {
    static const std::set<std::wstring> s_keys = [] {
        std::set<std::wstring> keys;
        pugi::xml_document doc;
        EXPECT_TRUE(UiEnv().GetApp()->LoadXmlDocment(doc, L"translator:lang_cn"));
        const std::regex key(R"(^[a-z0-9_]+$)");
        for (pugi::xml_node ctx : doc.child("language").children("context")) {
            for (pugi::xml_node m : ctx.children("message")) {
                std::string str = m.child_value("source");
                if (std::regex_match(str, key)) {
                    keys.insert(AnsiToWide(str));
                }
            }
        }
        return keys;
    }();
    return s_keys;
}

// What a user sees of a window now: its native title, and the text and
// tool tip of every control shown.
std::vector<std::wstring> VisibleTexts(SHostWnd& wnd) {
    std::vector<std::wstring> texts{wnd.GetOffscreen()->GetTitle()};
    std::function<void(SWindow*)> visit = [&](SWindow* p) {
        if (!p->IsVisible()) {
            return;
        }
        texts.push_back(p->GetWindowText());
        texts.push_back(p->GetToolTipText());
        texts.push_back(p->GetAccName());
        for (size_t i = 0; i < p->GetChildrenCount(); ++i) {
            visit(p->GetChild(i));
        }
    };
    visit(&wnd);
    return texts;
}

class UiText : public UiFixture, public ::testing::WithParamInterface<PreviewLang> {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        ASSERT_TRUE(UiEnv().SetLanguage(GetParam()));
    }
    bool English() const { return GetParam() == PreviewLang::English; }
    // Every visible text of wnd is in the language: no Chinese in English,
    // no raw key and no unfilled number in either.
    void ExpectInLanguage(SHostWnd& wnd, const std::string& strWhere) {
        for (const std::wstring& str : VisibleTexts(wnd)) {
            if (English()) {
                EXPECT_FALSE(HasCjk(str)) << strWhere << ": " << WideToAnsi(str);
            }
            EXPECT_FALSE(RawKeys().count(str)) << strWhere << ": raw key " << WideToAnsi(str);
            EXPECT_EQ(str.find(L"%d"), std::wstring::npos) << strWhere << ": " << WideToAnsi(str);
        }
    }
    void Fire(int nPercent, int nState, const std::wstring& strMessage,
              const InstallFailureReason& reason = {}) {
        auto* pEvt = new EventInstallCallBack(nullptr);
        pEvt->nPercent = nPercent;
        pEvt->nState = nState;
        pEvt->strMessage = strMessage;
        pEvt->strReason = reason.strKey;
        pEvt->nReasonValue = reason.nValue;
        m_pCenter->FireEventAsync(pEvt);
        ASSERT_TRUE(RunLoopUntil([&] { return m_pCenter->GetPendingCount() == 0; }, 30000));
    }
};

// Every reason a download can give: for a failed verification, or for any
// other failure; and every reason of an installer run.
std::vector<InstallFailureReason> TransferReasons(bool bVerification) {
    std::vector<InstallFailureReason> reasons;
    const std::vector<TransferFailure> kinds =
        bVerification
            ? std::vector<TransferFailure>{TransferFailure::HashMismatch, TransferFailure::BadPin}
            : std::vector<TransferFailure>{
                  TransferFailure::Unreachable,  TransferFailure::TimedOut,
                  TransferFailure::CutOff,       TransferFailure::HttpStatus,
                  TransferFailure::Certificate,  TransferFailure::DiskFull,
                  TransferFailure::LocalFile,    TransferFailure::BadPart,
                  TransferFailure::RangeRefused, TransferFailure::Other};
    for (TransferFailure eKind : kinds) {
        CurlResult result;
        result.eFailure = eKind;
        result.lResCode = eKind == TransferFailure::HttpStatus ? 503 : 7;
        reasons.push_back(ReasonForTransfer(result));
    }
    if (!bVerification) {
        CurlResult notFound;
        notFound.eFailure = TransferFailure::HttpStatus;
        notFound.lResCode = 404;
        reasons.push_back(ReasonForTransfer(notFound));
    }
    return reasons;
}

std::vector<InstallFailureReason> InstallerReasons() {
    return {ReasonForInstallerExit(3, 300000), ReasonForInstallerExit(255, 1800000),
            ReasonForInstallerExit(kRunTimedOut, 300000),
            ReasonForInstallerExit(kRunTimedOut, 1800000),
            ReasonForInstallerExit(kRunSpawnFailed, 300000)};
}

TEST_P(UiText, EveryPageDialogAndStageIsInTheChosenLanguage) {
    CTestMainDlg dlg;
    ASSERT_TRUE(dlg.Open());
    ExpectInLanguage(dlg, "page 0");

    // Both dialogs, looked at from inside their modal loops.
    SMessageLoop::PostTask([&] {
        CMsgBoxDlg* pBox = CMsgBoxDlg::GetActive();
        ASSERT_NE(pBox, nullptr);
        ExpectInLanguage(*pBox, "message box");
        pBox->EndDialog(CMsgBoxDlg::kResultClose);
    });
    ShowMsgBox(&dlg, Tr(L"dir_error", L"install_tip"));
    testsupport::TempDir iniDir;
    testsupport::WriteFile(iniDir / "Install.ini",
                           English() ? "[Config]\nlanguage=2\n" : "[Config]\nlanguage=1\n");
    SMessageLoop::PostTask([&] {
        CProtocolDlg* pLicence = CProtocolDlg::GetActive();
        ASSERT_NE(pLicence, nullptr);
        ExpectInLanguage(*pLicence, "licence");
        pLicence->EndDialog(IDCANCEL);
    });
    CProtocolDlg licence(AnsiToWide((iniDir / "Install.ini").string()));
    licence.DoModal(&dlg);

    // Page 1 with every stage, every failure with every reason, every slide.
    dlg.Scripted().strBlockIn = "EndProductProcesses";
    testsupport::TempDir programs;
    ASSERT_TRUE(TypeInto(dlg, L"edit_path", AnsiToWide(programs.path().string())));
    ASSERT_TRUE(ClickControl(dlg, L"btn_installer"));
    ASSERT_TRUE(RunLoopUntil([&] { return dlg.Scripted().bReachedBlock.load(); }, 30000));
    for (const wchar_t* pszStage : {L"检测环境...", L"net_check", L"down_net", L"正在下载net包...",
                                    L"instll_net", L"instll_net_succeed", L"正在下载安装包...",
                                    L"down_pack", L"install_pack_ing", L"install_pack_succeed"}) {
        Fire(10, 0, pszStage);
        ExpectInLanguage(dlg, WideToAnsi(pszStage));
    }
    auto* pStatus = dlg.FindChildByName(L"txt_install_status");
    ASSERT_NE(pStatus, nullptr);
    struct Failure {
        const wchar_t* pszMessage;
        std::vector<InstallFailureReason> reasons;
        bool bFinal;  // the last thing the page shows: it must read whole
    };
    const Failure failures[] = {{L"down_net_error", TransferReasons(false), false},
                                {L"down_net_hash_error", TransferReasons(true), false},
                                {L"instll_net_error", InstallerReasons(), false},
                                {L"down_pack_error", TransferReasons(false), true},
                                {L"down_pack_hash_error", TransferReasons(true), true},
                                {L"install_pack_error", InstallerReasons(), true}};
    for (const Failure& failure : failures) {
        for (const InstallFailureReason& reason : failure.reasons) {
            Fire(40, -1, failure.pszMessage, reason);
            std::string strWhere = WideToAnsi(failure.pszMessage) + " " + WideToAnsi(reason.strKey);
            ExpectInLanguage(dlg, strWhere);
            std::wstring strStatus = pStatus->GetWindowText();
            // The failure, then why: the reason's own words with its number.
            EXPECT_EQ(strStatus.rfind(Tr(failure.pszMessage, L"msg_tip"), 0), 0u) << strWhere;
            EXPECT_GT(strStatus.size(), Tr(failure.pszMessage, L"msg_tip").size() + 2) << strWhere;
            if (reason.nValue) {
                EXPECT_NE(strStatus.find(std::to_wstring(reason.nValue)), std::wstring::npos)
                    << strWhere;
            }
            if (failure.bFinal) {
                EXPECT_FALSE(pStatus->GetTextFit().bElided) << strWhere << " is cut";
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        dlg.SendMessage(WM_TIMER, CMainDlg::TIMER_CAROUSEL);
        ExpectInLanguage(dlg, "slide " + std::to_string(dlg.GetSlide()));
    }

    // Page 2.
    Fire(100, 0, L"install_pack_succeed");
    ASSERT_TRUE(RunLoopUntil(
        [&] { return dynamic_cast<STabCtrl*>(dlg.FindChildByName(L"tab_main"))->GetCurSel() == 2; },
        30000));
    ExpectInLanguage(dlg, "page 2");
}

INSTANTIATE_TEST_SUITE_P(Languages, UiText,
                         ::testing::Values(PreviewLang::Chinese, PreviewLang::English),
                         [](const auto& info) {
                             return info.param == PreviewLang::English ? "English" : "Chinese";
                         });

TEST(InstallStatusText, FailureReasonFollowsWithItsNumber) {
    ASSERT_NE(UiEnv().GetApp(), nullptr);
    struct Case {
        PreviewLang lang;
        const wchar_t* pszMessage;
        int nState;
        const wchar_t* pszReason;
        int nValue;
        const wchar_t* pszShown;
    };
    const Case cases[] = {
        {PreviewLang::English, L"down_pack_error", -1, L"reason_not_found", 404,
         L"Download failed: file not found on the server (404)"},
        {PreviewLang::English, L"install_pack_error", -1, L"reason_exit_code", 3,
         L"Install failure: the package ended with code 3"},
        {PreviewLang::English, L"install_pack_error", -1, L"reason_install_timed_out", 5,
         L"Install failure: not finished within 5 minutes"},
        {PreviewLang::Chinese, L"down_pack_error", -1, L"reason_disk_full", 0,
         L"下载安装包失败：磁盘已满，请清理空间"},
        {PreviewLang::Chinese, L"install_pack_error", -1, L"reason_exit_code", -7,
         L"安装失败：安装包返回错误码 -7"},
        // A stage that did not fail shows no reason, whatever the event carries.
        {PreviewLang::English, L"install_pack_ing", 0, L"reason_exit_code", 3,
         L"Being installed..."},
        {PreviewLang::English, L"down_pack_error", -1, L"", 0, L"Download failed"},
        // Without a table the keys show, joined plainly.
        {PreviewLang::None, L"down_pack_error", -1, L"reason_cut_off", 0,
         L"down_pack_error: reason_cut_off"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(UiEnv().SetLanguage(c.lang));
        EXPECT_EQ(InstallStatusText(c.pszMessage, c.nState < 0, c.pszReason, c.nValue), c.pszShown);
    }
    UiEnv().SetLanguage(PreviewLang::Chinese);
}

}  // namespace
