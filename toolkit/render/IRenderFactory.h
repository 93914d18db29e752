#pragma once
#include <cairo.h>

#include <cstddef>
#include <string>

#include "toolkit/core/IObjRef.h"
#include "toolkit/render/IBitmapS.h"
#include "toolkit/render/IFontS.h"
#include "toolkit/render/IImgDecoderFactory.h"
#include "toolkit/render/IRenderTarget.h"

namespace SOUI {

// The renderer module's root object. Every Create* hands out one reference
// through the out-parameter and returns false (with a log line, out left
// untouched) when it cannot.
struct IRenderFactory : public IObjRef {
    // The decoder that CreateBitmapFromMemory uses; the factory keeps a
    // reference. Null removes it.
    virtual void SetImgDecoderFactory(IImgDecoderFactory* pDecoder) = 0;
    virtual IImgDecoderFactory* GetImgDecoderFactory() = 0;

    // A target that owns a new transparent ARGB32 image of the given size.
    virtual bool CreateRenderTarget(int nWidth, int nHeight, IRenderTarget** ppTarget) = 0;
    // A target over an existing image surface (kept referenced).
    virtual bool CreateRenderTargetOnSurface(cairo_surface_t* pSurface,
                                             IRenderTarget** ppTarget) = 0;
    // A target over a context someone else owns (a GTK draw handler); the
    // context must outlive the target. nWidth/nHeight: the drawable size.
    virtual bool CreateRenderTargetOnCairo(cairo_t* cr, int nWidth, int nHeight,
                                           IRenderTarget** ppTarget) = 0;

    virtual bool CreateFont(const SFontDesc& desc, IFontS** ppFont) = 0;
    // The font DrawText uses when given none ("宋体", 15 until changed).
    virtual void SetDefaultFont(const SFontDesc& desc) = 0;
    virtual const SFontDesc& GetDefaultFont() const = 0;

    // Decodes through the decoder set above (false without one).
    virtual bool CreateBitmapFromMemory(const void* pBuf, size_t nSize, IBitmapS** ppBmp) = 0;
    // Wraps a copy of an ARGB32 surface's pixels.
    virtual bool CreateBitmapFromSurface(cairo_surface_t* pSurface, IBitmapS** ppBmp) = 0;

    // Measures without a target, as IRenderTarget::MeasureText.
    virtual CSize MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                              int nMaxWidth = -1) = 0;
};

}  // namespace SOUI
