#pragma once
#include "toolkit/translator/ITranslator.h"

namespace SOUI {

// The translator module's root object: the installed tables.
struct ITranslatorMgr : public IObjRef {
    // A new empty table, one reference.
    virtual bool CreateTranslator(ITranslator** ppTranslator) = 0;
    // Keeps a reference; a table with the same GUID as an installed one
    // replaces it. False for null.
    virtual bool InstallTranslator(ITranslator* pTranslator) = 0;
    virtual bool UninstallTranslator(const std::wstring& strGuid) = 0;
    // The first installed table that has the key in the context gives the
    // text; otherwise the key itself comes back.
    virtual std::wstring Tr(const std::wstring& strSrc, const std::wstring& strCtx) const = 0;
};

}  // namespace SOUI
