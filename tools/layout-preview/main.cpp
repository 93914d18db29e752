// Renders a layout off-screen to a PNG of the window's size, or shows it in a
// real window until that is closed, or lists where its named windows are
// (scripts that click on the real window use it):
//   layout-preview LAYOUT:XML_MAINWND [--page N] [--lang zh|en|none] [--scale 1|2|3]
//                  [--text-scale X] [--high-contrast] (-o FILE.png | --show | --rects)
// --scale draws the PNG as a screen of that scale would (GDK_SCALE): the
// window's size times the scale in pixels. --text-scale and --high-contrast
// stand for the desktop's large-text and high-contrast settings.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/control/STabCtrl.h"
#include "toolkit/core/SDesktopSettings.h"
#include "toolkit/host/SGtkHost.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/window/COffscreenBackend.h"
#include "toolkit/window/SHostWnd.h"
#include "tools/layout-preview/CPreviewEnv.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: layout-preview LAYOUT:NAME [--page N] [--lang zh|en|none] "
                 "[--scale 1|2|3] [--text-scale X] [--high-contrast] "
                 "(-o FILE.png | --show | --rects)\n");
    return 2;
}

std::wstring Widen(const char* psz) {
    std::wstring str;
    for (; *psz; ++psz) {
        str += static_cast<wchar_t>(static_cast<unsigned char>(*psz));
    }
    return str;
}

// The first tab control of the tree, depth first.
SOUI::STabCtrl* FindTab(SOUI::SWindow* pWnd) {
    if (auto* pTab = dynamic_cast<SOUI::STabCtrl*>(pWnd)) {
        return pTab;
    }
    for (size_t i = 0; i < pWnd->GetChildrenCount(); ++i) {
        if (auto* pTab = FindTab(pWnd->GetChild(i))) {
            return pTab;
        }
    }
    return nullptr;
}

// "name left top right bottom" in window coordinates, one line for each
// named window, in tree order.
void PrintRects(SOUI::SWindow* pWnd) {
    if (!pWnd->GetNameStr().empty()) {
        const SOUI::CRect& rc = pWnd->GetWindowRect();
        std::printf("%ls %d %d %d %d\n", pWnd->GetNameStr().c_str(), rc.left, rc.top, rc.right,
                    rc.bottom);
    }
    for (size_t i = 0; i < pWnd->GetChildrenCount(); ++i) {
        PrintRects(pWnd->GetChild(i));
    }
}

// Paints the whole window into an image of nScale device pixels per unit.
bool WriteScaledPng(SOUI::SHostWnd& wnd, int nScale, const char* pszFile) {
    SOUI::CSize size = wnd.GetWindowSize();
    cairo_surface_t* pSurface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.cx * nScale, size.cy * nScale);
    cairo_surface_set_device_scale(pSurface, nScale, nScale);
    cairo_t* cr = cairo_create(pSurface);
    wnd.OnBackendPaint(cr, {0, 0, size.cx, size.cy});
    cairo_destroy(cr);
    bool bOk = cairo_surface_write_to_png(pSurface, pszFile) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    return bOk;
}

// On screen, closing the window (or Escape) ends the preview, whatever the
// layout says about being the application's main window.
class CPreviewWnd : public SOUI::SHostWnd {
public:
    using SOUI::SHostWnd::SHostWnd;

protected:
    void OnEscape() override { DestroyWindow(); }
    void OnFinalMessage() override {
        if (SOUI::SApplication* pApp = SOUI::SApplication::getSingletonPtr()) {
            pApp->Quit(0);
        }
    }
};
}  // namespace

