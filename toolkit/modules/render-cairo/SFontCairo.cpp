#include "SFontCairo.h"

#include "toolkit/render/SStrUtil.h"

namespace SOUI {

SFontCairo::SFontCairo(const SFontDesc& desc)
    : m_desc(desc), m_pDesc(pango_font_description_new()) {
    std::string strFamilies;
    if (!desc.strFace.empty())
        strFamilies = WideToUtf8(desc.strFace) + ",";
    strFamilies += "WenQuanYi Micro Hei,sans";
    pango_font_description_set_family(m_pDesc, strFamilies.c_str());
    pango_font_description_set_absolute_size(m_pDesc, double(desc.nSize) * PANGO_SCALE);
    pango_font_description_set_weight(m_pDesc,
                                      desc.bBold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(m_pDesc,
                                     desc.bItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
}

SFontCairo::~SFontCairo() {
    pango_font_description_free(m_pDesc);
}

}  // namespace SOUI
