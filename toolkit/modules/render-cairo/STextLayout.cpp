#include "STextLayout.h"

#include "SFontCairo.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/render/TextFormat.h"

namespace SOUI {

STextLayout::STextLayout(cairo_t* cr, const std::wstring& strText, const SFontCairo& font,
                         unsigned uFormat, int nWidth, int nHeight)
    : m_pLayout(pango_cairo_create_layout(cr)) {
    std::string strUtf8 = WideToUtf8(strText);
    pango_layout_set_text(m_pLayout, strUtf8.c_str(), int(strUtf8.size()));
    pango_layout_set_font_description(m_pLayout, font.GetPangoDesc());

    const SFontDesc& desc = font.GetDesc();
    if (desc.bUnderline || desc.bStrike) {
        PangoAttrList* pAttrs = pango_attr_list_new();
        if (desc.bUnderline)
            pango_attr_list_insert(pAttrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (desc.bStrike)
            pango_attr_list_insert(pAttrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(m_pLayout, pAttrs);
        pango_attr_list_unref(pAttrs);
    }

    bool bSingle = (uFormat & DT_SINGLELINE) != 0;
    pango_layout_set_single_paragraph_mode(m_pLayout, bSingle);
    if (nWidth > 0 && !bSingle && (uFormat & DT_WORDBREAK)) {
        pango_layout_set_width(m_pLayout, nWidth * PANGO_SCALE);
        pango_layout_set_wrap(m_pLayout, PANGO_WRAP_WORD_CHAR);
        // Wrapped text that overflows its height ends its last whole line
        // in an ellipsis.
        if (nHeight > 0 && (uFormat & DT_END_ELLIPSIS)) {
            pango_layout_set_height(m_pLayout, nHeight * PANGO_SCALE);
            pango_layout_set_ellipsize(m_pLayout, PANGO_ELLIPSIZE_END);
        }
    } else if (nWidth > 0 && (uFormat & DT_END_ELLIPSIS)) {
        pango_layout_set_width(m_pLayout, nWidth * PANGO_SCALE);
        pango_layout_set_ellipsize(m_pLayout, PANGO_ELLIPSIZE_END);
    }
    if (uFormat & DT_CENTER)
        pango_layout_set_alignment(m_pLayout, PANGO_ALIGN_CENTER);
    else if (uFormat & DT_RIGHT)
        pango_layout_set_alignment(m_pLayout, PANGO_ALIGN_RIGHT);
}

STextLayout::~STextLayout() {
    g_object_unref(m_pLayout);
}

CSize STextLayout::GetPixelSize() const {
    int w = 0, h = 0;
    pango_layout_get_pixel_size(m_pLayout, &w, &h);
    return {w, h};
}

}  // namespace SOUI
