#include "SRenderFactoryCairo.h"

#include <cstring>

#include "SBitmapCairo.h"
#include "SFontCairo.h"
#include "SRenderTargetCairo.h"
#include "STextLayout.h"
#include "toolkit/core/SLog.h"

namespace SOUI {

namespace {

// Images beyond this are refused rather than allocated.
constexpr int kMaxSide = 16384;

bool SurfaceOk(cairo_surface_t* pSurface, const wchar_t* pszWhere) {
    if (!pSurface || cairo_surface_status(pSurface) != CAIRO_STATUS_SUCCESS) {
        SLog(L"%s: cairo surface failed: %s", pszWhere, pSurface ? L"bad status" : L"null surface");
        return false;
    }
    return true;
}

}  // namespace

SRenderFactoryCairo::SRenderFactoryCairo() {
    m_defFontDesc.strFace = L"宋体";
    m_defFontDesc.nSize = 15;
    m_pDefFont = new SFontCairo(m_defFontDesc);
    m_pMeasureSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    m_pMeasureCr = cairo_create(m_pMeasureSurface);
}

SRenderFactoryCairo::~SRenderFactoryCairo() {
    if (m_pDecoder)
        m_pDecoder->Release();
    m_pDefFont->Release();
    cairo_destroy(m_pMeasureCr);
    cairo_surface_destroy(m_pMeasureSurface);
}

void SRenderFactoryCairo::SetImgDecoderFactory(IImgDecoderFactory* pDecoder) {
    if (pDecoder)
        pDecoder->AddRef();
    if (m_pDecoder)
        m_pDecoder->Release();
    m_pDecoder = pDecoder;
}

bool SRenderFactoryCairo::CreateRenderTarget(int nWidth, int nHeight, IRenderTarget** ppTarget) {
    if (!ppTarget || nWidth <= 0 || nHeight <= 0 || nWidth > kMaxSide || nHeight > kMaxSide) {
        SLog(L"%s: bad size %dx%d", L"SRenderFactoryCairo::CreateRenderTarget", nWidth, nHeight);
        return false;
    }
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nWidth, nHeight);
    bool bOk = SurfaceOk(pSurface, L"SRenderFactoryCairo::CreateRenderTarget") &&
               CreateRenderTargetOnSurface(pSurface, ppTarget);
    cairo_surface_destroy(pSurface);
    return bOk;
}

bool SRenderFactoryCairo::CreateRenderTargetOnSurface(cairo_surface_t* pSurface,
                                                      IRenderTarget** ppTarget) {
    if (!ppTarget || !SurfaceOk(pSurface, L"SRenderFactoryCairo::CreateRenderTargetOnSurface"))
        return false;
    int w = 0, h = 0;
    if (cairo_surface_get_type(pSurface) == CAIRO_SURFACE_TYPE_IMAGE) {
        w = cairo_image_surface_get_width(pSurface);
        h = cairo_image_surface_get_height(pSurface);
    }
    // The context keeps the surface alive for as long as the target.
    cairo_t* cr = cairo_create(pSurface);
    bool bOk = CreateRenderTargetOnCairo(cr, w, h, ppTarget);
    cairo_destroy(cr);
    return bOk;
}

bool SRenderFactoryCairo::CreateRenderTargetOnCairo(cairo_t* cr, int nWidth, int nHeight,
                                                    IRenderTarget** ppTarget) {
    if (!ppTarget || !cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        SLog(L"%s: no usable cairo context", L"SRenderFactoryCairo::CreateRenderTargetOnCairo");
        return false;
    }
    *ppTarget = new SRenderTargetCairo(this, cr, nWidth, nHeight);
    return true;
}

bool SRenderFactoryCairo::CreateFont(const SFontDesc& desc, IFontS** ppFont) {
    if (!ppFont || desc.nSize < 1) {
        SLog(L"%s: bad font size %d", L"SRenderFactoryCairo::CreateFont", desc.nSize);
        return false;
    }
    *ppFont = new SFontCairo(desc);
    return true;
}

