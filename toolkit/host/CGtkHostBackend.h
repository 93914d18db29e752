#pragma once
// IHostBackend on a real screen: an SGtkWindow per host window, native
// entries for the edit overlays and a nested GLib loop for modal runs.
#include <memory>

#include "toolkit/backend/IHostBackend.h"
#include "toolkit/host/SGtkAccessBridge.h"
#include "toolkit/host/SGtkModalLoop.h"
#include "toolkit/host/SGtkWindow.h"

namespace SOUI {

class CGtkHostBackend : public IHostBackend,
                        private ISGtkWindowListener,
                        private ISGtkAccessProvider {
public:
    CGtkHostBackend();
    ~CGtkHostBackend() override;
    CGtkHostBackend(const CGtkHostBackend&) = delete;
    CGtkHostBackend& operator=(const CGtkHostBackend&) = delete;

    bool Create(IHostBackendSink* pSink, const HostWindowParams& params,
                IHostBackend* pOwner) override;
    void Destroy() override;
    bool IsCreated() const override { return m_window.IsCreated(); }

    void Show(bool bShow) override;
    bool IsVisible() const override { return m_window.IsVisible(); }
    void SetTitle(const std::wstring& strTitle) override { m_window.SetTitle(strTitle); }
    void Resize(int nWidth, int nHeight) override { m_window.Resize(nWidth, nHeight); }
    void GetSize(int& nWidth, int& nHeight) const override { m_window.GetSize(nWidth, nHeight); }
    void Center(IHostBackend* pParent) override;
    void Minimize() override { m_window.Minimize(); }
    void Maximize() override { m_window.Maximize(); }
    void Restore() override { m_window.Restore(); }
    bool IsMinimized() const override { return m_window.GetState() == StateMinimized; }

    void Invalidate(const HostRect& rc) override;
    void FlushAccessible() override {
        if (m_pAccess)
            m_pAccess->Refresh();
    }
    void Update() override;
    void SetCursor(HostCursor cursor) override;
    void BeginMove(int nButton, int x, int y) override;

    int CreateEdit(const HostEditParams& params) override;
    void DestroyEdit(int nEditId) override { m_window.DestroyEdit(nEditId); }
    void MoveEdit(int nEditId, const HostRect& rc) override;
    void ShowEdit(int nEditId, bool bShow) override;
    void SetEditText(int nEditId, const std::wstring& strText) override;
    std::wstring GetEditText(int nEditId) const override;
    // An ID of no edit takes the keyboard focus away from every edit.
    void FocusEdit(int nEditId) override;

    int RunModalLoop(IHostBackend* pOwner) override;
    void EndModalLoop(int nCode) override { m_modal.End(nCode); }
    void SetSensitive(bool bSensitive) override { m_window.SetSensitive(bSensitive); }
    bool IsSensitive() const override { return m_window.IsSensitive(); }

    // For tests and tools that need the native window.
    SGtkWindow& GetNativeWindow() { return m_window; }

    // The code a modal run returns when its window vanished without ending it.
    static constexpr int kModalWindowGone = -1;

private:
    void OnNativePaint(cairo_t* cr, int x, int y, int cx, int cy) override;
    void OnNativeMouse(MouseAction action, int x, int y, unsigned nButton, int nDelta,
                       unsigned nModifiers) override;
    bool OnNativeKey(unsigned nKeyval, unsigned nModifiers, bool bDown) override;
    void OnNativeCloseRequest() override;
    void OnNativeSize(int cx, int cy) override;
    void OnNativeEditChanged(int nEditId, const std::wstring& strText) override;
    void OnNativeEditFocus(int nEditId, bool bFocused) override;
    bool OnNativeQueryTooltip(int x, int y, bool bKeyboard, std::wstring& strTip,
                              GdkRectangle& rcArea) override;
    void OnNativeDestroyed() override;

    void GetAccNodes(std::vector<HostAccNode>& nodes) override;
    bool DoAccAction(uintptr_t nId) override;
    bool FocusAccNode(uintptr_t nId) override;
    GtkWidget* GetEditWidget(int nEditId) override;

    IHostBackendSink* m_pSink = nullptr;
    SGtkWindow m_window;
    SGtkModalLoop m_modal;
    std::unique_ptr<SGtkAccessBridge> m_pAccess;
    int m_nNextEdit = 1;
    // Whether the model put the keyboard into an edit while handling a key.
    bool m_bEditFocusRequested = false;
};

// Installs CGtkHostBackend as the factory of every host window created
// afterwards. Needs InstallGtkHost to have opened the display.
void UseGtkHostBackend();

}  // namespace SOUI
