#include "toolkit/host/SGtkScreen.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>

#include "toolkit/core/SLog.h"

namespace SOUI {

namespace {

GdkMonitor* MonitorOf(GtkWidget* pNear) {
    GdkDisplay* pDisplay = pNear ? gtk_widget_get_display(pNear) : gdk_display_get_default();
    if (!pDisplay)
        return nullptr;
    GdkWindow* pGdk = pNear ? gtk_widget_get_window(pNear) : nullptr;
    GdkMonitor* pMonitor = pGdk ? gdk_display_get_monitor_at_window(pDisplay, pGdk) : nullptr;
    if (!pMonitor)
        pMonitor = gdk_display_get_primary_monitor(pDisplay);
    if (!pMonitor)
        pMonitor = gdk_display_get_monitor(pDisplay, 0);
    return pMonitor;
}

}  // namespace

bool GetWorkArea(GtkWidget* pNear, SPlaceRect& rcArea) {
    GdkMonitor* pMonitor = MonitorOf(pNear);
    if (!pMonitor)
        return false;
    GdkRectangle rc{0, 0, 0, 0};
    gdk_monitor_get_workarea(pMonitor, &rc);
    rcArea = {rc.x, rc.y, rc.width, rc.height};
    return rc.width > 0 && rc.height > 0;
}

void FitDisplayScale(GtkWidget* pWindow, int cx, int cy) {
#ifdef GDK_WINDOWING_X11
    GdkDisplay* pDisplay = pWindow ? gtk_widget_get_display(pWindow) : nullptr;
    GdkMonitor* pMonitor = MonitorOf(pWindow);
    if (!pDisplay || !GDK_IS_X11_DISPLAY(pDisplay) || !pMonitor || cx <= 0 || cy <= 0)
        return;
    const int nScale = gdk_monitor_get_scale_factor(pMonitor);
    SPlaceRect rcArea;
    if (nScale <= 1 || !GetWorkArea(pWindow, rcArea) || (cx <= rcArea.cx && cy <= rcArea.cy))
        return;
    const int nFit = std::max(1, std::min(rcArea.cx * nScale / cx, rcArea.cy * nScale / cy));
    if (nFit >= nScale)
        return;
    SLog(L"%s: a %dx%d window does not fit the %dx%d work area at scale %d; drawing at scale %d",
         L"SGtkScreen::FitDisplayScale", cx, cy, rcArea.cx * nScale, rcArea.cy * nScale, nScale,
         nFit);
    gdk_x11_display_set_window_scale(pDisplay, nFit);
#else
    (void)pWindow;
    (void)cx;
    (void)cy;
#endif
}

}  // namespace SOUI
