#include "toolkit/layout/SAnchorLayout.h"

namespace SOUI {

namespace {
// The coordinate of an edge item along one axis.
int EdgeOf(const PosItem& item, int nStart, int nEnd, int nPrevStart, int nPrevEnd) {
    switch (item.ref) {
        case PosRef::Start:
            return nStart + item.nValue;
        case PosRef::End:
            return nEnd - item.nValue;
        case PosRef::Center:
            return (nStart + nEnd) / 2 + item.nValue;
        case PosRef::PrevEnd:
            return nPrevEnd + item.nValue;
        case PosRef::PrevStart:
            return nPrevStart + item.nValue;
        case PosRef::Size:
            break;
    }
    return nStart;
}
}  // namespace

CRect SAnchorLayout::CalcRect(const SLayoutPos& pos, const CRect& rcParent, const CRect& rcPrev,
                              CSize szFixed, const std::function<CSize(int)>& measure) {
    if (pos.nCount == 0) {
        return rcParent;
    }
    const int nLeft =
        EdgeOf(pos.items[0], rcParent.left, rcParent.right, rcPrev.left, rcPrev.right);
    const int nTop = EdgeOf(pos.items[1], rcParent.top, rcParent.bottom, rcPrev.top, rcPrev.bottom);
    CSize szContent(-1, -1);
    auto content = [&]() {
        if (szContent.cx < 0) {
            szContent = measure ? measure(rcParent.right - nLeft) : CSize(0, 0);
        }
        return szContent;
    };
    int nRight = nLeft;
    int nBottom = nTop;
    if (pos.nCount == 2) {
        nRight = nLeft + (szFixed.cx >= 0 ? szFixed.cx : content().cx);
        nBottom = nTop + (szFixed.cy >= 0 ? szFixed.cy : content().cy);
    } else {
        const PosItem& r = pos.items[2];
        const PosItem& b = pos.items[3];
        if (r.ref == PosRef::Size) {
            nRight = nLeft + (r.IsContentSize() ? content().cx : r.nValue);
        } else {
            nRight = EdgeOf(r, rcParent.left, rcParent.right, rcPrev.left, rcPrev.right);
        }
        if (b.ref == PosRef::Size) {
            nBottom = nTop + (b.IsContentSize() ? content().cy : b.nValue);
        } else {
            nBottom = EdgeOf(b, rcParent.top, rcParent.bottom, rcPrev.top, rcPrev.bottom);
        }
    }
    // An inverted pos (right edge left of the left one) collapses instead of
    // producing a negative size that painting and hit-testing would trip on.
    if (nRight < nLeft) {
        nRight = nLeft;
    }
    if (nBottom < nTop) {
        nBottom = nTop;
    }
    return CRect(nLeft, nTop, nRight, nBottom);
}

}  // namespace SOUI
