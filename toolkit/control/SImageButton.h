#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A button drawn by its skin's state frames (normal, hover, pushed,
// disabled) with an optional centred caption.
class SImageButton : public SWindow {
public:
    SOUI_CLASS_NAME(L"imgbtn")
    SImageButton();
    bool IsClickable() const override { return true; }
    HostAccRole GetAccRole() const override { return HostAccRole::PushButton; }
    CSize GetDesiredSize(int nMaxWidth) const override;
    // The caption keeps clear of the skin's edges.
    CRect GetTextRect() const override;
    static constexpr int kTextPadding = 4;
};

}  // namespace SOUI
