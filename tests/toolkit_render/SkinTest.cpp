#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "RenderEnv.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SAutoRefPtr.h"
#include "toolkit/skin/SSkinColorRect.h"
#include "toolkit/skin/SSkinImgFrame.h"
#include "toolkit/skin/SSkinPool.h"
#include "toolkit/skin/SSkinScrollbar.h"

using namespace SOUI;

namespace {

const uint32_t kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff, kWhite = 0xffffff;

IBitmapS* Bitmap(cairo_surface_t* pSurface) {
    IBitmapS* pBmp = nullptr;
    EXPECT_TRUE(RenderEnv::Get().Factory()->CreateBitmapFromSurface(pSurface, &pBmp));
    cairo_surface_destroy(pSurface);
    return pBmp;
}

// Cells of nCell x nCell: a ring of nRing pixels in ring colour around a centre colour.
cairo_surface_t* FrameCells(const std::vector<std::pair<uint32_t, uint32_t>>& cells, int nRing,
                            int nCell = 10) {
    std::vector<uint32_t> rings;
    for (auto& c : cells)
        rings.push_back(c.first);
    cairo_surface_t* pSurface = MakeCells(rings, nCell, nCell);
    cairo_t* cr = cairo_create(pSurface);
    for (size_t i = 0; i < cells.size(); ++i) {
        uint32_t c = cells[i].second;
        cairo_set_source_rgb(cr, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0,
                             (c & 0xff) / 255.0);
        cairo_rectangle(cr, int(i) * nCell + nRing, nRing, nCell - 2 * nRing, nCell - 2 * nRing);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return pSurface;
}

template <class T>
SAutoRefPtr<T> Adopt(T* p) {
    SAutoRefPtr<T> ptr;
    ptr.Attach(p);
    return ptr;
}

// A loader over named test images for InitFromXml.
SkinImageLoader Images(std::map<std::wstring, IBitmapS*> images) {
    return [images](const std::wstring& strSrc) -> IBitmapS* {
        auto it = images.find(strSrc);
        if (it == images.end())
            return nullptr;
        it->second->AddRef();
        return it->second;
    };
}

}  // namespace

TEST(SkinImgList, StatesAreCutSideBySideAndStretched) {
    auto pBmp = Adopt(Bitmap(MakeCells({kRed, kGreen, kBlue, kWhite}, 10, 8)));
    auto skin = Adopt(new SSkinImgList());
    skin->SetImage(pBmp.get());
    skin->SetStates(4);
    EXPECT_EQ(skin->GetStates(), 4);
    EXPECT_EQ(skin->GetSkinSize(), CSize(10, 8));
    EXPECT_EQ(skin->GetStateRect(2), CRect(20, 0, 30, 8));

    const uint32_t kExpect[4] = {kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < 4; ++i) {
        auto rt = Adopt(NewTarget(30, 30));
        skin->Draw(rt.get(), CRect(0, 0, 30, 30), i);
        // Every corner and the middle: the stretched state, nothing of its neighbours.
        for (auto [x, y] : {std::pair{0, 0}, {29, 0}, {0, 29}, {29, 29}, {15, 15}})
            EXPECT_EQ(PixelAt(rt.get(), x, y), Opaque(kExpect[i]))
                << "state " << i << " at " << x << "," << y;
    }
}

TEST(SkinImgList, MissingStatesDrawTheLastAndNegativeTheFirst) {
    auto pBmp = Adopt(Bitmap(MakeCells({kRed, kGreen, kBlue}, 6, 6)));
    auto skin = Adopt(new SSkinImgList());
    skin->SetImage(pBmp.get());
    skin->SetStates(3);
    auto rt = Adopt(NewTarget(20, 10));
    skin->Draw(rt.get(), CRect(0, 0, 10, 10), SKIN_STATE_DISABLED);
    skin->Draw(rt.get(), CRect(10, 0, 20, 10), -1);
    EXPECT_EQ(PixelAt(rt.get(), 5, 5), Opaque(kBlue));
    EXPECT_EQ(PixelAt(rt.get(), 15, 5), Opaque(kRed));
}

TEST(SkinImgList, VerticalStatesAndAlpha) {
    auto pBmp = Adopt(Bitmap(MakeCells({kRed, kGreen}, 8, 4, true)));
    auto skin = Adopt(new SSkinImgList());
    skin->SetImage(pBmp.get());
    skin->SetStates(2);
    skin->SetVertical(true);
    EXPECT_EQ(skin->GetSkinSize(), CSize(8, 4));
    auto rt = Adopt(NewTarget(16, 8));
    skin->Draw(rt.get(), CRect(0, 0, 8, 8), 1);
    skin->Draw(rt.get(), CRect(8, 0, 16, 8), 0, 128);
    EXPECT_EQ(PixelAt(rt.get(), 4, 7), Opaque(kGreen));
    EXPECT_EQ(PixelAt(rt.get(), 12, 4) >> 24, 128u);
}

TEST(SkinImgList, XmlNeedsAUsableImageAndStateCount) {
    auto pBmp = Adopt(Bitmap(MakeCells({kRed, kGreen}, 4, 4)));
    SkinImageLoader images = Images({{L"PNG:two", pBmp.get()}});
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(R"(<skin>
        <imglist name="ok" src="PNG:two" states="2"/>
        <imglist name="no_image" src="PNG:missing" states="2"/>
        <imglist name="zero" src="PNG:two" states="0"/>
        <imglist name="word" src="PNG:two" states="two"/>
        <imglist src="PNG:two"/>
      </skin>)"));
    testsupport::StderrCapture capture;
    int nOk = 0;
    for (pugi::xml_node xml : doc.child("skin").children()) {
        auto skin = Adopt(new SSkinImgList());
        if (skin->InitFromXml(xml, images)) {
            ++nOk;
            EXPECT_EQ(skin->GetName(), L"ok");
            EXPECT_EQ(skin->GetStates(), 2);
        }
    }
    EXPECT_EQ(nOk, 1);
    std::string strLog = capture.Text();
    EXPECT_NE(strLog.find("missing"), std::string::npos);
    EXPECT_NE(strLog.find("states=\"two\""), std::string::npos);
}

TEST(SkinImgFrame, NinePartsKeepTheMarginsAndStretchTheRest) {
    auto pBmp = Adopt(Bitmap(FrameCells({{kRed, kGreen}, {kBlue, kWhite}}, 3)));
    auto skin = Adopt(new SSkinImgFrame());
    skin->SetImage(pBmp.get());
    skin->SetStates(2);
    skin->SetMargin(CRect(3, 3, 3, 3));
    auto rt = Adopt(NewTarget(60, 40));
    skin->Draw(rt.get(), CRect(0, 0, 60, 40), 0);
    // The ring stays 3 px wide on every side however large the target.
    for (auto [x, y] : {std::pair{0, 0}, {2, 20}, {57, 20}, {59, 39}, {30, 2}, {30, 37}})
        EXPECT_EQ(PixelAt(rt.get(), x, y), Opaque(kRed)) << x << "," << y;
    for (auto [x, y] : {std::pair{3, 3}, {56, 36}, {30, 20}, {3, 20}, {30, 36}})
        EXPECT_EQ(PixelAt(rt.get(), x, y), Opaque(kGreen)) << x << "," << y;

    // The second state's frame, without its neighbour bleeding in.
    auto rt2 = Adopt(NewTarget(30, 30));
    skin->Draw(rt2.get(), CRect(0, 0, 30, 30), 1);
    EXPECT_EQ(PixelAt(rt2.get(), 0, 15), Opaque(kBlue));
    EXPECT_EQ(PixelAt(rt2.get(), 29, 15), Opaque(kBlue));
    EXPECT_EQ(PixelAt(rt2.get(), 15, 15), Opaque(kWhite));
}

TEST(SkinImgFrame, OnAScaleTwoTargetTheTwinsMarginsAreTwiceAsManyPixels) {
    // The plain frame has a 3 px ring; its twin the same ring drawn at 6 px,
    // in other colours so the test sees which one was drawn.
    auto pBmp = Adopt(Bitmap(FrameCells({{kRed, kGreen}, {kBlue, kWhite}}, 3)));
    auto pTwin = Adopt(Bitmap(FrameCells({{kBlue, kWhite}, {kRed, kGreen}}, 6, 20)));
    ASSERT_TRUE(pBmp->SetDoubleRes(pTwin.get()));
    auto skin = Adopt(new SSkinImgFrame());
    skin->SetImage(pBmp.get());
    skin->SetStates(2);
    skin->SetMargin(CRect(3, 3, 3, 3));
    for (int nScale : {1, 2}) {
        cairo_surface_t* pSurface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60 * nScale, 40 * nScale);
        cairo_surface_set_device_scale(pSurface, nScale, nScale);
        IRenderTarget* pRT = nullptr;
        ASSERT_TRUE(RenderEnv::Get().Factory()->CreateRenderTargetOnSurface(pSurface, &pRT));
        skin->Draw(pRT, CRect(0, 0, 60, 40), 0);
        pRT->Release();
        const uint32_t crRing = Opaque(nScale == 1 ? kRed : kBlue);
        const uint32_t crInside = Opaque(nScale == 1 ? kGreen : kWhite);
        // In device pixels: the ring is 3 units wide at either scale, each
        // pixel from the image made for that scale.
        const int nRing = 3 * nScale, nW = 60 * nScale, nH = 40 * nScale;
        for (auto [x, y] : {std::pair{0, 0},
                            {nRing - 1, nH / 2},
                            {nW - nRing, nH / 2},
                            {nW / 2, nH - 1},
                            {nW - 1, nH - 1}})
            EXPECT_EQ(PixelAt(pSurface, x, y), crRing) << nScale << ": " << x << "," << y;
        for (auto [x, y] : {std::pair{nRing, nRing},
                            {nW / 2, nH / 2},
                            {nW - nRing - 1, nH / 2},
                            {nW / 2, nH - nRing - 1}})
            EXPECT_EQ(PixelAt(pSurface, x, y), crInside) << nScale << ": " << x << "," << y;
        cairo_surface_destroy(pSurface);
    }
}

