#pragma once
#include <cstdint>
#include <string_view>

namespace SOUI {

// A straight (not premultiplied) RGBA colour. The packed form is 0xRRGGBBAA,
// the one the host backend and the layouts' "#rrggbbaa" use.
struct SColor {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 0;

    constexpr SColor() = default;
    constexpr SColor(uint8_t nR, uint8_t nG, uint8_t nB, uint8_t nA = 255)
        : r(nR), g(nG), b(nB), a(nA) {}
    constexpr bool operator==(const SColor&) const = default;

    static constexpr SColor FromRGBA(uint32_t v) {
        return SColor(uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
    }
    constexpr uint32_t ToRGBA() const {
        return uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | a;
    }
    constexpr bool IsTransparent() const { return a == 0; }

    // Accepts "#rrggbbaa", "#rrggbb" (opaque), "rgb(r,g,b)" and
    // "rgba(r,g,b,a)" with components 0-255, blanks allowed around numbers.
    // Anything else leaves out untouched and returns false.
    static bool Parse(std::wstring_view str, SColor& out);
};

}  // namespace SOUI
