#include "toolkit/control/SProgress.h"

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

namespace {
int ToInt(const std::wstring& str, int nDefault) {
    int n = nDefault;
    return ParseInt(str, n) ? n : nDefault;
}
}  // namespace

bool SProgress::SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                             bool bLoading) {
    if (strName == L"min" || strName == L"max" || strName == L"value" || strName == L"bkgndSkin" ||
        strName == L"posSkin") {
        m_attributes[strName] = strValue;
        if (strName == L"min") {
            SetRange(ToInt(strValue, m_nMin), m_nMax);
        } else if (strName == L"max") {
            SetRange(m_nMin, ToInt(strValue, m_nMax));
        } else if (strName == L"value") {
            SetValue(ToInt(strValue, m_nValue));
        } else {
            ISwndContainer* pContainer = GetContainer();
            ISkinObj* pSkin = pContainer ? pContainer->FindSkin(strValue) : nullptr;
            if (!pSkin) {
                SLog(L"SProgress::SetAttribute no skin [%s]", strValue.c_str());
            }
            (strName == L"bkgndSkin" ? m_pBkgndSkin : m_pPosSkin) = pSkin;
        }
        if (!bLoading) {
            Invalidate();
        }
        return true;
    }
    return SWindow::SetAttribute(strName, strValue, bLoading);
}

bool SProgress::SetValue(int nValue) {
    nValue = std::clamp(nValue, m_nMin, m_nMax);
    if (nValue == m_nValue) {
        return false;
    }
    m_nValue = nValue;
    Invalidate();
    return true;
}

void SProgress::SetRange(int nMin, int nMax) {
    if (nMax < nMin) {
        std::swap(nMin, nMax);
    }
    m_nMin = nMin;
    m_nMax = nMax;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

CRect SProgress::GetFillRect() const {
    CRect rc = m_rcWindow;
    long long nSpan = static_cast<long long>(m_nMax) - m_nMin;
    long long nDone = static_cast<long long>(m_nValue) - m_nMin;
    rc.right = rc.left + (nSpan > 0 ? static_cast<int>(rc.Width() * nDone / nSpan) : 0);
    return rc;
}

void SProgress::OnPaint(IRenderTarget* pRT) {
    DrawBackground(pRT, m_rcWindow);
    if (m_pBkgndSkin) {
        m_pBkgndSkin->Draw(pRT, m_rcWindow, SKIN_STATE_NORMAL);
    }
    CRect rcFill = GetFillRect();
    if (m_pPosSkin && !rcFill.IsRectEmpty()) {
        m_pPosSkin->Draw(pRT, rcFill, SKIN_STATE_NORMAL);
    }
}

}  // namespace SOUI
