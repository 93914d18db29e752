// Skin tables (SKIN/XML_SKIN and the system skins) through the skin pool,
// then drawn. A skin's image named "PNG:WxH" is a W by H image (1 to 64),
// "PNG:none" is missing, any other 27 by 9. Every drawing must stay inside
// the control's rectangle and take its pixels from inside the image.
#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IRenderTarget.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/skin/SSkinPool.h"
#include "toolkit/skin/SSkinScrollbar.h"

using namespace SOUI;

namespace {

class CFakeBitmap : public SObjectImpl<IBitmapS> {
public:
    CFakeBitmap(int w, int h) : m_w(w), m_h(h) {}
    int Width() const override { return m_w; }
    int Height() const override { return m_h; }
    cairo_surface_t* GetSurface() const override { return nullptr; }
    IBitmapS* GetDoubleRes() const override { return nullptr; }
    bool SetDoubleRes(IBitmapS*) override { return false; }

private:
    int m_w, m_h;
};

bool Contains(const CRect& outer, const CRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Checks every drawing call against the control's rectangle and the clip.
class CCheckingTarget : public SObjectImpl<IRenderTarget> {
public:
    CRect m_rcControl;

    CSize GetSize() const override { return {4096, 4096}; }
    void FillRect(const CRect& rc, SColor) override { CheckDst(rc); }
    void DrawRectangle(const CRect& rc, SColor, int nWidth) override {
        CheckDst(rc);
        FUZZ_CHECK(nWidth >= 0);
    }
    void DrawLine(CPoint, CPoint, SColor, int) override {}
    void DrawBitmapEx(const CRect& rcDst, IBitmapS* pBmp, const CRect& rcSrc,
                      unsigned char) override {
        FUZZ_CHECK(pBmp != nullptr);
        // An empty part draws nothing (a cell of an image too small for its grid).
        if (rcSrc.IsRectEmpty() || rcDst.IsRectEmpty()) {
            return;
        }
        FUZZ_CHECK(Contains(CRect(0, 0, pBmp->Width(), pBmp->Height()), rcSrc));
        // Tiles may overhang; the clip keeps them inside.
        CRect rcShown;
        rcShown.IntersectRect(rcDst, m_clips.empty() ? rcDst : m_clips.back());
        if (!rcShown.IsRectEmpty()) {
            CheckDst(rcShown);
        }
        FUZZ_CHECK(++m_nCalls < 100000);
    }
    void DrawText(const std::wstring&, const CRect&, IFontS*, SColor, unsigned) override {}
    CSize MeasureText(const std::wstring&, IFontS*, unsigned, int) override { return {}; }
    void PushClipRect(const CRect& rc) override { m_clips.push_back(rc); }
    void PopClip() override {
        FUZZ_CHECK(!m_clips.empty());
        m_clips.pop_back();
    }
    void OffsetViewportOrg(int, int, CPoint*) override {}
    void SetViewportOrg(CPoint) override {}
    CPoint GetViewportOrg() const override { return {}; }
    cairo_t* GetCairo() override { return nullptr; }

    void Begin(const CRect& rc) {
        m_rcControl = rc;
        m_nCalls = 0;
    }
    void End() { FUZZ_CHECK(m_clips.empty()); }

private:
    void CheckDst(const CRect& rc) { FUZZ_CHECK(Contains(m_rcControl, rc)); }
    std::vector<CRect> m_clips;
    int m_nCalls = 0;
};

IBitmapS* LoadFakeImage(const std::wstring& strSrc) {
    if (strSrc == L"PNG:none") {
        return nullptr;
    }
    int w = 27, h = 9;
    int nW = 0, nH = 0;
    if (std::swscanf(strSrc.c_str(), L"PNG:%dx%d", &nW, &nH) == 2) {
        w = std::clamp(nW, 1, 64);
        h = std::clamp(nH, 1, 64);
    }
    return new CFakeBitmap(w, h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    pugi::xml_document doc;
    if (!doc.load_buffer(pData, nSize)) {
        return 0;
    }
    SSkinPool pool;
    const int nAdded = pool.LoadSkins(doc.first_child(), LoadFakeImage);
    FUZZ_CHECK(nAdded >= 0 && static_cast<size_t>(nAdded) >= pool.GetCount());

    auto* pRT = new CCheckingTarget();
    const CRect rects[] = {CRect(0, 0, 30, 20), CRect(5, 5, 6, 6), CRect(-10, 3, 290, 43),
                           CRect(0, 0, 1, 200), CRect(100, 100, 100, 140)};
    for (pugi::xml_node xmlSkin : doc.first_child().children()) {
        ISkinObj* pSkin = pool.GetSkin(SOUI::Utf8ToWide(xmlSkin.attribute("name").value()));
        if (!pSkin) {
            continue;
        }
        FUZZ_CHECK(pSkin->GetStates() >= 1);
        const CSize sz = pSkin->GetSkinSize();
        FUZZ_CHECK(sz.cx >= 0 && sz.cy >= 0);
        for (const CRect& rc : rects) {
            for (int iState : {-1, 0, 1, 3, 7}) {
                pRT->Begin(rc);
                pSkin->Draw(pRT, rc, iState, 200);
                pRT->End();
            }
            if (auto* pBar = dynamic_cast<SSkinScrollbar*>(pSkin)) {
                for (int nPart = SSkinScrollbar::kArrowUp; nPart <= SSkinScrollbar::kRail;
                     ++nPart) {
                    for (bool bVertical : {true, false}) {
                        pRT->Begin(rc);
                        pBar->DrawPart(pRT, rc, SSkinScrollbar::Part(nPart), 1, bVertical);
                        pRT->End();
                    }
                }
            }
        }
    }
    pRT->Release();
    return 0;
}
