#pragma once
#include <vector>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/translator/ITranslatorMgr.h"

namespace SOUI {

class STranslatorMgr : public SObjectImpl<ITranslatorMgr> {
public:
    ~STranslatorMgr() override;

    bool CreateTranslator(ITranslator** ppTranslator) override;
    bool InstallTranslator(ITranslator* pTranslator) override;
    bool UninstallTranslator(const std::wstring& strGuid) override;
    std::wstring Tr(const std::wstring& strSrc, const std::wstring& strCtx) const override;

private:
    std::vector<ITranslator*> m_lstTranslators;  // one reference each
};

}  // namespace SOUI
