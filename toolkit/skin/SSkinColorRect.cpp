#include "toolkit/skin/SSkinColorRect.h"

#include "toolkit/core/SLog.h"
#include "toolkit/skin/SSkinAttr.h"

namespace SOUI {

bool SSkinColorRect::InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage) {
    if (!SSkinObjBase::InitFromXml(xmlSkin, loadImage))
        return false;
    static const char* const kNames[4] = {"colorNormal", "colorHover", "colorPushed",
                                          "colorDisable"};
    for (int i = 0; i < 4; ++i)
        if (!SkinAttr::ReadColor(xmlSkin, kNames[i], m_crStates[i], &m_bHasState[i]))
            return false;
    if (!SkinAttr::ReadInt(xmlSkin, "width", m_nBorder))
        return false;
    if (m_nBorder < 0) {
        SLog(L"%s: skin \"%s\" has a negative width", L"SSkinColorRect::InitFromXml",
             m_strName.c_str());
        return false;
    }
    return true;
}

void SSkinColorRect::SetColor(int iState, SColor cr) {
    if (iState < 0 || iState > 3)
        return;
    m_crStates[iState] = cr;
    m_bHasState[iState] = true;
}

SColor SSkinColorRect::GetColor(int iState) const {
    if (iState < 0 || iState > 3 || !m_bHasState[iState])
        iState = 0;
    return m_crStates[iState];
}

void SSkinColorRect::Draw(IRenderTarget* pRT, const CRect& rc, int iState, unsigned char byAlpha) {
    if (!pRT)
        return;
    SColor cr = GetColor(iState);
    cr.a = uint8_t(cr.a * byAlpha / 255);
    if (m_bFrame)
        pRT->DrawRectangle(rc, cr, m_nBorder);
    else
        pRT->FillRect(rc, cr);
}

}  // namespace SOUI
