#include "ui/UiText.h"

#include "toolkit/res/SApplication.h"

std::wstring Tr(const std::wstring& strKey, const wchar_t* pszCtx) {
    SOUI::SApplication* pApp = SOUI::SApplication::getSingletonPtr();
    return pApp ? pApp->Tr(strKey, pszCtx) : strKey;
}
