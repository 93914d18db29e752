#pragma once
#include <glib.h>

namespace SOUI {

class SGtkWindow;

// A nested main loop on the default context, as a modal dialog runs it: the
// dialog is modal and transient for its owner, and the owner is insensitive
// for the loop's length.
class SGtkModalLoop {
public:
    SGtkModalLoop() = default;
    ~SGtkModalLoop();
    SGtkModalLoop(const SGtkModalLoop&) = delete;
    SGtkModalLoop& operator=(const SGtkModalLoop&) = delete;

    // Returns the code given to End; an End before Run makes Run return at
    // once. -1 when already running.
    int Run(SGtkWindow* pDialog, SGtkWindow* pOwner);
    void End(int nCode);
    // Running and not yet told to end.
    bool IsRunning() const { return m_pLoop != nullptr && !m_bEndPending; }

private:
    GMainLoop* m_pLoop = nullptr;
    bool m_bEndPending = false;
    int m_nCode = 0;
};

}  // namespace SOUI
