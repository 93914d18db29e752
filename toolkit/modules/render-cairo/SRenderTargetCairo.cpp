#include "SRenderTargetCairo.h"

#include <cmath>

#include "SFontCairo.h"
#include "SRenderFactoryCairo.h"
#include "STextLayout.h"
#include "toolkit/core/SLog.h"

namespace SOUI {

SRenderTargetCairo::SRenderTargetCairo(SRenderFactoryCairo* pFactory, cairo_t* cr, int nWidth,
                                       int nHeight)
    : m_pFactory(pFactory), m_cr(cairo_reference(cr)), m_size(nWidth, nHeight) {
    m_pFactory->AddRef();
    cairo_save(m_cr);
    cairo_get_matrix(m_cr, &m_baseMatrix);
}

SRenderTargetCairo::~SRenderTargetCairo() {
    // Unbalanced pushes would leave the caller's context clipped.
    while (m_nClipDepth > 0)
        PopClip();
    cairo_restore(m_cr);
    cairo_destroy(m_cr);
    m_pFactory->Release();
}

void SRenderTargetCairo::SetSource(SColor cr) {
    cairo_set_source_rgba(m_cr, cr.r / 255.0, cr.g / 255.0, cr.b / 255.0, cr.a / 255.0);
}

void SRenderTargetCairo::FillRect(const CRect& rc, SColor cr) {
    if (rc.IsRectEmpty() || cr.IsTransparent())
        return;
    cairo_save(m_cr);
    SetSource(cr);
    cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void SRenderTargetCairo::DrawRectangle(const CRect& rc, SColor cr, int nWidth) {
    if (rc.IsRectEmpty() || nWidth <= 0)
        return;
    int w = std::min({nWidth, (rc.Width() + 1) / 2, (rc.Height() + 1) / 2});
    // Four bands inside rc: crisp on the pixel grid, corners painted once.
    FillRect(CRect(rc.left, rc.top, rc.right, rc.top + w), cr);
    FillRect(CRect(rc.left, rc.bottom - w, rc.right, rc.bottom), cr);
    FillRect(CRect(rc.left, rc.top + w, rc.left + w, rc.bottom - w), cr);
    FillRect(CRect(rc.right - w, rc.top + w, rc.right, rc.bottom - w), cr);
}

void SRenderTargetCairo::DrawLine(CPoint ptFrom, CPoint ptTo, SColor cr, int nWidth) {
    if (nWidth <= 0)
        return;
    cairo_save(m_cr);
    SetSource(cr);
    cairo_set_line_width(m_cr, nWidth);
    double dOff = (nWidth % 2) ? 0.5 : 0.0;
    cairo_move_to(m_cr, ptFrom.x + dOff, ptFrom.y + dOff);
    cairo_line_to(m_cr, ptTo.x + dOff, ptTo.y + dOff);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

double SRenderTargetCairo::GetDeviceScale() const {
    // The surface's device scale (a GTK window at GDK_SCALE=2) times any
    // scaling in the context's own matrix.
    double dScaleX = 1, dScaleY = 1;
    cairo_surface_get_device_scale(cairo_get_group_target(m_cr), &dScaleX, &dScaleY);
    double dx = 1, dy = 0;
    cairo_user_to_device_distance(m_cr, &dx, &dy);
    return std::hypot(dx, dy) * dScaleX;
}

void SRenderTargetCairo::DrawBitmapEx(const CRect& rcDst, IBitmapS* pBmp, const CRect& rcSrc,
                                      unsigned char byAlpha) {
    if (!pBmp || rcDst.IsRectEmpty() || byAlpha == 0)
        return;
    CRect rcImg(0, 0, pBmp->Width(), pBmp->Height());
    CRect rcPart;
    if (!rcPart.IntersectRect(rcSrc, rcImg) || rcPart != rcSrc) {
        if (rcPart.IsRectEmpty())
            return;
        SLogA("SRenderTargetCairo::DrawBitmapEx: source part outside the image, clipped");
    }
    // From scale 1.5 on, the double-resolution twin is nearer to one image
    // pixel per device pixel; its rectangles are the same ones doubled.
    const double dDeviceScale = GetDeviceScale();
    IBitmapS* pDraw = pBmp;
    int nPixels = 1;
    if (pBmp->GetDoubleRes() && dDeviceScale >= 1.5) {
        pDraw = pBmp->GetDoubleRes();
        nPixels = 2;
    }
    // A sub-surface with padded edges keeps a stretched state cell from
    // picking up pixels of its neighbours.
    cairo_surface_t* pPart = cairo_surface_create_for_rectangle(
        pDraw->GetSurface(), rcPart.left * nPixels, rcPart.top * nPixels, rcPart.Width() * nPixels,
        rcPart.Height() * nPixels);
    double sx = double(rcDst.Width()) / (rcPart.Width() * nPixels);
    double sy = double(rcDst.Height()) / (rcPart.Height() * nPixels);
    bool bOneToOne =
        std::abs(sx * dDeviceScale - 1.0) < 1e-9 && std::abs(sy * dDeviceScale - 1.0) < 1e-9;
    cairo_save(m_cr);
    cairo_rectangle(m_cr, rcDst.left, rcDst.top, rcDst.Width(), rcDst.Height());
    cairo_clip(m_cr);
    cairo_translate(m_cr, rcDst.left, rcDst.top);
    cairo_scale(m_cr, sx, sy);
    cairo_set_source_surface(m_cr, pPart, 0, 0);
    cairo_pattern_t* pPattern = cairo_get_source(m_cr);
    cairo_pattern_set_extend(pPattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pPattern, bOneToOne ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    if (byAlpha == 255)
        cairo_paint(m_cr);
    else
        cairo_paint_with_alpha(m_cr, byAlpha / 255.0);
    cairo_restore(m_cr);
    cairo_surface_destroy(pPart);
}

void SRenderTargetCairo::DrawText(const std::wstring& strText, const CRect& rc, IFontS* pFont,
                                  SColor cr, unsigned uFormat) {
    // DT_CALCRECT asks for a size only; MeasureText gives it.
    if (strText.empty() || cr.IsTransparent() || (uFormat & DT_CALCRECT))
        return;
    SFontCairo* pCairoFont = m_pFactory->ToCairoFont(pFont);
    bool bWidthSet =
        (!(uFormat & DT_SINGLELINE) && (uFormat & DT_WORDBREAK)) || (uFormat & DT_END_ELLIPSIS);
    STextLayout layout(m_cr, strText, *pCairoFont, uFormat, bWidthSet ? rc.Width() : -1,
                       rc.Height());
    CSize sz = layout.GetPixelSize();
    double x = rc.left;
    if (!bWidthSet || rc.Width() <= 0) {
        if (uFormat & DT_CENTER)
            x = rc.left + (rc.Width() - sz.cx) / 2;
        else if (uFormat & DT_RIGHT)
            x = rc.right - sz.cx;
    }
    double y = rc.top;
    if (uFormat & DT_VCENTER)
        y = rc.top + (rc.Height() - sz.cy) / 2;
    else if (uFormat & DT_BOTTOM)
        y = rc.bottom - sz.cy;
    cairo_save(m_cr);
    SetSource(cr);
    cairo_move_to(m_cr, x, y);
    pango_cairo_show_layout(m_cr, layout.Get());
    cairo_restore(m_cr);
    pCairoFont->Release();
}

CSize SRenderTargetCairo::MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                                      int nMaxWidth) {
    return m_pFactory->MeasureText(strText, pFont, uFormat, nMaxWidth);
}

void SRenderTargetCairo::PushClipRect(const CRect& rc) {
    cairo_save(m_cr);
    cairo_rectangle(m_cr, rc.left, rc.top, std::max(0, rc.Width()), std::max(0, rc.Height()));
    cairo_clip(m_cr);
    ++m_nClipDepth;
}

void SRenderTargetCairo::PopClip() {
    if (m_nClipDepth == 0) {
        SLogA("SRenderTargetCairo::PopClip: no clip to pop");
        return;
    }
    --m_nClipDepth;
    cairo_restore(m_cr);
    // The origin may have moved inside the clip; it outlives the pop.
    ApplyOrigin();
}

void SRenderTargetCairo::ApplyOrigin() {
    cairo_set_matrix(m_cr, &m_baseMatrix);
    cairo_translate(m_cr, m_ptOrg.x, m_ptOrg.y);
}

void SRenderTargetCairo::OffsetViewportOrg(int dx, int dy, CPoint* pOld) {
    if (pOld)
        *pOld = m_ptOrg;
    m_ptOrg = m_ptOrg + CPoint(dx, dy);
    ApplyOrigin();
}

void SRenderTargetCairo::SetViewportOrg(CPoint pt) {
    m_ptOrg = pt;
    ApplyOrigin();
}

}  // namespace SOUI