void SRenderFactoryCairo::SetDefaultFont(const SFontDesc& desc) {
    if (desc.nSize < 1) {
        SLog(L"%s: bad font size %d", L"SRenderFactoryCairo::SetDefaultFont", desc.nSize);
        return;
    }
    m_defFontDesc = desc;
    m_pDefFont->Release();
    m_pDefFont = new SFontCairo(desc);
}

SFontCairo* SRenderFactoryCairo::ToCairoFont(IFontS* pFont) {
    if (!pFont) {
        m_pDefFont->AddRef();
        return m_pDefFont;
    }
    // Fonts from another factory carry only their descriptor here.
    if (auto* p = dynamic_cast<SFontCairo*>(pFont)) {
        p->AddRef();
        return p;
    }
    return new SFontCairo(pFont->GetDesc());
}

bool SRenderFactoryCairo::CreateBitmapFromMemory(const void* pBuf, size_t nSize, IBitmapS** ppBmp) {
    if (!ppBmp || !pBuf || nSize == 0) {
        SLog(L"%s: no data", L"SRenderFactoryCairo::CreateBitmapFromMemory");
        return false;
    }
    if (!m_pDecoder) {
        SLog(L"%s: no image decoder set", L"SRenderFactoryCairo::CreateBitmapFromMemory");
        return false;
    }
    IImgX* pImg = nullptr;
    if (!m_pDecoder->DecodeImage(pBuf, nSize, &pImg) || !pImg)
        return false;
    bool bOk = false;
    int w = pImg->Width(), h = pImg->Height();
    if (w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && pImg->Stride() >= w * 4) {
        cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        if (SurfaceOk(pSurface, L"SRenderFactoryCairo::CreateBitmapFromMemory")) {
            cairo_surface_flush(pSurface);
            unsigned char* pDst = cairo_image_surface_get_data(pSurface);
            int nDstStride = cairo_image_surface_get_stride(pSurface);
            for (int y = 0; y < h; ++y)
                std::memcpy(pDst + size_t(y) * nDstStride,
                            pImg->Data() + size_t(y) * pImg->Stride(), size_t(w) * 4);
            cairo_surface_mark_dirty(pSurface);
            *ppBmp = new SBitmapCairo(pSurface);
            bOk = true;
        } else {
            cairo_surface_destroy(pSurface);
        }
    } else {
        SLog(L"%s: decoded image of unusable size %dx%d",
             L"SRenderFactoryCairo::CreateBitmapFromMemory", w, h);
    }
    pImg->Release();
    return bOk;
}

bool SRenderFactoryCairo::CreateBitmapFromSurface(cairo_surface_t* pSurface, IBitmapS** ppBmp) {
    if (!ppBmp || !SurfaceOk(pSurface, L"SRenderFactoryCairo::CreateBitmapFromSurface"))
        return false;
    if (cairo_surface_get_type(pSurface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(pSurface) != CAIRO_FORMAT_ARGB32) {
        SLog(L"%s: not an ARGB32 image surface", L"SRenderFactoryCairo::CreateBitmapFromSurface");
        return false;
    }
    int w = cairo_image_surface_get_width(pSurface), h = cairo_image_surface_get_height(pSurface);
    cairo_surface_t* pCopy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (!SurfaceOk(pCopy, L"SRenderFactoryCairo::CreateBitmapFromSurface")) {
        cairo_surface_destroy(pCopy);
        return false;
    }
    cairo_t* cr = cairo_create(pCopy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, pSurface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    *ppBmp = new SBitmapCairo(pCopy);
    return true;
}

CSize SRenderFactoryCairo::MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                                       int nMaxWidth) {
    SFontCairo* pCairoFont = ToCairoFont(pFont);
    bool bWrap = !(uFormat & DT_SINGLELINE) && (uFormat & DT_WORDBREAK);
    STextLayout layout(m_pMeasureCr, strText, *pCairoFont, uFormat & ~unsigned(DT_END_ELLIPSIS),
                       bWrap ? nMaxWidth : -1);
    CSize sz = layout.GetPixelSize();
    pCairoFont->Release();
    return sz;
}

}  // namespace SOUI
