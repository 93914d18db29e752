#pragma once
#include "toolkit/control/SWindow.h"

namespace SOUI {

// A text; with multiLines it wraps at maxWidth (or the room it has), and
// GetDesiredSize gives the size the wrapped text needs.
class SStatic : public SWindow {
public:
    SOUI_CLASS_NAME(L"text")
    SStatic() { m_uTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE; }
    HostAccRole GetAccRole() const override { return HostAccRole::Label; }
};

}  // namespace SOUI