TEST(SkinImgFrame, TargetSmallerThanTheMarginsStillDraws) {
    auto pBmp = Adopt(Bitmap(FrameCells({{kRed, kGreen}}, 3)));
    auto rt = Adopt(NewTarget(4, 4));
    SSkinImgFrame::DrawNinePart(rt.get(), pBmp.get(), CRect(0, 0, 4, 4), CRect(0, 0, 10, 10),
                                CRect(3, 3, 3, 3), 255);
    EXPECT_EQ(PixelAt(rt.get(), 0, 0), Opaque(kRed));
    EXPECT_EQ(PixelAt(rt.get(), 3, 3), Opaque(kRed));
    // Margins wider than the image cannot make it read outside the cell.
    auto rt2 = Adopt(NewTarget(20, 20));
    SSkinImgFrame::DrawNinePart(rt2.get(), pBmp.get(), CRect(0, 0, 20, 20), CRect(0, 0, 10, 10),
                                CRect(50, 50, 50, 50), 255);
    EXPECT_EQ(PixelAt(rt2.get(), 0, 0), Opaque(kRed));
}

TEST(SkinImgFrame, MarginForms) {
    auto pBmp = Adopt(Bitmap(FrameCells({{kRed, kGreen}}, 3)));
    SkinImageLoader images = Images({{L"PNG:f", pBmp.get()}});
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(R"(<skin>
        <imgframe name="a" src="PNG:f" margin="5"/>
        <imgframe name="b" src="PNG:f" margin="2,3"/>
        <imgframe name="c" src="PNG:f" margin="1,2,3,4"/>
        <imgframe name="d" src="PNG:f" margin="1,2,3"/>
        <imgframe name="e" src="PNG:f" margin="-1"/>
      </skin>)"));
    const CRect kExpect[3] = {CRect(5, 5, 5, 5), CRect(2, 3, 2, 3), CRect(1, 2, 3, 4)};
    int i = 0;
    testsupport::StderrCapture capture;
    for (pugi::xml_node xml : doc.child("skin").children()) {
        auto skin = Adopt(new SSkinImgFrame());
        bool bOk = skin->InitFromXml(xml, images);
        if (i < 3) {
            ASSERT_TRUE(bOk) << i;
            EXPECT_EQ(skin->GetMargin(), kExpect[i]);
        } else {
            EXPECT_FALSE(bOk) << i;
        }
        ++i;
    }
}

