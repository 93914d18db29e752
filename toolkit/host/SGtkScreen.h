#pragma once
// The screen a window goes on: its work area, and the scale a window that
// would not fit it is drawn at.
#include <gtk/gtk.h>

#include "toolkit/window/SWindowPlacement.h"

namespace SOUI {

// The work area (screen minus panels), in GTK's logical pixels, of the
// monitor pNear lies on, or of the primary monitor; false when there is none.
bool GetWorkArea(GtkWidget* pNear, SPlaceRect& rcArea);

// On X11, when a cx x cy window (logical pixels) is larger than the work
// area at the display's scale but fits at a smaller whole scale, draws every
// window at the largest such scale. A larger scale than the screen can show
// would hide the caption, the close button and the bottom of the window.
// Wayland compositors scale and place windows themselves: nothing is done.
void FitDisplayScale(GtkWidget* pWindow, int cx, int cy);

}  // namespace SOUI
