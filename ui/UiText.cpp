#include "ui/UiText.h"

#include "toolkit/res/SApplication.h"

std::wstring Tr(const std::wstring& strKey, const wchar_t* pszCtx) {
    SOUI::SApplication* pApp = SOUI::SApplication::getSingletonPtr();
    return pApp ? pApp->Tr(strKey, pszCtx) : strKey;
}

std::wstring InstallStatusText(const std::wstring& strMessage, bool bFailed,
                               const std::wstring& strReason, int32_t nReasonValue) {
    std::wstring strText = Tr(strMessage, L"msg_tip");
    if (!bFailed || strReason.empty()) {
        return strText;
    }
    // A table is data: its text is never a format string.
    std::wstring strWhy = Tr(strReason, L"msg_tip");
    if (size_t nAt = strWhy.find(L"%d"); nAt != std::wstring::npos) {
        strWhy.replace(nAt, 2, std::to_wstring(nReasonValue));
    }
    std::wstring strSeparator = Tr(L"reason_separator", L"msg_tip");
    if (strSeparator == L"reason_separator") {
        strSeparator = L": ";
    }
    return strText + strSeparator + strWhy;
}
