#pragma once
// A top-level window built from a layout: the root of its control tree, the
// container its controls call, and the sink of its backend's input.
#include <pugixml.hpp>

#include <map>
#include <memory>
#include <string>

#include "toolkit/backend/IHostBackend.h"
#include "toolkit/control/SWindow.h"
#include "toolkit/core/EventArgs.h"
#include "toolkit/core/IMessageTarget.h"

namespace SOUI {

class COffscreenBackend;
class SHostDialog;
class SObjectFactoryMgr;

class SHostWnd : public SWindow,
                 public ISwndContainer,
                 public IHostBackendSink,
                 public IMessageTarget {
public:
    SOUI_CLASS_NAME(L"hostwnd")
    // pszResName: the layout, "LAYOUT:XML_MAINWND".
    explicit SHostWnd(const wchar_t* pszResName = nullptr);
    ~SHostWnd() override;

    // Loads the layout through SApplication and creates the (hidden) native
    // window, owned by pOwner when given. False with a log line when the
    // layout is missing or malformed or the backend fails.
    bool Create(SHostWnd* pOwner = nullptr);
    // Builds the tree from a layout document's "SOUI" element; Create calls
    // it. Windows are made by the application's window factory.
    bool InitFromXml(pugi::xml_node xmlSoui);

    // The native window's operations.
    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool ShowWindow(int nCmdShow);
    bool IsWindow() const;
    bool IsWindowVisible() const;
    void CenterWindow(SHostWnd* pParent = nullptr);
    // Resizes the window without moving it, then lays it out again.
    void ResizeWindow(int nWidth, int nHeight);
    CSize GetWindowSize() const { return m_rcWindow.Size(); }
    bool DestroyWindow();
    // The native title (title bar, task bar).
    void SetWindowTextW(const std::wstring& strTitle);
    std::wstring GetNativeTitle() const { return m_strTitle; }
    // Timers tick as WM_TIMER with the id on this window's message map.
    bool SetTimer(uintptr_t nID, unsigned nElapseMs);
    bool KillTimer(uintptr_t nID);

    IHostBackend* GetBackend() const override { return m_pBackend.get(); }
    // The off-screen backend, or null when another backend shows the window.
    COffscreenBackend* GetOffscreen() const;
    const std::wstring& GetTrCtx() const { return m_strTrCtx; }
    void SetTrCtx(const std::wstring& strCtx) { m_strTrCtx = strCtx; }
    // Lays the whole tree out again (after SetAttribute("pos", ...)).
    void UpdateLayout();

    // Message map: true when handled. Overrides call the base for what they
    // leave alone.
    bool ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    // Event map: events fired by the controls (and, for a window subscribed
    // to the notification centre, those of other threads). True: handled.
    virtual bool _HandleEvent(EventArgs* pEvt);

    // ISwndContainer
    void OnInvalidate(const CRect& rc) override;
    void OnRelayout() override;
    std::wstring TranslateText(const std::wstring& strText) const override;
    bool OnFireEvent(EventArgs* pEvt) override;
    SWindow* GetFocus() const override { return m_pFocus; }
    bool ShowFocusCues() const override { return m_bFocusCues; }
    void SetFocus(SWindow* pWnd) override;
    void SetCursor(HostCursor cursor) override;
    void OnWindowRemoved(SWindow* pWnd) override;
    ISkinObj* FindSkin(const std::wstring& strName) const override;
    IFontS* GetFont(const SFontDesc& desc) override;
    SFontDesc GetDefaultFont() const override;
    CSize MeasureText(const std::wstring& strText, const SFontDesc& font, unsigned uFormat,
                      int nMaxWidth) override;
    bool LoadResource(const std::wstring& strRef, std::vector<char>& buf) const override;

    // IHostBackendSink
    void OnBackendPaint(cairo_t* cr, const HostRect& rcDirty) override;
    void OnBackendMouseMove(int x, int y, unsigned nModifiers) override;
    void OnBackendMouseDown(int nButton, int x, int y, unsigned nModifiers) override;
    void OnBackendMouseUp(int nButton, int x, int y, unsigned nModifiers) override;
    void OnBackendMouseLeave() override;
    void OnBackendMouseWheel(int nDelta, int x, int y, unsigned nModifiers) override;
    void OnBackendKeyDown(unsigned nKeyval, unsigned nModifiers) override;
    void OnBackendCloseRequest() override;
    void OnBackendDestroyed() override;
    void OnBackendSize(int nWidth, int nHeight) override;
    void OnBackendEditChanged(int nEditId, const std::wstring& strText) override;
    void OnBackendEditFocus(int nEditId) override;
    bool OnBackendQueryToolTip(int x, int y, bool bKeyboard, std::wstring& strTip,
                               HostRect& rcTip) override;
    void OnBackendAccessibleNodes(std::vector<HostAccNode>& nodes) override;
    bool OnBackendAccessibleAction(uintptr_t nId) override;
    bool OnBackendAccessibleFocus(uintptr_t nId) override;

    // Moves the focus to the next (or previous) focusable, visible, enabled
    // window in tree order, wrapping around.
    void FocusNext(bool bBackward);
    void SetFocusCues(bool bShow);
    SWindow* GetHover() const { return m_pHover; }
    // The control the focus ring is drawn around now; null when none is.
    SWindow* GetFocusRingWindow() const;
    // The visible, enabled clickable control with the `default` attribute:
    // Enter presses it unless the focused control takes the key.
    SWindow* GetDefaultButton() const;
    // Every control that means something to a screen reader, hidden ones
    // included (without kAccVisible), in tree order.
    std::vector<HostAccNode> GetAccessibleNodes();
    SWindow* FindByAccId(uintptr_t nId);
    // The tool tip at pt (bKeyboard: of the focused control) and the
    // rectangle it belongs to; false when there is none.
    bool GetToolTipAt(CPoint pt, bool bKeyboard, std::wstring& strTip, CRect& rcTip) const;

protected:
    friend class SHostDialog;  // registers itself as the modal child of its parent

    // Escape: nothing for a plain window; dialogs end.
    virtual void OnEscape() {}
    // After the native window is gone.
    virtual void OnFinalMessage() {}
    void SyncNativeEdits();
    void InvalidateFocusRing(SWindow* pWnd);
    // "ICON_LOGO:32" -> the PNG resource ICON/ICON_LOGO_32, decoded.
    void LoadIcons(pugi::xml_node xmlSoui);
    void ReleaseIcons();
    bool IsMainWindow() const { return m_bAppMain; }

    std::wstring m_strResName;
    std::unique_ptr<IHostBackend> m_pBackend;
    HostWindowParams m_params;
    std::wstring m_strTitle;
    std::wstring m_strTrCtx;
    SWindow* m_pFocus = nullptr;
    bool m_bFocusCues = false;
    SWindow* m_pHover = nullptr;
    SWindow* m_pCapture = nullptr;
    // The control last pressed: it shows no tool tip until the pointer leaves it.
    SWindow* m_pNoTip = nullptr;
    std::map<std::wstring, IFontS*> m_mapFonts;
    std::vector<IBitmapS*> m_icons;
    bool m_bAppMain = false;
    // The dialog running modally over this window: it ends when this
    // window goes, as an owned window does, so its loop cannot outlive it.
    SHostDialog* m_pModalChild = nullptr;
    bool m_bLoading = false;
    bool m_bInLayout = false;
    bool m_bDestroyed = false;
};

}  // namespace SOUI
