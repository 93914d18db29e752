#pragma once
// The `pos` attribute of a window: where its edges go, relative to its
// parent or its previous sibling, or how wide and high it is.
#include <string>

namespace SOUI {

enum class PosRef {
    Start,      // plain number: from the parent's left or top edge
    End,        // negative number or "-0": from the parent's right or bottom edge
    Center,     // "|": from the parent's centre
    PrevEnd,    // "[": from the previous sibling's right or bottom edge
    PrevStart,  // "{": from the previous sibling's left or top edge
    Size,       // "@": a width or height instead of an edge
};

struct PosItem {
    PosRef ref = PosRef::Start;
    int nValue = 0;  // offset (End counts inwards: "-5" is 5) or the size
    bool IsContentSize() const { return ref == PosRef::Size && nValue < 0; }
};

struct SLayoutPos {
    // 0 (no pos: fill the parent), 2 (a point; size from `size` or the
    // content) or 4 (left, top, right, bottom).
    int nCount = 0;
    PosItem items[4];

    // Parses "l,t,r,b" or "x,y"; false (and a cleared pos) on anything else.
    bool Parse(const std::wstring& strPos);
    std::wstring ToString() const;
};

// Parses one item ("-0", "|-150", "[20", "@-1"...).
bool ParsePosItem(const std::wstring& strItem, PosItem& item);

}  // namespace SOUI
