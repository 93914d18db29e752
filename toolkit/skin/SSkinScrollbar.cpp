#include "toolkit/skin/SSkinScrollbar.h"

#include "toolkit/skin/SSkinAttr.h"
#include "toolkit/skin/SSkinImgFrame.h"

namespace SOUI {

namespace {
constexpr int kColumns = 9;
constexpr int kRows = 3;
}  // namespace

bool SSkinScrollbar::InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) {
    if (!SSkinImgList::InitFromXml(xmlSkin, loadImage))
        return false;
    m_nStates = 4;
    bool bGripper = false;
    return SkinAttr::ReadLength(xmlSkin, "margin", m_nMargin) &&
           SkinAttr::ReadBool(xmlSkin, "hasGripper", bGripper);
}

int SSkinScrollbar::GetBarSize() const {
    return m_pImg ? m_pImg->Width() / kColumns : 0;
}

CSize SSkinScrollbar::GetSkinSize() const {
    return m_pImg ? CSize(m_pImg->Width() / kColumns, m_pImg->Height() / kRows) : CSize();
}

CRect SSkinScrollbar::GetPartRect(Part part, int iState, bool bVertical) const {
    if (!m_pImg)
        return {};
    int cx = m_pImg->Width() / kColumns, cy = m_pImg->Height() / kRows;
    if (iState < 0 || iState > 3)
        iState = 0;
    int col = 0, row = 0;
    if (part == kRail) {
        col = 8;
        row = bVertical ? 0 : 1;
    } else {
        col = (bVertical ? 0 : 4) + iState;
        row = part == kArrowUp ? 0 : part == kThumb ? 1 : 2;
    }
    return CRect(col * cx, row * cy, (col + 1) * cx, (row + 1) * cy);
}

void SSkinScrollbar::Draw(IRenderTarget* pRT, const CRect& rc, int iState, unsigned char byAlpha) {
    DrawPart(pRT, rc, kRail, iState, true, byAlpha);
}

void SSkinScrollbar::DrawPart(IRenderTarget* pRT, const CRect& rc, Part part, int iState,
                              bool bVertical, unsigned char byAlpha) {
    if (!pRT || !m_pImg || rc.IsRectEmpty())
        return;
    CRect rcSrc = GetPartRect(part, iState, bVertical);
    if (part == kThumb || part == kRail) {
        // Only the ends along the bar keep their size.
        CRect rcMargin =
            bVertical ? CRect(0, m_nMargin, 0, m_nMargin) : CRect(m_nMargin, 0, m_nMargin, 0);
        SSkinImgFrame::DrawNinePart(pRT, m_pImg, rc, rcSrc, rcMargin, byAlpha);
    } else {
        pRT->DrawBitmapEx(rc, m_pImg, rcSrc, byAlpha);
    }
}

}  // namespace SOUI
