#include "platform/AppExit.h"

std::atomic<unsigned char> g_bAppExit{0};
