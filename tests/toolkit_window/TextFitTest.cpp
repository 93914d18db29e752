// Text that does not fit its control: the fitting rule on its own, then every
// text of the installer's layouts in both languages, measured as the
// renderer measures and painted with no clip to see where glyphs land.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ToolkitTestEnv.h"
#include "platform/TextConvert.h"
#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SDesktopSettings.h"
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SHostWnd.h"

using namespace SOUI;

namespace {

// ---- the rule ----------------------------------------------------------

// Text of fixed-width glyphs: each character is half the font size wide,
// a line is the font size plus 2 high; wrapping breaks at blanks.
CSize GridMeasure(const std::wstring& strText, const SFontDesc& font, unsigned uFormat,
                  int nMaxWidth) {
    const int nChar = font.nSize / 2;
    const int nLine = font.nSize + 2;
    const bool bWrap = !(uFormat & DT_SINGLELINE) && (uFormat & DT_WORDBREAK) && nMaxWidth > 0;
    if (!bWrap) {
        return CSize(static_cast<int>(strText.size()) * nChar, nLine);
    }
    int nLines = 1, nWidest = 0, nCur = 0;
    size_t nPos = 0;
    while (nPos <= strText.size()) {
        size_t nBlank = strText.find(L' ', nPos);
        size_t nEnd = nBlank == std::wstring::npos ? strText.size() : nBlank;
        int nWord = static_cast<int>(nEnd - nPos) * nChar;
        int nWith = nCur == 0 ? nWord : nCur + nChar + nWord;
        if (nCur > 0 && nWith > nMaxWidth) {
            ++nLines;
            nCur = nWord;
        } else {
            nCur = nWith;
        }
        nWidest = std::max(nWidest, nCur);
        nPos = nEnd + 1;
    }
    return CSize(nWidest, nLines * nLine);
}

TEST(STextFitter, KeepsShrinksWrapsThenElides) {
    struct Case {
        const char* pszWhat;
        const wchar_t* pszText;
        int nSize;
        unsigned uFormat;
        CSize szBox;
        int nWantSize;
        bool bShrunk, bWrapped, bElided;
    };
    const unsigned kLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    const Case cases[] = {
        {"fits as laid out", L"Install", 16, kLine, {100, 20}, 16, false, false, false},
        {"empty text", L"", 16, kLine, {0, 0}, 16, false, false, false},
        // 16 chars: 160 px at 20, fits 140 px at 17 (8 px a char).
        {"a little too wide shrinks",
         L"Start experience",
         20,
         kLine,
         {140, 50},
         17,
         true,
         false,
         false},
        // The floor of 20 px is 15: 16 chars need 112 px there; the box is
        // tall enough for two lines, and "experience" fits a line at 19 px.
        {"too wide at the floor wraps",
         L"Start experience",
         20,
         kLine,
         {90, 50},
         19,
         true,
         true,
         false},
        // Two lines of the 11 px floor are 26 px: the 24 px box holds one.
        {"too short to wrap elides",
         L"Have read and agree",
         14,
         kLine,
         {60, 24},
         11,
         true,
         false,
         true},
        {"the floor never drops below 10 px",
         L"abcdefghijklmnopqrstuvwxyz",
         12,
         kLine,
         {20, 14},
         10,
         true,
         false,
         true},
        {"a wrapping text shrinks its lines",
         L"one two three four five six",
         16,
         DT_LEFT | DT_WORDBREAK,
         {120, 30},
         13,
         true,
         false,
         false},
        {"a wrapping text too long elides",
         L"one two three four five six seven eight nine",
         16,
         DT_LEFT | DT_WORDBREAK,
         {60, 30},
         12,
         true,
         false,
         true},
    };
    for (const Case& c : cases) {
        SFontDesc font;
        font.nSize = c.nSize;
        STextFit fit = STextFitter::Fit(c.pszText, font, c.uFormat, c.szBox, GridMeasure);
        SCOPED_TRACE(c.pszWhat);
        EXPECT_EQ(fit.font.nSize, c.nWantSize);
        EXPECT_EQ(fit.bShrunk, c.bShrunk);
        EXPECT_EQ(fit.bWrapped, c.bWrapped);
        EXPECT_EQ(fit.bElided, c.bElided);
        EXPECT_EQ((fit.uFormat & DT_END_ELLIPSIS) != 0, c.bElided);
        EXPECT_EQ((fit.uFormat & DT_WORDBREAK) != 0, c.bWrapped || !(c.uFormat & DT_SINGLELINE));
        EXPECT_LE(fit.szText.cx, c.szBox.cx);
        EXPECT_LE(fit.szText.cy, c.szBox.cy);
    }
    EXPECT_EQ(STextFitter::FloorSize(20), 15);
    EXPECT_EQ(STextFitter::FloorSize(14), 11);
    EXPECT_EQ(STextFitter::FloorSize(8), 8) << "never larger than the size itself";
}

// ---- the installer's texts ----------------------------------------------

// Forwards everything but clips, so a glyph outside its control is painted.
class CUnclippedTarget : public SObjectImpl<IRenderTarget> {
public:
    explicit CUnclippedTarget(IRenderTarget* pInner) : m_pInner(pInner) { m_pInner->AddRef(); }
    ~CUnclippedTarget() override { m_pInner->Release(); }
    CSize GetSize() const override { return m_pInner->GetSize(); }
    void FillRect(const CRect& rc, SColor cr) override { m_pInner->FillRect(rc, cr); }
    void DrawRectangle(const CRect& rc, SColor cr, int nWidth) override {
        m_pInner->DrawRectangle(rc, cr, nWidth);
    }
    void DrawLine(CPoint a, CPoint b, SColor cr, int nWidth) override {
        m_pInner->DrawLine(a, b, cr, nWidth);
    }
    void DrawBitmapEx(const CRect& rcDst, IBitmapS* pBmp, const CRect& rcSrc,
                      unsigned char byAlpha) override {
        m_pInner->DrawBitmapEx(rcDst, pBmp, rcSrc, byAlpha);
    }
    void DrawText(const std::wstring& strText, const CRect& rc, IFontS* pFont, SColor cr,
                  unsigned uFormat) override {
        m_pInner->DrawText(strText, rc, pFont, cr, uFormat);
    }
    CSize MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                      int nMaxWidth) override {
        return m_pInner->MeasureText(strText, pFont, uFormat, nMaxWidth);
    }
    void PushClipRect(const CRect&) override {}
    void PopClip() override {}
    void OffsetViewportOrg(int dx, int dy, CPoint* pOld) override {
        m_pInner->OffsetViewportOrg(dx, dy, pOld);
    }
    void SetViewportOrg(CPoint pt) override { m_pInner->SetViewportOrg(pt); }
    CPoint GetViewportOrg() const override { return m_pInner->GetViewportOrg(); }
    cairo_t* GetCairo() override { return m_pInner->GetCairo(); }

private:
    IRenderTarget* m_pInner;
};