int main(int argc, char** argv) {
    const char* pszLayout = nullptr;
    const char* pszOut = nullptr;
    bool bShow = false;
    bool bRects = false;
    int nPage = -1;
    int nScale = 1;
    double dTextScale = 0;  // 0: as the desktop says (off-screen: 1)
    bool bHighContrast = false;
    PreviewLang lang = PreviewLang::Chinese;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--page") && i + 1 < argc) {
            char* pEnd = nullptr;
            nPage = static_cast<int>(std::strtol(argv[++i], &pEnd, 10));
            if (*pEnd || nPage < 0) {
                return Usage();
            }
        } else if (!std::strcmp(argv[i], "--lang") && i + 1 < argc) {
            std::string strLang = argv[++i];
            if (strLang == "zh") {
                lang = PreviewLang::Chinese;
            } else if (strLang == "en") {
                lang = PreviewLang::English;
            } else if (strLang == "none") {
                lang = PreviewLang::None;
            } else {
                return Usage();
            }
        } else if (!std::strcmp(argv[i], "--scale") && i + 1 < argc) {
            std::string strScale = argv[++i];
            if (strScale != "1" && strScale != "2" && strScale != "3") {
                return Usage();
            }
            nScale = strScale[0] - '0';
        } else if (!std::strcmp(argv[i], "--text-scale") && i + 1 < argc) {
            char* pEnd = nullptr;
            dTextScale = std::strtod(argv[++i], &pEnd);
            if (*pEnd || !(dTextScale >= SOUI::SDesktopSettings::kMinTextScale &&
                           dTextScale <= SOUI::SDesktopSettings::kMaxTextScale)) {
                return Usage();
            }
        } else if (!std::strcmp(argv[i], "--high-contrast")) {
            bHighContrast = true;
        } else if (!std::strcmp(argv[i], "-o") && i + 1 < argc) {
            pszOut = argv[++i];
        } else if (!std::strcmp(argv[i], "--show")) {
            bShow = true;
        } else if (!std::strcmp(argv[i], "--rects")) {
            bRects = true;
        } else if (argv[i][0] != '-' && !pszLayout) {
            pszLayout = argv[i];
        } else {
            return Usage();
        }
    }
    if (!pszLayout || (pszOut != nullptr) + bShow + bRects != 1) {
        return Usage();
    }
    // Says why on standard error when there is no display.
    if (bShow && !SOUI::InstallGtkHost()) {
        return 1;
    }
    SOUI::SDesktopSettings settings = SOUI::SDesktopSettings::Get();
    if (dTextScale > 0) {
        settings.dTextScale = dTextScale;
    }
    settings.bHighContrast = settings.bHighContrast || bHighContrast;
    SOUI::SDesktopSettings::Set(settings);
    CPreviewEnv env;
    if (!env.Init(lang)) {
        std::fprintf(stderr, "layout-preview: the toolkit could not be set up\n");
        return 1;
    }
    CPreviewWnd wnd(Widen(pszLayout).c_str());
    if (!wnd.Create()) {
        std::fprintf(stderr, "layout-preview: layout %s could not be created\n", pszLayout);
        return 1;
    }
    if (nPage >= 0) {
        SOUI::STabCtrl* pTab = FindTab(&wnd);
        if (!pTab || !pTab->SetCurSel(nPage)) {
            std::fprintf(stderr, "layout-preview: no page %d in %s\n", nPage, pszLayout);
            return 1;
        }
    }
    if (bRects) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        PrintRects(&wnd);
        return 0;
    }
    if (bShow) {
        wnd.CenterWindow();
        wnd.ShowWindow(SOUI::SW_SHOWNORMAL);
        return env.GetApp()->Run(nullptr);
    }
    wnd.ShowWindow(SOUI::SW_SHOW);
    SOUI::COffscreenBackend* pOff = wnd.GetOffscreen();
    bool bWritten =
        nScale == 1 ? pOff && pOff->WritePng(pszOut) : pOff && WriteScaledPng(wnd, nScale, pszOut);
    if (!bWritten) {
        std::fprintf(stderr, "layout-preview: %s could not be written\n", pszOut);
        return 1;
    }
    return 0;
}
