#pragma once
// A window of the control tree: a rectangle with a name, an ID, attributes
// from its layout node, children, and the state its skin draws.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/backend/HostAccessible.h"
#include "toolkit/control/ISwndContainer.h"
#include "toolkit/control/STextFitter.h"
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/layout/SLayoutPos.h"
#include "toolkit/render/CRect.h"
#include "toolkit/render/SColor.h"
#include "toolkit/render/SFontDesc.h"
#include "toolkit/render/TextFormat.h"

namespace SOUI {

#define SOUI_CLASS_NAME(name)                        \
    static const wchar_t* GetClassName() {           \
        return name;                                 \
    }                                                \
    const wchar_t* GetObjectClass() const override { \
        return name;                                 \
    }

// Windows are owned by their parent (the host owns the root); the reference
// count only lets a window stand as an event's sender.
class SWindow : public SObjectImpl<IObject> {
public:
    SWindow();
    ~SWindow() override;
    SWindow(const SWindow&) = delete;
    SWindow& operator=(const SWindow&) = delete;

    static const wchar_t* GetClassName() { return L"window"; }
    const wchar_t* GetObjectClass() const override { return L"window"; }

    // Tree. The parent owns its children.
    SWindow* GetParent() const { return m_pParent; }
    size_t GetChildrenCount() const { return m_children.size(); }
    SWindow* GetChild(size_t nIndex) const;
    SWindow* InsertChild(std::unique_ptr<SWindow> pChild);
    SWindow* GetPrevSibling() const;
    SWindow* GetRoot();
    ISwndContainer* GetContainer() const;
    void SetContainer(ISwndContainer* pContainer) { m_pContainer = pContainer; }

    // Depth-first search of the subtree below this window; nDeep limits the
    // levels searched (-1: all).
    SWindow* FindChildByName(const std::wstring& strName, int nDeep = -1) const;
    SWindow* FindChildByID(int nID, int nDeep = -1) const;
    // The named child if it is a T; otherwise a log line and null.
    template <class T>
    T* FindChildByName2(const std::wstring& strName, int nDeep = -1) const {
        T* pFound = dynamic_cast<T*>(FindChildByName(strName, nDeep));
        if (!pFound) {
            LogFindFailure(T::GetClassName(), strName, nDeep);
        }
        return pFound;
    }

    // Identity.
    const wchar_t* GetName() const override { return m_strName.c_str(); }
    const std::wstring& GetNameStr() const { return m_strName; }
    void SetName(const std::wstring& strName) { m_strName = strName; }
    int GetID() const override { return m_nID; }
    void SetID(int nID) { m_nID = nID; }

    // Attributes by name; bLoading while the layout is being built (no
    // relayout, no redraw). Unknown names are kept and readable.
    virtual bool SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                              bool bLoading = false);
    std::wstring GetAttribute(const std::wstring& strName) const;

    // Text as written in the layout, and as shown (translated).
    virtual void SetWindowText(const std::wstring& strText);
    virtual std::wstring GetWindowText(bool bRaw = false) const;

    void SetVisible(bool bVisible, bool bUpdate = true);
    // bCheckParent: visible only when every ancestor is.
    bool IsVisible(bool bCheckParent = false) const;
    void EnableWindow(bool bEnable, bool bUpdate = true);
    bool IsDisabled(bool bCheckParent = false) const;
    bool IsFocusable() const;
    bool IsFocused() const;
    void SetFocus();

    virtual void SetCheck(bool bCheck);
    bool IsChecked() const { return m_bChecked; }

    // Layout.
    const SLayoutPos& GetLayoutPos() const { return m_pos; }
    const CRect& GetWindowRect() const { return m_rcWindow; }
    // Places the window and lays its children out inside.
    void Move(const CRect& rc);
    // The size the content needs, wrapping at nMaxWidth when the window wraps.
    virtual CSize GetDesiredSize(int nMaxWidth) const;
    // The rectangle the children are laid out in.
    virtual CRect GetChildrenLayoutRect() const { return m_rcWindow; }
    virtual void UpdateChildrenPosition();

    // Painting, in window coordinates; rcClip limits what is painted.
    void RedrawRegion(IRenderTarget* pRT, const CRect& rcClip);
    void Invalidate();
    int GetState() const;
    ISkinObj* GetSkin() const { return m_pSkin; }

