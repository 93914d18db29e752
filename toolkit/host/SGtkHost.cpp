#include "toolkit/host/SGtkHost.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

#include "toolkit/core/SLog.h"
#include "toolkit/host/CGtkHostBackend.h"
#include "toolkit/host/SGtkDesktopSettings.h"

namespace SOUI {

namespace {
bool g_bGtkHostInstalled = false;
}

bool InstallGtkHost() {
    if (g_bGtkHostInstalled)
        return true;
    const char* pszX11 = std::getenv("DISPLAY");
    const char* pszWayland = std::getenv("WAYLAND_DISPLAY");
    if ((!pszX11 || !*pszX11) && (!pszWayland || !*pszWayland)) {
        SLogA("SGtkHost::InstallGtkHost no display: DISPLAY and WAYLAND_DISPLAY are unset");
        std::fprintf(stderr,
                     "\nThis program needs a graphical display, but neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set.\n");
        return false;
    }
    if (!gtk_init_check(nullptr, nullptr)) {
        SLogA("SGtkHost::InstallGtkHost gtk_init_check failed for display [%s]",
              pszX11 && *pszX11 ? pszX11 : pszWayland);
        std::fprintf(stderr, "\nCannot open the display \"%s\".\n",
                     pszX11 && *pszX11 ? pszX11 : pszWayland);
        return false;
    }
    // Windows made from now on follow the desktop's text size, contrast
    // and motion, as native GTK programs do.
    SDesktopSettings settings = SGtkDesktopSettings::Read(nullptr, std::getenv("GTK_THEME"));
    SDesktopSettings::Set(settings);
    SLogA("SGtkHost::InstallGtkHost text scale %.2f, high contrast %d, animations %d",
              SDesktopSettings::Get().dTextScale, settings.bHighContrast ? 1 : 0,
              settings.bAnimations ? 1 : 0);
    UseGtkHostBackend();
    g_bGtkHostInstalled = true;
    return true;
}

}  // namespace SOUI
