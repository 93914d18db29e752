#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ResourceHelpers.h"

namespace {

struct ImageRow {
    const char* pszName;
    unsigned nWidth, nHeight;
    bool bPalette;
};

const ImageRow kImages[] = {
    {"IMAGE_BTN_MINIMIZE_PNG", 90, 20, false}, {"IMAGE_BTN_CLOSE_PNG", 90, 20, false},
    {"IMAGE_SHADOW_PNG", 210, 143, false},     {"IMAGE_LOGO_PNG", 151, 133, false},
    {"IMAGE_BTN_PNG", 512, 32, false},         {"IMAGE_BGK_PNG", 800, 480, true},
    {"IMAGE_1_PNG", 330, 200, true},           {"IMAGE_2_PNG", 330, 200, true},
    {"IMAGE_3_PNG", 330, 200, true},           {"IMAGE_PROGRESS_PNG", 10, 10, false},
    {"IMAGE_PROGRESS_BGK_PNG", 10, 10, false}, {"IMAGE_OPENFILE_PNG", 22, 11, false},
    {"ID_SCROLLBAR", 144, 48, false},
};

struct SkinRow {
    const char* pszSkin;
    const char* pszElement;
    const char* pszSrc;
    int nStates;
    int nMargin;  // 0: not a frame
};

const SkinRow kSkins[] = {
    {"skin.btn_minimize", "imglist", "PNG:image_btn_minimize_png", 3, 0},
    {"skin.btn_close", "imglist", "PNG:image_btn_close_png", 3, 0},
    {"skin.shadow", "imgframe", "PNG:image_shadow_png", 1, 5},
    {"skin.logo", "imglist", "PNG:image_logo_png", 1, 0},
    {"skin.btn", "imgframe", "PNG:image_btn_png", 4, 5},
    {"skin.gbk", "imglist", "PNG:image_bgk_png", 1, 0},
    {"skin.1", "imglist", "PNG:image_1_png", 1, 0},
    {"skin.2", "imglist", "PNG:image_2_png", 1, 0},
    {"skin.3", "imglist", "PNG:image_3_png", 1, 0},
    {"skin.progress", "imgframe", "PNG:image_progress_png", 1, 3},
    {"skin.progress_bgk", "imgframe", "PNG:image_progress_bgk_png", 1, 3},
    {"skin.openfile", "imglist", "PNG:image_openfile_png", 2, 0},
};

std::string UpperName(const char* pszSrc) {
    std::string s = std::strchr(pszSrc, ':') + 1;
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct Rgba {
    unsigned nWidth = 0, nHeight = 0;
    std::vector<unsigned char> px;
    const unsigned char* At(unsigned x, unsigned y) const {
        return &px[(size_t(y) * nWidth + x) * 4];
    }
    // Sum of absolute channel differences between two equal-size regions.
    long Diff(unsigned x0, unsigned x1, unsigned y, unsigned w, unsigned h) const {
        long d = 0;
        for (unsigned j = 0; j < h; ++j)
            for (unsigned i = 0; i < w; ++i)
                for (int c = 0; c < 4; ++c)
                    d += std::abs(int(At(x0 + i, y + j)[c]) - int(At(x1 + i, y + j)[c]));
        return d;
    }
    bool AnyOpaque(unsigned x, unsigned y, unsigned w, unsigned h) const {
        for (unsigned j = 0; j < h; ++j)
            for (unsigned i = 0; i < w; ++i)
                if (At(x + i, y + j)[3] > 128)
                    return true;
        return false;
    }
};

bool Decode(const char* pszType, const char* pszName, Rgba& img) {
    return uires::DecodePngRgba(uires::ResourceBytes(pszType, pszName), img.nWidth, img.nHeight,
                                img.px);
}

}  // namespace

TEST(UiResources, ImagesHaveTheirPixelSizesAndFormats) {
    for (const ImageRow& row : kImages) {
        uires::PngInfo info;
        ASSERT_TRUE(uires::ReadPngHeader(uires::ResourceBytes("PNG", row.pszName), info))
            << row.pszName;
        EXPECT_EQ(info.nWidth, row.nWidth) << row.pszName;
        EXPECT_EQ(info.nHeight, row.nHeight) << row.pszName;
        EXPECT_EQ(info.nBitDepth, 8) << row.pszName;
        EXPECT_EQ(info.nColorType, row.bPalette ? 3 : 6) << row.pszName;
        Rgba img;
        EXPECT_TRUE(Decode("PNG", row.pszName, img)) << row.pszName;
    }
}

TEST(UiResources, EveryImageHasATwinAtTwiceTheSizeForScaleTwoScreens) {
    for (const ImageRow& row : kImages) {
        std::string strTwin = std::string(row.pszName) + "_2X";
        uires::PngInfo info;
        ASSERT_TRUE(uires::ReadPngHeader(uires::ResourceBytes("PNG", strTwin.c_str()), info))
            << strTwin;
        EXPECT_EQ(info.nWidth, 2 * row.nWidth) << strTwin;
        EXPECT_EQ(info.nHeight, 2 * row.nHeight) << strTwin;
        EXPECT_EQ(info.nColorType, row.bPalette ? 3 : 6) << strTwin;
        // The same picture: each 2 x 2 block averages to the plain pixel.
        Rgba plain, twin;
        ASSERT_TRUE(Decode("PNG", row.pszName, plain));
        ASSERT_TRUE(Decode("PNG", strTwin.c_str(), twin));
        long nDiff = 0;
        for (unsigned y = 0; y < plain.nHeight; ++y)
            for (unsigned x = 0; x < plain.nWidth; ++x)
                for (int c = 0; c < 4; ++c) {
                    int nSum = twin.At(2 * x, 2 * y)[c] + twin.At(2 * x + 1, 2 * y)[c] +
                               twin.At(2 * x, 2 * y + 1)[c] + twin.At(2 * x + 1, 2 * y + 1)[c];
                    nDiff += std::abs(nSum / 4 - int(plain.At(x, y)[c]));
                }
        double dMean = double(nDiff) / (plain.nWidth * plain.nHeight * 4.0);
        // Loose: small images round their edges onto other pixels at each size.
        EXPECT_LT(dMean, 12.0) << strTwin;
    }
}

TEST(UiResources, SkinTableCutsEachImageIntoItsStatesAndFrames) {
    pugi::xml_document doc;
    ASSERT_TRUE(uires::LoadXml(doc, "VALUES", "SKIN"));
    pugi::xml_node table = doc.child("skin");
    for (const SkinRow& row : kSkins) {
        pugi::xml_node s = table.find_child_by_attribute("name", row.pszSkin);
        ASSERT_TRUE(s) << row.pszSkin;
        EXPECT_STREQ(s.name(), row.pszElement) << row.pszSkin;
        EXPECT_STREQ(s.attribute("src").value(), row.pszSrc) << row.pszSkin;
        EXPECT_EQ(s.attribute("states").as_int(1), row.nStates) << row.pszSkin;
        if (row.nMargin) {
            EXPECT_EQ(s.attribute("margin").as_int(), row.nMargin) << row.pszSkin;
        }

        Rgba img;
        ASSERT_TRUE(Decode("PNG", UpperName(row.pszSrc).c_str(), img)) << row.pszSrc;
        ASSERT_EQ(img.nWidth % row.nStates, 0u) << row.pszSkin;
        unsigned frame = img.nWidth / row.nStates;
        // Nine-part edges must leave a middle to stretch.
        EXPECT_LT(2u * row.nMargin, frame) << row.pszSkin;
        EXPECT_LT(2u * row.nMargin, img.nHeight) << row.pszSkin;
        // Every state must look different from every other, or hover and
        // pushed feedback is lost.
        for (int a = 0; a < row.nStates; ++a) {
            EXPECT_TRUE(img.AnyOpaque(a * frame, 0, frame, img.nHeight))
                << row.pszSkin << " state " << a;
            for (int b = a + 1; b < row.nStates; ++b)
                EXPECT_GT(img.Diff(a * frame, b * frame, 0, frame, img.nHeight), 0)
                    << row.pszSkin << " " << a << "/" << b;
        }
    }
    pugi::xml_node border = table.find_child_by_attribute("name", "skin.colorborder");
    ASSERT_TRUE(border);
    EXPECT_STREQ(border.name(), "border");
    for (const char* attr : {"colorNormal", "colorHover", "colorPushed", "colorDisable"})
        EXPECT_STREQ(border.attribute(attr).value(), "#383838ff") << attr;
    pugi::xml_node sb = table.find_child_by_attribute("name", "skin_scrollbar");
    ASSERT_TRUE(sb);
    EXPECT_STREQ(sb.name(), "scrollbar");
    EXPECT_STREQ(sb.attribute("src").value(), "PNG:ID_SCROLLBAR");
    EXPECT_EQ(sb.attribute("margin").as_int(), 3);
    EXPECT_EQ(sb.attribute("hasGripper").as_int(1), 0);
}

TEST(UiResources, ShadowFrameIsSoftAtTheEdgeAndWhiteInside) {
    Rgba img;
    ASSERT_TRUE(Decode("PNG", "IMAGE_SHADOW_PNG", img));
    const unsigned char* centre = img.At(img.nWidth / 2, img.nHeight / 2);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 255);
    EXPECT_EQ(centre[2], 255);
    EXPECT_EQ(centre[3], 255);
    // The outermost pixels are (nearly) clear so the window's edge blends in.
    EXPECT_LT(img.At(0, 0)[3], 64);
    EXPECT_LT(img.At(img.nWidth - 1, img.nHeight - 1)[3], 64);
    // Some shade inside the 5 px bottom edge.
    EXPECT_GT(img.At(img.nWidth / 2, img.nHeight - 4)[3], 0);
}

