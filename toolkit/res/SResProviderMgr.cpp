#include "toolkit/res/SResProviderMgr.h"

#include <algorithm>

#include "toolkit/core/SLog.h"
#include "toolkit/res/SResID.h"

namespace SOUI {

SResProviderMgr::~SResProviderMgr() {
    for (IResProvider* p : m_lstProviders)
        p->Release();
}

bool SResProviderMgr::AddResProvider(IResProvider* pResProvider, const wchar_t* pszUidef) {
    if (!pResProvider) {
        SLog(L"%s: no provider", L"SResProviderMgr::AddResProvider");
        return false;
    }
    pResProvider->AddRef();
    m_lstProviders.push_back(pResProvider);
    if (!pszUidef || !*pszUidef)
        return true;

    SResID id = SResID::Parse(pszUidef);
    std::vector<char> buf;
    pugi::xml_document doc;
    if (!pResProvider->GetRawBuffer(id.strType, id.strName, buf)) {
        SLog(L"%s: initial definitions \"%s\" not found", L"SResProviderMgr::AddResProvider",
             pszUidef);
        return false;
    }
    if (!ParseXml(buf, doc, pszUidef))
        return false;
    pugi::xml_node xmlUidef = doc.child("UIDEF");
    if (!xmlUidef) {
        SLog(L"%s: \"%s\" has no UIDEF element", L"SResProviderMgr::AddResProvider", pszUidef);
        return false;
    }
    return LoadUIDef(pResProvider, xmlUidef);
}

bool SResProviderMgr::HasResource(const std::wstring& strType, const std::wstring& strName) const {
    for (auto it = m_lstProviders.rbegin(); it != m_lstProviders.rend(); ++it)
        if ((*it)->HasResource(strType, strName))
            return true;
    return false;
}

bool SResProviderMgr::GetRawBuffer(const std::wstring& strType, const std::wstring& strName,
                                   std::vector<char>& buf) const {
    for (auto it = m_lstProviders.rbegin(); it != m_lstProviders.rend(); ++it)
        if ((*it)->GetRawBuffer(strType, strName, buf))
            return true;
    return false;
}

bool SResProviderMgr::GetRawBuffer(const std::wstring& strRef, std::vector<char>& buf) const {
    SResID id = SResID::Parse(strRef);
    return GetRawBuffer(id.strType, id.strName, buf);
}

bool SResProviderMgr::ParseXml(const std::vector<char>& buf, pugi::xml_document& doc,
                               const std::wstring& strWhat) {
    // pugixml skips a UTF-8 byte-order mark itself.
    pugi::xml_parse_result res =
        doc.load_buffer(buf.data(), buf.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!res) {
        SLog(L"%s: \"%s\" is not well-formed XML (offset %d)", L"SResProviderMgr::ParseXml",
             strWhat.c_str(), int(res.offset));
        return false;
    }
    return true;
}

}  // namespace SOUI
