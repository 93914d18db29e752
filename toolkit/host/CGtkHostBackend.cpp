#include "toolkit/host/CGtkHostBackend.h"

#include "toolkit/core/SLog.h"
#include "toolkit/host/SGtkEdit.h"

namespace SOUI {

namespace {

unsigned ToHostModifiers(unsigned nGdkState) {
    unsigned nMods = 0;
    if (nGdkState & GDK_SHIFT_MASK)
        nMods |= kHostModShift;
    if (nGdkState & GDK_CONTROL_MASK)
        nMods |= kHostModControl;
    if (nGdkState & GDK_MOD1_MASK)
        nMods |= kHostModAlt;
    return nMods;
}

SGtkWindow* NativeOf(IHostBackend* pBackend) {
    auto* pGtk = dynamic_cast<CGtkHostBackend*>(pBackend);
    return pGtk ? &pGtk->GetNativeWindow() : nullptr;
}

}  // namespace

CGtkHostBackend::CGtkHostBackend() : m_window(this) {}

CGtkHostBackend::~CGtkHostBackend() {
    // The sink may already be gone; the native window dies silently.
    m_pSink = nullptr;
    m_pAccess.reset();
}

bool CGtkHostBackend::Create(IHostBackendSink* pSink, const HostWindowParams& params,
                             IHostBackend* pOwner) {
    if (params.nWidth <= 0 || params.nHeight <= 0 || params.nWidth > 16384 ||
        params.nHeight > 16384) {
        SLogA("CGtkHostBackend::Create bad size %dx%d", params.nWidth, params.nHeight);
        return false;
    }
    if (m_window.IsCreated()) {
        SLogA("CGtkHostBackend::Create window exists already");
        return false;
    }
    m_pSink = pSink;
    if (!m_window.Create(params.strTitle, params.nWidth, params.nHeight, NativeOf(pOwner),
                         params.bTranslucent))
        return false;
    m_window.SetIcons(params.icons);
    m_window.SetKind(params.bToolWindow, params.bDialog);
    m_pAccess =
        std::make_unique<SGtkAccessBridge>(m_window.GetWidget(), m_window.GetCanvas(),
                                           static_cast<ISGtkAccessProvider*>(this), params.bDialog);
    if (params.bResizable)
        m_window.SetResizable(true, params.nMinWidth, params.nMinHeight);
    return true;
}

void CGtkHostBackend::Destroy() {
    m_window.Destroy();
}

void CGtkHostBackend::Show(bool bShow) {
    if (bShow)
        m_window.Show();
    else
        m_window.Hide();
}

void CGtkHostBackend::Center(IHostBackend* pParent) {
    m_window.CenterOver(NativeOf(pParent));
}

void CGtkHostBackend::Invalidate(const HostRect& rc) {
    m_window.Invalidate(rc.left, rc.top, rc.Width(), rc.Height());
    // Whatever a screen reader can learn shows on screen first.
    if (m_pAccess)
        m_pAccess->ScheduleRefresh();
}

void CGtkHostBackend::Update() {
    // GTK paints invalid areas on its next frame; painting from inside a
    // handler would re-enter the model mid-change.
}

void CGtkHostBackend::SetCursor(HostCursor cursor) {
    // No text-beam shape is needed over drawn controls; the native edits
    // bring their own.
    m_window.SetCursor(cursor == HostCursor::Hand ? SGtkWindow::CursorHand
                                                  : SGtkWindow::CursorArrow);
}

void CGtkHostBackend::BeginMove(int, int, int) {
    // The press that started it is the one GTK just delivered.
    m_window.BeginMoveDrag();
}

int CGtkHostBackend::CreateEdit(const HostEditParams& params) {
    int nId = m_nNextEdit++;
    SGtkEdit* pEdit = m_window.CreateEdit(nId);
    if (!pEdit)
        return 0;
    pEdit->SetFont(params.strFontFace, params.nFontSize, false, false, false);
    pEdit->SetColors(params.crText, params.crBackground);
    pEdit->SetPassword(params.bPassword);
    pEdit->SetReadOnly(params.bReadOnly);
    pEdit->SetText(params.strText);
    pEdit->SetRect(params.rc.left, params.rc.top, params.rc.Width(), params.rc.Height());
    pEdit->SetVisible(true);
    return nId;
}

void CGtkHostBackend::MoveEdit(int nEditId, const HostRect& rc) {
    if (SGtkEdit* pEdit = m_window.GetEdit(nEditId))
        pEdit->SetRect(rc.left, rc.top, rc.Width(), rc.Height());
}

void CGtkHostBackend::ShowEdit(int nEditId, bool bShow) {
    if (SGtkEdit* pEdit = m_window.GetEdit(nEditId))
        pEdit->SetVisible(bShow);
}

void CGtkHostBackend::SetEditText(int nEditId, const std::wstring& strText) {
    if (SGtkEdit* pEdit = m_window.GetEdit(nEditId))
        pEdit->SetText(strText);
}

std::wstring CGtkHostBackend::GetEditText(int nEditId) const {
    SGtkEdit* pEdit = m_window.GetEdit(nEditId);
    return pEdit ? pEdit->GetText() : std::wstring();
}

void CGtkHostBackend::FocusEdit(int nEditId) {
    if (SGtkEdit* pEdit = m_window.GetEdit(nEditId)) {
        m_bEditFocusRequested = true;
        pEdit->Focus();
    } else
        m_window.ClearEditFocus();
}

int CGtkHostBackend::RunModalLoop(IHostBackend* pOwner) {
    return m_modal.Run(&m_window, NativeOf(pOwner));
}

void CGtkHostBackend::OnNativePaint(cairo_t* cr, int x, int y, int cx, int cy) {
    if (m_pSink)
        m_pSink->OnBackendPaint(cr, HostRect{x, y, x + cx, y + cy});
}

void CGtkHostBackend::OnNativeMouse(MouseAction action, int x, int y, unsigned nButton, int nDelta,
                                    unsigned nModifiers) {
    if (!m_pSink)
        return;
    unsigned nMods = ToHostModifiers(nModifiers);
    int nBtn = static_cast<int>(nButton);
    switch (action) {
        case MouseMove:
            m_pSink->OnBackendMouseMove(x, y, nMods);
            break;
        case MouseDown:
            // A press on a drawn control takes the keyboard away from the native
            // edits; the model hands it back if it focuses an edit.
            m_window.ClearEditFocus();
            m_pSink->OnBackendMouseDown(nBtn, x, y, nMods);
            break;
        case MouseDoubleClick:
            // The second press of a double click is an ordinary press for the model.
            m_pSink->OnBackendMouseDown(nBtn, x, y, nMods);
            break;
        case MouseUp:
            m_pSink->OnBackendMouseUp(nBtn, x, y, nMods);
            break;
        case MouseLeave:
            m_pSink->OnBackendMouseLeave();
            break;
        case MouseWheel:
            m_pSink->OnBackendMouseWheel(nDelta * 120, x, y, nMods);
            break;
    }
}

bool CGtkHostBackend::OnNativeKey(unsigned nKeyval, unsigned nModifiers, bool bDown) {
    if (!m_pSink || !bDown)
        return true;
    bool bTab = nKeyval == kHostKeyTab || nKeyval == kHostKeyLeftTab;
    bool bFromEdit = bTab && m_window.IsEditFocused();
    m_bEditFocusRequested = false;
    m_pSink->OnBackendKeyDown(nKeyval, ToHostModifiers(nModifiers));
    // Tab out of an edit: unless the model moved the focus into another edit,
    // the keyboard must follow it to the drawn control.
    if (bFromEdit && !m_bEditFocusRequested && m_window.IsCreated())
        m_window.ClearEditFocus();
    return true;
}

void CGtkHostBackend::OnNativeCloseRequest() {
    if (m_pSink)
        m_pSink->OnBackendCloseRequest();
}

void CGtkHostBackend::OnNativeSize(int cx, int cy) {
    if (m_pSink)
        m_pSink->OnBackendSize(cx, cy);
}

void CGtkHostBackend::OnNativeEditChanged(int nEditId, const std::wstring& strText) {
    if (m_pSink)
        m_pSink->OnBackendEditChanged(nEditId, strText);
}

void CGtkHostBackend::OnNativeEditFocus(int nEditId, bool bFocused) {
    if (m_pSink && bFocused)
        m_pSink->OnBackendEditFocus(nEditId);
}

bool CGtkHostBackend::OnNativeQueryTooltip(int x, int y, bool bKeyboard, std::wstring& strTip,
                                           GdkRectangle& rcArea) {
    HostRect rc;
    if (!m_pSink || !m_pSink->OnBackendQueryToolTip(x, y, bKeyboard, strTip, rc))
        return false;
    rcArea = GdkRectangle{rc.left, rc.top, rc.Width(), rc.Height()};
    return true;
}

void CGtkHostBackend::GetAccNodes(std::vector<HostAccNode>& nodes) {
    nodes.clear();
    if (m_pSink)
        m_pSink->OnBackendAccessibleNodes(nodes);
}

bool CGtkHostBackend::DoAccAction(uintptr_t nId) {
    return m_pSink && m_pSink->OnBackendAccessibleAction(nId);
}

bool CGtkHostBackend::FocusAccNode(uintptr_t nId) {
    return m_pSink && m_pSink->OnBackendAccessibleFocus(nId);
}

GtkWidget* CGtkHostBackend::GetEditWidget(int nEditId) {
    SGtkEdit* pEdit = m_window.GetEdit(nEditId);
    return pEdit ? pEdit->GetWidget() : nullptr;
}

void CGtkHostBackend::OnNativeDestroyed() {
    m_pAccess.reset();
    // A modal run must not outlive its window, or the program hangs.
    if (m_modal.IsRunning()) {
        SLogA("CGtkHostBackend::OnNativeDestroyed window gone during a modal run");
        m_modal.End(kModalWindowGone);
    }
    if (IHostBackendSink* pSink = m_pSink) {
        m_pSink = nullptr;
        pSink->OnBackendDestroyed();
    }
}

void UseGtkHostBackend() {
    SetHostBackendFactory(
        []() -> std::unique_ptr<IHostBackend> { return std::make_unique<CGtkHostBackend>(); });
}

}  // namespace SOUI
