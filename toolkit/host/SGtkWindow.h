#pragma once
#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace SOUI {

class SGtkEdit;

// What the native window reports to whoever draws it and owns its logic.
// Coordinates are client pixels of the window.
class ISGtkWindowListener {
public:
    enum MouseAction { MouseMove, MouseDown, MouseUp, MouseDoubleClick, MouseLeave, MouseWheel };
    enum WindowState { StateNormal, StateMinimized, StateMaximized };

    virtual ~ISGtkWindowListener() = default;
    // Paint the dirty rectangle; the cairo context is already clipped to it.
    virtual void OnNativePaint(cairo_t* cr, int x, int y, int cx, int cy) = 0;
    // nButton: 1 left, 2 middle, 3 right; for MouseWheel, nDelta is +1 (up) or -1 (down).
    virtual void OnNativeMouse(MouseAction action, int x, int y, unsigned nButton, int nDelta,
                               unsigned nModifiers) = 0;
    // GDK key value and modifier mask; true when the key was consumed.
    virtual bool OnNativeKey(unsigned nKeyval, unsigned nModifiers, bool bDown) = 0;
    // The window manager asks the window to close (close button, Alt+F4).
    virtual void OnNativeCloseRequest() = 0;
    virtual void OnNativeSize(int /*cx*/, int /*cy*/) {}
    virtual void OnNativeState(WindowState /*state*/) {}
    virtual void OnNativeFocus(bool /*bFocused*/) {}
    // Text of a native edit changed (typing, paste, input method).
    virtual void OnNativeEditChanged(int /*nEditId*/, const std::wstring& /*strText*/) {}
    virtual void OnNativeEditFocus(int /*nEditId*/, bool /*bFocused*/) {}
    // The tool tip at (x, y) (bKeyboard: of the focused part) and the area it
    // belongs to; false for none. GTK times, places and hides it.
    virtual bool OnNativeQueryTooltip(int /*x*/, int /*y*/, bool /*bKeyboard*/,
                                      std::wstring& /*strTip*/, GdkRectangle& /*rcArea*/) {
        return false;
    }
    // The native window is gone; no call reaches the listener afterwards.
    virtual void OnNativeDestroyed() = 0;
};

// An undecorated GTK top-level window drawn entirely by its listener, with
// native entries laid over it. Lives on the GTK (window) thread.
class SGtkWindow {
public:
    enum CursorKind { CursorArrow, CursorHand };

    explicit SGtkWindow(ISGtkWindowListener* pListener);
    ~SGtkWindow();
    SGtkWindow(const SGtkWindow&) = delete;
    SGtkWindow& operator=(const SGtkWindow&) = delete;

    // Creates the hidden window; false when GTK is not usable. A translucent
    // window gets per-pixel alpha where the screen composites.
    bool Create(const std::wstring& strTitle, int cx, int cy, SGtkWindow* pOwner,
                bool bTranslucent = true);
    void Destroy();
    bool IsCreated() const { return m_pWindow != nullptr; }

    void Show();
    void Hide();
    bool IsVisible() const;
    void Move(int x, int y);
    void Resize(int cx, int cy);
    void GetPosition(int& x, int& y) const;
    void GetSize(int& cx, int& cy) const;
    // Centres over the owner, or over the work area of the monitor when there is
    // none; either way moved into the work area as far as it fits (FitIntoArea).
    void CenterOver(SGtkWindow* pOwner);
    void Minimize();
    void Maximize();
    void Restore();
    ISGtkWindowListener::WindowState GetState() const { return m_state; }

    void SetTitle(const std::wstring& strTitle);
    // Icons as image surfaces, any sizes; the window manager picks one.
    void SetIcons(const std::vector<cairo_surface_t*>& icons);
    // A resizable window may be made larger than its layout, not smaller than the minimum.
    void SetResizable(bool bResizable, int nMinWidth, int nMinHeight);
    void SetKind(bool bToolWindow, bool bDialog);
    void Invalidate(int x, int y, int cx, int cy);
    void InvalidateAll();
    void SetCursor(CursorKind kind);
    // Lets the window manager move the window with the pointer of the current press.
    void BeginMoveDrag();
    void SetSensitive(bool bSensitive);
    bool IsSensitive() const;
    void SetModalFor(SGtkWindow* pOwner);
    void Present();

    // Whether the screen composites, so transparent pixels show what lies behind.
    bool HasAlpha() const { return m_bAlpha; }

    // Native edits laid over the drawing, addressed by the caller's ID.
    SGtkEdit* CreateEdit(int nEditId);
    SGtkEdit* GetEdit(int nEditId) const;
    void DestroyEdit(int nEditId);
    // Removes keyboard focus from any native edit so keys reach the listener.
    void ClearEditFocus();
    bool IsEditFocused() const;

    GtkWidget* GetWidget() const { return m_pWindow; }
    // The container the native edits sit in (an SGtkAccessCanvasNew).
    GtkWidget* GetCanvas() const { return m_pFixed; }
    unsigned long GetXid() const;

    // Grey level (white) of the opaque backdrop under translucent pixels when
    // nothing composites: a shadow over it looks like one over a light desktop.
    static constexpr double kBackdropLevel = 1.0;

private:
    using WindowState = ISGtkWindowListener::WindowState;
    friend class SGtkEdit;

    static gboolean OnDraw(GtkWidget* pWidget, cairo_t* cr, gpointer pThis);
    static gboolean OnButton(GtkWidget* pWidget, GdkEventButton* pEvent, gpointer pThis);
    static gboolean OnMotion(GtkWidget* pWidget, GdkEventMotion* pEvent, gpointer pThis);
    static gboolean OnLeave(GtkWidget* pWidget, GdkEventCrossing* pEvent, gpointer pThis);
    static gboolean OnScroll(GtkWidget* pWidget, GdkEventScroll* pEvent, gpointer pThis);
    static gboolean OnKey(GtkWidget* pWidget, GdkEventKey* pEvent, gpointer pThis);
    static gboolean OnDelete(GtkWidget* pWidget, GdkEvent* pEvent, gpointer pThis);
    static gboolean OnConfigure(GtkWidget* pWidget, GdkEventConfigure* pEvent, gpointer pThis);
    static gboolean OnWindowState(GtkWidget* pWidget, GdkEventWindowState* pEvent, gpointer pThis);
    static gboolean OnFocusChange(GtkWidget* pWidget, GdkEventFocus* pEvent, gpointer pThis);
    static gboolean OnQueryTooltip(GtkWidget* pWidget, gint x, gint y, gboolean bKeyboard,
                                   GtkTooltip* pTooltip, gpointer pThis);
    static void OnDestroy(GtkWidget* pWidget, gpointer pThis);

    ISGtkWindowListener* m_pListener;
    GtkWidget* m_pWindow = nullptr;
    GtkWidget* m_pFixed = nullptr;
    bool m_bAlpha = false;
    bool m_bResizable = true;
    WindowState m_state = ISGtkWindowListener::StateNormal;
    CursorKind m_cursor = CursorArrow;
    int m_nWidth = 0;
    int m_nHeight = 0;
    // The press a caption drag starts from.
    unsigned m_nPressButton = 0;
    int m_nPressRootX = 0;
    int m_nPressRootY = 0;
    guint32 m_nPressTime = 0;
    GdkDevice* m_pPressDevice = nullptr;  // owned by the display
    std::map<int, std::unique_ptr<SGtkEdit>> m_edits;
};

}  // namespace SOUI
