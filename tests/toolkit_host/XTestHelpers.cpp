#include "XTestHelpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <vector>

#include "toolkit/backend/IHostBackend.h"
#include "toolkit/core/SRunLoopUntil.h"
#include "toolkit/host/SGtkHost.h"

namespace gtkhosttest {

void RealWindowTest::SetUp() {
    std::string strReason;
    if (!OpenDisplayOrSkipReason(strReason))
        GTEST_SKIP() << strReason;
    XDoTool({"mousemove", "1", "1"});
}

void RealWindowTest::TearDown() {
    SOUI::SetHostBackendFactory({});
}

std::string Num(int n) {
    return std::to_string(n);
}

bool OpenDisplayOrSkipReason(std::string& strReason) {
    const char* pszDisplay = std::getenv("DISPLAY");
    if (!pszDisplay || !*pszDisplay) {
        strReason = "DISPLAY is unset: window tests need an X server (scripts/test.sh starts Xvfb)";
        return false;
    }
    if (!SOUI::InstallGtkHost()) {
        strReason = std::string("cannot open display ") + pszDisplay;
        return false;
    }
    return true;
}

bool WaitFor(const std::function<bool()>& condition, int nTimeoutMs) {
    return SOUI::RunLoopUntil(condition, nTimeoutMs);
}

bool XDoTool(std::initializer_list<std::string> args) {
    std::vector<std::string> strArgs{"xdotool"};
    strArgs.insert(strArgs.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& str : strArgs)
        argv.push_back(str.data());
    argv.push_back(nullptr);
    gint nStatus = -1;
    GError* pError = nullptr;
    bool bOk = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                            nullptr, nullptr, &nStatus, &pError);
    if (pError)
        g_error_free(pError);
    // Let GTK see what the server now sends.
    gdk_display_sync(gdk_display_get_default());
    return bOk && g_spawn_check_wait_status(nStatus, nullptr);
}

uint32_t ScreenPixel(int x, int y) {
    gdk_display_sync(gdk_display_get_default());
    GdkPixbuf* pPix = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, 1, 1);
    if (!pPix)
        return 0xFFFFFFFFu;
    const guchar* p = gdk_pixbuf_read_pixels(pPix);
    uint32_t nPixel = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    g_object_unref(pPix);
    return nPixel;
}

ScreenGrab::ScreenGrab(int x, int y, int cx, int cy) {
    gdk_display_sync(gdk_display_get_default());
    m_pPixbuf = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, cx, cy);
}

ScreenGrab::~ScreenGrab() {
    if (m_pPixbuf)
        g_object_unref(m_pPixbuf);
}

uint32_t ScreenGrab::Pixel(int x, int y) const {
    if (!m_pPixbuf || x < 0 || y < 0 || x >= gdk_pixbuf_get_width(m_pPixbuf) ||
        y >= gdk_pixbuf_get_height(m_pPixbuf))
        return 0xFFFFFFFFu;
    const guchar* p = gdk_pixbuf_read_pixels(m_pPixbuf) + y * gdk_pixbuf_get_rowstride(m_pPixbuf) +
                      x * gdk_pixbuf_get_n_channels(m_pPixbuf);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

int* CountDraws(GtkWidget* pWidget) {
    auto* pCount = new int(0);
    g_signal_connect_data(
        pWidget, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer p) -> gboolean {
            ++*static_cast<int*>(p);
            return FALSE;
        }),
        pCount, [](gpointer p, GClosure*) { delete static_cast<int*>(p); }, G_CONNECT_AFTER);
    return pCount;
}

bool IsShownByServer(unsigned long nXid) {
    Display* pDisplay = XOpenDisplay(nullptr);
    if (!pDisplay)
        return false;
    XWindowAttributes attrs{};
    bool bViewable = XGetWindowAttributes(pDisplay, nXid, &attrs) && attrs.map_state == IsViewable;
    XCloseDisplay(pDisplay);
    return bViewable;
}

void SendDeleteWindow(unsigned long nXid) {
    Display* pDisplay = XOpenDisplay(nullptr);
    if (!pDisplay)
        return;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = nXid;
    ev.xclient.message_type = XInternAtom(pDisplay, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(pDisplay, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(pDisplay, nXid, False, NoEventMask, &ev);
    XCloseDisplay(pDisplay);
}

RootMessageWatcher::RootMessageWatcher() {
    Display* pDisplay = XOpenDisplay(nullptr);
    m_pDisplay = pDisplay;
    if (pDisplay) {
        XSelectInput(pDisplay, DefaultRootWindow(pDisplay), SubstructureNotifyMask);
        XSync(pDisplay, False);
    }
}

RootMessageWatcher::~RootMessageWatcher() {
    if (m_pDisplay)
        XCloseDisplay(static_cast<Display*>(m_pDisplay));
}

bool RootMessageWatcher::Received(const char* pszType, unsigned long nXid, long* pData0) {
    auto* pDisplay = static_cast<Display*>(m_pDisplay);
    if (!pDisplay)
        return false;
    Atom type = XInternAtom(pDisplay, pszType, False);
    while (XPending(pDisplay)) {
        XEvent ev;
        XNextEvent(pDisplay, &ev);
        if (ev.type == ClientMessage && ev.xclient.message_type == type &&
            ev.xclient.window == nXid) {
            if (pData0)
                *pData0 = ev.xclient.data.l[0];
            return true;
        }
    }
    return false;
}

}  // namespace gtkhosttest
