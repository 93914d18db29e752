#include "toolkit/window/COffscreenBackend.h"

#include <algorithm>

#include "toolkit/core/SLog.h"
#include "toolkit/window/SWindowPlacement.h"

namespace SOUI {

COffscreenBackend::~COffscreenBackend() {
    if (m_pSurface) {
        cairo_surface_destroy(m_pSurface);
    }
}

bool COffscreenBackend::Create(IHostBackendSink* pSink, const HostWindowParams& params,
                               IHostBackend*) {
    if (params.nWidth <= 0 || params.nHeight <= 0 || params.nWidth > 16384 ||
        params.nHeight > 16384) {
        SLogA("COffscreenBackend::Create bad size %dx%d", params.nWidth, params.nHeight);
        return false;
    }
    Destroy();
    m_pSink = pSink;
    m_strTitle = params.strTitle;
    m_params = params;
    m_pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, params.nWidth, params.nHeight);
    if (cairo_surface_status(m_pSurface) != CAIRO_STATUS_SUCCESS) {
        SLogA("COffscreenBackend::Create no image surface of %dx%d", params.nWidth, params.nHeight);
        cairo_surface_destroy(m_pSurface);
        m_pSurface = nullptr;
        return false;
    }
    m_rcDirty = {0, 0, params.nWidth, params.nHeight};
    return true;
}

void COffscreenBackend::Destroy() {
    if (!m_pSurface) {
        return;
    }
    cairo_surface_destroy(m_pSurface);
    m_pSurface = nullptr;
    m_edits.clear();
    m_bVisible = false;
    if (m_pModalLoop) {
        EndModalLoop(m_nModalCode);
    }
    IHostBackendSink* pSink = m_pSink;
    m_pSink = nullptr;
    if (pSink) {
        pSink->OnBackendDestroyed();
    }
}

void COffscreenBackend::Resize(int nWidth, int nHeight) {
    if (!m_pSurface || nWidth <= 0 || nHeight <= 0 || nWidth > 16384 || nHeight > 16384) {
        return;
    }
    int nOldW = 0, nOldH = 0;
    GetSize(nOldW, nOldH);
    if (nOldW == nWidth && nOldH == nHeight) {
        return;
    }
    cairo_surface_destroy(m_pSurface);
    m_pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nWidth, nHeight);
    m_rcDirty = {0, 0, nWidth, nHeight};
    if (m_pSink) {
        m_pSink->OnBackendSize(nWidth, nHeight);
    }
}

void COffscreenBackend::GetSize(int& nWidth, int& nHeight) const {
    nWidth = m_pSurface ? cairo_image_surface_get_width(m_pSurface) : 0;
    nHeight = m_pSurface ? cairo_image_surface_get_height(m_pSurface) : 0;
}

void COffscreenBackend::Center(IHostBackend* pParent) {
    int nW = 0, nH = 0;
    GetSize(nW, nH);
    const SPlaceRect rcScreen{0, 0, kScreenWidth, kScreenHeight};
    SPlaceRect rcOver = rcScreen;
    if (auto* pOff = dynamic_cast<COffscreenBackend*>(pParent)) {
        rcOver.x = pOff->m_nX;
        rcOver.y = pOff->m_nY;
        pOff->GetSize(rcOver.cx, rcOver.cy);
    }
    CenterInArea(rcOver, rcScreen, nW, nH, m_nX, m_nY);
}

void COffscreenBackend::Invalidate(const HostRect& rc) {
    if (!m_pSurface || rc.IsEmpty()) {
        return;
    }
    if (m_rcDirty.IsEmpty()) {
        m_rcDirty = rc;
    } else {
        m_rcDirty.left = std::min(m_rcDirty.left, rc.left);
        m_rcDirty.top = std::min(m_rcDirty.top, rc.top);
        m_rcDirty.right = std::max(m_rcDirty.right, rc.right);
        m_rcDirty.bottom = std::max(m_rcDirty.bottom, rc.bottom);
    }
}