    // Input, in window coordinates. Returns whether the window used it.
    SWindow* HitTest(CPoint pt);
    virtual void OnMouseHover() {}
    virtual void OnMouseLeave() {}
    virtual void OnLButtonDown(CPoint pt);
    virtual void OnLButtonUp(CPoint pt);
    virtual void OnMouseMove(CPoint) {}
    virtual bool OnMouseWheel(int nDelta, CPoint pt);
    virtual bool OnKeyDown(unsigned nKeyval, unsigned nModifiers);
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    // Whether the tree should treat a press-and-release as a click.
    virtual bool IsClickable() const { return false; }
    // Whether a press starts a window move (the caption).
    virtual bool IsCaption() const { return false; }
    // Whether the window uses presses itself; a press on one that does not
    // goes to the caption it lies in, so the window can be dragged by any
    // passive part of it.
    virtual bool WantsMouse() const { return IsClickable() || IsFocusable(); }
    HostCursor GetCursor() const { return m_cursor; }

    void SetHover(bool bHover);
    void SetPushed(bool bPushed);
    bool IsHover() const { return m_bHover; }
    bool IsPushed() const { return m_bPushed; }

    // Fires the command event (a click) to the container; its sender is this
    // window, carrying the name and ID.
    bool FireCommand();

    // Where the window's text goes, and how it is fitted in there (font size,
    // wrapping, ellipsis) as it is drawn now.
    virtual CRect GetTextRect() const { return m_rcWindow; }
    STextFit GetTextFit() const;
    // False for text the user edits or scrolls: that is never shrunk.
    virtual bool IsTextFitted() const { return true; }
    // The tool tip: the translated `tip` attribute, else the whole text when
    // it had to be cut; empty for none.
    virtual std::wstring GetToolTipText() const;

    // Accessibility: what the window is to a screen reader (Ignored: nothing;
    // its children still count; `decorative="1"` makes any window Ignored),
    // the name it is announced by (its text, else the text of the window
    // its `labelBy` attribute names, else its tool tip), the text it holds,
    // its value and range, and its default action (a click; false when it
    // has none).
    virtual HostAccRole GetAccRole() const { return HostAccRole::Ignored; }
    bool IsDecorative() const { return m_bDecorative; }
    virtual std::wstring GetAccName() const;
    virtual std::wstring GetAccText() const { return GetWindowText(); }
    virtual bool GetAccValue(double& /*dValue*/, double& /*dMin*/, double& /*dMax*/) const {
        return false;
    }
    virtual bool DoAccAction();
    // Unique for the process's life, unlike the window's address.
    uintptr_t GetAccId() const { return m_nAccId; }

    // The font, colour and alignment the window's text is drawn with; the
    // font under the desktop's text scale (GetLayoutFont: as laid out).
    SFontDesc GetFont() const;
    SFontDesc GetLayoutFont() const;
    SColor GetTextColor() const;
    unsigned GetTextFormat() const { return m_uTextFormat; }

protected:
    virtual void OnPaint(IRenderTarget* pRT);
    // Paints the skin or background of the window.
    void DrawBackground(IRenderTarget* pRT, const CRect& rc);
    // Draws text inside rc with the window's font, colour and alignment,
    // fitted into rc unless the window shows its text as it is.
    void DrawText(IRenderTarget* pRT, const std::wstring& strText, CRect rc);
    const STextFit& FitText(const std::wstring& strText, CSize szBox) const;
    // Marks the window's layout as changed.
    void RequestRelayout();
    static void LogFindFailure(const wchar_t* pszClass, const std::wstring& strName, int nDeep);

    SWindow* m_pParent = nullptr;
    ISwndContainer* m_pContainer = nullptr;
    std::vector<std::unique_ptr<SWindow>> m_children;
    std::map<std::wstring, std::wstring> m_attributes;
    std::wstring m_strName;
    std::wstring m_strText;
    int m_nID = 0;
    SLayoutPos m_pos;
    CSize m_szFixed{-1, -1};
    CRect m_rcWindow;
    ISkinObj* m_pSkin = nullptr;
    SColor m_crBkgnd;
    SColor m_crText;
    SColor m_crTextHover;
    bool m_bTextColorSet = false;
    bool m_bTextHoverColorSet = false;
    std::wstring m_strFont;  // parsed against the parent's font when used
    std::wstring m_strFontHover;
    unsigned m_uTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    int m_nMaxWidth = -1;
    bool m_bMultiLines = false;
    bool m_bVisible = true;
    bool m_bDisabled = false;
    int m_nFocusable = -1;  // -1: the class decides (clickable windows are)
    bool m_bChecked = false;
    bool m_bDecorative = false;
    bool m_bHover = false;
    bool m_bPushed = false;
    HostCursor m_cursor = HostCursor::Arrow;

private:
    const uintptr_t m_nAccId;
    // The last fit, reused while text, box and font stay the same.
    struct FitCache {
        std::wstring strText;
        CSize szBox;
        SFontDesc font;
        unsigned uFormat = 0;
        STextFit fit;
        bool bValid = false;
    };
    mutable FitCache m_fitCache;
};

}  // namespace SOUI
