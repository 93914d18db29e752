#pragma once
#include <pango/pango.h>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IFontS.h"

namespace SOUI {

// A font descriptor with its Pango description. The family list is the
// named face, then a CJK face, then "sans", so Chinese always has glyphs.
class SFontCairo : public SObjectImpl<IFontS> {
public:
    explicit SFontCairo(const SFontDesc& desc);
    ~SFontCairo() override;

    const SFontDesc& GetDesc() const override { return m_desc; }
    const PangoFontDescription* GetPangoDesc() const { return m_pDesc; }

private:
    SFontDesc m_desc;
    PangoFontDescription* m_pDesc;
};

}  // namespace SOUI
