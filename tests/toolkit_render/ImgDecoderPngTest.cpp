#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>

#include "RenderEnv.h"
#include "support/StderrCapture.h"

using namespace SOUI;

namespace {

// Writes pixels with libpng's simplified writer in the given format.
// With a colour map the pixels are indexes into it (RGB triples).
std::vector<char> WritePng(const std::vector<uint8_t>& pixels, int w, int h, png_uint_32 format,
                           const std::vector<uint8_t>& colormap = {}) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = format;
    image.colormap_entries = png_uint_32(colormap.size() / 3);
    const void* pMap = colormap.empty() ? nullptr : colormap.data();
    png_alloc_size_t nSize = 0;
    EXPECT_TRUE(png_image_write_get_memory_size(image, nSize, 0, pixels.data(), 0, pMap))
        << image.message;
    std::vector<char> out(nSize);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &nSize, 0, pixels.data(), 0, pMap));
    out.resize(nSize);
    return out;
}

uint32_t DecodedPixel(IImgX* pImg, int x, int y) {
    uint32_t px = 0;
    std::memcpy(&px, pImg->Data() + size_t(y) * pImg->Stride() + size_t(x) * 4, 4);
    return px;
}

}  // namespace

TEST(ImgDecoderPng, RgbaComesOutPremultiplied) {
    // red opaque, green half transparent, blue fully transparent, white.
    std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 255, 255, 255, 255};
    std::vector<char> png = WritePng(rgba, 2, 2, PNG_FORMAT_RGBA);
    IImgX* pImg = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Decoder()->DecodeImage(png.data(), png.size(), &pImg));
    EXPECT_EQ(pImg->Width(), 2);
    EXPECT_EQ(pImg->Height(), 2);
    EXPECT_GE(pImg->Stride(), 8);
    EXPECT_EQ(DecodedPixel(pImg, 0, 0), 0xffff0000u);
    EXPECT_EQ(DecodedPixel(pImg, 1, 0), 0x80008000u);
    EXPECT_EQ(DecodedPixel(pImg, 0, 1), 0u);
    EXPECT_EQ(DecodedPixel(pImg, 1, 1), 0xffffffffu);
    pImg->Release();
}

TEST(ImgDecoderPng, GrayAndPaletteImagesDecode) {
    std::vector<uint8_t> gray = {0, 255, 128};
    std::vector<char> png = WritePng(gray, 3, 1, PNG_FORMAT_GRAY);
    IImgX* pImg = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Decoder()->DecodeImage(png.data(), png.size(), &pImg));
    EXPECT_EQ(DecodedPixel(pImg, 0, 0), 0xff000000u);
    EXPECT_EQ(DecodedPixel(pImg, 1, 0), 0xffffffffu);
    pImg->Release();

    // Through the renderer: a palette image as the artwork build makes them.
    std::vector<uint8_t> indexes(16 * 16, 0);
    indexes[17] = 1;
    std::vector<char> pal =
        WritePng(indexes, 16, 16, PNG_FORMAT_RGB_COLORMAP, {255, 0, 0, 0, 0, 255});
    IBitmapS* pBmp = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Factory()->CreateBitmapFromMemory(pal.data(), pal.size(), &pBmp));
    EXPECT_EQ(pBmp->Size(), CSize(16, 16));
    EXPECT_EQ(PixelAt(pBmp->GetSurface(), 0, 0), 0xffff0000u);
    EXPECT_EQ(PixelAt(pBmp->GetSurface(), 1, 1), 0xff0000ffu);
    pBmp->Release();
}

TEST(ImgDecoderPng, BrokenDataFailsWithALogLine) {
    std::vector<uint8_t> rgba(8 * 8 * 4, 200);
    std::vector<char> png = WritePng(rgba, 8, 8, PNG_FORMAT_RGBA);
    std::vector<char> truncated(png.begin(), png.begin() + long(png.size() / 2));
    std::vector<char> garbage(100, 'x');
    IImgX* pImg = nullptr;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(
        RenderEnv::Get().Decoder()->DecodeImage(truncated.data(), truncated.size(), &pImg));
    EXPECT_FALSE(RenderEnv::Get().Decoder()->DecodeImage(garbage.data(), garbage.size(), &pImg));
    EXPECT_FALSE(RenderEnv::Get().Decoder()->DecodeImage(png.data(), 0, &pImg));
    EXPECT_FALSE(RenderEnv::Get().Decoder()->DecodeImage(nullptr, 10, &pImg));
    EXPECT_EQ(pImg, nullptr);
    IBitmapS* pBmp = nullptr;
    EXPECT_FALSE(
        RenderEnv::Get().Factory()->CreateBitmapFromMemory(garbage.data(), garbage.size(), &pBmp));
    EXPECT_EQ(pBmp, nullptr);
    EXPECT_NE(capture.Text().find("SImgDecoderPng::DecodeImage"), std::string::npos);
}

TEST(ImgDecoderPng, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    std::vector<uint8_t> rgba(4 * 4 * 4, 1);
    std::vector<char> png = WritePng(rgba, 4, 4, PNG_FORMAT_RGBA);
    // IHDR follows the 8-byte signature: length(4) "IHDR"(4) width(4) height(4)...
    ASSERT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
    const unsigned char kSide[4] = {0x00, 0x01, 0x86, 0xa0};  // 100000
    std::memcpy(png.data() + 16, kSide, 4);
    std::memcpy(png.data() + 20, kSide, 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    unsigned char crcBytes[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8),
                                 uint8_t(crc)};
    std::memcpy(png.data() + 29, crcBytes, 4);
    IImgX* pImg = nullptr;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(RenderEnv::Get().Decoder()->DecodeImage(png.data(), png.size(), &pImg));
    EXPECT_EQ(pImg, nullptr);
}

// A text chunk declaring 1.9 GB in a file of 72 bytes: refused by its
// length, before libpng would allocate for it.
TEST(ImgDecoderPng, AChunkLongerThanTheDataIsRefusedBeforeAllocating) {
    std::vector<uint8_t> rgba(16 * 16 * 4, 1);
    std::vector<char> png = WritePng(rgba, 16, 16, PNG_FORMAT_RGBA);
    png.resize(33);  // signature and IHDR
    const unsigned char kChunk[] = {0x71, 0x00, 0x00, 0x00, 't', 'E', 'X', 't'};
    png.insert(png.end(), kChunk, kChunk + sizeof(kChunk));
    png.resize(72, 'x');
    IImgX* pImg = nullptr;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(RenderEnv::Get().Decoder()->DecodeImage(png.data(), png.size(), &pImg));
    EXPECT_EQ(pImg, nullptr);
    EXPECT_NE(capture.Text().find("a chunk is longer than the 72 bytes of data"), std::string::npos)
        << capture.Text();
}

TEST(ImgDecoderPng, RendererWithoutDecoderRefusesBitmaps) {
    IRenderFactory* pFactory = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Loader().LoadRenderFactory(&pFactory));
    std::vector<uint8_t> rgba(4, 255);
    std::vector<char> png = WritePng(rgba, 1, 1, PNG_FORMAT_RGBA);
    IBitmapS* pBmp = nullptr;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(pFactory->CreateBitmapFromMemory(png.data(), png.size(), &pBmp));
    EXPECT_NE(capture.Text().find("no image decoder"), std::string::npos);
    pFactory->SetImgDecoderFactory(RenderEnv::Get().Decoder());
    ASSERT_TRUE(pFactory->CreateBitmapFromMemory(png.data(), png.size(), &pBmp));
    pBmp->Release();
    pFactory->Release();
}
