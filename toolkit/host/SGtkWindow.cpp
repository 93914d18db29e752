#include "toolkit/host/SGtkWindow.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include "toolkit/core/SLog.h"
#include "toolkit/host/SGtkAccessBridge.h"
#include "toolkit/host/SGtkEdit.h"
#include "toolkit/host/SGtkScreen.h"
#include "toolkit/host/SGtkText.h"

namespace SOUI {

namespace {

// Event coordinates are relative to the GDK window that got the event, which
// is a native edit's own window when the pointer is over one.
void ToClient(GtkWidget* pTop, GdkWindow* pFrom, double& x, double& y) {
    GdkWindow* pTopWindow = gtk_widget_get_window(pTop);
    for (GdkWindow* p = pFrom; p && p != pTopWindow; p = gdk_window_get_parent(p))
        gdk_window_coords_to_parent(p, x, y, &x, &y);
}

}  // namespace

SGtkWindow::SGtkWindow(ISGtkWindowListener* pListener) : m_pListener(pListener) {}

SGtkWindow::~SGtkWindow() {
    if (!m_pWindow)
        return;
    // Tearing down from our own side: the listener is going away too.
    g_signal_handlers_disconnect_by_data(m_pWindow, this);
    m_edits.clear();
    gtk_widget_destroy(m_pWindow);
    m_pWindow = nullptr;
}

bool SGtkWindow::Create(const std::wstring& strTitle, int cx, int cy, SGtkWindow* pOwner,
                        bool bTranslucent) {
    if (m_pWindow)
        return true;
    if (!gdk_display_get_default()) {
        SLogA("SGtkWindow::Create no display; call InstallGtkHost first");
        return false;
    }
    m_nWidth = cx > 0 ? cx : 1;
    m_nHeight = cy > 0 ? cy : 1;
    m_pWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* pWin = GTK_WINDOW(m_pWindow);
    gtk_window_set_decorated(pWin, FALSE);
    SetTitle(strTitle);

    GdkScreen* pScreen = gtk_widget_get_screen(m_pWindow);
    GdkVisual* pRgba = gdk_screen_get_rgba_visual(pScreen);
    m_bAlpha = bTranslucent && pRgba && gdk_screen_is_composited(pScreen);
    if (m_bAlpha)
        gtk_widget_set_visual(m_pWindow, pRgba);
    gtk_widget_set_app_paintable(m_pWindow, TRUE);
    if (!pOwner)
        FitDisplayScale(m_pWindow, m_nWidth, m_nHeight);
    // The layout fixes the size unless the window is made resizable.
    m_bResizable = false;
    gtk_window_set_resizable(pWin, FALSE);
    gtk_widget_set_size_request(m_pWindow, m_nWidth, m_nHeight);
    gtk_window_set_default_size(pWin, m_nWidth, m_nHeight);
    if (pOwner && pOwner->m_pWindow)
        gtk_window_set_transient_for(pWin, GTK_WINDOW(pOwner->m_pWindow));

    // A GtkFixed whose accessible object can speak for the drawn controls.
    m_pFixed = SGtkAccessCanvasNew();
    gtk_container_add(GTK_CONTAINER(m_pWindow), m_pFixed);
    gtk_widget_show(m_pFixed);

    gtk_widget_add_events(
        m_pWindow, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                       GDK_LEAVE_NOTIFY_MASK | GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK |
                       GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK | GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(m_pWindow, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(m_pWindow, "button-press-event", G_CALLBACK(OnButton), this);
    g_signal_connect(m_pWindow, "button-release-event", G_CALLBACK(OnButton), this);
    g_signal_connect(m_pWindow, "motion-notify-event", G_CALLBACK(OnMotion), this);
    g_signal_connect(m_pWindow, "leave-notify-event", G_CALLBACK(OnLeave), this);
    g_signal_connect(m_pWindow, "scroll-event", G_CALLBACK(OnScroll), this);
    g_signal_connect(m_pWindow, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(m_pWindow, "key-release-event", G_CALLBACK(OnKey), this);
    g_signal_connect(m_pWindow, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(m_pWindow, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(m_pWindow, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(m_pWindow, "focus-in-event", G_CALLBACK(OnFocusChange), this);
    g_signal_connect(m_pWindow, "focus-out-event", G_CALLBACK(OnFocusChange), this);
    g_signal_connect(m_pWindow, "destroy", G_CALLBACK(OnDestroy), this);
    gtk_widget_set_has_tooltip(m_pWindow, TRUE);
    g_signal_connect(m_pWindow, "query-tooltip", G_CALLBACK(OnQueryTooltip), this);
    gtk_widget_realize(m_pWindow);
    return true;
}

void SGtkWindow::Destroy() {
    if (m_pWindow)
        gtk_widget_destroy(m_pWindow);  // OnDestroy reports it
}

void SGtkWindow::Show() {
    if (m_pWindow)
        gtk_widget_show(m_pWindow);
}

void SGtkWindow::Hide() {
    if (m_pWindow)
        gtk_widget_hide(m_pWindow);
}

bool SGtkWindow::IsVisible() const {
    return m_pWindow && gtk_widget_get_visible(m_pWindow);
}

void SGtkWindow::Move(int x, int y) {
    if (m_pWindow)
        gtk_window_move(GTK_WINDOW(m_pWindow), x, y);
}

void SGtkWindow::Resize(int cx, int cy) {
    if (!m_pWindow)
        return;
    m_nWidth = cx > 0 ? cx : 1;
    m_nHeight = cy > 0 ? cy : 1;
    if (!m_bResizable)
        gtk_widget_set_size_request(m_pWindow, m_nWidth, m_nHeight);
    gtk_window_resize(GTK_WINDOW(m_pWindow), m_nWidth, m_nHeight);
    InvalidateAll();
}

void SGtkWindow::GetPosition(int& x, int& y) const {
    x = y = 0;
    if (m_pWindow)
        gtk_window_get_position(GTK_WINDOW(m_pWindow), &x, &y);
}

void SGtkWindow::GetSize(int& cx, int& cy) const {
    cx = m_nWidth;
    cy = m_nHeight;
}

void SGtkWindow::CenterOver(SGtkWindow* pOwner) {
    if (!m_pWindow)
        return;
    SPlaceRect rcArea, rcOver;
    GtkWidget* pNear = pOwner && pOwner->m_pWindow ? pOwner->m_pWindow : m_pWindow;
    if (!GetWorkArea(pNear, rcArea))
        return;
    rcOver = rcArea;
    if (pOwner && pOwner->m_pWindow && pOwner != this) {
        pOwner->GetPosition(rcOver.x, rcOver.y);
        pOwner->GetSize(rcOver.cx, rcOver.cy);
    }
    int x = 0, y = 0;
    CenterInArea(rcOver, rcArea, m_nWidth, m_nHeight, x, y);
    Move(x, y);
}

void SGtkWindow::Minimize() {
    if (m_pWindow)
        gtk_window_iconify(GTK_WINDOW(m_pWindow));
}

void SGtkWindow::Maximize() {
    if (m_pWindow)
        gtk_window_maximize(GTK_WINDOW(m_pWindow));
}

void SGtkWindow::Restore() {
    if (!m_pWindow)
        return;
    // The window manager may not have reported the state yet: undo both.
    gtk_window_unmaximize(GTK_WINDOW(m_pWindow));
    gtk_window_deiconify(GTK_WINDOW(m_pWindow));
}

void SGtkWindow::SetTitle(const std::wstring& strTitle) {
    if (m_pWindow)
        gtk_window_set_title(GTK_WINDOW(m_pWindow), GtkTextFromWide(strTitle).c_str());
}

void SGtkWindow::SetIcons(const std::vector<cairo_surface_t*>& icons) {
    if (!m_pWindow)
        return;
    GList* pList = nullptr;
    for (cairo_surface_t* pSurface : icons) {
        if (!pSurface || cairo_surface_get_type(pSurface) != CAIRO_SURFACE_TYPE_IMAGE)
            continue;
        int cx = cairo_image_surface_get_width(pSurface);
        int cy = cairo_image_surface_get_height(pSurface);
        if (GdkPixbuf* pPixbuf = gdk_pixbuf_get_from_surface(pSurface, 0, 0, cx, cy))
            pList = g_list_append(pList, pPixbuf);
    }
    gtk_window_set_icon_list(GTK_WINDOW(m_pWindow), pList);
    g_list_free_full(pList, g_object_unref);
}

void SGtkWindow::SetResizable(bool bResizable, int nMinWidth, int nMinHeight) {
    if (!m_pWindow)
        return;
    m_bResizable = bResizable;
    gtk_window_set_resizable(GTK_WINDOW(m_pWindow), bResizable);
    if (bResizable)
        gtk_widget_set_size_request(m_pWindow, nMinWidth > 0 ? nMinWidth : 1,
                                    nMinHeight > 0 ? nMinHeight : 1);
    else
        gtk_widget_set_size_request(m_pWindow, m_nWidth, m_nHeight);
}

void SGtkWindow::SetKind(bool bToolWindow, bool bDialog) {
    if (!m_pWindow)
        return;
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(m_pWindow), bToolWindow);
    gtk_window_set_type_hint(GTK_WINDOW(m_pWindow),
                             bDialog ? GDK_WINDOW_TYPE_HINT_DIALOG : GDK_WINDOW_TYPE_HINT_NORMAL);
}

void SGtkWindow::Invalidate(int x, int y, int cx, int cy) {
    if (m_pWindow && cx > 0 && cy > 0)
        gtk_widget_queue_draw_area(m_pWindow, x, y, cx, cy);
}

void SGtkWindow::InvalidateAll() {
    if (m_pWindow)
        gtk_widget_queue_draw(m_pWindow);
}

void SGtkWindow::SetCursor(CursorKind kind) {
    GdkWindow* pGdk = m_pWindow ? gtk_widget_get_window(m_pWindow) : nullptr;
    if (!pGdk || kind == m_cursor)
        return;
    m_cursor = kind;
    GdkDisplay* pDisplay = gdk_window_get_display(pGdk);
    GdkCursor* pCursor = nullptr;
    if (kind == CursorHand) {
        pCursor = gdk_cursor_new_from_name(pDisplay, "pointer");
        if (!pCursor)
            pCursor = gdk_cursor_new_for_display(pDisplay, GDK_HAND2);
    }
    gdk_window_set_cursor(pGdk, pCursor);  // null restores the default arrow
    if (pCursor)
        g_object_unref(pCursor);
}

void SGtkWindow::BeginMoveDrag() {
    GdkWindow* pGdk = m_pWindow ? gtk_widget_get_window(m_pWindow) : nullptr;
    if (!pGdk || !m_nPressButton)
        return;
    // The move follows the device that pressed. Without one (a display with
    // no seat, as a headless compositor has) GDK would crash looking for it.
    if (!m_pPressDevice) {
        SLog(L"%s: the press came from no pointer device; no move", L"SGtkWindow::BeginMoveDrag");
        return;
    }
    gdk_window_begin_move_drag_for_device(pGdk, m_pPressDevice, static_cast<gint>(m_nPressButton),
                                          m_nPressRootX, m_nPressRootY, m_nPressTime);
}

void SGtkWindow::SetSensitive(bool bSensitive) {
    if (m_pWindow)
        gtk_widget_set_sensitive(m_pWindow, bSensitive);
}

bool SGtkWindow::IsSensitive() const {
    return m_pWindow && gtk_widget_is_sensitive(m_pWindow);
}

void SGtkWindow::SetModalFor(SGtkWindow* pOwner) {
    if (!m_pWindow)
        return;
    gtk_window_set_transient_for(GTK_WINDOW(m_pWindow), pOwner && pOwner->m_pWindow
                                                            ? GTK_WINDOW(pOwner->m_pWindow)
                                                            : nullptr);
    gtk_window_set_modal(GTK_WINDOW(m_pWindow), pOwner != nullptr);
}

void SGtkWindow::Present() {
    if (m_pWindow)
        gtk_window_present(GTK_WINDOW(m_pWindow));
}

SGtkEdit* SGtkWindow::CreateEdit(int nEditId) {
    if (!m_pWindow)
        return nullptr;
    auto& pEdit = m_edits[nEditId];
    if (!pEdit)
        pEdit = std::make_unique<SGtkEdit>(this, nEditId);
    return pEdit.get();
}

SGtkEdit* SGtkWindow::GetEdit(int nEditId) const {
    auto it = m_edits.find(nEditId);
    return it == m_edits.end() ? nullptr : it->second.get();
}

void SGtkWindow::DestroyEdit(int nEditId) {
    m_edits.erase(nEditId);
}

void SGtkWindow::ClearEditFocus() {
    if (m_pWindow && IsEditFocused())
        gtk_window_set_focus(GTK_WINDOW(m_pWindow), nullptr);
}

bool SGtkWindow::IsEditFocused() const {
    for (const auto& entry : m_edits)
        if (entry.second->HasFocus())
            return true;
    return false;
}

unsigned long SGtkWindow::GetXid() const {
#ifdef GDK_WINDOWING_X11
    GdkWindow* pGdk = m_pWindow ? gtk_widget_get_window(m_pWindow) : nullptr;
    if (pGdk && GDK_IS_X11_WINDOW(pGdk))
        return gdk_x11_window_get_xid(pGdk);
#endif
    return 0;
}

gboolean SGtkWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    GdkRectangle rc;
    if (!gdk_cairo_get_clip_rectangle(cr, &rc))
        return FALSE;
    cairo_save(cr);
    cairo_rectangle(cr, rc.x, rc.y, rc.width, rc.height);
    cairo_clip(cr);
    if (pSelf->m_bAlpha) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
    } else {
        // Nothing composites: translucent shadow pixels land on an opaque backdrop.
        cairo_set_source_rgb(cr, kBackdropLevel, kBackdropLevel, kBackdropLevel);
    }
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    pSelf->m_pListener->OnNativePaint(cr, rc.x, rc.y, rc.width, rc.height);
    cairo_restore(cr);
    return FALSE;  // native edits draw on top
}

gboolean SGtkWindow::OnButton(GtkWidget* pWidget, GdkEventButton* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    if (!gtk_widget_is_sensitive(pWidget))
        return TRUE;
    double x = pEvent->x, y = pEvent->y;
    ToClient(pWidget, pEvent->window, x, y);
    ISGtkWindowListener::MouseAction action;
    switch (pEvent->type) {
        case GDK_BUTTON_PRESS:
            action = ISGtkWindowListener::MouseDown;
            pSelf->m_nPressButton = pEvent->button;
            pSelf->m_nPressRootX = static_cast<int>(pEvent->x_root);
            pSelf->m_nPressRootY = static_cast<int>(pEvent->y_root);
            pSelf->m_nPressTime = pEvent->time;
            pSelf->m_pPressDevice = gdk_event_get_device(reinterpret_cast<GdkEvent*>(pEvent));
            break;
        case GDK_2BUTTON_PRESS:
            action = ISGtkWindowListener::MouseDoubleClick;
            break;
        case GDK_BUTTON_RELEASE:
            action = ISGtkWindowListener::MouseUp;
            break;
        default:
            return TRUE;
    }
    pSelf->m_pListener->OnNativeMouse(action, static_cast<int>(x), static_cast<int>(y),
                                      pEvent->button, 0, pEvent->state);
    if (action == ISGtkWindowListener::MouseUp)
        pSelf->m_nPressButton = 0;
    // A press puts the tool tip away; the model says when it may come back.
    else if (pSelf->m_pWindow)
        gtk_widget_trigger_tooltip_query(pSelf->m_pWindow);
    return TRUE;
}

gboolean SGtkWindow::OnMotion(GtkWidget* pWidget, GdkEventMotion* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    if (!gtk_widget_is_sensitive(pWidget))
        return TRUE;
    double x = pEvent->x, y = pEvent->y;
    ToClient(pWidget, pEvent->window, x, y);
    pSelf->m_pListener->OnNativeMouse(ISGtkWindowListener::MouseMove, static_cast<int>(x),
                                      static_cast<int>(y), 0, 0, pEvent->state);
    return FALSE;
}

gboolean SGtkWindow::OnLeave(GtkWidget* pWidget, GdkEventCrossing* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    // Moving onto a native edit is still inside the window.
    if (pEvent->detail == GDK_NOTIFY_INFERIOR || pEvent->window != gtk_widget_get_window(pWidget))
        return FALSE;
    pSelf->m_pListener->OnNativeMouse(ISGtkWindowListener::MouseLeave, -1, -1, 0, 0, pEvent->state);
    return FALSE;
}

gboolean SGtkWindow::OnScroll(GtkWidget* pWidget, GdkEventScroll* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    if (!gtk_widget_is_sensitive(pWidget))
        return TRUE;
    int nDelta = 0;
    if (pEvent->direction == GDK_SCROLL_UP)
        nDelta = 1;
    else if (pEvent->direction == GDK_SCROLL_DOWN)
        nDelta = -1;
    else if (pEvent->direction == GDK_SCROLL_SMOOTH && pEvent->delta_y != 0)
        nDelta = pEvent->delta_y < 0 ? 1 : -1;
    if (!nDelta)
        return FALSE;
    double x = pEvent->x, y = pEvent->y;
    ToClient(pWidget, pEvent->window, x, y);
    pSelf->m_pListener->OnNativeMouse(ISGtkWindowListener::MouseWheel, static_cast<int>(x),
                                      static_cast<int>(y), 0, nDelta, pEvent->state);
    return TRUE;
}

gboolean SGtkWindow::OnKey(GtkWidget* pWidget, GdkEventKey* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    if (!gtk_widget_is_sensitive(pWidget))
        return TRUE;
    bool bDown = pEvent->type == GDK_KEY_PRESS;
    guint nKey = pEvent->keyval;
    bool bNavigation = nKey == GDK_KEY_Tab || nKey == GDK_KEY_ISO_Left_Tab ||
                       nKey == GDK_KEY_KP_Tab || nKey == GDK_KEY_Escape || nKey == GDK_KEY_Return ||
                       nKey == GDK_KEY_KP_Enter;
    if (pSelf->IsEditFocused()) {
        // Typing belongs to the entry; focus moves and dialog keys to the model.
        if (!bNavigation)
            return FALSE;
        bool bUsed = pSelf->m_pListener->OnNativeKey(nKey, pEvent->state, bDown);
        bool bTab = nKey == GDK_KEY_Tab || nKey == GDK_KEY_ISO_Left_Tab || nKey == GDK_KEY_KP_Tab;
        return bUsed || bTab;
    }
    pSelf->m_pListener->OnNativeKey(nKey, pEvent->state, bDown);
    // GTK's own focus chain must not move focus behind the model's back.
    return TRUE;
}

gboolean SGtkWindow::OnDelete(GtkWidget* pWidget, GdkEvent*, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    // An owner disabled under a modal dialog does not close, as on the desktop
    // the design came from.
    if (gtk_widget_is_sensitive(pWidget))
        pSelf->m_pListener->OnNativeCloseRequest();
    return TRUE;  // the listener decides whether the window goes
}

gboolean SGtkWindow::OnConfigure(GtkWidget*, GdkEventConfigure* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    if (pEvent->width != pSelf->m_nWidth || pEvent->height != pSelf->m_nHeight) {
        pSelf->m_nWidth = pEvent->width;
        pSelf->m_nHeight = pEvent->height;
        pSelf->m_pListener->OnNativeSize(pEvent->width, pEvent->height);
    }
    return FALSE;
}

gboolean SGtkWindow::OnWindowState(GtkWidget*, GdkEventWindowState* pEvent, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    WindowState state = ISGtkWindowListener::StateNormal;
    if (pEvent->new_window_state & GDK_WINDOW_STATE_ICONIFIED)
        state = ISGtkWindowListener::StateMinimized;
    else if (pEvent->new_window_state & GDK_WINDOW_STATE_MAXIMIZED)
        state = ISGtkWindowListener::StateMaximized;
    if (state != pSelf->m_state) {
        pSelf->m_state = state;
        pSelf->m_pListener->OnNativeState(state);
    }
    return FALSE;
}

gboolean SGtkWindow::OnFocusChange(GtkWidget*, GdkEventFocus* pEvent, gpointer pThis) {
    static_cast<SGtkWindow*>(pThis)->m_pListener->OnNativeFocus(pEvent->in != 0);
    return FALSE;
}

gboolean SGtkWindow::OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean bKeyboard,
                                    GtkTooltip* pTooltip, gpointer pThis) {
    std::wstring strTip;
    GdkRectangle rcArea{0, 0, 0, 0};
    if (!static_cast<SGtkWindow*>(pThis)->m_pListener->OnNativeQueryTooltip(x, y, bKeyboard != 0,
                                                                            strTip, rcArea))
        return FALSE;
    gtk_tooltip_set_text(pTooltip, GtkTextFromWide(strTip).c_str());
    // Moving within the area keeps the tip; leaving it asks again.
    gtk_tooltip_set_tip_area(pTooltip, &rcArea);
    return TRUE;
}

void SGtkWindow::OnDestroy(GtkWidget*, gpointer pThis) {
    auto* pSelf = static_cast<SGtkWindow*>(pThis);
    g_signal_handlers_disconnect_by_data(pSelf->m_pWindow, pSelf);
    pSelf->m_edits.clear();
    pSelf->m_pWindow = nullptr;
    pSelf->m_pFixed = nullptr;
    // Last: the listener may delete this object.
    pSelf->m_pListener->OnNativeDestroyed();
}

}  // namespace SOUI
