#pragma once
#include "toolkit/skin/SSkinImgList.h"

namespace SOUI {

// Scroll bar parts in one image of 9 columns by 3 rows of equal cells.
// Columns 0-3 are the states normal, hover, pushed, disabled of the
// vertical bar (rows: up arrow, thumb, down arrow), columns 4-7 the same for
// the horizontal bar (left arrow, thumb, right arrow); column 8 holds the
// vertical rail (row 0) and the horizontal rail (row 1). Thumbs and rails
// stretch along the bar keeping `margin` pixels at each end.
// Attributes: src, margin (default 3), hasGripper (no grip is drawn).
class SSkinScrollbar : public SSkinImgList {
public:
    enum Part : int { kArrowUp = 0, kArrowDown, kThumb, kRail };

    bool InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) override;
    // Plain Draw paints the vertical rail.
    void Draw(IRenderTarget* pRT, const CRect& rc, int iState,
              unsigned char byAlpha = 255) override;
    void DrawPart(IRenderTarget* pRT, const CRect& rc, Part part, int iState, bool bVertical,
                  unsigned char byAlpha = 255);
    // Width of a vertical bar (cell width), also the arrow buttons' height.
    int GetBarSize() const;
    // One cell of the grid.
    CSize GetSkinSize() const override;
    CRect GetPartRect(Part part, int iState, bool bVertical) const;
    void SetMargin(int nMargin) { m_nMargin = nMargin < 0 ? 0 : nMargin; }

private:
    int m_nMargin = 3;
};

}  // namespace SOUI
