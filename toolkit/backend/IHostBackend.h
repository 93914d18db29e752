#pragma once
// The seam between a host window's model (SHostWnd: control tree, layout,
// input handling, painting) and whatever shows it. The default backend draws
// into a cairo image surface and takes synthesised input; the GTK host puts
// the same window on a screen. Everything here runs on the window thread.
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace SOUI {

struct HostAccNode;

// A rectangle in window coordinates (pixels, origin at the window's top left),
// right and bottom exclusive.
struct HostRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const HostRect&) const = default;
};

enum class HostCursor { Arrow, Hand, IBeam };

// Modifier bits passed with mouse and key input.
enum : unsigned {
    kHostModShift = 1u << 0,
    kHostModControl = 1u << 1,
    kHostModAlt = 1u << 2,
};

// Mouse buttons use X numbering: 1 left, 2 middle, 3 right.
// Key values are X keysyms (what GDK calls keyvals): 0xff09 Tab, 0xfe20
// Shift+Tab, 0xff0d Return, 0xff8d keypad Enter, 0x20 space, 0xff1b Escape.
enum : unsigned {
    kHostKeyTab = 0xff09,
    kHostKeyLeftTab = 0xfe20,
    kHostKeyReturn = 0xff0d,
    kHostKeyKpEnter = 0xff8d,
    kHostKeySpace = 0x20,
    kHostKeyEscape = 0xff1b,
};

// What a backend calls on its host. Coordinates are window coordinates.
class IHostBackendSink {
public:
    virtual ~IHostBackendSink() = default;
    // Paint the window into cr; only rcDirty needs to be correct. The
    // surface behind cr is ARGB, cleared to transparent by the backend.
    virtual void OnBackendPaint(cairo_t* cr, const HostRect& rcDirty) = 0;
    virtual void OnBackendMouseMove(int x, int y, unsigned nModifiers) = 0;
    virtual void OnBackendMouseDown(int nButton, int x, int y, unsigned nModifiers) = 0;
    virtual void OnBackendMouseUp(int nButton, int x, int y, unsigned nModifiers) = 0;
    virtual void OnBackendMouseLeave() = 0;
    // nDelta in wheel units of 120 per notch, positive when rolled away
    // from the user (scroll up).
    virtual void OnBackendMouseWheel(int nDelta, int x, int y, unsigned nModifiers) = 0;
    // Keys the native edit overlay does not consume (Tab, Escape, Return...).
    virtual void OnBackendKeyDown(unsigned nKeyval, unsigned nModifiers) = 0;
    // The user asked to close the window (title bar, Alt+F4): the host
    // treats it as WM_CLOSE and decides itself whether to destroy.
    virtual void OnBackendCloseRequest() = 0;
    // The native window is gone (after Destroy or from outside).
    virtual void OnBackendDestroyed() = 0;
    // The window manager resized the window (maximise, restore).
    virtual void OnBackendSize(int nWidth, int nHeight) = 0;
    // The text of a native edit overlay changed by user input.
    virtual void OnBackendEditChanged(int nEditId, const std::wstring& strText) = 0;
    // A native edit overlay gained the keyboard focus.
    virtual void OnBackendEditFocus(int nEditId) = 0;
    // The tool tip for the pointer at (x, y), or for the focused control
    // when bKeyboard; false for none. rcTip: the area the tip belongs to.
    // The backend shows it after the desktop's hover delay and hides it on
    // leave and on a press.
    virtual bool OnBackendQueryToolTip(int /*x*/, int /*y*/, bool /*bKeyboard*/,
                                       std::wstring& /*strTip*/, HostRect& /*rcTip*/) {
        return false;
    }
    // Accessibility (HostAccessible.h): the controls as assistive technology
    // sees them now, in reading order; the default action of one (a click);
    // and a request to move the keyboard focus to one. Actions come from
    // the main loop, never from inside a backend call.
    virtual void OnBackendAccessibleNodes(std::vector<HostAccNode>& /*nodes*/) {}
    virtual bool OnBackendAccessibleAction(uintptr_t /*nId*/) { return false; }
    virtual bool OnBackendAccessibleFocus(uintptr_t /*nId*/) { return false; }
};

