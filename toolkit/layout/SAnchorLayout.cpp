#include "toolkit/layout/SAnchorLayout.h"

#include <algorithm>
#include <cstdint>

namespace SOUI {

namespace {
int Clamp(int64_t v) {
    return int(std::clamp<int64_t>(v, -SAnchorLayout::kMaxCoord, SAnchorLayout::kMaxCoord));
}

// The coordinate of an edge item along one axis.
int EdgeOf(const PosItem& item, int nStart, int nEnd, int nPrevStart, int nPrevEnd) {
    switch (item.ref) {
        case PosRef::Start:
            return Clamp(int64_t(nStart) + item.nValue);
        case PosRef::End:
            return Clamp(int64_t(nEnd) - item.nValue);
        case PosRef::Center:
            return Clamp((int64_t(nStart) + nEnd) / 2 + item.nValue);
        case PosRef::PrevEnd:
            return Clamp(int64_t(nPrevEnd) + item.nValue);
        case PosRef::PrevStart:
            return Clamp(int64_t(nPrevStart) + item.nValue);
        case PosRef::Size:
            break;
    }
    return Clamp(nStart);
}
}  // namespace

CRect SAnchorLayout::CalcRect(const SLayoutPos& pos, const CRect& rcParent, const CRect& rcPrev,
                              CSize szFixed, const std::function<CSize(int)>& measure) {
    if (pos.nCount == 0) {
        return CRect(Clamp(rcParent.left), Clamp(rcParent.top), Clamp(rcParent.right),
                     Clamp(rcParent.bottom));
    }
    const int nLeft =
        EdgeOf(pos.items[0], rcParent.left, rcParent.right, rcPrev.left, rcPrev.right);
    const int nTop = EdgeOf(pos.items[1], rcParent.top, rcParent.bottom, rcPrev.top, rcPrev.bottom);
    CSize szContent(-1, -1);
    auto content = [&]() {
        if (szContent.cx < 0) {
            szContent = measure ? measure(Clamp(int64_t(rcParent.right) - nLeft)) : CSize(0, 0);
        }
        return szContent;
    };
    int64_t nRight = nLeft;
    int64_t nBottom = nTop;
    if (pos.nCount == 2) {
        nRight = int64_t(nLeft) + (szFixed.cx >= 0 ? szFixed.cx : content().cx);
        nBottom = int64_t(nTop) + (szFixed.cy >= 0 ? szFixed.cy : content().cy);
    } else {
        const PosItem& r = pos.items[2];
        const PosItem& b = pos.items[3];
        if (r.ref == PosRef::Size) {
            nRight = int64_t(nLeft) + (r.IsContentSize() ? content().cx : r.nValue);
        } else {
            nRight = EdgeOf(r, rcParent.left, rcParent.right, rcPrev.left, rcPrev.right);
        }
        if (b.ref == PosRef::Size) {
            nBottom = int64_t(nTop) + (b.IsContentSize() ? content().cy : b.nValue);
        } else {
            nBottom = EdgeOf(b, rcParent.top, rcParent.bottom, rcPrev.top, rcPrev.bottom);
        }
    }
    // An inverted pos (right edge left of the left one) collapses instead of
    // producing a negative size that painting and hit-testing would trip on.
    return CRect(nLeft, nTop, std::max(nLeft, Clamp(nRight)), std::max(nTop, Clamp(nBottom)));
}

}  // namespace SOUI
