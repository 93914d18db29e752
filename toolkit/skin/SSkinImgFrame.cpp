#include "toolkit/skin/SSkinImgFrame.h"

#include <algorithm>
#include <cstdint>

#include "toolkit/skin/SSkinAttr.h"

namespace SOUI {

bool SSkinImgFrame::InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) {
    if (!SSkinImgList::InitFromXml(xmlSkin, loadImage))
        return false;
    int nX = 0, nY = 0;
    if (!SkinAttr::ReadMargin(xmlSkin, "margin", m_rcMargin) ||
        !SkinAttr::ReadLength(xmlSkin, "margin-x", nX) ||
        !SkinAttr::ReadLength(xmlSkin, "margin-y", nY) ||
        !SkinAttr::ReadLength(xmlSkin, "left", m_rcMargin.left) ||
        !SkinAttr::ReadLength(xmlSkin, "top", m_rcMargin.top) ||
        !SkinAttr::ReadLength(xmlSkin, "right", m_rcMargin.right) ||
        !SkinAttr::ReadLength(xmlSkin, "bottom", m_rcMargin.bottom))
        return false;
    if (xmlSkin.attribute("margin-x"))
        m_rcMargin.left = m_rcMargin.right = nX;
    if (xmlSkin.attribute("margin-y"))
        m_rcMargin.top = m_rcMargin.bottom = nY;
    return true;
}

void SSkinImgFrame::SetMargin(const CRect& rcMargin) {
    m_rcMargin = CRect(std::max(rcMargin.left, 0), std::max(rcMargin.top, 0),
                       std::max(rcMargin.right, 0), std::max(rcMargin.bottom, 0));
}

void SSkinImgFrame::DrawState(IRenderTarget* pRT, const CRect& rcDst, const CRect& rcSrc,
                              unsigned char byAlpha) {
    DrawNinePart(pRT, m_pImg, rcDst, rcSrc, m_rcMargin, byAlpha);
}

namespace {

// Splits [nBegin, nEnd) at a leading and trailing margin; margins that do not
// fit share the length in proportion, and negative ones count as none. Wide
// arithmetic: any rectangle and margin a caller passes must stay in range.
void SplitAxis(int nBegin, int nEnd, int64_t nLead, int64_t nTrail, int out[4]) {
    const int64_t nLen = std::max<int64_t>(int64_t(nEnd) - nBegin, 0);
    nLead = std::max<int64_t>(nLead, 0);
    nTrail = std::max<int64_t>(nTrail, 0);
    if (nLead + nTrail > nLen) {
        const int64_t nNewLead = nLen * nLead / (nLead + nTrail);
        nTrail = nLen - nNewLead;
        nLead = nNewLead;
    }
    out[0] = nBegin;
    out[1] = int(nBegin + nLead);
    out[2] = int(nBegin + nLen - nTrail);
    out[3] = int(nBegin + nLen);
}

}  // namespace

void SSkinImgFrame::DrawNinePart(IRenderTarget* pRT, IBitmapS* pImg, const CRect& rcDst,
                                 const CRect& rcSrc, const CRect& rcMargin, unsigned char byAlpha) {
    if (!pRT || !pImg || rcDst.IsRectEmpty() || rcSrc.IsRectEmpty())
        return;
    // Source margins are clamped to the cell, so a bad margin cannot read
    // outside the state; the target's parts then stay inside the target.
    int sx[4], sy[4], dx[4], dy[4];
    SplitAxis(rcSrc.left, rcSrc.right, rcMargin.left, rcMargin.right, sx);
    SplitAxis(rcSrc.top, rcSrc.bottom, rcMargin.top, rcMargin.bottom, sy);
    SplitAxis(rcDst.left, rcDst.right, int64_t(sx[1]) - sx[0], int64_t(sx[3]) - sx[2], dx);
    SplitAxis(rcDst.top, rcDst.bottom, int64_t(sy[1]) - sy[0], int64_t(sy[3]) - sy[2], dy);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            CRect rcS(sx[col], sy[row], sx[col + 1], sy[row + 1]);
            CRect rcD(dx[col], dy[row], dx[col + 1], dy[row + 1]);
            if (rcS.IsRectEmpty() || rcD.IsRectEmpty())
                continue;
            pRT->DrawBitmapEx(rcD, pImg, rcS, byAlpha);
        }
    }
}

}  // namespace SOUI
