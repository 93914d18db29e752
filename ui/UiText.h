#pragma once
#include <cstdint>
#include <string>

// A key of the translation tables in one of their contexts ("dlg_main",
// "install_tip", "msg_tip"), in the chosen language; a key without an entry,
// or no application yet, gives the key itself.
std::wstring Tr(const std::wstring& strKey, const wchar_t* pszCtx);

// The progress page's status line for one install stage: its "msg_tip" text,
// and for a failed stage the reason after it, with the number the reason
// names put in place of its "%d".
std::wstring InstallStatusText(const std::wstring& strMessage, bool bFailed,
                               const std::wstring& strReason, int32_t nReasonValue);
