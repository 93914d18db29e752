#include <dlfcn.h>

#include "SRenderFactoryCairo.h"

namespace {

// The text stack registers GObject types and starts a font-loading thread;
// neither survives its libraries being unmapped when this module is unloaded
// and nothing else holds them. Keep them resident for the life of the process.
void PinTextLibraries() {
    static const char* const kLibraries[] = {
        "libpangoft2-1.0.so.0", "libpangocairo-1.0.so.0", "libpango-1.0.so.0",
        "libfontconfig.so.1",   "libgobject-2.0.so.0",
    };
    for (const char* pszName : kLibraries) dlopen(pszName, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SCreateInstance(SOUI::IObjRef** ppObj) {
    if (!ppObj)
        return 0;
    PinTextLibraries();
    *ppObj = new SOUI::SRenderFactoryCairo();
    return 1;
}
