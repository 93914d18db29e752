#pragma once
// The desktop's wishes for drawing as GTK hands them to every native
// program: its font DPI (GNOME's text scaling, times GDK_DPI_SCALE), whether
// animations are on, and whether its theme is a high-contrast one.
#include <gtk/gtk.h>

#include "toolkit/core/SDesktopSettings.h"

namespace SOUI {

class SGtkDesktopSettings {
public:
    // From pSettings (null: the default screen's); pszGtkTheme is the
    // GTK_THEME variable, which overrides the theme setting ("name:variant").
    static SDesktopSettings Read(GtkSettings* pSettings, const char* pszGtkTheme);
    // A theme name GTK's and GNOME's high-contrast themes go by.
    static bool IsHighContrastTheme(const char* pszTheme);
};

}  // namespace SOUI
