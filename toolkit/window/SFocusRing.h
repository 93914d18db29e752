#pragma once
// The one mark of keyboard focus, for every control: a solid ring around
// the control, clear of it by a gap, so it never covers the control's text
// or skin. Its dark blue keeps at least 3:1 contrast against the light
// surfaces the layouts put controls on.
#include "toolkit/render/CRect.h"
#include "toolkit/render/IRenderTarget.h"
#include "toolkit/render/SColor.h"

namespace SOUI {

class SFocusRing {
public:
    static constexpr int kGap = 1;
    static constexpr int kWidth = 2;
    static constexpr SColor kColor{0x0b, 0x3a, 0x82, 0xff};

    // What the ring covers, rings included: the control's rectangle grown
    // by the gap and the ring.
    static CRect OuterRect(const CRect& rcControl);
    static void Draw(IRenderTarget* pRT, const CRect& rcControl);
};

}  // namespace SOUI
