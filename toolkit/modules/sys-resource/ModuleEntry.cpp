#include "toolkit/core/SResTable.h"
#include "toolkit/res/SResProviderModule.h"

const SOUI::SResTable& SysResources();

// The root object is a provider over this module's table; it must be
// released before the module is unloaded.
extern "C" __attribute__((visibility("default"))) int SCreateInstance(SOUI::IObjRef** ppObj) {
    if (!ppObj)
        return 0;
    auto* pProvider = new SOUI::SResProviderModule();
    pProvider->Init(reinterpret_cast<uintptr_t>(&SysResources()), 0);
    *ppObj = pProvider;
    return 1;
}
