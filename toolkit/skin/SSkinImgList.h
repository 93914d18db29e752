#pragma once
#include "toolkit/skin/SSkinObjBase.h"

namespace SOUI {

// An image cut into equal state cells, side by side (or stacked when
// vertical); each cell is stretched (or tiled) over the target rectangle.
// Attributes: src, states (default 1), vertical, tile.
class SSkinImgList : public SSkinObjBase {
public:
    SSkinImgList() = default;
    ~SSkinImgList() override;

    void Draw(IRenderTarget* pRT, const CRect& rc, int iState,
              unsigned char byAlpha = 255) override;
    int GetStates() const override { return m_nStates; }
    CSize GetSkinSize() const override;
    bool InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) override;

    // Takes its own reference to pImg.
    void SetImage(IBitmapS* pImg);
    IBitmapS* GetImage() const { return m_pImg; }
    void SetStates(int nStates) { m_nStates = nStates < 1 ? 1 : nStates; }
    void SetVertical(bool bVertical) { m_bVertical = bVertical; }
    void SetTile(bool bTile) { m_bTile = bTile; }
    // Source rectangle of state iState in the image.
    CRect GetStateRect(int iState) const;

protected:
    virtual void DrawState(IRenderTarget* pRT, const CRect& rcDst, const CRect& rcSrc,
                           unsigned char byAlpha);

    IBitmapS* m_pImg = nullptr;
    int m_nStates = 1;
    bool m_bVertical = false;
    bool m_bTile = false;
};

}  // namespace SOUI
