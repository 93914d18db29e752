#pragma once
#include <atomic>

// Process-wide stop flag: 0 at start, set to 1 by the main window just
// before it goes away. Transfers only read it; nothing clears it. Atomic so
// that the window thread may set it while a transfer thread reads it.
extern std::atomic<unsigned char> g_bAppExit;
