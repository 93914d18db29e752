#pragma once
// How a control's text is drawn so that it stays inside its box: as laid
// out; else in a smaller font, down to a floor; else wrapped, when the box
// is tall enough for more than one line; else cut with an ellipsis (the
// control then offers the whole text as its tool tip).
#include <functional>
#include <string>

#include "toolkit/render/CSize.h"
#include "toolkit/render/SFontDesc.h"

namespace SOUI {

struct STextFit {
    SFontDesc font;        // the font to draw with
    unsigned uFormat = 0;  // the DT_* flags to draw with
    CSize szText;          // what the text takes as drawn
    bool bShrunk = false;
    bool bWrapped = false;
    bool bElided = false;
};

// Size of text in a font and format, wrapping at nMaxWidth with DT_WORDBREAK.
using TextMeasureFn =
    std::function<CSize(const std::wstring&, const SFontDesc&, unsigned, int nMaxWidth)>;

class STextFitter {
public:
    // Text is never shrunk below this many pixels.
    static constexpr int kMinFontSize = 10;

    // The smallest size a font of nSize pixels is shrunk to: three quarters
    // of it, and not below kMinFontSize (nor above nSize).
    static int FloorSize(int nSize);
    // nFloorSize: the smallest size to try (0: FloorSize(font.nSize)); a
    // text drawn larger than laid out passes the floor of its laid-out size.
    static STextFit Fit(const std::wstring& strText, const SFontDesc& font, unsigned uFormat,
                        CSize szBox, const TextMeasureFn& fnMeasure, int nFloorSize = 0);
};

}  // namespace SOUI