std::vector<uint32_t> PaintUnclipped(SHostWnd& wnd) {
    IRenderFactory* pFactory = ToolkitEnv().GetApp()->GetRenderFactory();
    const CRect& rc = wnd.GetWindowRect();
    IRenderTarget* pRT = nullptr;
    EXPECT_TRUE(pFactory->CreateRenderTarget(rc.Width(), rc.Height(), &pRT));
    std::vector<uint32_t> pixels;
    if (!pRT) {
        return pixels;
    }
    auto* pUnclipped = new CUnclippedTarget(pRT);
    wnd.RedrawRegion(pUnclipped, rc);
    cairo_surface_t* pSurface = cairo_get_target(pRT->GetCairo());
    cairo_surface_flush(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    const unsigned char* pData = cairo_image_surface_get_data(pSurface);
    for (int y = 0; y < rc.Height(); ++y) {
        const auto* pRow = reinterpret_cast<const uint32_t*>(pData + y * nStride);
        pixels.insert(pixels.end(), pRow, pRow + rc.Width());
    }
    pUnclipped->Release();
    pRT->Release();
    return pixels;
}

void ForEachWindow(SWindow* pWnd, const std::function<void(SWindow*)>& fn) {
    fn(pWnd);
    for (size_t i = 0; i < pWnd->GetChildrenCount(); ++i) {
        ForEachWindow(pWnd->GetChild(i), fn);
    }
}

// The text of pWnd, as fitted now: measured again by the renderer it fits
// the text rectangle whole, and painted without clips no glyph pixel lands
// outside it. Leaves the text invisible (transparent) afterwards. Returns
// its contrast as painted: the colour of its most solid glyph pixel
// against the lowest-contrast background under any of its glyph pixels.
double ExpectTextFits(SHostWnd& wnd, SWindow* pWnd, const std::string& strWhere) {
    const std::wstring strText = pWnd->GetWindowText();
    const CRect rcText = pWnd->GetTextRect();
    const std::string strTrace = strWhere + " [" + WideToAnsi(strText) + "]";
    STextFit fit = pWnd->GetTextFit();
    EXPECT_FALSE(fit.bElided) << strTrace << " is cut";
    IRenderFactory* pFactory = ToolkitEnv().GetApp()->GetRenderFactory();
    IFontS* pFont = wnd.GetFont(fit.font);
    CSize sz = pFactory->MeasureText(strText, pFont, fit.uFormat, rcText.Width());
    EXPECT_LE(sz.cx, rcText.Width()) << strTrace;
    EXPECT_LE(sz.cy, rcText.Height()) << strTrace;

    std::vector<uint32_t> with = PaintUnclipped(wnd);
    pWnd->SetAttribute(L"colorText", L"#00000000");
    std::vector<uint32_t> without = PaintUnclipped(wnd);
    EXPECT_EQ(with.size(), without.size());
    if (with.size() != without.size()) {
        return 0;
    }
    const int nWidth = wnd.GetWindowRect().Width();
    int nInside = 0, nOutside = 0;
    std::vector<size_t> glyphs;
    size_t nSolid = 0;
    double dSolid = 0;
    for (size_t i = 0; i < with.size(); ++i) {
        if (with[i] == without[i]) {
            continue;
        }
        CPoint pt(static_cast<int>(i) % nWidth, static_cast<int>(i) / nWidth);
        (rcText.PtInRect(pt) ? nInside : nOutside)++;
        glyphs.push_back(i);
        if (double d = Contrast(OverWhite(with[i]), OverWhite(without[i])); d > dSolid) {
            dSolid = d;
            nSolid = i;
        }
    }
    EXPECT_GT(nInside, 0) << strTrace << " drew nothing";
    EXPECT_EQ(nOutside, 0) << strTrace << " has glyph pixels outside its control";
    double dContrast = glyphs.empty() ? 0 : 21;
    for (size_t i : glyphs) {
        dContrast = std::min(dContrast, Contrast(OverWhite(with[nSolid]), OverWhite(without[i])));
    }
    return dContrast;
}

struct Layout {
    const wchar_t* pszName;
    // Texts set at run time into a control, as keys of the window's context.
    std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>> dynamic;
};

// Every text of every layout in both languages is whole inside its
// control; adds the lowest contrast of each text as painted, by where.
void CheckEveryLayoutText(std::vector<std::pair<std::string, double>>& contrasts) {
    const Layout layouts[] = {
        {L"LAYOUT:XML_MAINWND",
         {{L"txt_gif", {L"high_quality_pdf2word", L"24hours_online", L"professional_team"}},
          {L"txt_percent", {L"100%"}}}},
        {L"LAYOUT:XML_MSGBOX_DLG", {}},
        {L"LAYOUT:XML_PROTOCOLDLG_WND", {}},
    };
    for (PreviewLang lang : {PreviewLang::Chinese, PreviewLang::English}) {
        ASSERT_TRUE(ToolkitEnv().SetLanguage(lang));
        const std::string strLang = lang == PreviewLang::English ? "en " : "zh ";
        for (const Layout& layout : layouts) {
            // Each text is checked on a window of its own; pages are shown in turn.
            std::vector<std::pair<std::wstring, std::wstring>> checks;
            {
                SHostWnd probe(layout.pszName);
                ASSERT_TRUE(probe.Create());
                ForEachWindow(&probe, [&](SWindow* p) {
                    if (p != &probe && p->IsTextFitted() && !p->GetWindowText().empty()) {
                        checks.emplace_back(p->GetNameStr(), p->GetWindowText(true));
                    }
                });
                for (const auto& [pszName, texts] : layout.dynamic) {
                    for (const wchar_t* pszText : texts) {
                        checks.emplace_back(pszName, pszText);
                    }
                }
            }
            for (const auto& [strName, strRaw] : checks) {
                SHostWnd wnd(layout.pszName);
                ASSERT_TRUE(wnd.Create());
                // Unnamed texts are told apart by their layout text.
                SWindow* pWnd = nullptr;
                ForEachWindow(&wnd, [&](SWindow* p) {
                    if (!pWnd && p != &wnd && p->GetNameStr() == strName &&
                        (!strName.empty() || p->GetWindowText(true) == strRaw)) {
                        pWnd = p;
                    }
                });
                ASSERT_NE(pWnd, nullptr) << WideToAnsi(strName);
                pWnd->SetWindowText(strRaw);
                // Show the page the control is on.
                for (SWindow* p = pWnd; p->GetParent(); p = p->GetParent()) {
                    if (auto* pTab = dynamic_cast<STabCtrl*>(p->GetParent())) {
                        for (size_t i = 0; i < pTab->GetPageCount(); ++i) {
                            if (pTab->GetPage(static_cast<int>(i)) == p) {
                                pTab->SetCurSel(static_cast<int>(i));
                            }
                        }
                    }
                }
                // Controls that share a place show one at a time (the message
                // box's continue and cancel): hide the later ones.
                bool bAfter = false;
                for (size_t i = 0; pWnd->GetParent() && i < pWnd->GetParent()->GetChildrenCount();
                     ++i) {
                    SWindow* pSibling = pWnd->GetParent()->GetChild(i);
                    CRect rcBoth;
                    if (bAfter &&
                        rcBoth.IntersectRect(pSibling->GetWindowRect(), pWnd->GetWindowRect())) {
                        pSibling->SetVisible(false, true);
                    }
                    bAfter = bAfter || pSibling == pWnd;
                }
                wnd.UpdateLayout();
                if (!pWnd->IsVisible(true)) {
                    continue;
                }
                const std::string strWhere = strLang + WideToAnsi(layout.pszName) + " " +
                                             WideToAnsi(strName) + " [" +
                                             WideToAnsi(pWnd->GetWindowText()) + "]";
                contrasts.emplace_back(strWhere, ExpectTextFits(wnd, pWnd, strWhere));
            }
            EXPECT_FALSE(checks.empty()) << WideToAnsi(layout.pszName);
        }
    }
    ToolkitEnv().SetLanguage(PreviewLang::Chinese);
}

TEST(STextFitter, EveryLayoutTextFitsItsControlInBothLanguages) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    std::vector<std::pair<std::string, double>> contrasts;
    CheckEveryLayoutText(contrasts);
}

