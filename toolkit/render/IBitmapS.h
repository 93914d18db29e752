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
};

}  // namespace SOUI
