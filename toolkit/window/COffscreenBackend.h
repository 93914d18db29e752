#pragma once
// The default backend: the window is an ARGB image surface, input is
// synthesised by whoever holds the backend (tests, the preview tool).
#include <map>

#include "toolkit/backend/IHostBackend.h"
#include "toolkit/core/SMessageLoop.h"

namespace SOUI {

class COffscreenBackend : public IHostBackend {
public:
    COffscreenBackend() = default;
    ~COffscreenBackend() override;
    COffscreenBackend(const COffscreenBackend&) = delete;
    COffscreenBackend& operator=(const COffscreenBackend&) = delete;

    bool Create(IHostBackendSink* pSink, const HostWindowParams& params,
                IHostBackend* pOwner) override;
    void Destroy() override;
    bool IsCreated() const override { return m_pSurface != nullptr; }
    void Show(bool bShow) override { m_bVisible = bShow; }
    bool IsVisible() const override { return m_bVisible; }
    void SetTitle(const std::wstring& strTitle) override { m_strTitle = strTitle; }
    void Resize(int nWidth, int nHeight) override;
    void GetSize(int& nWidth, int& nHeight) const override;
    void Center(IHostBackend* pParent) override;
    void Minimize() override { m_bMinimized = true; }
    void Maximize() override { m_bMinimized = false; }
    void Restore() override { m_bMinimized = false; }
    bool IsMinimized() const override { return m_bMinimized; }
    void Invalidate(const HostRect& rc) override;
    void Update() override;
    void SetCursor(HostCursor cursor) override { m_cursor = cursor; }
    void BeginMove(int, int, int) override { ++m_nMoveRequests; }

    int CreateEdit(const HostEditParams& params) override;
    void DestroyEdit(int nEditId) override;
    void MoveEdit(int nEditId, const HostRect& rc) override;
    void ShowEdit(int nEditId, bool bShow) override;
    void SetEditText(int nEditId, const std::wstring& strText) override;
    std::wstring GetEditText(int nEditId) const override;
    void FocusEdit(int nEditId) override { m_nFocusedEdit = nEditId; }

    int RunModalLoop(IHostBackend* pOwner) override;
    void EndModalLoop(int nCode) override;
    void SetSensitive(bool bSensitive) override { m_bSensitive = bSensitive; }
    bool IsSensitive() const override { return m_bSensitive; }

    // The window's pixels after painting everything still invalid.
    cairo_surface_t* GetSurface();
    bool WritePng(const char* pszFile);

    // Synthesised input; ignored while the window is insensitive, as on a
    // screen while a modal child runs.
    void MouseMove(int x, int y, unsigned nModifiers = 0);
    void MouseDown(int x, int y, int nButton = 1, unsigned nModifiers = 0);
    void MouseUp(int x, int y, int nButton = 1, unsigned nModifiers = 0);
    void Click(int x, int y);
    void MouseLeave();
    void Wheel(int nDelta, int x, int y);
    void KeyDown(unsigned nKeyval, unsigned nModifiers = 0);
    void RequestClose();
    // The user typed into a native edit.
    void TypeIntoEdit(int nEditId, const std::wstring& strText);

    const std::wstring& GetTitle() const { return m_strTitle; }
    const HostWindowParams& GetParams() const { return m_params; }
    HostCursor GetCursor() const { return m_cursor; }
    int GetMoveRequests() const { return m_nMoveRequests; }
    int GetPosX() const { return m_nX; }
    int GetPosY() const { return m_nY; }
    int GetFocusedEdit() const { return m_nFocusedEdit; }
    bool IsEditVisible(int nEditId) const;
    HostRect GetEditRect(int nEditId) const;

    // Size of the pretend screen that Center uses.
    static constexpr int kScreenWidth = 1920;
    static constexpr int kScreenHeight = 1080;

private:
    struct Edit {
        HostEditParams params;
        bool bVisible = true;
    };

    IHostBackendSink* m_pSink = nullptr;
    HostWindowParams m_params;
    cairo_surface_t* m_pSurface = nullptr;
    HostRect m_rcDirty;
    std::wstring m_strTitle;
    HostCursor m_cursor = HostCursor::Arrow;
    std::map<int, Edit> m_edits;
    int m_nNextEdit = 1;
    int m_nFocusedEdit = 0;
    int m_nMoveRequests = 0;
    int m_nX = 0;
    int m_nY = 0;
    bool m_bVisible = false;
    bool m_bMinimized = false;
    bool m_bSensitive = true;
    SMessageLoop* m_pModalLoop = nullptr;
    int m_nModalCode = 0;
    bool m_bEndPending = false;
};

}  // namespace SOUI
