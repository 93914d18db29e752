#include "ToolkitTestEnv.h"

#include <gtest/gtest.h>

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
