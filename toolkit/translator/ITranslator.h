#pragma once
#include <string>

#include "toolkit/core/IObjRef.h"

namespace SOUI {

// How ITranslator::Load reads its data.
enum : unsigned {
    LD_XML = 1,  // pData is a pugi::xml_node* at a "language" element
};

// One translation table: contexts of source -> translation messages.
struct ITranslator : public IObjRef {
    // False (with a log line) for an unknown mode or a node that is not a
    // usable "language" element; a failed load leaves the table empty.
    virtual bool Load(void* pData, unsigned uType) = 0;
    virtual std::wstring GetName() const = 0;
    virtual std::wstring GetGuid() const = 0;
    // True and the translation when the context has the key.
    virtual bool Tr(const std::wstring& strSrc, const std::wstring& strCtx,
                    std::wstring& strRet) const = 0;
};

}  // namespace SOUI
