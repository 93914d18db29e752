#include "STranslatorMgr.h"

#include "STranslator.h"
#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

STranslatorMgr::~STranslatorMgr() {
    for (ITranslator* p : m_lstTranslators)
        p->Release();
}

bool STranslatorMgr::CreateTranslator(ITranslator** ppTranslator) {
    if (!ppTranslator)
        return false;
    *ppTranslator = new STranslator();
    return true;
}

bool STranslatorMgr::InstallTranslator(ITranslator* pTranslator) {
    if (!pTranslator) {
        SLog(L"%s: no translator given", L"STranslatorMgr::InstallTranslator");
        return false;
    }
    pTranslator->AddRef();
    UninstallTranslator(pTranslator->GetGuid());
    m_lstTranslators.push_back(pTranslator);
    return true;
}

bool STranslatorMgr::UninstallTranslator(const std::wstring& strGuid) {
    std::wstring strKey = ToLowerAscii(strGuid);
    for (auto it = m_lstTranslators.begin(); it != m_lstTranslators.end(); ++it) {
        if (ToLowerAscii((*it)->GetGuid()) == strKey) {
            (*it)->Release();
            m_lstTranslators.erase(it);
            return true;
        }
    }
    return false;
}

std::wstring STranslatorMgr::Tr(const std::wstring& strSrc, const std::wstring& strCtx) const {
    std::wstring strRet;
    for (ITranslator* p : m_lstTranslators)
        if (p->Tr(strSrc, strCtx, strRet))
            return strRet;
    return strSrc;
}

}  // namespace SOUI