void COffscreenBackend::Update() {
    if (!m_pSurface || !m_pSink) {
        return;
    }
    int nW = 0, nH = 0;
    GetSize(nW, nH);
    HostRect rc = m_rcDirty;
    rc.left = std::max(rc.left, 0);
    rc.top = std::max(rc.top, 0);
    rc.right = std::min(rc.right, nW);
    rc.bottom = std::min(rc.bottom, nH);
    m_rcDirty = {};
    if (rc.IsEmpty()) {
        return;
    }
    cairo_t* cr = cairo_create(m_pSurface);
    cairo_rectangle(cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    m_pSink->OnBackendPaint(cr, rc);
    cairo_destroy(cr);
    cairo_surface_flush(m_pSurface);
}

cairo_surface_t* COffscreenBackend::GetSurface() {
    Update();
    return m_pSurface;
}

bool COffscreenBackend::WritePng(const char* pszFile) {
    cairo_surface_t* pSurface = GetSurface();
    if (!pSurface) {
        return false;
    }
    cairo_status_t status = cairo_surface_write_to_png(pSurface, pszFile);
    if (status != CAIRO_STATUS_SUCCESS) {
        SLogA("COffscreenBackend::WritePng %s: %s", pszFile, cairo_status_to_string(status));
        return false;
    }
    return true;
}

int COffscreenBackend::CreateEdit(const HostEditParams& params) {
    int nId = m_nNextEdit++;
    m_edits[nId].params = params;
    return nId;
}

void COffscreenBackend::DestroyEdit(int nEditId) {
    m_edits.erase(nEditId);
    if (m_nFocusedEdit == nEditId) {
        m_nFocusedEdit = 0;
    }
}

void COffscreenBackend::MoveEdit(int nEditId, const HostRect& rc) {
    auto it = m_edits.find(nEditId);
    if (it != m_edits.end()) {
        it->second.params.rc = rc;
    }
}

void COffscreenBackend::ShowEdit(int nEditId, bool bShow) {
    auto it = m_edits.find(nEditId);
    if (it != m_edits.end()) {
        it->second.bVisible = bShow;
    }
}

void COffscreenBackend::SetEditText(int nEditId, const std::wstring& strText) {
    auto it = m_edits.find(nEditId);
    if (it != m_edits.end()) {
        it->second.params.strText = strText;
    }
}

std::wstring COffscreenBackend::GetEditText(int nEditId) const {
    auto it = m_edits.find(nEditId);
    return it == m_edits.end() ? std::wstring() : it->second.params.strText;
}

bool COffscreenBackend::IsEditVisible(int nEditId) const {
    auto it = m_edits.find(nEditId);
    return it != m_edits.end() && it->second.bVisible;
}

HostRect COffscreenBackend::GetEditRect(int nEditId) const {
    auto it = m_edits.find(nEditId);
    return it == m_edits.end() ? HostRect{} : it->second.params.rc;
}

void COffscreenBackend::TypeIntoEdit(int nEditId, const std::wstring& strText) {
    auto it = m_edits.find(nEditId);
    if (it == m_edits.end() || !m_bSensitive) {
        return;
    }
    it->second.params.strText = strText;
    if (m_pSink) {
        m_pSink->OnBackendEditChanged(nEditId, strText);
    }
}

int COffscreenBackend::RunModalLoop(IHostBackend* pOwner) {
    if (m_pModalLoop) {
        SLogA("COffscreenBackend::RunModalLoop already running");
        return -1;
    }
    if (pOwner) {
        pOwner->SetSensitive(false);
    }
    if (!m_bEndPending) {
        // The toolkit's loop, so posted work and notifications keep flowing.
        SMessageLoop loop;
        m_pModalLoop = &loop;
        loop.Run();
        m_pModalLoop = nullptr;
    }
    m_bEndPending = false;
    if (pOwner) {
        pOwner->SetSensitive(true);
    }
    return m_nModalCode;
}

void COffscreenBackend::EndModalLoop(int nCode) {
    m_nModalCode = nCode;
    if (m_pModalLoop) {
        m_pModalLoop->Quit(nCode);
    } else {
        m_bEndPending = true;
    }
}

void COffscreenBackend::MouseMove(int x, int y, unsigned nModifiers) {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendMouseMove(x, y, nModifiers);
    }
}

void COffscreenBackend::MouseDown(int x, int y, int nButton, unsigned nModifiers) {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendMouseDown(nButton, x, y, nModifiers);
    }
}

void COffscreenBackend::MouseUp(int x, int y, int nButton, unsigned nModifiers) {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendMouseUp(nButton, x, y, nModifiers);
    }
}

void COffscreenBackend::Click(int x, int y) {
    MouseMove(x, y);
    MouseDown(x, y);
    MouseUp(x, y);
}

void COffscreenBackend::MouseLeave() {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendMouseLeave();
    }
}

void COffscreenBackend::Wheel(int nDelta, int x, int y) {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendMouseWheel(nDelta, x, y, 0);
    }
}

void COffscreenBackend::KeyDown(unsigned nKeyval, unsigned nModifiers) {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendKeyDown(nKeyval, nModifiers);
    }
}

void COffscreenBackend::RequestClose() {
    if (m_pSink && m_bSensitive) {
        m_pSink->OnBackendCloseRequest();
    }
}

}  // namespace SOUI
