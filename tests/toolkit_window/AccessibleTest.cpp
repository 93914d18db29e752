// What a host window tells assistive technology about its controls, for the
// installer's layouts in both languages, and what it does when asked.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ToolkitTestEnv.h"
#include "platform/TextConvert.h"
#include "toolkit/control/SCheckBox.h"
#include "toolkit/control/SProgress.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/EventCmd.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SHostWnd.h"

using namespace SOUI;

namespace {

bool HasCjk(const std::wstring& str) {
    for (wchar_t ch : str) {
        if ((ch >= 0x3000 && ch <= 0x30ff) || (ch >= 0x3400 && ch <= 0x9fff) ||
            (ch >= 0xff00 && ch <= 0xffef)) {
            return true;
        }
    }
    return false;
}

const HostAccNode* Find(const std::vector<HostAccNode>& nodes, HostAccRole eRole,
                        const std::wstring& strName) {
    for (const HostAccNode& node : nodes) {
        if (node.eRole == eRole && node.strName == strName) {
            return &node;
        }
    }
    return nullptr;
}

class CCommandWnd : public SHostWnd {
public:
    using SHostWnd::SHostWnd;
    bool _HandleEvent(EventArgs* pEvt) override {
        if (pEvt->GetID() == EVT_CMD) {
            m_commands.push_back(pEvt->nameFrom);
        }
        return true;
    }
    std::vector<std::wstring> m_commands;
};

TEST(HostAccessible, EveryControlHasItsRoleAndATranslatedName) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    struct Expect {
        HostAccRole eRole;
        const wchar_t* pszChinese;
        const wchar_t* pszEnglish;
    };
    struct Layout {
        const wchar_t* pszName;
        std::vector<Expect> expects;
    };
    const Layout layouts[] = {
        {L"LAYOUT:XML_MAINWND",
         {{HostAccRole::PushButton, L"最小化", L"Minimize"},
          {HostAccRole::PushButton, L"关闭", L"Close"},
          {HostAccRole::Label, L"Tovadoc转WORD", L"Tovadoc to WORD converter"},
          {HostAccRole::PushButton, L"安装", L"Install"},
          {HostAccRole::Entry, L"安装位置", L"Install folder"},
          {HostAccRole::PushButton, L"选择安装位置", L"Choose the install folder"},
          {HostAccRole::CheckBox, L"已经阅读并", L"Have read and"},
          {HostAccRole::Link, L"同意许可", L"Consent to permit"},
          {HostAccRole::PushButton, L"高质量的PDF转WORD", L"High quality PDF to WORD"},
          {HostAccRole::ProgressBar, L"安装进度", L"Installation progress"},
          {HostAccRole::PushButton, L"立即体验", L"Start experience"}}},
        {L"LAYOUT:XML_MSGBOX_DLG",
         {{HostAccRole::Label, L"提示", L"Notice"},
          {HostAccRole::PushButton, L"关闭", L"Close"},
          {HostAccRole::PushButton, L"确定", L"OK"},
          {HostAccRole::PushButton, L"取消", L"Cancel"}}},
        {L"LAYOUT:XML_PROTOCOLDLG_WND",
         {{HostAccRole::PushButton, L"关闭", L"Close"},
          {HostAccRole::Label, L"用户协议", L"User protocol"},
          {HostAccRole::Document, L"", L""}}},
    };
    for (PreviewLang lang : {PreviewLang::Chinese, PreviewLang::English}) {
        ASSERT_TRUE(ToolkitEnv().SetLanguage(lang));
        const bool bEnglish = lang == PreviewLang::English;
        for (const Layout& layout : layouts) {
            SHostWnd wnd(layout.pszName);
            ASSERT_TRUE(wnd.Create());
            // Each page of the main window in turn: only what shows is there.
            std::vector<HostAccNode> nodes;
            auto look = [&] {
                std::set<uintptr_t> ids;
                for (const HostAccNode& node : wnd.GetAccessibleNodes()) {
                    EXPECT_TRUE(ids.insert(node.nId).second)
                        << WideToAnsi(layout.pszName) << " " << WideToAnsi(node.strName)
                        << ": id twice";
                    nodes.push_back(node);
                }
            };
            look();
            if (auto* pTab = dynamic_cast<STabCtrl*>(wnd.FindChildByName(L"tab_main"))) {
                for (int nPage = 1; nPage < static_cast<int>(pTab->GetPageCount()); ++nPage) {
                    pTab->SetCurSel(nPage);
                    look();
                }
            }
            for (const Expect& e : layout.expects) {
                const wchar_t* pszName = bEnglish ? e.pszEnglish : e.pszChinese;
                EXPECT_NE(Find(nodes, e.eRole, pszName), nullptr)
                    << WideToAnsi(layout.pszName) << " lacks " << WideToAnsi(pszName);
            }
            for (const HostAccNode& node : nodes) {
                const std::string strWhere = WideToAnsi(layout.pszName) + " " +
                                             WideToAnsi(node.strName) + " #" +
                                             std::to_string(static_cast<int>(node.eRole));
                EXPECT_NE(node.eRole, HostAccRole::Ignored) << strWhere;
                EXPECT_TRUE(node.nStates & kAccVisible) << strWhere << ": hidden yet listed";
                // Whatever a user can press or type into is named.
                bool bActs = node.eRole == HostAccRole::PushButton ||
                             node.eRole == HostAccRole::CheckBox ||
                             node.eRole == HostAccRole::Link || node.eRole == HostAccRole::Entry;
                if (bActs) {
                    EXPECT_FALSE(node.strName.empty()) << strWhere << ": no name";
                    EXPECT_TRUE(node.nStates & kAccFocusable) << strWhere;
                }
                // Pictures are captioned (the decorative ones are not listed).
                if (node.eRole == HostAccRole::Image || node.eRole == HostAccRole::ProgressBar) {
                    EXPECT_FALSE(node.strName.empty()) << strWhere << ": no name";
                }
                // Literal layout texts the installer hides (the shortcut
                // boxes) or replaces (the message box's sample text).
                bool bLiteral = node.strName == L"添加桌面快捷方式" ||
                                node.strName == L"快速启动栏" || node.strName == L"文本";
                if (bEnglish && !bLiteral) {
                    EXPECT_FALSE(HasCjk(node.strName)) << strWhere;
                    EXPECT_FALSE(HasCjk(node.strDescription)) << strWhere;
                }
                EXPECT_FALSE(node.rc.IsEmpty()) << strWhere;
            }
        }
    }
    ToolkitEnv().SetLanguage(PreviewLang::Chinese);
}

