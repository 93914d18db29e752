#pragma once
#include "toolkit/core/SLog.h"
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IBitmapS.h"

namespace SOUI {

class SBitmapCairo : public SObjectImpl<IBitmapS> {
public:
    // Takes over the surface's reference.
    explicit SBitmapCairo(cairo_surface_t* pSurface) : m_pSurface(pSurface) {}
    ~SBitmapCairo() override {
        if (m_pDoubleRes)
            m_pDoubleRes->Release();
        cairo_surface_destroy(m_pSurface);
    }

    int Width() const override { return cairo_image_surface_get_width(m_pSurface); }
    int Height() const override { return cairo_image_surface_get_height(m_pSurface); }
    cairo_surface_t* GetSurface() const override { return m_pSurface; }

    IBitmapS* GetDoubleRes() const override { return m_pDoubleRes; }
    bool SetDoubleRes(IBitmapS* pBmp2x) override {
        // A twin of another size would shift every source rectangle.
        bool bFits =
            !pBmp2x || (pBmp2x != this && !pBmp2x->GetDoubleRes() &&
                        pBmp2x->Width() == 2 * Width() && pBmp2x->Height() == 2 * Height());
        if (!bFits) {
            SLog(L"%s: %dx%d is not twice %dx%d; not used", L"SBitmapCairo::SetDoubleRes",
                 pBmp2x->Width(), pBmp2x->Height(), Width(), Height());
            pBmp2x = nullptr;
        }
        if (pBmp2x)
            pBmp2x->AddRef();
        if (m_pDoubleRes)
            m_pDoubleRes->Release();
        m_pDoubleRes = pBmp2x;
        return bFits;
    }

private:
    cairo_surface_t* m_pSurface;
    IBitmapS* m_pDoubleRes = nullptr;
};

}  // namespace SOUI
