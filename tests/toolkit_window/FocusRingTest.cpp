// The focus ring on every focusable control of the installer's layouts:
// where it is drawn, how much of it there is, and how it stands out.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ToolkitTestEnv.h"
#include "platform/TextConvert.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SFocusRing.h"
#include "toolkit/window/SHostWnd.h"

using namespace SOUI;

namespace {

std::vector<uint32_t> Snapshot(SHostWnd& wnd) {
    cairo_surface_t* pSurface = wnd.GetOffscreen()->GetSurface();
    cairo_surface_flush(pSurface);
    const int nWidth = cairo_image_surface_get_width(pSurface);
    const int nHeight = cairo_image_surface_get_height(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    const unsigned char* pData = cairo_image_surface_get_data(pSurface);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < nHeight; ++y) {
        const auto* pRow = reinterpret_cast<const uint32_t*>(pData + y * nStride);
        pixels.insert(pixels.end(), pRow, pRow + nWidth);
    }
    return pixels;
}

// Tabs through every layout in both languages and measures each ring.
void CheckEveryFocusRing() {
    struct Layout {
        const wchar_t* pszName;
        size_t nFocusable;  // reached by Tab
    };
    // Main: minimise, close, Install, folder field, browse, agreement box,
    // licence link. Message box: close, confirm, continue, cancel. Licence:
    // close, text.
    const Layout layouts[] = {{L"LAYOUT:XML_MAINWND", 7},
                              {L"LAYOUT:XML_MSGBOX_DLG", 4},
                              {L"LAYOUT:XML_PROTOCOLDLG_WND", 2}};
    for (PreviewLang lang : {PreviewLang::Chinese, PreviewLang::English}) {
        ASSERT_TRUE(ToolkitEnv().SetLanguage(lang));
        for (const Layout& layout : layouts) {
            SHostWnd wnd(layout.pszName);
            ASSERT_TRUE(wnd.Create());
            wnd.ShowWindow(SW_SHOW);
            // As the installer shows it: the shortcut boxes are never seen.
            for (const wchar_t* pszHidden : {L"check_shortcut", L"check_Launcher"}) {
                if (SWindow* p = wnd.FindChildByName(pszHidden)) {
                    p->SetVisible(false, true);
                }
            }
            COffscreenBackend* pOff = wnd.GetOffscreen();
            const int nWidth = wnd.GetWindowRect().Width();
            std::set<SWindow*> seen;
            for (size_t i = 0; i < 2 * layout.nFocusable; ++i) {
                pOff->KeyDown(kHostKeyTab);
                SWindow* pFocus = wnd.GetFocus();
                if (!pFocus || !seen.insert(pFocus).second) {
                    break;
                }
                const std::string strWhere =
                    WideToAnsi(layout.pszName) + " " + WideToAnsi(pFocus->GetNameStr());
                ASSERT_EQ(wnd.GetFocusRingWindow(), pFocus) << strWhere;
                std::vector<uint32_t> ringed = Snapshot(wnd);
                wnd.SetFocusCues(false);
                std::vector<uint32_t> plain = Snapshot(wnd);
                wnd.SetFocusCues(true);

                const CRect rc = pFocus->GetWindowRect();
                const CRect rcOuter = SFocusRing::OuterRect(rc);
                int nOutsideRing = 0, nOnControl = 0, nStrong = 0;
                for (size_t n = 0; n < ringed.size(); ++n) {
                    if (ringed[n] == plain[n]) {
                        continue;
                    }
                    CPoint pt(static_cast<int>(n) % nWidth, static_cast<int>(n) / nWidth);
                    nOutsideRing += !rcOuter.PtInRect(pt);
                    nOnControl += rc.PtInRect(pt);
                    nStrong += Contrast(OverWhite(ringed[n]), OverWhite(plain[n])) >= 3.0;
                }
                // WCAG 2.2 focus appearance: the pixels that change by at least
                // 3:1 cover at least a 2 px line around the control.
                EXPECT_GE(nStrong, 4 * (rc.Width() + rc.Height())) << strWhere;
                EXPECT_EQ(nOutsideRing, 0) << strWhere;
                EXPECT_EQ(nOnControl, 0) << strWhere << ": the ring covers the control";
            }
            EXPECT_EQ(seen.size(), layout.nFocusable) << WideToAnsi(layout.pszName);
        }
    }
    ToolkitEnv().SetLanguage(PreviewLang::Chinese);
}

TEST(SFocusRing, EveryFocusableControlGetsOneRingOutsideItWithEnoughContrast) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    CheckEveryFocusRing();
}

TEST(SFocusRing, TheRingKeepsItsContrastInTheHighContrastVariant) {
    ASSERT_NE(ToolkitEnv().GetApp(), nullptr);
    SDesktopSettings settings;
    settings.bHighContrast = true;
    CDesktopSettingsScope scope(settings);
    CheckEveryFocusRing();
}

}  // namespace
