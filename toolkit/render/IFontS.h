#pragma once
#include "toolkit/core/IObjRef.h"
#include "toolkit/render/SFontDesc.h"

namespace SOUI {

// A font made by the render factory. Immutable.
struct IFontS : public IObjRef {
    virtual const SFontDesc& GetDesc() const = 0;
    const std::wstring& GetFace() const { return GetDesc().strFace; }
    int GetSize() const { return GetDesc().nSize; }
    bool IsBold() const { return GetDesc().bBold; }
    bool IsItalic() const { return GetDesc().bItalic; }
    bool IsUnderline() const { return GetDesc().bUnderline; }
};

}  // namespace SOUI
