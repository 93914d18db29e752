#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A horizontal progress bar: the track skin over the whole window, the fill
// skin over the share of the value within [min, max].
class SProgress : public SWindow {
public:
    SOUI_CLASS_NAME(L"progress")
    HostAccRole GetAccRole() const override { return HostAccRole::ProgressBar; }
    bool GetAccValue(double& dValue, double& dMin, double& dMax) const override {
        dValue = m_nValue;
        dMin = m_nMin;
        dMax = m_nMax;
        return true;
    }
    bool SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                      bool bLoading = false) override;
    // Clamped to the range; false when nothing changed.
    bool SetValue(int nValue);
    int GetValue() const { return m_nValue; }
    void SetRange(int nMin, int nMax);
    // The filled part of the window.
    CRect GetFillRect() const;

protected:
    void OnPaint(IRenderTarget* pRT) override;

    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    ISkinObj* m_pBkgndSkin = nullptr;
    ISkinObj* m_pPosSkin = nullptr;
};

}  // namespace SOUI
