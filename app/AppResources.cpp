#include "app/AppResources.h"

#include <pugixml.hpp>

#include "app/ComponentLoader.h"
#include "platform/WriteLog.h"
#include "ui/resources/TovadocResources.h"

using namespace SOUI;

IResProvider* CreateOwnResources() {
    IObjRef* pObj = nullptr;
    CreateResProvider(RES_PE, &pObj);
    auto* pRes = static_cast<IResProvider*>(pObj);
    if (pRes && pRes->Init(reinterpret_cast<uintptr_t>(&TovadocResources()), 0)) {
        return pRes;
    }
    WriteLog(L"%s the installer's resources cannot be opened", L"AppResources::CreateOwnResources");
    if (pRes) {
        pRes->Release();
    }
    return nullptr;
}

void InstallTranslation(ComponentLoader& loader, SApplication& app, uint32_t nLanguage,
                        ITranslatorMgr** ppTrMgr) {
    if (!loader.LoadTranslatorManager(ppTrMgr)) {
        WriteLog(L"%s no translator module; texts show their keys",
                 L"AppResources::InstallTranslation");
        return;
    }
    app.SetTranslator(*ppTrMgr);
    const wchar_t* pszTable = nLanguage == 1 ? L"lang_cn" : nLanguage == 2 ? L"lang_en" : nullptr;
    if (!pszTable) {
        WriteLog(L"%s language %u has no table; texts show their keys",
                 L"AppResources::InstallTranslation", nLanguage);
        return;
    }
    pugi::xml_document doc;
    if (!app.LoadXmlDocment(doc, pszTable, L"translator")) {
        return;
    }
    ITranslator* pTr = nullptr;
    if (!(*ppTrMgr)->CreateTranslator(&pTr)) {
        return;
    }
    pugi::xml_node xmlLang = doc.child("language");
    if (!pTr->Load(&xmlLang, LD_XML) || !(*ppTrMgr)->InstallTranslator(pTr)) {
        WriteLog(L"%s translation table [%s] not installed", L"AppResources::InstallTranslation",
                 pszTable);
    }
    pTr->Release();
}
