#include "toolkit/skin/SSkinImgFrame.h"

#include "toolkit/skin/SSkinAttr.h"

namespace SOUI {

bool SSkinImgFrame::InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) {
    if (!SSkinImgList::InitFromXml(xmlSkin, loadImage))
        return false;
    int nX = -1, nY = -1;
    if (!SkinAttr::ReadMargin(xmlSkin, "margin", m_rcMargin) ||
        !SkinAttr::ReadInt(xmlSkin, "margin-x", nX) ||
        !SkinAttr::ReadInt(xmlSkin, "margin-y", nY) ||
        !SkinAttr::ReadInt(xmlSkin, "left", m_rcMargin.left) ||
        !SkinAttr::ReadInt(xmlSkin, "top", m_rcMargin.top) ||
        !SkinAttr::ReadInt(xmlSkin, "right", m_rcMargin.right) ||
        !SkinAttr::ReadInt(xmlSkin, "bottom", m_rcMargin.bottom))
        return false;
    if (nX >= 0)
        m_rcMargin.left = m_rcMargin.right = nX;
    if (nY >= 0)
        m_rcMargin.top = m_rcMargin.bottom = nY;
    return true;
}

void SSkinImgFrame::DrawState(IRenderTarget* pRT, const CRect& rcDst, const CRect& rcSrc,
                              unsigned char byAlpha) {
    DrawNinePart(pRT, m_pImg, rcDst, rcSrc, m_rcMargin, byAlpha);
}

namespace {

// Splits [nBegin, nEnd) at a leading and trailing margin; margins that do not
// fit share the length in proportion.
void SplitAxis(int nBegin, int nEnd, int nLead, int nTrail, int out[4]) {
    int nLen = nEnd - nBegin;
    if (nLead + nTrail > nLen && nLead + nTrail > 0) {
        int nNewLead = nLen * nLead / (nLead + nTrail);
        nTrail = nLen - nNewLead;
        nLead = nNewLead;
    }
    out[0] = nBegin;
    out[1] = nBegin + nLead;
    out[2] = nEnd - nTrail;
    out[3] = nEnd;
}

}  // namespace

void SSkinImgFrame::DrawNinePart(IRenderTarget* pRT, IBitmapS* pImg, const CRect& rcDst,
                                 const CRect& rcSrc, const CRect& rcMargin, unsigned char byAlpha) {
    if (!pRT || !pImg || rcDst.IsRectEmpty() || rcSrc.IsRectEmpty())
        return;
    // Source margins are clamped to the cell, so a bad margin cannot read
    // outside the state.
    int sx[4], sy[4], dx[4], dy[4];
    SplitAxis(rcSrc.left, rcSrc.right, rcMargin.left, rcMargin.right, sx);
    SplitAxis(rcSrc.top, rcSrc.bottom, rcMargin.top, rcMargin.bottom, sy);
    SplitAxis(rcDst.left, rcDst.right, sx[1] - sx[0], sx[3] - sx[2], dx);
    SplitAxis(rcDst.top, rcDst.bottom, sy[1] - sy[0], sy[3] - sy[2], dy);
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
