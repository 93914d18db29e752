#pragma once
#include <vector>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IImgDecoderFactory.h"

namespace SOUI {

class SImgXPng : public SObjectImpl<IImgX> {
public:
    SImgXPng(int nWidth, int nHeight, std::vector<uint8_t>&& pixels)
        : m_nWidth(nWidth), m_nHeight(nHeight), m_pixels(std::move(pixels)) {}
    int Width() const override { return m_nWidth; }
    int Height() const override { return m_nHeight; }
    int Stride() const override { return m_nWidth * 4; }
    const uint8_t* Data() const override { return m_pixels.data(); }

private:
    int m_nWidth;
    int m_nHeight;
    std::vector<uint8_t> m_pixels;
};

// PNG through libpng's simplified reader: any colour type and depth comes
// out as premultiplied native ARGB32.
class SImgDecoderPng : public SObjectImpl<IImgDecoderFactory> {
public:
    // Larger images are refused: no skin needs them.
    static constexpr int kMaxSide = 16384;
    static constexpr int64_t kMaxPixels = int64_t(4096) * 4096;

    bool DecodeImage(const void* pBuf, size_t nSize, IImgX** ppImg) override;
    const wchar_t* GetDescription() const override { return L"png"; }
};

}  // namespace SOUI
