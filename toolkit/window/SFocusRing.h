#pragma once
// The one mark of keyboard focus, for every control: a ring around the
// control, clear of it by a gap, so it never covers the control's text or
// skin. Two tones: dark blue keeps at least 3:1 contrast against light
// surfaces, a white edge outside it against dark ones.
#include "toolkit/render/CRect.h"
#include "toolkit/render/IRenderTarget.h"
#include "toolkit/render/SColor.h"

namespace SOUI {

class SFocusRing {
public:
    static constexpr int kGap = 1;
    static constexpr int kWidth = 2;  // the dark ring
    static constexpr int kHalo = 1;   // the white edge around it
    static constexpr SColor kColor{0x0b, 0x3a, 0x82, 0xff};
    static constexpr SColor kHaloColor{0xff, 0xff, 0xff, 0xff};

    // What the ring covers: the control's rectangle grown by the gap, the
    // ring and its edge.
    static CRect OuterRect(const CRect& rcControl);
    static void Draw(IRenderTarget* pRT, const CRect& rcControl);
};

}  // namespace SOUI
