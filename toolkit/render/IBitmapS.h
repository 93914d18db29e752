#pragma once
#include <cairo.h>

#include "toolkit/core/IObjRef.h"
#include "toolkit/render/CSize.h"

namespace SOUI {

// A decoded image held as a cairo ARGB32 (premultiplied) image surface.
struct IBitmapS : public IObjRef {
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    CSize Size() const { return {Width(), Height()}; }
    // Owned by the bitmap; valid while the bitmap lives.
    virtual cairo_surface_t* GetSurface() const = 0;

    // The same picture with twice the pixels per unit, drawn instead of this
    // one on targets of scale 2 and more; null when there is none. Sizes and
    // source rectangles stay in this bitmap's units either way.
    virtual IBitmapS* GetDoubleRes() const = 0;
    // Keeps a reference to pBmp2x (null drops it). False, with a log line and
    // nothing attached, unless pBmp2x is exactly twice this bitmap's size.
    virtual bool SetDoubleRes(IBitmapS* pBmp2x) = 0;
};

}  // namespace SOUI
