#pragma once
#include "toolkit/render/SColor.h"
#include "toolkit/skin/SSkinObjBase.h"

namespace SOUI {

// A plain colour skin with four states: a filled rectangle ("colorrect"), or
// an outline ("border"). Attributes: colorNormal, colorHover, colorPushed,
// colorDisable (absent states take the normal colour), width (outline
// width, default 1).
class SSkinColorRect : public SSkinObjBase {
public:
    explicit SSkinColorRect(bool bFrame = false) : m_bFrame(bFrame) {}

    void Draw(IRenderTarget* pRT, const CRect& rc, int iState,
              unsigned char byAlpha = 255) override;
    int GetStates() const override { return 4; }
    CSize GetSkinSize() const override { return {}; }
    bool InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) override;

    void SetColor(int iState, SColor cr);
    SColor GetColor(int iState) const;

private:
    bool m_bFrame;
    int m_nBorder = 1;
    SColor m_crStates[4];
    bool m_bHasState[4] = {};
};

}  // namespace SOUI
