// Window positions of layouts ("10,[5,-0,@30") and where they put a window.
#include "fuzz/FuzzSupport.h"
#include "toolkit/layout/SAnchorLayout.h"
#include "toolkit/layout/SLayoutPos.h"
#include "toolkit/render/SStrUtil.h"

using namespace SOUI;

namespace {

bool SamePos(const SLayoutPos& a, const SLayoutPos& b) {
    if (a.nCount != b.nCount) {
        return false;
    }
    for (int i = 0; i < a.nCount; ++i) {
        if (a.items[i].ref != b.items[i].ref || a.items[i].nValue != b.items[i].nValue) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::wstring str = Utf8ToWide(FuzzBytes(pData, nSize));
    SLayoutPos pos;
    if (!pos.Parse(str)) {
        FUZZ_CHECK(pos.nCount == 0);
        return 0;
    }
    SLayoutPos again;
    FUZZ_CHECK(again.Parse(pos.ToString()) && SamePos(again, pos));

    // Parents and previous siblings from the usual to the largest the layout
    // can produce; the result is a rectangle (never inverted) in that range.
    const int kFar = SAnchorLayout::kMaxCoord;
    const CRect parents[] = {CRect(0, 0, 806, 488), CRect(-kFar, -kFar, kFar, kFar),
                             CRect(kFar, kFar, kFar, kFar), CRect(-kFar, 0, -kFar, 0)};
    for (const CRect& rcParent : parents) {
        for (const CRect& rcPrev : parents) {
            for (CSize szFixed : {CSize(-1, -1), CSize(kFar, kFar), CSize(0, 7)}) {
                CRect rc = SAnchorLayout::CalcRect(pos, rcParent, rcPrev, szFixed,
                                                   [](int nMax) { return CSize(nMax, kFar); });
                FUZZ_CHECK(rc.left <= rc.right && rc.top <= rc.bottom);
                for (int v : {rc.left, rc.top, rc.right, rc.bottom}) {
                    FUZZ_CHECK(v >= -kFar && v <= kFar);
                }
            }
        }
    }
    return 0;
}
