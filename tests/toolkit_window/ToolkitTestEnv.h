#pragma once
// The installer's toolkit set-up shared by the window tests, and pixel
// probes of off-screen windows.
#include <cairo.h>

#include <cstdint>

#include "toolkit/core/SDesktopSettings.h"
#include "tools/layout-preview/CPreviewEnv.h"

namespace SOUI {
class SHostWnd;
}

// Created once per process with the Chinese table; tests that switch the
// language switch it back.
CPreviewEnv& ToolkitEnv();

// 0xAARRGGBB, premultiplied, of the window's current drawing.
uint32_t ProbePixel(SOUI::SHostWnd& wnd, int x, int y);
uint32_t ProbeSurface(cairo_surface_t* pSurface, int x, int y);
// Each channel within nTolerance.
bool NearColor(uint32_t a, uint32_t b, int nTolerance);
// A premultiplied ARGB pixel as the eye sees it over a white desktop (the
// shadow margin is the only translucent part of a window), as 0xRRGGBB.
uint32_t OverWhite(uint32_t argb);
// WCAG contrast ratio of two 0xRRGGBB colours (1 to 21).
double Contrast(uint32_t a, uint32_t b);

// The desktop's settings for the length of a scope.
class CDesktopSettingsScope {
public:
    explicit CDesktopSettingsScope(const SOUI::SDesktopSettings& settings)
        : m_old(SOUI::SDesktopSettings::Get()) {
        SOUI::SDesktopSettings::Set(settings);
    }
    ~CDesktopSettingsScope() { SOUI::SDesktopSettings::Set(m_old); }

private:
    SOUI::SDesktopSettings m_old;
};
