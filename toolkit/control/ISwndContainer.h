#pragma once
// What a window of the control tree needs from the host that holds it.
#include <string>
#include <vector>

#include "toolkit/backend/IHostBackend.h"
#include "toolkit/render/CRect.h"
#include "toolkit/render/IFontS.h"
#include "toolkit/render/SFontDesc.h"
#include "toolkit/skin/ISkinObj.h"

namespace SOUI {

class SWindow;
class EventArgs;

class ISwndContainer {
public:
    virtual ~ISwndContainer() = default;
    // Redraw rc (window coordinates) soon.
    virtual void OnInvalidate(const CRect& rc) = 0;
    // A window's pos, size or visibility changed: lay the tree out again.
    virtual void OnRelayout() = 0;
    // A text of the layout as shown: translated in the window's context when
    // the translator has the key, otherwise as written.
    virtual std::wstring TranslateText(const std::wstring& strText) const = 0;
    // Delivers an event fired by a control to the host's event map.
    virtual bool OnFireEvent(EventArgs* pEvt) = 0;
    virtual SWindow* GetFocus() const = 0;
    // True while the focus was last moved from the keyboard: only then is
    // the focused control marked, as desktop toolkits do.
    virtual bool ShowFocusCues() const { return false; }
    virtual void SetFocus(SWindow* pWnd) = 0;
    virtual void SetCursor(HostCursor cursor) = 0;
    // The window is leaving the tree: forget every reference to it.
    virtual void OnWindowRemoved(SWindow* pWnd) = 0;
    // A skin by name; null when unknown. No reference is handed out.
    virtual ISkinObj* FindSkin(const std::wstring& strName) const = 0;
    // A font of the description, cached by the container; no reference.
    virtual IFontS* GetFont(const SFontDesc& desc) = 0;
    // The font windows start from (the application's default font).
    virtual SFontDesc GetDefaultFont() const = 0;
    // Size of text in the font, as IRenderTarget::MeasureText.
    virtual CSize MeasureText(const std::wstring& strText, const SFontDesc& font, unsigned uFormat,
                              int nMaxWidth) = 0;
    // A resource's bytes by "TYPE:name" (rich-edit documents).
    virtual bool LoadResource(const std::wstring& strRef, std::vector<char>& buf) const = 0;
    // The backend, for native overlays; may be null before creation.
    virtual IHostBackend* GetBackend() const = 0;
};

}  // namespace SOUI
