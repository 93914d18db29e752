#include "SImgDecoderPng.h"

#include <png.h>

#include <cstring>

#include "platform/WriteLog.h"

namespace SOUI {

namespace {

// Refuse sizes no skin needs before allocating for them.
constexpr png_uint_32 kMaxSide = 16384;

}  // namespace

bool SImgDecoderPng::DecodeImage(const void* pBuf, size_t nSize, IImgX** ppImg) {
    if (!ppImg || !pBuf || nSize == 0) {
        WriteLog(L"%s: no data", L"SImgDecoderPng::DecodeImage");
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, pBuf, nSize)) {
        WriteLogA("SImgDecoderPng::DecodeImage: not a readable PNG: %s", image.message);
        png_image_free(&image);
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide ||
        image.height > kMaxSide) {
        WriteLog(L"%s: unsupported image size %ux%u", L"SImgDecoderPng::DecodeImage",
                 unsigned(image.width), unsigned(image.height));
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        WriteLogA("SImgDecoderPng::DecodeImage: PNG data broken: %s", image.message);
        png_image_free(&image);
        return false;
    }
    int w = int(image.width), h = int(image.height);
    // Straight RGBA bytes -> premultiplied 0xAARRGGBB words in native order.
    std::vector<uint8_t> argb(size_t(w) * h * 4);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const uint8_t* s = &rgba[i * 4];
        uint32_t a = s[3];
        auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
        uint32_t px = a << 24 | mul(s[0]) << 16 | mul(s[1]) << 8 | mul(s[2]);
        std::memcpy(&argb[i * 4], &px, 4);
    }
    *ppImg = new SImgXPng(w, h, std::move(argb));
    return true;
}

}  // namespace SOUI