TEST(SkinColorRect, BorderOutlinesAndMissingStatesTakeNormal) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        R"(<border name="skin.colorborder" colorNormal="#383838ff" colorPushed="#ff0000" width="2"/>)"));
    SSkinPool pool;
    EXPECT_EQ(pool.LoadSkins(doc, {}), 1);
    ISkinObj* pSkin = pool.GetSkin(L"SKIN.ColorBorder");
    ASSERT_NE(pSkin, nullptr);
    EXPECT_EQ(pSkin->GetSkinSize(), CSize());
    auto rt = Adopt(NewTarget(20, 20));
    pSkin->Draw(rt.get(), CRect(0, 0, 10, 10), SKIN_STATE_HOVER);
    EXPECT_EQ(PixelAt(rt.get(), 0, 0), 0xff383838u);
    EXPECT_EQ(PixelAt(rt.get(), 1, 5), 0xff383838u);
    EXPECT_EQ(PixelAt(rt.get(), 2, 5), 0u);
    pSkin->Draw(rt.get(), CRect(10, 10, 20, 20), SKIN_STATE_PUSHED);
    EXPECT_EQ(PixelAt(rt.get(), 19, 19), 0xffff0000u);

    auto fill = Adopt(new SSkinColorRect(false));
    fill->SetColor(0, SColor(0, 0, 255));
    fill->Draw(rt.get(), CRect(0, 10, 10, 20), SKIN_STATE_DISABLED);
    EXPECT_EQ(PixelAt(rt.get(), 5, 15), 0xff0000ffu);
}

