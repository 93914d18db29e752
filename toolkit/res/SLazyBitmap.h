#pragma once
// A PNG decoded the first time its pixels are wanted. The artwork twins for
// scale-2 screens are held this way, so a scale-1 screen never pays for
// them (four times the pixels of the plain images).
#include <string>
#include <vector>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IBitmapS.h"
#include "toolkit/render/IRenderFactory.h"

namespace SOUI {

class SLazyBitmap : public SObjectImpl<IBitmapS> {
public:
    // One reference, or null (a log line) when the bytes are no PNG with a
    // usable size. Keeps a reference to pFactory, which decodes.
    static SLazyBitmap* FromPng(IRenderFactory* pFactory, std::vector<char> png,
                                const std::wstring& strWhat);

    int Width() const override { return m_nWidth; }
    int Height() const override { return m_nHeight; }
    // Decodes now if not yet done; an image that will not decode draws as
    // transparent pixels of its size (and says so once).
    cairo_surface_t* GetSurface() const override;
    IBitmapS* GetDoubleRes() const override { return nullptr; }
    bool SetDoubleRes(IBitmapS* pBmp2x) override { return pBmp2x == nullptr; }

protected:
    ~SLazyBitmap() override;

private:
    SLazyBitmap(IRenderFactory* pFactory, std::vector<char> png, std::wstring strWhat, int nWidth,
                int nHeight);

    IRenderFactory* m_pFactory;
    mutable std::vector<char> m_png;
    std::wstring m_strWhat;
    int m_nWidth;
    int m_nHeight;
    mutable IBitmapS* m_pDecoded = nullptr;
    mutable cairo_surface_t* m_pBlank = nullptr;
};

}  // namespace SOUI
