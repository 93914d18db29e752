#include "toolkit/host/SGtkDesktopSettings.h"

#include <string>

namespace SOUI {

namespace {
// GTK keeps the font DPI in 1024ths; 96 is what the layouts are drawn for.
constexpr double kLayoutDpi = 96.0;
}  // namespace

bool SGtkDesktopSettings::IsHighContrastTheme(const char* pszTheme) {
    if (!pszTheme) {
        return false;
    }
    // "HighContrast", "HighContrastInverse", "HighContrast:dark".
    gchar* pszLower = g_ascii_strdown(pszTheme, -1);
    const bool bHigh = std::string(pszLower).find("highcontrast") != std::string::npos;
    g_free(pszLower);
    return bHigh;
}

SDesktopSettings SGtkDesktopSettings::Read(GtkSettings* pSettings, const char* pszGtkTheme) {
    SDesktopSettings settings;
    if (!pSettings) {
        pSettings = gtk_settings_get_default();
    }
    if (!pSettings) {
        return settings;
    }
    gint nDpi = -1;
    gboolean bAnimations = TRUE;
    gchar* pszTheme = nullptr;
    g_object_get(pSettings, "gtk-xft-dpi", &nDpi, "gtk-enable-animations", &bAnimations,
                 "gtk-theme-name", &pszTheme, nullptr);
    // The screen's resolution is what GTK lays its own text out at: the
    // font DPI times GDK_DPI_SCALE. -1: the desktop sets none, 96 applies.
    GdkScreen* pScreen = gdk_screen_get_default();
    const double dResolution = pScreen ? gdk_screen_get_resolution(pScreen) : -1;
    if (dResolution > 0) {
        settings.dTextScale = dResolution / kLayoutDpi;
    } else if (nDpi > 0) {
        settings.dTextScale = nDpi / 1024.0 / kLayoutDpi;
    }
    settings.bAnimations = bAnimations != FALSE;
    settings.bHighContrast = pszGtkTheme && *pszGtkTheme ? IsHighContrastTheme(pszGtkTheme)
                                                         : IsHighContrastTheme(pszTheme);
    g_free(pszTheme);
    return settings;
}

}  // namespace SOUI