TEST(SkinScrollbar, PartsComeFromTheirGridCells) {
    // 9 columns x 3 rows of 4 px cells, each a colour made from its place.
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 36, 12);
    cairo_t* cr = cairo_create(pSurface);
    for (int col = 0; col < 9; ++col)
        for (int row = 0; row < 3; ++row) {
            cairo_set_source_rgb(cr, col * 20 / 255.0, row * 100 / 255.0, 1.0);
            cairo_rectangle(cr, col * 4, row * 4, 4, 4);
            cairo_fill(cr);
        }
    cairo_destroy(cr);
    auto pBmp = Adopt(Bitmap(pSurface));
    auto cell = [](int col, int row) {
        return 0xff000000u | uint32_t(col * 20) << 16 | uint32_t(row * 100) << 8 | 0xffu;
    };

    pugi::xml_document doc;
    ASSERT_TRUE(
        doc.load_string(R"(<scrollbar name="sb" src="PNG:sb" margin="1" hasGripper="0"/>)"));
    auto skin = Adopt(new SSkinScrollbar());
    ASSERT_TRUE(skin->InitFromXml(doc.child("scrollbar"), Images({{L"PNG:sb", pBmp.get()}})));
    EXPECT_EQ(skin->GetBarSize(), 4);
    EXPECT_EQ(skin->GetSkinSize(), CSize(4, 4));

    auto rt = Adopt(NewTarget(40, 40));
    skin->DrawPart(rt.get(), CRect(0, 0, 4, 4), SSkinScrollbar::kArrowUp, SKIN_STATE_NORMAL, true);
    skin->DrawPart(rt.get(), CRect(4, 0, 8, 20), SSkinScrollbar::kThumb, SKIN_STATE_PUSHED, true);
    skin->DrawPart(rt.get(), CRect(8, 0, 12, 4), SSkinScrollbar::kArrowDown, SKIN_STATE_DISABLED,
                   true);
    skin->DrawPart(rt.get(), CRect(12, 0, 16, 30), SSkinScrollbar::kRail, SKIN_STATE_NORMAL, true);
    skin->DrawPart(rt.get(), CRect(0, 30, 4, 34), SSkinScrollbar::kArrowUp, SKIN_STATE_HOVER,
                   false);
    skin->DrawPart(rt.get(), CRect(4, 30, 24, 34), SSkinScrollbar::kRail, SKIN_STATE_NORMAL, false);
    EXPECT_EQ(PixelAt(rt.get(), 1, 1), cell(0, 0));
    EXPECT_EQ(PixelAt(rt.get(), 5, 10), cell(2, 1));
    EXPECT_EQ(PixelAt(rt.get(), 9, 1), cell(3, 2));
    EXPECT_EQ(PixelAt(rt.get(), 13, 15), cell(8, 0));
    EXPECT_EQ(PixelAt(rt.get(), 1, 31), cell(5, 0));
    EXPECT_EQ(PixelAt(rt.get(), 14, 31), cell(8, 1));
}

TEST(SkinPool, UnknownAndBrokenEntriesAreSkippedAndNamesReplace) {
    auto pBmp = Adopt(Bitmap(MakeCells({kRed, kGreen}, 4, 4)));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(R"(<skin>
        <imglist name="a" src="PNG:x" states="2"/>
        <gif name="anim" src="PNG:x"/>
        <imglist name="broken" src="PNG:none"/>
        <!-- comment -->
        <colorrect name="A" colorNormal="#00ff00"/>
      </skin>)"));
    SSkinPool pool;
    testsupport::StderrCapture capture;
    EXPECT_EQ(pool.LoadSkins(doc.child("skin"), Images({{L"PNG:x", pBmp.get()}})), 2);
    EXPECT_EQ(pool.GetCount(), 1u);
    EXPECT_EQ(pool.GetSkin(L"broken"), nullptr);
    ASSERT_NE(pool.GetSkin(L"a"), nullptr);
    EXPECT_EQ(pool.GetSkin(L"a")->GetStates(), 4);  // the colour skin replaced the image list
    EXPECT_NE(capture.Text().find("unknown skin class \"gif\""), std::string::npos);
}
