#include <gtest/gtest.h>

#include "RenderEnv.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SAutoRefPtr.h"

using namespace SOUI;

namespace {

SAutoRefPtr<IRenderTarget> Target(int w, int h) {
    SAutoRefPtr<IRenderTarget> p;
    p.Attach(NewTarget(w, h));
    return p;
}

SAutoRefPtr<IFontS> Font(const wchar_t* pszFace, int nSize, bool bUnderline = false) {
    SFontDesc desc;
    desc.strFace = pszFace;
    desc.nSize = nSize;
    desc.bUnderline = bUnderline;
    IFontS* pFont = nullptr;
    EXPECT_TRUE(RenderEnv::Get().Factory()->CreateFont(desc, &pFont));
    SAutoRefPtr<IFontS> p;
    p.Attach(pFont);
    return p;
}

const SColor kRed(255, 0, 0);
const SColor kBlack(0, 0, 0);

}  // namespace

TEST(RenderCairo, FillAndFrameHitExactlyTheirPixels) {
    auto rt = Target(40, 30);
    ASSERT_TRUE(rt);
    EXPECT_EQ(rt->GetSize(), CSize(40, 30));
    rt->FillRect(CRect(2, 3, 12, 8), kRed);
    EXPECT_EQ(PixelAt(rt.get(), 2, 3), 0xffff0000u);
    EXPECT_EQ(PixelAt(rt.get(), 11, 7), 0xffff0000u);
    EXPECT_EQ(PixelAt(rt.get(), 12, 7), 0u);
    EXPECT_EQ(PixelAt(rt.get(), 11, 8), 0u);

    rt->DrawRectangle(CRect(20, 10, 30, 20), SColor(0x38, 0x38, 0x38), 2);
    EXPECT_EQ(PixelAt(rt.get(), 20, 10), 0xff383838u);
    EXPECT_EQ(PixelAt(rt.get(), 21, 15), 0xff383838u);
    EXPECT_EQ(PixelAt(rt.get(), 29, 19), 0xff383838u);
    EXPECT_EQ(PixelAt(rt.get(), 22, 12), 0u);
    EXPECT_EQ(PixelAt(rt.get(), 30, 15), 0u);

    // Half-transparent fills blend over what is there.
    rt->FillRect(CRect(0, 20, 10, 30), SColor(0, 0, 255, 128));
    EXPECT_EQ(PixelAt(rt.get(), 5, 25) >> 24, 128u);
}

TEST(RenderCairo, ClipsNestAndOriginSurvivesPops) {
    auto rt = Target(40, 40);
    rt->PushClipRect(CRect(0, 0, 20, 20));
    rt->PushClipRect(CRect(10, 10, 30, 30));
    rt->FillRect(CRect(0, 0, 40, 40), kRed);
    rt->PopClip();
    EXPECT_EQ(PixelAt(rt.get(), 15, 15), 0xffff0000u);
    EXPECT_EQ(PixelAt(rt.get(), 5, 5), 0u);
    EXPECT_EQ(PixelAt(rt.get(), 25, 25), 0u);

    CPoint ptOld(-1, -1);
    rt->OffsetViewportOrg(2, 3, &ptOld);
    EXPECT_EQ(ptOld, CPoint(0, 0));
    rt->PopClip();
    EXPECT_EQ(rt->GetViewportOrg(), CPoint(2, 3));
    rt->FillRect(CRect(20, 20, 21, 21), kBlack);
    EXPECT_EQ(PixelAt(rt.get(), 22, 23), 0xff000000u);
    rt->SetViewportOrg(CPoint());
    rt->FillRect(CRect(39, 39, 40, 40), kBlack);
    EXPECT_EQ(PixelAt(rt.get(), 39, 39), 0xff000000u);

    // An extra pop is refused, not a crash.
    testsupport::StderrCapture capture;
    rt->PopClip();
    EXPECT_NE(capture.Text().find("SRenderTargetCairo::PopClip"), std::string::npos);
}

