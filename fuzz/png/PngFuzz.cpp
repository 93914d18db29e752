// The image decoder module: PNG bytes of skins and icons to premultiplied
// pixels.
#include <cstring>

#include "fuzz/FuzzSupport.h"
#include "toolkit/modules/imgdecoder-png/SImgDecoderPng.h"

using namespace SOUI;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    auto* pDecoder = new SImgDecoderPng();
    IImgX* pImg = nullptr;
    if (pDecoder->DecodeImage(pData, nSize, &pImg)) {
        FUZZ_CHECK(pImg != nullptr);
        const int w = pImg->Width(), h = pImg->Height();
        FUZZ_CHECK(w > 0 && h > 0 && w <= SImgDecoderPng::kMaxSide &&
                   h <= SImgDecoderPng::kMaxSide);
        FUZZ_CHECK(int64_t(w) * h <= SImgDecoderPng::kMaxPixels);
        FUZZ_CHECK(pImg->Stride() == w * 4);
        // Premultiplied: no colour channel above its alpha.
        const uint8_t* p = pImg->Data();
        for (int64_t i = 0; i < int64_t(w) * h; ++i) {
            uint32_t px = 0;
            std::memcpy(&px, p + i * 4, 4);
            const uint32_t a = px >> 24;
            FUZZ_CHECK(((px >> 16) & 0xff) <= a && ((px >> 8) & 0xff) <= a && (px & 0xff) <= a);
        }
        pImg->Release();
    } else {
        FUZZ_CHECK(pImg == nullptr);
    }
    pDecoder->Release();
    return 0;
}
