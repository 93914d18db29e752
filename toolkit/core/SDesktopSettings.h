#pragma once
// What the desktop asks of every window's drawing, as a native program on
// it follows it: larger text, a high-contrast look, no motion. The host
// reads the desktop's settings before the first window is made; off-screen
// users (tests, the layout preview) set them directly. Window thread only.
namespace SOUI {

class SDesktopSettings {
public:
    // Text is drawn this many times its laid-out size (the desktop's font
    // DPI over 96); kept within [kMinTextScale, kMaxTextScale].
    double dTextScale = 1.0;
    // The desktop's theme is a high-contrast one: layouts use their
    // high-contrast variants ("hc." attributes).
    bool bHighContrast = false;
    // False when the user asked for reduced motion: no fades, nothing that
    // moves by itself.
    bool bAnimations = true;

    static constexpr double kMinTextScale = 0.5;
    static constexpr double kMaxTextScale = 3.0;

    static const SDesktopSettings& Get();
    // A scale out of range is clamped to it, one that is not a number
    // becomes 1 (with a log line).
    static void Set(const SDesktopSettings& settings);
    // A laid-out font size in pixels as drawn under the text scale (at least 1).
    static int ScaleFontSize(int nSize);
};

}  // namespace SOUI
