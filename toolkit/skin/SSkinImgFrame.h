#pragma once
#include "toolkit/skin/SSkinImgList.h"

namespace SOUI {

// An image list whose cells stretch as nine parts: corners keep their size,
// edges stretch along one axis, the centre along both. Attributes as the
// image list plus margin (all four), margin-x/margin-y, or left/top/right/
// bottom; a negative width is malformed.
class SSkinImgFrame : public SSkinImgList {
public:
    bool InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) override;
    // Negative widths count as 0.
    void SetMargin(const CRect& rcMargin);
    const CRect& GetMargin() const { return m_rcMargin; }

    // Draws rcSrc of pImg into rcDst as nine parts with the given margins;
    // margins larger than the target shrink proportionally.
    static void DrawNinePart(IRenderTarget* pRT, IBitmapS* pImg, const CRect& rcDst,
                             const CRect& rcSrc, const CRect& rcMargin, unsigned char byAlpha);

protected:
    void DrawState(IRenderTarget* pRT, const CRect& rcDst, const CRect& rcSrc,
                   unsigned char byAlpha) override;

    // left, top, right, bottom widths (not a rectangle).
    CRect m_rcMargin;
};

}  // namespace SOUI
