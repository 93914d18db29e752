#pragma once
#include <pango/pangocairo.h>

#include <string>

#include "toolkit/render/CSize.h"

namespace SOUI {

class SFontCairo;

// A Pango layout set up for the DT_* flags; shared by drawing and measuring
// so both agree on sizes.
class STextLayout {
public:
    // nWidth > 0 sets the wrap / ellipsis width; nHeight > 0 the height
    // that wrapped text with DT_END_ELLIPSIS is cut to.
    STextLayout(cairo_t* cr, const std::wstring& strText, const SFontCairo& font, unsigned uFormat,
                int nWidth, int nHeight = -1);
    ~STextLayout();
    STextLayout(const STextLayout&) = delete;
    STextLayout& operator=(const STextLayout&) = delete;

    CSize GetPixelSize() const;
    PangoLayout* Get() const { return m_pLayout; }

private:
    PangoLayout* m_pLayout;
};

}  // namespace SOUI
