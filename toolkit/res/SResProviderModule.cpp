#include "toolkit/res/SResProviderModule.h"

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

bool SResProviderModule::Init(uintptr_t wParam, intptr_t) {
    m_pTable = reinterpret_cast<const SResTable*>(wParam);
    if (!m_pTable || (m_pTable->nCount && !m_pTable->pEntries)) {
        SLog(L"%s: no resource table", L"SResProviderModule::Init");
        m_pTable = nullptr;
        return false;
    }
    return true;
}

const SResEntry* SResProviderModule::Find(const std::wstring& strType,
                                          const std::wstring& strName) const {
    if (!m_pTable)
        return nullptr;
    std::string type = WideToUtf8(ToUpperAscii(strType));
    std::string name = WideToUtf8(ToUpperAscii(strName));
    for (size_t i = 0; i < m_pTable->nCount; ++i) {
        const SResEntry& e = m_pTable->pEntries[i];
        if (e.pszType && e.pszName && type == e.pszType && name == e.pszName)
            return &e;
    }
    return nullptr;
}

bool SResProviderModule::HasResource(const std::wstring& strType,
                                     const std::wstring& strName) const {
    return Find(strType, strName) != nullptr;
}

size_t SResProviderModule::GetRawBufferSize(const std::wstring& strType,
                                            const std::wstring& strName) const {
    const SResEntry* e = Find(strType, strName);
    return e ? e->nSize : 0;
}

bool SResProviderModule::GetRawBuffer(const std::wstring& strType, const std::wstring& strName,
                                      std::vector<char>& buf) const {
    const SResEntry* e = Find(strType, strName);
    if (!e)
        return false;
    const char* p = reinterpret_cast<const char*>(e->pData);
    buf.assign(p, p + e->nSize);
    return true;
}

bool CreateResProvider(BUILTIN_RESTYPE resType, IObjRef** ppObj) {
    if (!ppObj)
        return false;
    if (resType != RES_PE) {
        SLog(L"%s: unknown provider type %d", L"CreateResProvider", int(resType));
        return false;
    }
    *ppObj = new SResProviderModule();
    return true;
}

}  // namespace SOUI
