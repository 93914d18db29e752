#pragma once
// Where a top-level window goes on a screen's work area.

namespace SOUI {

struct SPlaceRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// Moves the wanted top-left corner of a cx x cy window into rcArea: a window
// that fits lies wholly inside; one that does not keeps its top-left corner
// inside, so the caption along its top edge can still be grabbed and the
// window never starts at a negative position on a screen at the origin.
void FitIntoArea(const SPlaceRect& rcArea, int cx, int cy, int& x, int& y);

// The position that centres a cx x cy window on rcOver, fitted into rcArea.
void CenterInArea(const SPlaceRect& rcOver, const SPlaceRect& rcArea, int cx, int cy, int& x,
                  int& y);

}  // namespace SOUI