TEST(STextFitter, EveryLayoutTextStaysWholeAndReadableUnderTheDesktopsSettings) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    struct Row {
        const char* pszWhat;
        double dTextScale;
        bool bHighContrast;
        double dMinContrast;  // 0: the design's colours, whatever they give
    };
    const Row rows[] = {
        {"large text 1.25x", 1.25, false, 0},
        {"large text 1.5x", 1.5, false, 0},
        {"high contrast", 1.0, true, 7.0},
        {"high contrast, large text 1.5x", 1.5, true, 7.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        SDesktopSettings settings;
        settings.dTextScale = row.dTextScale;
        settings.bHighContrast = row.bHighContrast;
        CDesktopSettingsScope scope(settings);
        std::vector<std::pair<std::string, double>> contrasts;
        CheckEveryLayoutText(contrasts);
        double dLowest = 21;
        for (const auto& [strWhere, dContrast] : contrasts) {
            EXPECT_GE(dContrast, row.dMinContrast) << strWhere;
            dLowest = std::min(dLowest, dContrast);
        }
        std::printf("%s: lowest text contrast %.2f:1\n", row.pszWhat, dLowest);
    }
}

TEST(STextFitter, ATextCutToFitOffersItselfAsToolTip) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    SHostWnd wnd(L"LAYOUT:XML_MAINWND");
    ASSERT_TRUE(wnd.Create());
    SWindow* pStatus = wnd.FindChildByName(L"txt_install_status");
    ASSERT_NE(pStatus, nullptr);
    const std::wstring strLong =
        L"A status line far longer than its three hundred pixels could ever hold, even at the "
        L"smallest font the toolkit allows";
    pStatus->SetWindowText(strLong);
    EXPECT_TRUE(pStatus->GetTextFit().bElided);
    EXPECT_EQ(pStatus->GetToolTipText(), strLong);
    std::wstring strTip;
    CRect rcTip;
    // Hidden page: the tip belongs to the control wherever it is asked for.
    auto* pTab = dynamic_cast<STabCtrl*>(wnd.FindChildByName(L"tab_main"));
    pTab->SetCurSel(1);
    ASSERT_TRUE(wnd.GetToolTipAt(pStatus->GetWindowRect().CenterPoint(), false, strTip, rcTip));
    EXPECT_EQ(strTip, strLong);
    EXPECT_EQ(rcTip, pStatus->GetWindowRect());
    // A text that fits has no tip.
    pStatus->SetWindowText(L"OK");
    EXPECT_FALSE(pStatus->GetTextFit().bElided);
    EXPECT_EQ(pStatus->GetToolTipText(), L"");
    EXPECT_FALSE(wnd.GetToolTipAt(pStatus->GetWindowRect().CenterPoint(), false, strTip, rcTip));
}

}  // namespace
