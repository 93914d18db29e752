#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A check box: the skin's box (unchecked states 0-3, checked states 4-7) at
// the left, the text after it. A click toggles the check, then fires the
// command event.
class SCheckBox : public SWindow {
public:
    SOUI_CLASS_NAME(L"check")
    SCheckBox() { m_uTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE; }
    bool IsClickable() const override { return true; }
    HostAccRole GetAccRole() const override { return HostAccRole::CheckBox; }
    // Toggles, as a click does.
    bool DoAccAction() override;
    bool SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                      bool bLoading = false) override;
    CSize GetDesiredSize(int nMaxWidth) const override;
    void OnLButtonUp(CPoint pt) override;
    bool OnKeyDown(unsigned nKeyval, unsigned nModifiers) override;
    // The box's rectangle inside the window; the text lies right of it.
    CRect GetBoxRect() const;
    CRect GetTextRect() const override;

    static constexpr int kTextGap = 4;

protected:
    void OnPaint(IRenderTarget* pRT) override;
    void Toggle();
};

}  // namespace SOUI
