#include <gtest/gtest.h>

#include "toolkit/window/SWindowPlacement.h"

using namespace SOUI;

namespace {

struct PlaceCase {
    const char* pszWhat;
    SPlaceRect rcOver, rcArea;
    int cx, cy;
    int x, y;  // expected
};

TEST(WindowPlacement, CentredWindowsStayInTheWorkAreaTopLeftFirst) {
    const SPlaceRect kScreen{0, 0, 1280, 720};
    const SPlaceRect kBelowPanel{0, 32, 1280, 688};
    const PlaceCase cases[] = {
        {"fits: centred", kScreen, kScreen, 806, 488, 237, 116},
        {"wider and taller: top-left corner at the area's", kScreen, kScreen, 1612, 976, 0, 0},
        {"taller only: top edge kept, centred across", kScreen, kScreen, 806, 800, 237, 0},
        {"panel at the top: caption below it", kBelowPanel, kBelowPanel, 806, 760, 237, 32},
        {"owner near the right edge: pulled in",
         {1000, 300, 200, 100},
         kScreen,
         400,
         300,
         880,
         200},
        {"owner off the top-left: pushed in", {-300, -200, 200, 100}, kScreen, 400, 300, 0, 0},
        {"second monitor to the right",
         {1280, 0, 1920, 1080},
         {1280, 0, 1920, 1080},
         806,
         488,
         1837,
         296},
    };
    for (const PlaceCase& c : cases) {
        int x = -1, y = -1;
        CenterInArea(c.rcOver, c.rcArea, c.cx, c.cy, x, y);
        EXPECT_EQ(x, c.x) << c.pszWhat;
        EXPECT_EQ(y, c.y) << c.pszWhat;
    }
    // An unknown area leaves the wanted place alone.
    int x = -40, y = 7;
    FitIntoArea({0, 0, 0, 0}, 806, 488, x, y);
    EXPECT_EQ(x, -40);
    EXPECT_EQ(y, 7);
}

}  // namespace
