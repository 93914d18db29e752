#pragma once
#include <string>

#include "toolkit/core/IObjRef.h"
#include "toolkit/render/CRect.h"
#include "toolkit/render/IRenderTarget.h"

namespace SOUI {

// Conventional state indexes of button-like skins.
enum : int {
    SKIN_STATE_NORMAL = 0,
    SKIN_STATE_HOVER = 1,
    SKIN_STATE_PUSHED = 2,
    SKIN_STATE_DISABLED = 3,
};

// Something that draws a control's background in one of several states.
struct ISkinObj : public IObjRef {
    // Draws state iState into rc. A state beyond the skin's last draws the
    // last one; a negative state draws state 0.
    virtual void Draw(IRenderTarget* pRT, const CRect& rc, int iState,
                      unsigned char byAlpha = 255) = 0;
    virtual int GetStates() const = 0;
    // Natural size of one state (the image cell); (0,0) for colour skins.
    virtual CSize GetSkinSize() const = 0;
    virtual const std::wstring& GetName() const = 0;
};

}  // namespace SOUI
