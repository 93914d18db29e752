#include "STranslator.h"

#include <pugixml.hpp>

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

bool STranslator::Load(void* pData, unsigned uType) {
    m_strName.clear();
    m_strGuid.clear();
    m_mapContexts.clear();
    if (uType != LD_XML || !pData) {
        SLog(L"%s: unsupported load mode %u", L"STranslator::Load", uType);
        return false;
    }
    pugi::xml_node xmlLang = *static_cast<pugi::xml_node*>(pData);
    if (std::string_view(xmlLang.name()) != "language") {
        SLog(L"%s: expected a language element, got \"%s\"", L"STranslator::Load",
             Utf8ToWide(xmlLang.name()).c_str());
        return false;
    }
    m_strName = Utf8ToWide(xmlLang.attribute("name").value());
    m_strGuid = ToLowerAscii(Utf8ToWide(xmlLang.attribute("guid").value()));
    for (pugi::xml_node xmlCtx : xmlLang.children("context")) {
        auto& messages = m_mapContexts[Utf8ToWide(xmlCtx.attribute("name").value())];
        for (pugi::xml_node xmlMsg : xmlCtx.children("message")) {
            pugi::xml_node xmlSrc = xmlMsg.child("source");
            if (!xmlSrc)
                continue;
            // The first entry of a key wins, as a reader of the table would expect.
            messages.emplace(Utf8ToWide(xmlSrc.child_value()),
                             Utf8ToWide(xmlMsg.child_value("translation")));
        }
    }
    return true;
}

bool STranslator::Tr(const std::wstring& strSrc, const std::wstring& strCtx,
                     std::wstring& strRet) const {
    auto itCtx = m_mapContexts.find(strCtx);
    if (itCtx == m_mapContexts.end())
        return false;
    auto itMsg = itCtx->second.find(strSrc);
    if (itMsg == itCtx->second.end())
        return false;
    strRet = itMsg->second;
    return true;
}

}  // namespace SOUI
