#pragma once
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ComponentLoader.h"
#include "toolkit/render/IRenderFactory.h"

// The real renderer and decoder modules, loaded once for the test program.
class RenderEnv {
public:
    static RenderEnv& Get();
    SOUI::IRenderFactory* Factory() const { return m_pFactory; }
    SOUI::IImgDecoderFactory* Decoder() const { return m_pDecoder; }
    ComponentLoader& Loader() { return *m_pLoader; }
    ~RenderEnv();

private:
    RenderEnv();
    std::unique_ptr<ComponentLoader> m_pLoader;
    SOUI::IRenderFactory* m_pFactory = nullptr;
    SOUI::IImgDecoderFactory* m_pDecoder = nullptr;
};

// Premultiplied 0xAARRGGBB of one pixel of an ARGB32 surface.
uint32_t PixelAt(cairo_surface_t* pSurface, int x, int y);
uint32_t PixelAt(SOUI::IRenderTarget* pRT, int x, int y);
// Bounding box of pixels with any alpha; empty when there is no ink.
struct InkBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool bEmpty = true;
};
InkBox FindInk(SOUI::IRenderTarget* pRT);
// A new render target with its own image, one reference.
SOUI::IRenderTarget* NewTarget(int w, int h);
// Encodes a surface as PNG with cairo's own writer.
std::vector<char> EncodePng(cairo_surface_t* pSurface);
// An opaque image of side-by-side solid cells, one colour (0xRRGGBB) each.
cairo_surface_t* MakeCells(const std::vector<uint32_t>& colors, int nCellW, int nCellH,
                           bool bVertical = false);
// Opaque 0xAARRGGBB of an 0xRRGGBB colour.
constexpr uint32_t Opaque(uint32_t rgb) {
    return 0xff000000u | rgb;
}
