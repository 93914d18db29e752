#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A one-line text field. The model (text and caret) lives here; on a screen
// the backend lays a native entry over the window, which then owns typing
// and reports its text back.
class SEdit : public SWindow {
public:
    SOUI_CLASS_NAME(L"edit")
    // What the user typed scrolls; it never shrinks.
    bool IsTextFitted() const override { return false; }
    HostAccRole GetAccRole() const override { return HostAccRole::Entry; }
    // The field is named by its tool tip; its text is what it holds.
    std::wstring GetAccName() const override;
    SEdit();
    ~SEdit() override;
    void SetWindowText(const std::wstring& strText) override;
    // What the field holds: never translated.
    std::wstring GetWindowText(bool bRaw = false) const override;
    bool OnKeyDown(unsigned nKeyval, unsigned nModifiers) override;
    void OnLButtonDown(CPoint pt) override;
    void OnSetFocus() override;

    // Creates, moves, shows or hides the native overlay to match the window.
    void SyncNative(IHostBackend* pBackend);
    int GetNativeId() const { return m_nNativeId; }
    // The native entry's text changed by user input.
    void OnNativeChanged(const std::wstring& strText);

protected:
    void OnPaint(IRenderTarget* pRT) override;

    size_t m_nCaret = 0;
    IHostBackend* m_pNative = nullptr;
    int m_nNativeId = 0;
};

}  // namespace SOUI
