#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// The drag area of a window: pressing on it (not on a child) moves the host.
class SCaption : public SWindow {
public:
    SOUI_CLASS_NAME(L"caption")
    bool IsCaption() const override { return true; }
};

}  // namespace SOUI
