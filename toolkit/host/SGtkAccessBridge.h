#pragma once
// Shows a toolkit window's drawn controls to the desktop's accessibility
// layer (ATK, which GTK 3 hands on to AT-SPI clients such as Orca). GTK
// sees one widget where the model draws many controls, so the window's
// container is a widget of our own whose accessible object lists one ATK
// object per control of the model, with its role, name, states, value,
// text, extents and default action, and tells listeners what changes.
#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <vector>

#include "toolkit/backend/HostAccessible.h"

namespace SOUI {

// What the bridge asks of the window it speaks for; all on the window thread.
class ISGtkAccessProvider {
public:
    virtual ~ISGtkAccessProvider() = default;
    virtual void GetAccNodes(std::vector<HostAccNode>& nodes) = 0;
    virtual bool DoAccAction(uintptr_t nId) = 0;
    virtual bool FocusAccNode(uintptr_t nId) = 0;
    // The native entry standing in for an edit overlay; null for none.
    virtual GtkWidget* GetEditWidget(int nEditId) = 0;
};

// A GtkFixed whose accessible object lists the model's controls; the
// window puts its native entries into it as into any GtkFixed.
GtkWidget* SGtkAccessCanvasNew();

class SGtkAccessBridge {
public:
    // pCanvas: made by SGtkAccessCanvasNew and put into pWindow.
    SGtkAccessBridge(GtkWidget* pWindow, GtkWidget* pCanvas, ISGtkAccessProvider* pProvider,
                     bool bDialog);
    ~SGtkAccessBridge();
    SGtkAccessBridge(const SGtkAccessBridge&) = delete;
    SGtkAccessBridge& operator=(const SGtkAccessBridge&) = delete;

    // Something in the window changed: look again soon (changes coalesce).
    void ScheduleRefresh();
    // Looks now and tells listeners what differs from the last look.
    void Refresh();

    // Used by the canvas's and the controls' accessible objects.
    int GetChildCount();
    AtkObject* RefChild(int nIndex);
    int IndexOf(AtkObject* pObj) const;
    void QueueAction(uintptr_t nId);
    void QueueFocus(uintptr_t nId);
    // Where the window's top-left corner is on the screen.
    void GetWindowOrigin(int& x, int& y) const;

private:
    static gboolean OnRefreshTimeout(gpointer pThis);
    static gboolean OnRequestIdle(gpointer pThis);
    static void OnCanvasDestroyed(GtkWidget* pCanvas, gpointer pThis);
    // The first time someone asks, the tree is built without announcing it.
    void EnsureLive();
    AtkObject* NodeFor(const HostAccNode& node);
    void Detach();

    GtkWidget* m_pWindow;
    GtkWidget* m_pCanvas;
    ISGtkAccessProvider* m_pProvider;
    bool m_bLive = false;
    guint m_nRefresh = 0;
    guint m_nRequests = 0;
    // Actions and focus requests wait for the main loop: an action may run
    // a modal dialog, which must not happen inside an AT-SPI call.
    std::vector<std::pair<uintptr_t, bool>> m_requests;
    std::vector<AtkObject*> m_children;       // as listed now, not owned
    std::map<uintptr_t, AtkObject*> m_nodes;  // one reference each
};

}  // namespace SOUI
