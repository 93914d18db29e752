#include "RenderEnv.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace SOUI;

RenderEnv& RenderEnv::Get() {
    static RenderEnv env;
    return env;
}

RenderEnv::RenderEnv()
    : m_pLoader(std::make_unique<ComponentLoader>(std::wstring(L"" TEST_MODULE_DIR))) {
    if (!m_pLoader->LoadRenderFactory(&m_pFactory) ||
        !m_pLoader->LoadImageDecoderFactory(&m_pDecoder)) {
        ADD_FAILURE() << "render or decoder module missing in " << TEST_MODULE_DIR;
        return;
    }
    m_pFactory->SetImgDecoderFactory(m_pDecoder);
}

RenderEnv::~RenderEnv() {
    if (m_pFactory)
        m_pFactory->Release();
    if (m_pDecoder)
        m_pDecoder->Release();
}

uint32_t PixelAt(cairo_surface_t* pSurface, int x, int y) {
    cairo_surface_flush(pSurface);
    const unsigned char* pData = cairo_image_surface_get_data(pSurface);
    int nStride = cairo_image_surface_get_stride(pSurface);
    uint32_t px = 0;
    std::memcpy(&px, pData + size_t(y) * nStride + size_t(x) * 4, 4);
    return px;
}

uint32_t PixelAt(IRenderTarget* pRT, int x, int y) {
    return PixelAt(cairo_get_target(pRT->GetCairo()), x, y);
}

InkBox FindInk(IRenderTarget* pRT) {
    cairo_surface_t* pSurface = cairo_get_target(pRT->GetCairo());
    InkBox box;
    int w = cairo_image_surface_get_width(pSurface), h = cairo_image_surface_get_height(pSurface);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if ((PixelAt(pSurface, x, y) >> 24) == 0)
                continue;
            if (box.bEmpty) {
                box = {x, y, x + 1, y + 1, false};
            } else {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    return box;
}

IRenderTarget* NewTarget(int w, int h) {
    IRenderTarget* pRT = nullptr;
    EXPECT_TRUE(RenderEnv::Get().Factory()->CreateRenderTarget(w, h, &pRT));
    return pRT;
}

std::vector<char> EncodePng(cairo_surface_t* pSurface) {
    std::vector<char> out;
    cairo_surface_write_to_png_stream(
        pSurface,
        [](void* pClosure, const unsigned char* pData, unsigned int n) {
            auto* pOut = static_cast<std::vector<char>*>(pClosure);
            pOut->insert(pOut->end(), pData, pData + n);
            return CAIRO_STATUS_SUCCESS;
        },
        &out);
    return out;
}

cairo_surface_t* MakeCells(const std::vector<uint32_t>& colors, int nCellW, int nCellH,
                           bool bVertical) {
    int n = int(colors.size());
    cairo_surface_t* pSurface = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, bVertical ? nCellW : nCellW * n, bVertical ? nCellH * n : nCellH);
    cairo_t* cr = cairo_create(pSurface);
    for (int i = 0; i < n; ++i) {
        uint32_t c = colors[size_t(i)];
        cairo_set_source_rgb(cr, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0,
                             (c & 0xff) / 255.0);
        if (bVertical)
            cairo_rectangle(cr, 0, i * nCellH, nCellW, nCellH);
        else
            cairo_rectangle(cr, i * nCellW, 0, nCellW, nCellH);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return pSurface;
}
