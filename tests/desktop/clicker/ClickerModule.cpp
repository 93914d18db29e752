// A GTK module the Wayland tests load into the real installer (GTK_MODULES):
// a headless compositor has no input devices to script from outside, so the
// clicks are handed to the window from inside the process, as GTK would
// deliver them.
//   TOVADOC_TEST_TYPE=text     put into the first text entry before the first click
//   TOVADOC_TEST_CLICKS="x,y x,y ..."
//                              left clicks in window units of the dialog shown,
//                              else of the main window: the first once the main
//                              window has been drawn, then one every 700 ms; the
//                              last one repeats until the program ends
// Writes "clicker: ..." lines to standard error.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<int, int>> g_clicks;
size_t g_nNext = 0;
bool g_bDrawn = false;

// The window a user would click: a mapped dialog over its owner first, then
// the main window.
GtkWidget* MappedToplevel() {
    GList* pList = gtk_window_list_toplevels();
    GtkWidget* pMain = nullptr;
    GtkWidget* pDialog = nullptr;
    for (GList* p = pList; p; p = p->next) {
        auto* pWidget = static_cast<GtkWidget*>(p->data);
        if (!gtk_widget_get_mapped(pWidget) ||
            gtk_window_get_window_type(GTK_WINDOW(pWidget)) != GTK_WINDOW_TOPLEVEL)
            continue;
        (gtk_window_get_transient_for(GTK_WINDOW(pWidget)) ? pDialog : pMain) = pWidget;
    }
    g_list_free(pList);
    return pDialog ? pDialog : pMain;
}

GtkWidget* FirstEntry(GtkWidget* pWidget) {
    if (GTK_IS_ENTRY(pWidget))
        return pWidget;
    if (!GTK_IS_CONTAINER(pWidget))
        return nullptr;
    GList* pChildren = gtk_container_get_children(GTK_CONTAINER(pWidget));
    GtkWidget* pFound = nullptr;
    for (GList* p = pChildren; p && !pFound; p = p->next)
        pFound = FirstEntry(static_cast<GtkWidget*>(p->data));
    g_list_free(pChildren);
    return pFound;
}

void Send(GtkWidget* pTop, GdkEventType type, int x, int y) {
    GdkEvent* pEvent = gdk_event_new(type);
    GdkWindow* pGdk = gtk_widget_get_window(pTop);
    GdkSeat* pSeat = gdk_display_get_default_seat(gtk_widget_get_display(pTop));
    if (pSeat)
        gdk_event_set_device(pEvent, gdk_seat_get_pointer(pSeat));
    if (type == GDK_MOTION_NOTIFY) {
        pEvent->motion.window = GDK_WINDOW(g_object_ref(pGdk));
        pEvent->motion.send_event = TRUE;
        pEvent->motion.x = x;
        pEvent->motion.y = y;
    } else {
        pEvent->button.window = GDK_WINDOW(g_object_ref(pGdk));
        pEvent->button.send_event = TRUE;
        pEvent->button.x = x;
        pEvent->button.y = y;
        pEvent->button.button = 1;
        pEvent->button.time = GDK_CURRENT_TIME;
    }
    gtk_widget_event(pTop, pEvent);
    gdk_event_free(pEvent);
}

gboolean OnDrawn(GtkWidget*, cairo_t*, gpointer) {
    g_bDrawn = true;
    return FALSE;
}

gboolean Click(gpointer pIndex) {
    GtkWidget* pTop = MappedToplevel();
    size_t nIndex = size_t(GPOINTER_TO_INT(pIndex));
    if (!pTop)
        return G_SOURCE_REMOVE;
    auto [x, y] = g_clicks[nIndex];
    bool bDialog = gtk_window_get_transient_for(GTK_WINDOW(pTop)) != nullptr;
    std::fprintf(stderr, "clicker: clicking %d,%d in the %s\n", x, y,
                 bDialog ? "dialog" : "main window");
    Send(pTop, GDK_MOTION_NOTIFY, x, y);
    Send(pTop, GDK_BUTTON_PRESS, x, y);
    // The press may have ended the program's window.
    if ((pTop = MappedToplevel()))
        Send(pTop, GDK_BUTTON_RELEASE, x, y);
    return G_SOURCE_REMOVE;
}

gboolean Tick(gpointer) {
    GtkWidget* pTop = MappedToplevel();
    if (!pTop)
        return G_SOURCE_CONTINUE;
    if (!g_object_get_data(G_OBJECT(pTop), "clicker")) {
        g_object_set_data(G_OBJECT(pTop), "clicker", pTop);
        g_signal_connect(pTop, "draw", G_CALLBACK(OnDrawn), nullptr);
        gtk_widget_queue_draw(pTop);
        int cx = gtk_widget_get_allocated_width(pTop), cy = gtk_widget_get_allocated_height(pTop);
        std::fprintf(stderr, "clicker: window mapped %dx%d scale %d\n", cx, cy,
                     gtk_widget_get_scale_factor(pTop));
        return G_SOURCE_CONTINUE;
    }
    if (!g_bDrawn || g_clicks.empty())
        return G_SOURCE_CONTINUE;
    if (g_nNext == 0) {
        const char* pszType = std::getenv("TOVADOC_TEST_TYPE");
        GtkWidget* pEntry = FirstEntry(pTop);
        if (pszType && pEntry) {
            gtk_entry_set_text(GTK_ENTRY(pEntry), pszType);
            std::fprintf(stderr, "clicker: typed %s\n", pszType);
        }
    }
    // Clicked from a source of its own: a click that opens a modal dialog
    // runs the dialog's loop inside it, and this tick must go on meanwhile.
    g_idle_add(Click, GINT_TO_POINTER(int(std::min(g_nNext, g_clicks.size() - 1))));
    ++g_nNext;
    return G_SOURCE_CONTINUE;
}

}  // namespace

extern "C" G_MODULE_EXPORT void gtk_module_init(gint*, gchar***) {
    if (const char* pszClicks = std::getenv("TOVADOC_TEST_CLICKS")) {
        int x = 0, y = 0, n = 0;
        for (const char* p = pszClicks; std::sscanf(p, " %d,%d%n", &x, &y, &n) == 2; p += n)
            g_clicks.emplace_back(x, y);
    }
    std::fprintf(stderr, "clicker: loaded with %zu clicks\n", g_clicks.size());
    g_timeout_add(700, Tick, nullptr);
}
