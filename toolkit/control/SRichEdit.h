#pragma once
// A read-only rich text view: an RTF document wrapped to the window's width,
// scrolled by the wheel and a skinned vertical scroll bar.
#include <pango/pango.h>

#include <vector>

#include "toolkit/control/SWindow.h"
#include "toolkit/rtf/SRtfReader.h"

namespace SOUI {

class SSkinScrollbar;

class SRichEdit : public SWindow {
public:
    SOUI_CLASS_NAME(L"richedit")
    HostAccRole GetAccRole() const override { return HostAccRole::Document; }
    std::wstring GetAccName() const override { return {}; }
    // A document scrolls; it is never shrunk to fit.
    bool IsTextFitted() const override { return false; }
    SRichEdit();
    ~SRichEdit() override;

    // "rtf" loads the document "TYPE:name" through the container (again on
    // every set); "sbSkin" names the scroll bar skin.
    bool SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                      bool bLoading = false) override;
    // Replaces the document with RTF text; false when it is not RTF.
    bool SetRtf(std::string_view strRtf);
    std::wstring GetWindowText(bool bRaw = false) const override;

    int GetScrollPos() const { return m_nScrollPos; }
    // Clamped to [0, GetScrollMax()].
    void SetScrollPos(int nPos);
    int GetScrollMax();
    // Height of the whole document wrapped to the view's width.
    int GetContentHeight();
    CRect GetViewRect() const;
    CRect GetScrollBarRect() const;
    CRect GetThumbRect();

    bool WantsMouse() const override { return true; }
    bool OnMouseWheel(int nDelta, CPoint pt) override;
    // Arrow keys, Page Up/Down, Home and End scroll.
    bool OnKeyDown(unsigned nKeyval, unsigned nModifiers) override;
    void OnLButtonDown(CPoint pt) override;
    void OnLButtonUp(CPoint pt) override;
    void OnMouseMove(CPoint pt) override;

    static constexpr int kPadding = 6;
    static constexpr int kWheelStep = 48;  // pixels per notch
    static constexpr int kLineStep = 24;   // pixels per arrow key

protected:
    void OnPaint(IRenderTarget* pRT) override;
    void ClearLayouts();
    // Builds the paragraph layouts for the current width when needed.
    void EnsureLayouts();
    int GetBarWidth() const;
    SSkinScrollbar* GetScrollSkin() const;

    SRtfDocument m_doc;
    std::wstring m_strSbSkin;
    int m_nScrollPos = 0;
    PangoContext* m_pPango = nullptr;
    std::vector<PangoLayout*> m_layouts;
    std::vector<int> m_paraTops;  // top of each paragraph in the document
    int m_nLayoutWidth = -1;
    int m_nContentHeight = 0;
    int m_nDragOffset = -1;  // thumb grab point while dragging
};

}  // namespace SOUI
