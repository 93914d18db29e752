#pragma once
#include <string>

// A key of the translation tables in one of their contexts ("dlg_main",
// "install_tip", "msg_tip"), in the chosen language; a key without an entry,
// or no application yet, gives the key itself.
std::wstring Tr(const std::wstring& strKey, const wchar_t* pszCtx);
