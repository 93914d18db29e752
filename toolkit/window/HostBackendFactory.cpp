#include "toolkit/backend/IHostBackend.h"
#include "toolkit/window/COffscreenBackend.h"

namespace SOUI {

namespace {
HostBackendFactory& Factory() {
    static HostBackendFactory s_factory;
    return s_factory;
}
}  // namespace

void SetHostBackendFactory(HostBackendFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<IHostBackend> CreateHostBackend() {
    if (Factory()) {
        if (auto pBackend = Factory()()) {
            return pBackend;
        }
    }
    return std::make_unique<COffscreenBackend>();
}

}  // namespace SOUI
