#include "platform/AppExit.h"

CAppExit g_bAppExit;

CAppExit& CAppExit::operator=(unsigned char nValue) {
    if (nValue != 0)
        Cancel();
    else
        Reset();
    return *this;
}
