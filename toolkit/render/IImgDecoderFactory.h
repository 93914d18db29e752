#pragma once
#include <cstddef>
#include <cstdint>

#include "toolkit/core/IObjRef.h"

namespace SOUI {

// One decoded frame: premultiplied ARGB32 in native byte order (cairo's
// CAIRO_FORMAT_ARGB32), rows of Stride() bytes.
struct IImgX : public IObjRef {
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int Stride() const = 0;
    virtual const uint8_t* Data() const = 0;
};

// The image decoder module's root object.
struct IImgDecoderFactory : public IObjRef {
    // Decodes an image held in memory. Broken or truncated data: false, a
    // log line, *ppImg untouched. On success *ppImg has one reference.
    virtual bool DecodeImage(const void* pBuf, size_t nSize, IImgX** ppImg) = 0;
    virtual const wchar_t* GetDescription() const = 0;
};

}  // namespace SOUI
