// Layout XML through the layout builder into a window of the installer's
// toolkit set-up (its skins, fonts and translations), laid out, drawn and
// hovered.
#include <cairo.h>

#include <pugixml.hpp>

#include <algorithm>

#include "fuzz/FuzzSupport.h"
#include "toolkit/control/SLayoutBuilder.h"
#include "toolkit/layout/SAnchorLayout.h"
#include "toolkit/window/SHostWnd.h"
#include "tools/layout-preview/CPreviewEnv.h"

using namespace SOUI;

namespace {

// Every window's rectangle is a rectangle in the range layouts produce;
// returns the depth of the tree.
int CheckTree(SWindow* pWnd, int nDepth) {
    const CRect rc = pWnd->GetWindowRect();
    const int kFar = SAnchorLayout::kMaxCoord;
    FUZZ_CHECK(rc.left <= rc.right && rc.top <= rc.bottom);
    FUZZ_CHECK(rc.left >= -kFar && rc.right <= kFar && rc.top >= -kFar && rc.bottom <= kFar);
    int nDeepest = nDepth;
    for (size_t i = 0; i < pWnd->GetChildrenCount(); ++i) {
        nDeepest = std::max(nDeepest, CheckTree(pWnd->GetChild(i), nDepth + 1));
    }
    return nDeepest;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static CPreviewEnv s_env;
    if (!s_env.Init(PreviewLang::Chinese)) {
        FuzzFail("the toolkit set-up (modules beside the program)", __FILE__, __LINE__);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    pugi::xml_document doc;
    if (!doc.load_buffer(pData, nSize)) {
        return 0;
    }
    pugi::xml_node xmlSoui = doc.child("SOUI");
    if (!xmlSoui) {
        return 0;
    }
    SHostWnd wnd(L"LAYOUT:FUZZ");
    if (!wnd.InitFromXml(xmlSoui)) {
        return 0;
    }
    FUZZ_CHECK(CheckTree(&wnd, 0) <= SLayoutBuilder::kMaxDepth + 1);

    // Drawn into a small surface: the window's top left corner.
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 160, 100);
    cairo_t* cr = cairo_create(pSurface);
    wnd.OnBackendPaint(cr, HostRect{0, 0, 160, 100});
    cairo_destroy(cr);
    cairo_surface_destroy(pSurface);

    for (CPoint pt : {CPoint(10, 10), CPoint(150, 90), CPoint(-5, 3)}) {
        wnd.OnBackendMouseMove(pt.x, pt.y, 0);
    }
    wnd.OnBackendMouseLeave();
    wnd.ResizeWindow(333, 77);
    CheckTree(&wnd, 0);
    return 0;
}
