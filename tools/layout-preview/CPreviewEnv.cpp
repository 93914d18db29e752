#include "tools/layout-preview/CPreviewEnv.h"

#include <pugixml.hpp>

#include "app/ComponentLoader.h"
#include "platform/WriteLog.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/res/SResProviderModule.h"
#include "ui/resources/NamedIds.h"
#include "ui/resources/TovadocResources.h"

using namespace SOUI;

CPreviewEnv::CPreviewEnv() = default;

CPreviewEnv::~CPreviewEnv() {
    // Everything a module made goes before the modules.
    m_pApp.reset();
    if (m_pTrMgr) {
        m_pTrMgr->Release();
    }
    if (m_pDecoder) {
        m_pDecoder->Release();
    }
    if (m_pRender) {
        m_pRender->Release();
    }
    m_pLoader.reset();
}

bool CPreviewEnv::Init(PreviewLang lang, const std::wstring& strModuleDir) {
    m_pLoader = std::make_unique<ComponentLoader>(strModuleDir);
    m_pLoader->LoadRenderFactory(&m_pRender);
    m_pLoader->LoadImageDecoderFactory(&m_pDecoder);
    m_pLoader->LoadTranslatorManager(&m_pTrMgr);
    if (!m_pRender || !m_pDecoder || !m_pTrMgr) {
        WriteLogA("CPreviewEnv::Init component modules missing");
        return false;
    }
    m_pRender->SetImgDecoderFactory(m_pDecoder);
    m_pApp = std::make_unique<SApplication>(m_pRender, nullptr, L"SOUIHOST",
                                            new SObjectDefaultRegister());
    IResProvider* pSys = nullptr;
    if (m_pLoader->LoadSystemResource(&pSys)) {
        m_pApp->LoadSystemNamedResource(pSys);
        pSys->Release();
    } else {
        WriteLogA("CPreviewEnv::Init no system resources");
    }
    IObjRef* pObj = nullptr;
    CreateResProvider(RES_PE, &pObj);
    auto* pRes = static_cast<IResProvider*>(pObj);
    if (!pRes || !pRes->Init(reinterpret_cast<uintptr_t>(&TovadocResources()), 0)) {
        WriteLogA("CPreviewEnv::Init no resource provider");
        if (pRes) {
            pRes->Release();
        }
        return false;
    }
    bool bUidef = m_pApp->AddResProvider(pRes, L"uidef:xml_init");
    pRes->Release();
    if (!bUidef) {
        WriteLogA("CPreviewEnv::Init initial definitions not loaded");
        return false;
    }
    m_pApp->InitXmlNamedID(g_TovadocNamedIds, static_cast<int>(g_nTovadocNamedIds), true);
    return SetLanguage(lang);
}

bool CPreviewEnv::SetLanguage(PreviewLang lang) {
    if (lang == PreviewLang::None) {
        m_pApp->SetTranslator(nullptr);
        return true;
    }
    pugi::xml_document doc;
    if (!m_pApp->LoadXmlDocment(
            doc, lang == PreviewLang::Chinese ? L"translator:lang_cn" : L"translator:lang_en")) {
        return false;
    }
    ITranslatorMgr* pMgr = m_pTrMgr;
    ITranslator* pTr = nullptr;
    if (!pMgr->CreateTranslator(&pTr)) {
        return false;
    }
    pugi::xml_node xmlLang = doc.child("language");
    bool bOk = pTr->Load(&xmlLang, LD_XML) && pMgr->InstallTranslator(pTr);
    pTr->Release();
    m_pApp->SetTranslator(pMgr);
    return bOk;
}
