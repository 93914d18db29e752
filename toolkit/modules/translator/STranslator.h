#pragma once
#include <map>
#include <string>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/translator/ITranslator.h"

namespace SOUI {

// One table read from translator XML: language/context/message.
class STranslator : public SObjectImpl<ITranslator> {
public:
    bool Load(void* pData, unsigned uType) override;
    std::wstring GetName() const override { return m_strName; }
    std::wstring GetGuid() const override { return m_strGuid; }
    bool Tr(const std::wstring& strSrc, const std::wstring& strCtx,
            std::wstring& strRet) const override;

private:
    std::wstring m_strName;
    std::wstring m_strGuid;
    // context -> source -> translation
    std::map<std::wstring, std::map<std::wstring, std::wstring>> m_mapContexts;
};

}  // namespace SOUI
