#pragma once
#include <mutex>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IRenderFactory.h"

namespace SOUI {

class SFontCairo;

class SRenderFactoryCairo : public SObjectImpl<IRenderFactory> {
public:
    SRenderFactoryCairo();
    ~SRenderFactoryCairo() override;

    void SetImgDecoderFactory(IImgDecoderFactory* pDecoder) override;
    IImgDecoderFactory* GetImgDecoderFactory() override { return m_pDecoder; }
    bool CreateRenderTarget(int nWidth, int nHeight, IRenderTarget** ppTarget) override;
    bool CreateRenderTargetOnSurface(cairo_surface_t* pSurface, IRenderTarget** ppTarget) override;
    bool CreateRenderTargetOnCairo(cairo_t* cr, int nWidth, int nHeight,
                                   IRenderTarget** ppTarget) override;
    bool CreateFont(const SFontDesc& desc, IFontS** ppFont) override;
    void SetDefaultFont(const SFontDesc& desc) override;
    const SFontDesc& GetDefaultFont() const override { return m_defFontDesc; }
    bool CreateBitmapFromMemory(const void* pBuf, size_t nSize, IBitmapS** ppBmp) override;
    bool CreateBitmapFromSurface(cairo_surface_t* pSurface, IBitmapS** ppBmp) override;
    CSize MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                      int nMaxWidth = -1) override;

    // A Pango-backed font for pFont (the default font when null or foreign),
    // with one reference.
    SFontCairo* ToCairoFont(IFontS* pFont);

private:
    IImgDecoderFactory* m_pDecoder = nullptr;
    SFontDesc m_defFontDesc;
    SFontCairo* m_pDefFont = nullptr;
    // A 1x1 surface for measuring without a target.
    cairo_surface_t* m_pMeasureSurface = nullptr;
    cairo_t* m_pMeasureCr = nullptr;
};

}  // namespace SOUI
