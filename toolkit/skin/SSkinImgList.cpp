#include "toolkit/skin/SSkinImgList.h"

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/skin/SSkinAttr.h"

namespace SOUI {

SSkinImgList::~SSkinImgList() {
    if (m_pImg)
        m_pImg->Release();
}

void SSkinImgList::SetImage(IBitmapS* pImg) {
    if (pImg)
        pImg->AddRef();
    if (m_pImg)
        m_pImg->Release();
    m_pImg = pImg;
}

bool SSkinImgList::InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) {
    if (!SSkinObjBase::InitFromXml(xmlSkin, loadImage))
        return false;
    int nStates = 1;
    if (!SkinAttr::ReadInt(xmlSkin, "states", nStates) ||
        !SkinAttr::ReadBool(xmlSkin, "vertical", m_bVertical) ||
        !SkinAttr::ReadBool(xmlSkin, "tile", m_bTile))
        return false;
    if (nStates < 1) {
        SLog(L"%s: skin \"%s\" has %d states", L"SSkinImgList::InitFromXml", m_strName.c_str(),
             nStates);
        return false;
    }
    m_nStates = nStates;
    std::wstring strSrc = Utf8ToWide(xmlSkin.attribute("src").value());
    IBitmapS* pImg = strSrc.empty() || !loadImage ? nullptr : loadImage(strSrc);
    if (!pImg) {
        SLog(L"%s: skin \"%s\" has no image \"%s\"", L"SSkinImgList::InitFromXml",
             m_strName.c_str(), strSrc.c_str());
        return false;
    }
    SetImage(pImg);
    pImg->Release();
    return true;
}

CSize SSkinImgList::GetSkinSize() const {
    if (!m_pImg)
        return {};
    return m_bVertical ? CSize(m_pImg->Width(), m_pImg->Height() / m_nStates)
                       : CSize(m_pImg->Width() / m_nStates, m_pImg->Height());
}

CRect SSkinImgList::GetStateRect(int iState) const {
    if (iState >= m_nStates)
        iState = m_nStates - 1;
    if (iState < 0)
        iState = 0;
    CSize sz = GetSkinSize();
    return m_bVertical ? CRect(0, sz.cy * iState, sz.cx, sz.cy * (iState + 1))
                       : CRect(sz.cx * iState, 0, sz.cx * (iState + 1), sz.cy);
}

void SSkinImgList::Draw(IRenderTarget* pRT, const CRect& rc, int iState, unsigned char byAlpha) {
    if (!pRT || !m_pImg || rc.IsRectEmpty())
        return;
    CRect rcSrc = GetStateRect(iState);
    if (rcSrc.IsRectEmpty())
        return;
    DrawState(pRT, rc, rcSrc, byAlpha);
}

void SSkinImgList::DrawState(IRenderTarget* pRT, const CRect& rcDst, const CRect& rcSrc,
                             unsigned char byAlpha) {
    if (!m_bTile) {
        pRT->DrawBitmapEx(rcDst, m_pImg, rcSrc, byAlpha);
        return;
    }
    pRT->PushClipRect(rcDst);
    for (int y = rcDst.top; y < rcDst.bottom; y += rcSrc.Height())
        for (int x = rcDst.left; x < rcDst.right; x += rcSrc.Width())
            pRT->DrawBitmapEx(CRect(CPoint(x, y), rcSrc.Size()), m_pImg, rcSrc, byAlpha);
    pRT->PopClip();
}

}  // namespace SOUI
