#pragma once
// Helpers for tests of real windows on the shared X display.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace gtkhosttest {

// Skips the calling test (returns false) when no display can be opened.
bool OpenDisplayOrSkipReason(std::string& strReason);

// Base of tests that show windows: skipped without a display; the pointer
// starts in a corner, so nothing that opens is hovered by where another test
// left it; windows made afterwards get the default backend again.
// A derived SetUp calls this one first and returns when IsSkipped().
class RealWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

std::string Num(int n);

// Waits, turning the main loop, until the condition holds; a hang guard, not a timing.
bool WaitFor(const std::function<bool()>& condition, int nTimeoutMs = 30000);

// Runs xdotool with the arguments and waits for it; true on exit code 0.
bool XDoTool(std::initializer_list<std::string> args);

// The screen's pixel at a root position as 0xRRGGBB, read back from the server.
uint32_t ScreenPixel(int x, int y);

// A rectangle of the screen as 0xRRGGBB pixels, read back in one request.
class ScreenGrab {
public:
    ScreenGrab(int x, int y, int cx, int cy);
    ~ScreenGrab();
    ScreenGrab(const ScreenGrab&) = delete;
    ScreenGrab& operator=(const ScreenGrab&) = delete;
    bool IsValid() const { return m_pPixbuf != nullptr; }
    // Relative to the grabbed rectangle.
    uint32_t Pixel(int x, int y) const;

private:
    GdkPixbuf* m_pPixbuf = nullptr;
};

// Counts the times GTK has drawn the widget's window.
int* CountDraws(GtkWidget* pWidget);

// True once the server has mapped the window and all its parents, so
// pointer and keys sent to where it is reach it.
bool IsShownByServer(unsigned long nXid);

// What a window manager sends when the user closes a window.
void SendDeleteWindow(unsigned long nXid);

// Watches the root window for client messages, as a window manager would.
class RootMessageWatcher {
public:
    RootMessageWatcher();
    ~RootMessageWatcher();
    RootMessageWatcher(const RootMessageWatcher&) = delete;
    RootMessageWatcher& operator=(const RootMessageWatcher&) = delete;
    // True once a message of that type arrived for the window; data0 is its first datum.
    bool Received(const char* pszType, unsigned long nXid, long* pData0 = nullptr);

private:
    void* m_pDisplay = nullptr;
};

}  // namespace gtkhosttest
