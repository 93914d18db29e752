#pragma once
// What a host window shows to assistive technology (screen readers): one
// node per control that means something to a user, in reading (tree)
// order. The model fills them; a backend turns them into the desktop's
// accessibility objects.
#include <cstdint>
#include <string>

#include "toolkit/backend/IHostBackend.h"

namespace SOUI {

enum class HostAccRole {
    Ignored,  // not shown to assistive technology (its children may be)
    Label,
    PushButton,
    CheckBox,
    Link,
    Entry,
    ProgressBar,
    Image,
    Document,  // read-only text of many lines
};

// State bits of a node.
inline constexpr unsigned kAccEnabled = 1u << 0;
inline constexpr unsigned kAccVisible = 1u << 1;  // shown, with every window above it
inline constexpr unsigned kAccFocusable = 1u << 2;
inline constexpr unsigned kAccFocused = 1u << 3;
inline constexpr unsigned kAccCheckable = 1u << 4;
inline constexpr unsigned kAccChecked = 1u << 5;
inline constexpr unsigned kAccReadOnly = 1u << 6;
inline constexpr unsigned kAccMultiLine = 1u << 7;
inline constexpr unsigned kAccDefault = 1u << 8;  // the button Enter presses

struct HostAccNode {
    uintptr_t nId = 0;  // stable while the control exists
    HostAccRole eRole = HostAccRole::Ignored;
    std::wstring strName;         // what it is announced by, translated
    std::wstring strDescription;  // its tool tip, when that says more
    std::wstring strText;         // the text it holds (labels, documents)
    unsigned nStates = 0;
    HostRect rc;  // window coordinates
    double dValue = 0;
    double dMin = 0;
    double dMax = 0;
    int nEditId = 0;  // the native entry standing in for it, if any

    bool operator==(const HostAccNode&) const = default;
};

}  // namespace SOUI
