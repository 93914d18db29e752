#include "toolkit/core/SDesktopSettings.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/SLog.h"

namespace SOUI {

namespace {
SDesktopSettings& Current() {
    static SDesktopSettings s_settings;
    return s_settings;
}
}  // namespace

const SDesktopSettings& SDesktopSettings::Get() {
    return Current();
}

void SDesktopSettings::Set(const SDesktopSettings& settings) {
    SDesktopSettings& cur = Current();
    cur = settings;
    if (std::isnan(settings.dTextScale)) {
        SLogA("SDesktopSettings::Set text scale is not a number, 1 used");
        cur.dTextScale = 1.0;
    } else if (settings.dTextScale < kMinTextScale || settings.dTextScale > kMaxTextScale) {
        cur.dTextScale = std::clamp(settings.dTextScale, kMinTextScale, kMaxTextScale);
        SLogA("SDesktopSettings::Set text scale %g out of range, %g used", settings.dTextScale,
                  cur.dTextScale);
    }
}

int SDesktopSettings::ScaleFontSize(int nSize) {
    const double dScale = Current().dTextScale;
    if (dScale == 1.0) {
        return nSize;
    }
    return std::max(1, static_cast<int>(std::lround(nSize * dScale)));
}

}  // namespace SOUI
