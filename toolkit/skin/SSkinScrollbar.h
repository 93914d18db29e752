#pragma once
#include "toolkit/skin/SSkinImgList.h"

namespace SOUI {

// Scroll bar parts in one image of 9 columns by 3 rows of equal cells.
// Columns: up arrow, down arrow, vertical thumb, vertical rail, left arrow,
// right arrow, horizontal thumb, horizontal rail, corner. Rows: normal,
// hover, pushed; disabled draws the normal row at half alpha. Thumbs and
// rails stretch as nine parts with the skin's margin.
// Attributes: src, margin (default 3).
class SSkinScrollbar : public SSkinImgList {
public:
    enum Part : int { kArrowUp = 0, kArrowDown, kThumb, kRail, kCorner };

    bool InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) override;
    // Plain Draw paints the vertical rail.
    void Draw(IRenderTarget* pRT, const CRect& rc, int iState, unsigned char byAlpha = 255) override;
    void DrawPart(IRenderTarget* pRT, const CRect& rc, Part part, int iState, bool bVertical,
                  unsigned char byAlpha = 255);
    // Width of a vertical bar (cell width), also the arrow buttons' height.
    int GetBarSize() const;
    CRect GetPartRect(Part part, int iState, bool bVertical) const;
    void SetMargin(int nMargin) { m_nMargin = nMargin; }

private:
    int m_nMargin = 3;
};

}  // namespace SOUI
