#pragma once
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IBitmapS.h"

namespace SOUI {

class SBitmapCairo : public SObjectImpl<IBitmapS> {
public:
    // Takes over the surface's reference.
    explicit SBitmapCairo(cairo_surface_t* pSurface) : m_pSurface(pSurface) {}
    ~SBitmapCairo() override { cairo_surface_destroy(m_pSurface); }

    int Width() const override { return cairo_image_surface_get_width(m_pSurface); }
    int Height() const override { return cairo_image_surface_get_height(m_pSurface); }
    cairo_surface_t* GetSurface() const override { return m_pSurface; }

private:
    cairo_surface_t* m_pSurface;
};

}  // namespace SOUI
