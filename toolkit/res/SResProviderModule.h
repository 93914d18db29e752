#pragma once
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/core/SResTable.h"
#include "toolkit/res/IResProvider.h"

namespace SOUI {

// Resources compiled into a program or module.
class SResProviderModule : public SObjectImpl<IResProvider> {
public:
    bool Init(uintptr_t wParam, intptr_t lParam) override;
    bool HasResource(const std::wstring& strType, const std::wstring& strName) const override;
    size_t GetRawBufferSize(const std::wstring& strType,
                            const std::wstring& strName) const override;
    bool GetRawBuffer(const std::wstring& strType, const std::wstring& strName,
                      std::vector<char>& buf) const override;

private:
    const SResEntry* Find(const std::wstring& strType, const std::wstring& strName) const;

    const SResTable* m_pTable = nullptr;
};

}  // namespace SOUI