TEST(RenderCairo, TargetOverAForeignContextKeepsItsMatrixAndClip) {
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 30, 30);
    cairo_t* cr = cairo_create(pSurface);
    cairo_translate(cr, 5, 5);
    {
        IRenderTarget* pRT = nullptr;
        ASSERT_TRUE(RenderEnv::Get().Factory()->CreateRenderTargetOnCairo(cr, 25, 25, &pRT));
        pRT->PushClipRect(CRect(0, 0, 2, 2));  // left pushed on purpose
        pRT->FillRect(CRect(0, 0, 10, 10), kRed);
        pRT->Release();
    }
    EXPECT_EQ(PixelAt(pSurface, 5, 5), 0xffff0000u);
    EXPECT_EQ(PixelAt(pSurface, 7, 7), 0u);
    // The caller's context is as it was: no clip, its own translation.
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 10, 10, 1, 1);
    cairo_fill(cr);
    EXPECT_EQ(PixelAt(pSurface, 15, 15), 0xff0000ffu);
    cairo_destroy(cr);
    cairo_surface_destroy(pSurface);
}

TEST(RenderCairo, BadTargetsAreRefused) {
    IRenderTarget* pRT = nullptr;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(RenderEnv::Get().Factory()->CreateRenderTarget(0, 10, &pRT));
    EXPECT_FALSE(RenderEnv::Get().Factory()->CreateRenderTarget(100000, 10, &pRT));
    EXPECT_FALSE(RenderEnv::Get().Factory()->CreateRenderTargetOnCairo(nullptr, 10, 10, &pRT));
    EXPECT_EQ(pRT, nullptr);
    EXPECT_NE(capture.Text().find("SRenderFactoryCairo::CreateRenderTarget"), std::string::npos);
}

TEST(RenderCairo, BitmapPartsScaleAndBlend) {
    cairo_surface_t* pCells = MakeCells({0xff0000, 0x00ff00}, 4, 4);
    IBitmapS* pBmp = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Factory()->CreateBitmapFromSurface(pCells, &pBmp));
    cairo_surface_destroy(pCells);
    EXPECT_EQ(pBmp->Size(), CSize(8, 4));
    auto rt = Target(40, 20);
    // The green cell stretched five times: no red may bleed in at its edge.
    rt->DrawBitmapEx(CRect(0, 0, 20, 20), pBmp, CRect(4, 0, 8, 4));
    for (int x : {0, 10, 19})
        EXPECT_EQ(PixelAt(rt.get(), x, 10), 0xff00ff00u) << x;
    EXPECT_EQ(PixelAt(rt.get(), 20, 10), 0u);
    rt->DrawBitmapEx(CRect(20, 0, 24, 4), pBmp, CRect(0, 0, 4, 4), 128);
    uint32_t px = PixelAt(rt.get(), 21, 1);
    EXPECT_EQ(px >> 24, 128u);
    EXPECT_EQ((px >> 16) & 0xff, 128u);
    rt->DrawBitmap(CPoint(30, 10), pBmp);
    EXPECT_EQ(PixelAt(rt.get(), 30, 10), 0xffff0000u);
    EXPECT_EQ(PixelAt(rt.get(), 37, 13), 0xff00ff00u);
    pBmp->Release();
}

