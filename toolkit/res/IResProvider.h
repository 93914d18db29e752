#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/IObjRef.h"

namespace SOUI {

// Kinds of provider CreateResProvider makes.
enum BUILTIN_RESTYPE {
    RES_PE = 0,  // resources compiled into a program or module (an SResTable)
};

// A source of resources looked up by type and name, case-insensitively
// ("layout", "xml_mainwnd" finds LAYOUT/XML_MAINWND).
struct IResProvider : public IObjRef {
    // RES_PE: wParam is a const SResTable* that must outlive the provider.
    virtual bool Init(uintptr_t wParam, intptr_t lParam) = 0;
    virtual bool HasResource(const std::wstring& strType, const std::wstring& strName) const = 0;
    // Size in bytes, 0 when absent.
    virtual size_t GetRawBufferSize(const std::wstring& strType,
                                    const std::wstring& strName) const = 0;
    // Copies the bytes; false when absent.
    virtual bool GetRawBuffer(const std::wstring& strType, const std::wstring& strName,
                              std::vector<char>& buf) const = 0;
};

// One reference in *ppObj; false for an unknown type.
bool CreateResProvider(BUILTIN_RESTYPE resType, IObjRef** ppObj);

}  // namespace SOUI
