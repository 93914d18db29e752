// Translation tables (TRANSLATOR/LANG_CN, LANG_EN) read by the translator
// module.
#include <pugixml.hpp>

#include <map>

#include "fuzz/FuzzSupport.h"
#include "toolkit/modules/translator/STranslator.h"
#include "toolkit/render/SStrUtil.h"

using namespace SOUI;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    pugi::xml_document doc;
    if (!doc.load_buffer(pData, nSize)) {
        return 0;
    }
    pugi::xml_node xmlLang = doc.child("language");
    auto* pTr = new STranslator();
    if (pTr->Load(&xmlLang, LD_XML)) {
        // Every key of the table translates to its first entry's text.
        std::map<std::pair<std::wstring, std::wstring>, std::wstring> first;
        for (pugi::xml_node xmlCtx : xmlLang.children("context")) {
            std::wstring strCtx = Utf8ToWide(xmlCtx.attribute("name").value());
            for (pugi::xml_node xmlMsg : xmlCtx.children("message")) {
                if (pugi::xml_node xmlSrc = xmlMsg.child("source")) {
                    first.emplace(std::pair(strCtx, Utf8ToWide(xmlSrc.child_value())),
                                  Utf8ToWide(xmlMsg.child_value("translation")));
                }
            }
        }
        for (const auto& [key, strExpected] : first) {
            std::wstring strGot;
            FUZZ_CHECK(pTr->Tr(key.second, key.first, strGot) && strGot == strExpected);
        }
        std::wstring strGot;
        FUZZ_CHECK(!pTr->Tr(L"\x1no such key", L"\x1no such context", strGot));
    } else {
        FUZZ_CHECK(pTr->GetName().empty());
    }
    pTr->Release();
    return 0;
}