TEST(RenderCairo, DoubleResTwinIsDrawnPixelForPixelOnScaleTwoTargets) {
    IRenderFactory* pFactory = RenderEnv::Get().Factory();
    auto bitmap = [&](cairo_surface_t* pCells) {
        IBitmapS* pBmp = nullptr;
        EXPECT_TRUE(pFactory->CreateBitmapFromSurface(pCells, &pBmp));
        cairo_surface_destroy(pCells);
        SAutoRefPtr<IBitmapS> p;
        p.Attach(pBmp);
        return p;
    };
    auto plain = bitmap(MakeCells({0xff0000, 0x00ff00}, 4, 4));
    // The twin: blue and yellow cells of 8 px, the yellow one's first column black.
    cairo_surface_t* pTwinCells = MakeCells({0x0000ff, 0xffff00}, 8, 8);
    cairo_t* cr = cairo_create(pTwinCells);
    cairo_rectangle(cr, 8, 0, 1, 8);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto twin = bitmap(pTwinCells);

    {
        testsupport::StderrCapture capture;
        EXPECT_FALSE(plain->SetDoubleRes(plain.get()));
        auto wrong = bitmap(MakeCells({0x0000ff, 0xffff00}, 8, 4));
        EXPECT_FALSE(plain->SetDoubleRes(wrong.get()));
        EXPECT_EQ(plain->GetDoubleRes(), nullptr);
        EXPECT_NE(capture.Text().find("SBitmapCairo::SetDoubleRes"), std::string::npos);
    }
    ASSERT_TRUE(plain->SetDoubleRes(twin.get()));
    EXPECT_EQ(plain->GetDoubleRes(), twin.get());
    EXPECT_EQ(plain->Size(), CSize(8, 4));

    for (int nScale : {1, 2, 3}) {
        cairo_surface_t* pSurface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20 * nScale, 10 * nScale);
        cairo_surface_set_device_scale(pSurface, nScale, nScale);
        IRenderTarget* pRT = nullptr;
        ASSERT_TRUE(pFactory->CreateRenderTargetOnSurface(pSurface, &pRT));
        // The second cell, unstretched, in the same units at every scale.
        pRT->DrawBitmapEx(CRect(2, 2, 6, 6), plain.get(), CRect(4, 0, 8, 4));
        pRT->Release();
        const int x0 = 2 * nScale, y = 4 * nScale;
        if (nScale == 1) {
            EXPECT_EQ(PixelAt(pSurface, x0, y), Opaque(0x00ff00));
            EXPECT_EQ(PixelAt(pSurface, x0 + 3, y), Opaque(0x00ff00));
        } else if (nScale == 2) {
            // One twin pixel per device pixel: the black column stays one pixel wide.
            EXPECT_EQ(PixelAt(pSurface, x0, y), Opaque(0x000000));
            EXPECT_EQ(PixelAt(pSurface, x0 + 1, y), Opaque(0xffff00));
            EXPECT_EQ(PixelAt(pSurface, x0 + 7, y), Opaque(0xffff00));
            EXPECT_EQ(PixelAt(pSurface, x0 + 8, y), 0u);
        } else {
            // Scale 3 takes the twin too, stretched by one and a half.
            EXPECT_EQ(PixelAt(pSurface, x0 + 6, y), Opaque(0xffff00));
            EXPECT_EQ(PixelAt(pSurface, x0 + 12, y), 0u);
        }
        cairo_surface_destroy(pSurface);
    }
}