TEST(UiResources, ScrollBarGridHasEveryPart) {
    Rgba img;
    ASSERT_TRUE(Decode("PNG", "ID_SCROLLBAR", img));
    ASSERT_EQ(img.nWidth, 144u);
    ASSERT_EQ(img.nHeight, 48u);
    // Columns 0-7 in all three rows, the two rails in column 8.
    for (unsigned row = 0; row < 3; ++row)
        for (unsigned col = 0; col < 8; ++col) {
            bool bAny = false;
            for (unsigned j = 0; j < 16 && !bAny; ++j)
                for (unsigned i = 0; i < 16 && !bAny; ++i)
                    bAny = img.At(col * 16 + i, row * 16 + j)[3] > 0;
            EXPECT_TRUE(bAny) << "cell " << col << "," << row;
        }
    EXPECT_GT(img.At(136, 8)[3], 0);
    EXPECT_GT(img.At(136, 24)[3], 0);
    // Hover and pushed thumbs differ from the normal one.
    EXPECT_GT(img.Diff(0, 16, 16, 16, 16), 0);
    EXPECT_GT(img.Diff(0, 32, 16, 16, 16), 0);
}

TEST(UiResources, ProgramIconComesInEveryListedSize) {
    for (unsigned size : {16u, 24u, 32u, 48u, 64u, 256u}) {
        std::string name = "ICON_LOGO_" + std::to_string(size);
        uires::PngInfo info;
        ASSERT_TRUE(uires::ReadPngHeader(uires::ResourceBytes("ICON", name.c_str()), info)) << name;
        EXPECT_EQ(info.nWidth, size);
        EXPECT_EQ(info.nHeight, size);
        EXPECT_EQ(info.nColorType, 6) << name;
    }
    // The icon group: an ICO directory with the same sizes (256 written as 0).
    std::string ico = uires::ResourceBytes("ICON", "ICON_LOGO");
    ASSERT_GE(ico.size(), 6u);
    auto u16 = [&](size_t at) {
        return unsigned(uint8_t(ico[at])) | (unsigned(uint8_t(ico[at + 1])) << 8);
    };
    EXPECT_EQ(u16(0), 0u);
    EXPECT_EQ(u16(2), 1u);
    ASSERT_EQ(u16(4), 6u);
    ASSERT_GE(ico.size(), 6u + 6 * 16);
    std::vector<unsigned> sizes;
    for (unsigned i = 0; i < 6; ++i) {
        unsigned w = uint8_t(ico[6 + i * 16]);
        sizes.push_back(w == 0 ? 256 : w);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<unsigned>{16, 24, 32, 48, 64, 256}));
}
