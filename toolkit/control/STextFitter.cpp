#include "toolkit/control/STextFitter.h"

#include <algorithm>

#include "toolkit/render/TextFormat.h"

namespace SOUI {

int STextFitter::FloorSize(int nSize) {
    return std::min(nSize, std::max(kMinFontSize, (nSize * 3 + 3) / 4));
}

STextFit STextFitter::Fit(const std::wstring& strText, const SFontDesc& font, unsigned uFormat,
                          CSize szBox, const TextMeasureFn& fnMeasure, int nFloorSize) {
    STextFit fit;
    fit.font = font;
    fit.uFormat = uFormat;
    if (strText.empty() || !fnMeasure) {
        return fit;
    }
    const bool bWraps = !(uFormat & DT_SINGLELINE) && (uFormat & DT_WORDBREAK);
    const int nFloor = nFloorSize > 0 ? std::min(nFloorSize, font.nSize) : FloorSize(font.nSize);
    auto tryAt = [&](int nSize, unsigned uFmt) {
        SFontDesc f = font;
        f.nSize = nSize;
        CSize sz = fnMeasure(strText, f, uFmt, szBox.cx);
        if (sz.cx > szBox.cx || sz.cy > szBox.cy) {
            return false;
        }
        fit.font = f;
        fit.uFormat = uFmt;
        fit.szText = sz;
        return true;
    };
    for (int nSize = font.nSize; nSize >= nFloor; --nSize) {
        if (tryAt(nSize, uFormat)) {
            fit.bShrunk = nSize < font.nSize;
            return fit;
        }
    }
    if (!bWraps) {
        const unsigned uWrapped = (uFormat & ~unsigned(DT_SINGLELINE)) | DT_WORDBREAK;
        SFontDesc floorFont = font;
        floorFont.nSize = nFloor;
        // Only a box that holds two lines of the smallest font may wrap.
        if (fnMeasure(L"Xg", floorFont, uFormat, -1).cy * 2 <= szBox.cy) {
            for (int nSize = font.nSize; nSize >= nFloor; --nSize) {
                if (tryAt(nSize, uWrapped)) {
                    fit.bShrunk = nSize < font.nSize;
                    fit.bWrapped = true;
                    return fit;
                }
            }
        }
    }
    fit.font.nSize = nFloor;
    fit.uFormat = uFormat | DT_END_ELLIPSIS;
    CSize sz = fnMeasure(strText, fit.font, uFormat, szBox.cx);
    fit.szText = CSize(std::min(sz.cx, szBox.cx), std::min(sz.cy, szBox.cy));
    fit.bShrunk = nFloor < font.nSize;
    fit.bElided = true;
    return fit;
}

}  // namespace SOUI