TEST(RenderCairo, TextSitsWhereTheFlagsPutIt) {
    auto font = Font(L"sans", 16);
    const CRect rc(10, 10, 190, 50);
    auto left = Target(200, 60);
    left->DrawText(L"Install", rc, font.get(), kBlack, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    InkBox ink = FindInk(left.get());
    ASSERT_FALSE(ink.bEmpty);
    EXPECT_LE(ink.left, rc.left + 3);
    EXPECT_GE(ink.left, rc.left);
    int nTop = ink.top - rc.top, nBottom = rc.bottom - ink.bottom;
    EXPECT_NEAR(nTop, nBottom, 6);

    auto centre = Target(200, 60);
    centre->DrawText(L"Install", rc, font.get(), kBlack, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ink = FindInk(centre.get());
    ASSERT_FALSE(ink.bEmpty);
    EXPECT_NEAR(ink.left - rc.left, rc.right - ink.right, 4);

    auto right = Target(200, 60);
    right->DrawText(L"Install", rc, font.get(), kBlack, DT_RIGHT | DT_SINGLELINE);
    ink = FindInk(right.get());
    ASSERT_FALSE(ink.bEmpty);
    EXPECT_GE(ink.right, rc.right - 3);
    EXPECT_LE(ink.right, rc.right);
}

TEST(RenderCairo, WrappingAndEllipsisStayInsideTheWidth) {
    auto font = Font(L"sans", 14);
    const std::wstring strLong = L"The install directory is invalid. Please reassign it!";
    CSize one = RenderEnv::Get().Factory()->MeasureText(strLong, font.get(), DT_SINGLELINE);
    CSize wrapped = RenderEnv::Get().Factory()->MeasureText(strLong, font.get(), DT_WORDBREAK, 120);
    EXPECT_GT(one.cx, 120);
    EXPECT_LE(wrapped.cx, 120);
    EXPECT_GE(wrapped.cy, 2 * one.cy);
    auto rt = Target(300, 200);
    EXPECT_EQ(rt->MeasureText(strLong, font.get(), DT_WORDBREAK, 120), wrapped);

    rt->DrawText(strLong, CRect(0, 0, 120, 200), font.get(), kBlack, DT_WORDBREAK);
    InkBox ink = FindInk(rt.get());
    ASSERT_FALSE(ink.bEmpty);
    EXPECT_LE(ink.right, 120);
    EXPECT_GT(ink.bottom, one.cy);

    auto rtEllipsis = Target(300, 40);
    rtEllipsis->DrawText(strLong, CRect(0, 0, 100, 40), font.get(), kBlack,
                         DT_SINGLELINE | DT_END_ELLIPSIS);
    ink = FindInk(rtEllipsis.get());
    ASSERT_FALSE(ink.bEmpty);
    EXPECT_LE(ink.right, 100);
}

TEST(RenderCairo, ChineseFallsBackToTheCjkFaceWhateverFaceIsNamed) {
    // Neither named face is installed here; both must end up on the CJK
    // face, so the text measures as it does in that face.
    const std::wstring strText = L"您已成功安装最新版本";
    auto cjk = Font(L"WenQuanYi Micro Hei", 16);
    CSize szCjk = RenderEnv::Get().Factory()->MeasureText(strText, cjk.get(), DT_SINGLELINE);
    for (const wchar_t* pszFace : {L"微软雅黑", L"宋体"}) {
        auto font = Font(pszFace, 16);
        EXPECT_EQ(RenderEnv::Get().Factory()->MeasureText(strText, font.get(), DT_SINGLELINE),
                  szCjk);
    }
    // Ten ideographs at 16 px: about 16 px each, not hex boxes or nothing.
    EXPECT_NEAR(szCjk.cx, 160, 12);
    auto rt = Target(200, 30);
    auto font = Font(L"微软雅黑", 16);
    rt->DrawText(strText, CRect(0, 0, 200, 30), font.get(), kBlack, DT_SINGLELINE | DT_VCENTER);
    EXPECT_FALSE(FindInk(rt.get()).bEmpty);
}

TEST(RenderCairo, UnderlineAndDefaultFontDraw) {
    auto plain = Font(L"sans", 14);
    auto underlined = Font(L"sans", 14, true);
    auto a = Target(100, 30);
    auto b = Target(100, 30);
    a->DrawText(L"link", CRect(0, 0, 100, 30), plain.get(), kBlack, DT_SINGLELINE);
    b->DrawText(L"link", CRect(0, 0, 100, 30), underlined.get(), kBlack, DT_SINGLELINE);
    InkBox inkA = FindInk(a.get()), inkB = FindInk(b.get());
    ASSERT_FALSE(inkA.bEmpty);
    ASSERT_FALSE(inkB.bEmpty);
    EXPECT_GT(inkB.bottom, inkA.bottom);

    // No font: the factory's default ("宋体" 15 until set).
    EXPECT_EQ(RenderEnv::Get().Factory()->GetDefaultFont().nSize, 15);
    auto c = Target(100, 30);
    c->DrawText(L"安装", CRect(0, 0, 100, 30), nullptr, kBlack, DT_SINGLELINE);
    EXPECT_FALSE(FindInk(c.get()).bEmpty);
}
