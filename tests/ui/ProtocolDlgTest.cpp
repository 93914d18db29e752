#include "UiFixture.h"
#include "platform/TextConvert.h"
#include "support/TempDir.h"
#include "toolkit/core/SMessageLoop.h"
#include "ui/CProtocolDlg.h"

using namespace SOUI;

namespace {

class ProtocolDlg : public UiFixture {
protected:
    // Shows the licence with this Install.ini (null: none) and returns the
    // licence's text and the dialog's result.
    std::wstring Show(const char* pszIni, int* pResult = nullptr) {
        const auto ini = m_tmp / "Install.ini";
        if (pszIni) {
            testsupport::WriteFile(ini, pszIni);
        }
        CProtocolDlg dlg(AnsiToWide(ini.string()));
        std::wstring strText;
        SMessageLoop::PostTask([&] {
            CProtocolDlg* pDlg = CProtocolDlg::GetActive();
            if (!pDlg) {
                return;
            }
            SWindow* pRich = pDlg->FindChildByName(L"richedit_rtf");
            strText = pRich ? pRich->GetWindowText() : L"";
            ClickWindow(*pDlg, pDlg->FindChildByID(2));
        });
        int nResult = dlg.DoModal(&m_wndMain);
        if (pResult) {
            *pResult = nResult;
        }
        return strText;
    }
    static bool IsEnglish(const std::wstring& strText) {
        return strText.find(L"Please read this agreement") != std::wstring::npos;
    }
    static bool HasChinese(const std::wstring& strText) {
        for (wchar_t ch : strText) {
            if (ch >= 0x4e00 && ch <= 0x9fff) {
                return true;
            }
        }
        return false;
    }

    testsupport::TempDir m_tmp;
    SHostWnd m_wndMain{L"LAYOUT:XML_MAINWND"};
};

TEST_F(ProtocolDlg, EnglishLicenceForLanguageTwo) {
    ASSERT_TRUE(m_wndMain.Create());
    int nResult = -5;
    std::wstring strText = Show("[Config]\nlanguage=2\n", &nResult);
    EXPECT_TRUE(IsEnglish(strText));
    EXPECT_FALSE(HasChinese(strText));
    // The close button carries the cancel ID.
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_EQ(CProtocolDlg::GetActive(), nullptr);
}

TEST_F(ProtocolDlg, ChineseLicenceOtherwise) {
    ASSERT_TRUE(m_wndMain.Create());
    for (const char* pszIni : {"[Config]\nlanguage=1\n", "[Config]\nlanguage=0\n",
                               "[Config]\nlanguage=3\n", "[Config]\nchannel=7\n", "garbage ]["}) {
        std::wstring strText = Show(pszIni);
        EXPECT_TRUE(HasChinese(strText)) << pszIni;
        EXPECT_FALSE(IsEnglish(strText)) << pszIni;
    }
    std::filesystem::remove(m_tmp / "Install.ini");
    EXPECT_TRUE(HasChinese(Show(nullptr)));
}

}  // namespace
