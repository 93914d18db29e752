#pragma once
#include "platform/CCancelToken.h"

// The process-wide stop signal: set by the main window just before it goes
// away. It is a cancel token like every other stop in the program, so it can
// be polled and waited on; every transfer reads it (no report after it is
// set, and no rename into place). Written the way the window always did:
// `g_bAppExit = 1`; 0 clears it for a later window of the same process.
class CAppExit : public CCancelToken {
public:
    CAppExit& operator=(unsigned char nValue);
    operator unsigned char() const { return IsCancelled() ? 1 : 0; }
};

extern CAppExit g_bAppExit;
