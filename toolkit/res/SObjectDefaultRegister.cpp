#include <atomic>

#include "toolkit/res/ISystemObjectRegister.h"

namespace SOUI {

namespace {
std::atomic<SObjectDefaultRegister::Registrar> g_windowRegistrar{nullptr};
}

void SObjectDefaultRegister::SetWindowRegistrar(Registrar fn) {
    g_windowRegistrar = fn;
}

void SObjectDefaultRegister::RegisterWindows(SObjectFactoryMgr& windows) {
    if (Registrar fn = g_windowRegistrar.load())
        fn(windows);
}

}  // namespace SOUI
