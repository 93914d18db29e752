#pragma once
// Turns a window's `pos` into a rectangle inside its parent.
#include <functional>

#include "toolkit/layout/SLayoutPos.h"
#include "toolkit/render/CRect.h"

namespace SOUI {

class SAnchorLayout {
public:
    // Edges are kept within this distance of the origin: far beyond any
    // screen, and sums of a few such values still fit an int.
    static constexpr int kMaxCoord = 1 << 20;

    // rcParent: the parent's rectangle; rcPrev: the previous sibling's (for
    // "[" and "{"; empty at rcParent's top left when there is none);
    // szFixed: the `size` attribute of a two-value pos (cx or cy < 0 when
    // absent); measure(maxWidth) gives the content size for "@-1" and for a
    // two-value pos without `size`. Every edge is clamped to +-kMaxCoord.
    static CRect CalcRect(const SLayoutPos& pos, const CRect& rcParent, const CRect& rcPrev,
                          CSize szFixed, const std::function<CSize(int)>& measure);
};

}  // namespace SOUI
