#pragma once
// Private desktops for whole-program tests: an X server of a chosen screen
// size, or a headless Wayland compositor, each the test's own, so tests
// need not share the display (or its pointer) with anything else.
#include <cairo.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace desktoptest {

std::filesystem::path BinDir();

// Xvfb on a free display number, gone with the object.
class CXvfb {
public:
    bool Start(int nWidth, int nHeight, const std::filesystem::path& log);
    const std::string& Display() const { return m_strDisplay; }
    // Runs xdotool on this display; its standard output, trailing newline
    // removed. Empty when it fails.
    std::string XDoTool(const std::string& strArgs) const;
    // The screen as an image surface (read back by ImageMagick's import);
    // null when it cannot be had. The caller destroys it.
    cairo_surface_t* Screenshot(const std::filesystem::path& scratch) const;

private:
    testsupport::CChildProcess m_server;
    std::string m_strDisplay;
};

struct WindowBox {
    int x = 0, y = 0, cx = 0, cy = 0;
};

// The first visible window whose title matches strName (a regular
// expression), waited for; false after the guard.
bool FindWindow(const CXvfb& x, const std::string& strName, std::string& strId, WindowBox& box,
                int nTimeoutMs = 30000);

// weston with its headless backend, on a socket in a runtime folder of its own.
class CWeston {
public:
    bool Start(const std::filesystem::path& runtimeDir, const std::filesystem::path& log);
    const std::string& Socket() const { return m_strSocket; }

private:
    testsupport::CChildProcess m_compositor;
    std::string m_strSocket;
};

// 0xRRGGBB of one pixel.
uint32_t RgbAt(cairo_surface_t* pSurface, int x, int y);

}  // namespace desktoptest