TEST(HostAccessible, StatesValuesAndActionsFollowTheControls) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    CCommandWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(wnd.Create());
    wnd.ShowWindow(SW_SHOW);
    auto node = [&](const wchar_t* pszControl) {
        SWindow* pWnd = wnd.FindChildByName(pszControl);
        for (const HostAccNode& n : wnd.GetAccessibleNodes()) {
            if (pWnd && n.nId == pWnd->GetAccId()) {
                return n;
            }
        }
        ADD_FAILURE() << "no node for " << WideToAnsi(pszControl);
        return HostAccNode();
    };
    auto* pAgree = wnd.FindChildByName2<SCheckBox>(L"agree");
    ASSERT_NE(pAgree, nullptr);
    pAgree->SetCheck(true);
    EXPECT_EQ(node(L"agree").nStates & (kAccCheckable | kAccChecked | kAccEnabled | kAccVisible),
              kAccCheckable | kAccChecked | kAccEnabled | kAccVisible);
    EXPECT_EQ(node(L"agree").rc.left, pAgree->GetWindowRect().left);

    // The default action is a click: the box toggles and says so.
    EXPECT_TRUE(wnd.OnBackendAccessibleAction(pAgree->GetAccId()));
    EXPECT_FALSE(pAgree->IsChecked());
    EXPECT_FALSE(node(L"agree").nStates & kAccChecked);
    ASSERT_EQ(wnd.m_commands, std::vector<std::wstring>{L"agree"});
    SWindow* pInstall = wnd.FindChildByName(L"btn_installer");
    EXPECT_TRUE(wnd.OnBackendAccessibleAction(pInstall->GetAccId()));
    EXPECT_EQ(wnd.m_commands.back(), L"btn_installer");
    pInstall->EnableWindow(false);
    EXPECT_FALSE(node(L"btn_installer").nStates & kAccEnabled);
    EXPECT_FALSE(wnd.OnBackendAccessibleAction(pInstall->GetAccId())) << "disabled";
    pInstall->EnableWindow(true);

    // Focus asked for by assistive technology is keyboard focus, ringed.
    EXPECT_TRUE(wnd.OnBackendAccessibleFocus(pInstall->GetAccId()));
    EXPECT_EQ(wnd.GetFocus(), pInstall);
    EXPECT_EQ(wnd.GetFocusRingWindow(), pInstall);
    EXPECT_TRUE(node(L"btn_installer").nStates & kAccFocused);
    EXPECT_FALSE(wnd.OnBackendAccessibleFocus(wnd.FindChildByName(L"txt_percent")->GetAccId()))
        << "a label takes no focus";
    EXPECT_FALSE(wnd.OnBackendAccessibleAction(12345678)) << "no such control";

    // The bar's value and range; a hidden page is not in the tree at all.
    auto listed = [&](const wchar_t* pszControl) {
        SWindow* pWnd = wnd.FindChildByName(pszControl);
        for (const HostAccNode& n : wnd.GetAccessibleNodes()) {
            if (pWnd && n.nId == pWnd->GetAccId()) {
                return true;
            }
        }
        return false;
    };
    auto* pBar = wnd.FindChildByName2<SProgress>(L"pro_install");
    pBar->SetValue(37);
    EXPECT_FALSE(listed(L"pro_install"));
    wnd.FindChildByName(L"check_shortcut")->SetVisible(false);
    EXPECT_FALSE(listed(L"check_shortcut")) << "a hidden control";
    auto* pTab = wnd.FindChildByName2<STabCtrl>(L"tab_main");
    pTab->SetCurSel(1);
    HostAccNode bar = node(L"pro_install");
    EXPECT_EQ(bar.dValue, 37);
    EXPECT_EQ(bar.dMin, 0);
    EXPECT_EQ(bar.dMax, 100);
    EXPECT_TRUE(bar.nStates & kAccVisible);
    // Named after the running stage, once there is one.
    wnd.FindChildByName(L"txt_install_status")->SetWindowText(L"正在下载安装包...");
    EXPECT_EQ(node(L"pro_install").strName, L"正在下载安装包...");
    EXPECT_FALSE(listed(L"btn_installer"));
    // The carousel's picture pages on a press: the keyboard lands on it.
    EXPECT_EQ(wnd.GetFocus(), wnd.FindChildByName(L"img_gif"));
    // A label's text is its name and what it holds.
    HostAccNode label = node(L"txt_percent");
    EXPECT_EQ(label.eRole, HostAccRole::Label);
    EXPECT_EQ(label.strText, label.strName);
    // The last page takes the keyboard to its button.
    pTab->SetCurSel(2);
    EXPECT_EQ(wnd.GetFocus(), wnd.FindChildByName(L"btn_start"));
    EXPECT_TRUE(node(L"btn_start").nStates & kAccFocused);
}

TEST(HostAccessible, TheDefaultButtonAndTheDocumentAreMarked) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    SHostWnd box(L"LAYOUT:XML_MSGBOX_DLG");
    ASSERT_TRUE(box.Create());
    unsigned nDefaults = 0;
    for (const HostAccNode& n : box.GetAccessibleNodes()) {
        if (n.nStates & kAccDefault) {
            ++nDefaults;
            EXPECT_EQ(n.nId, box.FindChildByName(L"btn_confirm")->GetAccId());
        }
    }
    EXPECT_EQ(nDefaults, 1u);
    SHostWnd licence(L"LAYOUT:XML_PROTOCOLDLG_WND");
    ASSERT_TRUE(licence.Create());
    const std::vector<HostAccNode> nodes = licence.GetAccessibleNodes();
    const HostAccNode* pDoc = Find(nodes, HostAccRole::Document, L"");
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->nStates & (kAccReadOnly | kAccMultiLine | kAccFocusable),
              kAccReadOnly | kAccMultiLine | kAccFocusable);
    EXPECT_GT(pDoc->strText.size(), 600u) << "the whole licence is readable";
}

}  // namespace
