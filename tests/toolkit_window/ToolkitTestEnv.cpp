#include "ToolkitTestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SHostWnd.h"

CPreviewEnv& ToolkitEnv() {
    static CPreviewEnv* s_pEnv = [] {
        auto* p = new CPreviewEnv();
        EXPECT_TRUE(p->Init(PreviewLang::Chinese));
        return p;
    }();
    return *s_pEnv;
}

uint32_t ProbeSurface(cairo_surface_t* pSurface, int x, int y) {
    cairo_surface_flush(pSurface);
    const unsigned char* pData = cairo_image_surface_get_data(pSurface);
    int nStride = cairo_image_surface_get_stride(pSurface);
    return *reinterpret_cast<const uint32_t*>(pData + y * nStride + x * 4);
}

uint32_t ProbePixel(SOUI::SHostWnd& wnd, int x, int y) {
    SOUI::COffscreenBackend* pOff = wnd.GetOffscreen();
    return pOff ? ProbeSurface(pOff->GetSurface(), x, y) : 0;
}

bool NearColor(uint32_t a, uint32_t b, int nTolerance) {
    for (int nShift = 0; nShift < 32; nShift += 8) {
        int ca = static_cast<int>((a >> nShift) & 0xff);
        int cb = static_cast<int>((b >> nShift) & 0xff);
        if (std::abs(ca - cb) > nTolerance) {
            return false;
        }
    }
    return true;
}

uint32_t OverWhite(uint32_t argb) {
    uint32_t a = argb >> 24;
    uint32_t r = ((argb >> 16) & 0xff) + 255 - a;
    uint32_t g = ((argb >> 8) & 0xff) + 255 - a;
    uint32_t b = (argb & 0xff) + 255 - a;
    return (r << 16) | (g << 8) | b;
}

namespace {
// WCAG relative luminance.
double Luminance(uint32_t rgb) {
    auto channel = [](uint32_t v) {
        double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((rgb >> 16) & 0xff) + 0.7152 * channel((rgb >> 8) & 0xff) +
           0.0722 * channel(rgb & 0xff);
}
}  // namespace

double Contrast(uint32_t a, uint32_t b) {
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
