#pragma once
#include <cairo.h>

#include <string>

#include "toolkit/core/IObjRef.h"
#include "toolkit/render/CRect.h"
#include "toolkit/render/IBitmapS.h"
#include "toolkit/render/IFontS.h"
#include "toolkit/render/SColor.h"
#include "toolkit/render/TextFormat.h"

namespace SOUI {

// Where windows and skins draw. Coordinates are relative to the current
// origin (see OffsetViewportOrg); clips nest and are popped in reverse.
struct IRenderTarget : public IObjRef {
    virtual CSize GetSize() const = 0;

    virtual void FillRect(const CRect& rc, SColor cr) = 0;
    // A frame of nWidth pixels drawn inside rc.
    virtual void DrawRectangle(const CRect& rc, SColor cr, int nWidth = 1) = 0;
    virtual void DrawLine(CPoint ptFrom, CPoint ptTo, SColor cr, int nWidth = 1) = 0;

    // Draws rcSrc of the bitmap scaled into rcDst, with a constant alpha.
    virtual void DrawBitmapEx(const CRect& rcDst, IBitmapS* pBmp, const CRect& rcSrc,
                              unsigned char byAlpha = 255) = 0;
    void DrawBitmap(CPoint ptDst, IBitmapS* pBmp, unsigned char byAlpha = 255) {
        CRect rc(0, 0, pBmp->Width(), pBmp->Height());
        DrawBitmapEx(CRect(ptDst, rc.Size()), pBmp, rc, byAlpha);
    }

    // Draws text inside rc with the DT_* flags: horizontal alignment,
    // DT_VCENTER/DT_BOTTOM, DT_SINGLELINE or DT_WORDBREAK, DT_END_ELLIPSIS.
    // A null font means the factory's default font. Faces without the needed
    // glyphs fall back to a CJK face, then "sans".
    virtual void DrawText(const std::wstring& strText, const CRect& rc, IFontS* pFont, SColor cr,
                          unsigned uFormat) = 0;
    // Size the text needs; with DT_WORDBREAK lines wrap at nMaxWidth (> 0).
    virtual CSize MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                              int nMaxWidth = -1) = 0;

    // Intersects the clip with rc until the matching PopClip.
    virtual void PushClipRect(const CRect& rc) = 0;
    virtual void PopClip() = 0;

    // Moves the origin by (dx, dy); returns the previous origin in *pOld.
    virtual void OffsetViewportOrg(int dx, int dy, CPoint* pOld = nullptr) = 0;
    virtual void SetViewportOrg(CPoint pt) = 0;
    virtual CPoint GetViewportOrg() const = 0;

    // Escape hatch for drawing not covered above (rich text). Callers keep
    // the state balanced (cairo_save/cairo_restore).
    virtual cairo_t* GetCairo() = 0;
};

}  // namespace SOUI
