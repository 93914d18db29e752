#pragma once
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "toolkit/res/IResProvider.h"

namespace SOUI {

// The providers in use; the one added last is asked first.
class SResProviderMgr {
public:
    SResProviderMgr() = default;
    SResProviderMgr(const SResProviderMgr&) = delete;
    SResProviderMgr& operator=(const SResProviderMgr&) = delete;
    virtual ~SResProviderMgr();

    // Keeps a reference. With pszUidef (e.g. L"uidef:xml_init") the
    // provider's initial definitions are loaded: default font, string,
    // colour and skin tables, styles. Returns false if the definitions were
    // named but could not be loaded (the provider stays added).
    bool AddResProvider(IResProvider* pResProvider, const wchar_t* pszUidef = L"uidef:xml_init");

    bool HasResource(const std::wstring& strType, const std::wstring& strName) const;
    bool GetRawBuffer(const std::wstring& strType, const std::wstring& strName,
                      std::vector<char>& buf) const;
    // "TYPE:name" form.
    bool GetRawBuffer(const std::wstring& strRef, std::vector<char>& buf) const;

protected:
    // Called by AddResProvider for the named UIDEF document.
    virtual bool LoadUIDef(IResProvider* pResProvider, pugi::xml_node xmlUidef) = 0;
    static bool ParseXml(const std::vector<char>& buf, pugi::xml_document& doc,
                         const std::wstring& strWhat);

    std::vector<IResProvider*> m_lstProviders;
};

}  // namespace SOUI
