#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// One page of a tab control; its title shows only in the header.
class STabPage : public SWindow {
public:
    SOUI_CLASS_NAME(L"page")
};

// Pages stacked in one place, one shown at a time, under a header of
// tabHeight pixels (0: no header).
class STabCtrl : public SWindow {
public:
    SOUI_CLASS_NAME(L"tabctrl")
    bool SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                      bool bLoading = false) override;
    // Shows page nIndex; false (and no change) when there is no such page.
    bool SetCurSel(int nIndex);
    int GetCurSel() const { return m_nCurSel; }
    size_t GetPageCount() const { return m_children.size(); }
    SWindow* GetPage(int nIndex) const;
    CRect GetChildrenLayoutRect() const override;
    void UpdateChildrenPosition() override;

protected:
    void OnPaint(IRenderTarget* pRT) override;
    void ShowOnly(int nIndex);

    int m_nCurSel = 0;
    int m_nTabHeight = 0;
};

}  // namespace SOUI
