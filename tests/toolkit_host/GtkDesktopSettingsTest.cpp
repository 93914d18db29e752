// The desktop's text size, contrast and motion as GTK hands them to the
// program, read from the real GtkSettings of the display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "XTestHelpers.h"
#include "toolkit/host/SGtkDesktopSettings.h"

using namespace SOUI;

TEST(SGtkDesktopSettings, FollowsFontDpiAnimationsAndTheTheme) {
    std::string strReason;
    if (!gtkhosttest::OpenDisplayOrSkipReason(strReason))
        GTEST_SKIP() << strReason;
    GtkSettings* pSettings = gtk_settings_get_default();
    ASSERT_NE(pSettings, nullptr);
    gint nOldDpi = 0;
    gboolean bOldAnimations = TRUE;
    gchar* pszOldTheme = nullptr;
    g_object_get(pSettings, "gtk-xft-dpi", &nOldDpi, "gtk-enable-animations", &bOldAnimations,
                 "gtk-theme-name", &pszOldTheme, nullptr);
    struct Row {
        const char* pszWhat;
        gint nDpi;  // 1024ths of a dot per inch; -1: not set
        gboolean bAnimations;
        const char* pszTheme;
        const char* pszGtkThemeVar;
        const char* pszDpiScaleVar;  // GDK_DPI_SCALE
        double dScale;
        bool bHighContrast;
    };
    const Row rows[] = {
        {"the desktop's defaults", -1, TRUE, "Adwaita", nullptr, nullptr, 1.0, false},
        {"GNOME's large text (1.25)", 120 * 1024, TRUE, "Adwaita", nullptr, nullptr, 1.25, false},
        {"font DPI 144", 144 * 1024, TRUE, "Adwaita", nullptr, nullptr, 1.5, false},
        {"GDK_DPI_SCALE over the font DPI", 96 * 1024, TRUE, "Adwaita", nullptr, "1.5", 1.5, false},
        {"reduced motion", 96 * 1024, FALSE, "Adwaita", nullptr, nullptr, 1.0, false},
        {"high-contrast theme", -1, TRUE, "HighContrast", nullptr, nullptr, 1.0, true},
        {"inverse high contrast", -1, TRUE, "HighContrastInverse", nullptr, nullptr, 1.0, true},
        {"GTK_THEME overrides the setting", -1, TRUE, "Adwaita", "HighContrast:dark", nullptr, 1.0,
         true},
        {"GTK_THEME of a plain theme", -1, TRUE, "HighContrast", "Adwaita", nullptr, 1.0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        if (row.pszDpiScaleVar) {
            setenv("GDK_DPI_SCALE", row.pszDpiScaleVar, 1);
        }
        // GTK takes GDK_DPI_SCALE in when the font DPI changes.
        g_object_set(pSettings, "gtk-xft-dpi", 1, nullptr);
        g_object_set(pSettings, "gtk-xft-dpi", row.nDpi, "gtk-enable-animations", row.bAnimations,
                     "gtk-theme-name", row.pszTheme, nullptr);
        unsetenv("GDK_DPI_SCALE");
        SDesktopSettings read = SGtkDesktopSettings::Read(pSettings, row.pszGtkThemeVar);
        EXPECT_DOUBLE_EQ(read.dTextScale, row.dScale);
        EXPECT_EQ(read.bAnimations, row.bAnimations != FALSE);
        EXPECT_EQ(read.bHighContrast, row.bHighContrast);
    }
    g_object_set(pSettings, "gtk-xft-dpi", nOldDpi, "gtk-enable-animations", bOldAnimations,
                 "gtk-theme-name", pszOldTheme, nullptr);
    g_free(pszOldTheme);
}