struct HostWindowParams {
    int nWidth = 0;
    int nHeight = 0;
    std::wstring strTitle;
    // Window icons, largest first; not owned, may be empty.
    std::vector<cairo_surface_t*> icons;
    bool bTranslucent = false;  // per-pixel alpha
    bool bToolWindow = false;   // no task-bar entry
    bool bDialog = false;
    bool bResizable = false;
    int nMinWidth = 0;
    int nMinHeight = 0;
};

struct HostEditParams {
    HostRect rc;
    std::wstring strText;
    std::wstring strFontFace;
    int nFontSize = 12;   // pixels
    unsigned crText = 0;  // 0xRRGGBBAA
    unsigned crBackground = 0xffffffff;
    bool bPassword = false;
    bool bReadOnly = false;
};

class IHostBackend {
public:
    virtual ~IHostBackend() = default;

    // Creates the native window (hidden). pSink must outlive the backend's
    // window; pOwner, if given, is the owner window (dialogs stay above it).
    virtual bool Create(IHostBackendSink* pSink, const HostWindowParams& params,
                        IHostBackend* pOwner) = 0;
    // Destroys the native window; OnBackendDestroyed follows. Idempotent.
    virtual void Destroy() = 0;
    virtual bool IsCreated() const = 0;

    virtual void Show(bool bShow) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetTitle(const std::wstring& strTitle) = 0;
    virtual void Resize(int nWidth, int nHeight) = 0;
    virtual void GetSize(int& nWidth, int& nHeight) const = 0;
    // Centres on pParent's window, or on the screen when pParent is null.
    virtual void Center(IHostBackend* pParent) = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void Restore() = 0;
    virtual bool IsMinimized() const = 0;

    // Asks for OnBackendPaint of at least rc, later (not from inside).
    virtual void Invalidate(const HostRect& rc) = 0;
    // Paints what is invalid now (off-screen: into the image surface).
    virtual void Update() = 0;
    virtual void SetCursor(HostCursor cursor) = 0;
    // Starts a window-manager move, called from a mouse-down with the
    // button and point (window coordinates) that started it.
    virtual void BeginMove(int nButton, int x, int y) = 0;

    // Native edit overlays: ids > 0, unique per backend.
    virtual int CreateEdit(const HostEditParams& params) = 0;
    virtual void DestroyEdit(int nEditId) = 0;
    virtual void MoveEdit(int nEditId, const HostRect& rc) = 0;
    virtual void ShowEdit(int nEditId, bool bShow) = 0;
    virtual void SetEditText(int nEditId, const std::wstring& strText) = 0;
    virtual std::wstring GetEditText(int nEditId) const = 0;
    // Gives an edit the keyboard; 0 takes it from every edit (the focus is
    // on a drawn control then).
    virtual void FocusEdit(int nEditId) = 0;

    // Runs a nested loop until EndModalLoop; pOwner (may be null) is made
    // insensitive for the duration. Returns the code given to EndModalLoop.
    virtual int RunModalLoop(IHostBackend* pOwner) = 0;
    virtual void EndModalLoop(int nCode) = 0;
    // Whether the window takes input (false while a modal child runs).
    virtual void SetSensitive(bool bSensitive) = 0;
    virtual bool IsSensitive() const = 0;

    // Tells assistive technology now what changed since it was last told
    // (changes are otherwise gathered for a moment), so that a value a
    // control reaches is heard before the control leaves the screen.
    virtual void FlushAccessible() {}
};

using HostBackendFactory = std::function<std::unique_ptr<IHostBackend>()>;

// Process-wide: every host window created afterwards gets its backend from
// this factory. An empty factory restores the off-screen default.
void SetHostBackendFactory(HostBackendFactory factory);
std::unique_ptr<IHostBackend> CreateHostBackend();

}  // namespace SOUI
