#pragma once
#include <string>

#include "toolkit/core/IObjRef.h"

// The factory every component module exports as "SCreateInstance": stores a
// new root object with one reference in *ppObj, returns non-zero on success.
using FnSCreateInstance = int (*)(SOUI::IObjRef** ppObj);

// One component kind: its module once loaded, and the module's factory.
struct ComponentSlot {
    void* hModule = nullptr;  // dlopen handle
    FnSCreateInstance pfnCreate = nullptr;
    std::wstring strModulePath;  // the path it was loaded from
};
