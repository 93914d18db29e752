#include "toolkit/res/SLazyBitmap.h"

#include <cstring>

#include "toolkit/core/SLog.h"

namespace SOUI {

namespace {

// Width and height from a PNG's signature and IHDR chunk; false if it has none.
bool PngSize(const std::vector<char>& png, int& nWidth, int& nHeight) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (png.size() < 24 || std::memcmp(png.data(), kSignature, 8) != 0 ||
        std::memcmp(png.data() + 12, "IHDR", 4) != 0)
        return false;
    auto be32 = [&](size_t at) {
        const auto* p = reinterpret_cast<const unsigned char*>(png.data() + at);
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    };
    uint32_t w = be32(16), h = be32(20);
    if (w == 0 || h == 0 || w > 16384 || h > 16384)
        return false;
    nWidth = int(w);
    nHeight = int(h);
    return true;
}

}  // namespace

SLazyBitmap* SLazyBitmap::FromPng(IRenderFactory* pFactory, std::vector<char> png,
                                  const std::wstring& strWhat) {
    int nWidth = 0, nHeight = 0;
    if (!pFactory || !PngSize(png, nWidth, nHeight)) {
        SLog(L"%s: \"%s\" is no PNG of a usable size", L"SLazyBitmap::FromPng", strWhat.c_str());
        return nullptr;
    }
    return new SLazyBitmap(pFactory, std::move(png), strWhat, nWidth, nHeight);
}

SLazyBitmap::SLazyBitmap(IRenderFactory* pFactory, std::vector<char> png, std::wstring strWhat,
                         int nWidth, int nHeight)
    : m_pFactory(pFactory),
      m_png(std::move(png)),
      m_strWhat(std::move(strWhat)),
      m_nWidth(nWidth),
      m_nHeight(nHeight) {
    m_pFactory->AddRef();
}

SLazyBitmap::~SLazyBitmap() {
    if (m_pDecoded)
        m_pDecoded->Release();
    if (m_pBlank)
        cairo_surface_destroy(m_pBlank);
    m_pFactory->Release();
}

cairo_surface_t* SLazyBitmap::GetSurface() const {
    if (m_pDecoded)
        return m_pDecoded->GetSurface();
    if (m_pBlank)
        return m_pBlank;
    IBitmapS* pBmp = nullptr;
    if (m_pFactory->CreateBitmapFromMemory(m_png.data(), m_png.size(), &pBmp) &&
        pBmp->Width() == m_nWidth && pBmp->Height() == m_nHeight) {
        m_pDecoded = pBmp;
    } else {
        if (pBmp)
            pBmp->Release();
        SLog(L"%s: \"%s\" cannot be decoded; drawn transparent", L"SLazyBitmap::GetSurface",
             m_strWhat.c_str());
        m_pBlank = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_nWidth, m_nHeight);
    }
    std::vector<char>().swap(m_png);
    return m_pDecoded ? m_pDecoded->GetSurface() : m_pBlank;
}

}  // namespace SOUI
