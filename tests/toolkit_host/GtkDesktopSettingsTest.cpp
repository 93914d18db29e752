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
    struct Row {
        gint nDpi;  // 1024ths of a dot per inch
        gboolean bAnimations;
        const char* pszTheme;
        const char* pszGtkThemeVar;  // GTK_THEME
        double dScale;
        bool bHighContrast;
    } const rows[] = {
        {120 * 1024, TRUE, "Adwaita", nullptr, 1.25, false},
        {96 * 1024, FALSE, "HighContrastInverse", nullptr, 1.0, true},
        {144 * 1024, TRUE, "HighContrast", "Adwaita:dark", 1.5, false},
        {96 * 1024, TRUE, "Adwaita", "HighContrast", 1.0, true},
    };
    for (const Row& row : rows) {
        g_object_set(pSettings, "gtk-xft-dpi", row.nDpi, "gtk-enable-animations", row.bAnimations,
                     "gtk-theme-name", row.pszTheme, nullptr);
        SDesktopSettings read = SGtkDesktopSettings::Read(pSettings, row.pszGtkThemeVar);
        EXPECT_DOUBLE_EQ(read.dTextScale, row.dScale) << row.pszTheme;
        EXPECT_EQ(read.bAnimations, row.bAnimations != FALSE) << row.pszTheme;
        EXPECT_EQ(read.bHighContrast, row.bHighContrast) << row.pszTheme;
    }
    g_object_set(pSettings, "gtk-xft-dpi", 96 * 1024, "gtk-enable-animations", TRUE,
                 "gtk-theme-name", "Adwaita", nullptr);
}
