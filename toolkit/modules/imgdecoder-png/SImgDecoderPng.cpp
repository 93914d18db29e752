#include "SImgDecoderPng.h"

#include <png.h>

#include <cstring>

#include "toolkit/core/SLog.h"

namespace SOUI {

namespace {

// zlib's deflate inflates one byte into at most 1032; a file cannot hold
// pixel data that would need more.
constexpr int64_t kMaxInflateRatio = 1032;

// The fewest bytes of filtered pixel data the image can have: one filter
// byte a row and at least one bit a pixel.
int64_t MinPixelDataBytes(int64_t nWidth, int64_t nHeight) {
    return nHeight * (1 + (nWidth + 7) / 8);
}

// libpng takes a chunk's length at its word and allocates for it before it
// reads: every chunk up to IEND must fit in the data there is.
bool ChunksFitInData(const uint8_t* p, size_t nSize) {
    constexpr size_t kSignature = 8, kFrame = 12;  // length, type, CRC
    for (size_t nPos = kSignature; nPos + 8 <= nSize;) {
        const size_t nLength = size_t{p[nPos]} << 24 | size_t{p[nPos + 1]} << 16 |
                               size_t{p[nPos + 2]} << 8 | size_t{p[nPos + 3]};
        if (nLength > nSize - nPos - 8)
            return false;
        if (std::memcmp(p + nPos + 4, "IEND", 4) == 0)
            return true;
        nPos += kFrame + nLength;
    }
    return true;
}

}  // namespace

bool SImgDecoderPng::DecodeImage(const void* pBuf, size_t nSize, IImgX** ppImg) {
    if (!ppImg || !pBuf || nSize == 0) {
        SLog(L"%s: no data", L"SImgDecoderPng::DecodeImage");
        return false;
    }
    if (!ChunksFitInData(static_cast<const uint8_t*>(pBuf), nSize)) {
        SLog(L"%s: a chunk is longer than the %zu bytes of data",
                 L"SImgDecoderPng::DecodeImage", nSize);
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, pBuf, nSize)) {
        SLogA("SImgDecoderPng::DecodeImage: not a readable PNG: %s", image.message);
        png_image_free(&image);
        return false;
    }
    // Everything the header promises is checked before memory is taken for it.
    const int64_t w = image.width, h = image.height;
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxPixels) {
        SLog(L"%s: unsupported image size %ux%u", L"SImgDecoderPng::DecodeImage",
             unsigned(image.width), unsigned(image.height));
        png_image_free(&image);
        return false;
    }
    if (MinPixelDataBytes(w, h) > int64_t(nSize) * kMaxInflateRatio) {
        SLog(L"%s: a %ux%u image cannot fit in %zu bytes: truncated",
             L"SImgDecoderPng::DecodeImage", unsigned(image.width), unsigned(image.height), nSize);
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        SLogA("SImgDecoderPng::DecodeImage: PNG data broken: %s", image.message);
        png_image_free(&image);
        return false;
    }
    // Straight RGBA bytes -> premultiplied 0xAARRGGBB words in native order,
    // in place: one buffer of the image's size is all the decoding holds.
    for (size_t i = 0; i < pixels.size(); i += 4) {
        uint8_t* p = &pixels[i];
        uint32_t a = p[3];
        auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
        uint32_t px = a << 24 | mul(p[0]) << 16 | mul(p[1]) << 8 | mul(p[2]);
        std::memcpy(p, &px, 4);
    }
    *ppImg = new SImgXPng(int(w), int(h), std::move(pixels));
    return true;
}

}  // namespace SOUI
