// A program's start on the GTK host, for tests of how it ends without a display.
#include "toolkit/host/SGtkHost.h"

int main() {
    return SOUI::InstallGtkHost() ? 0 : 1;
}
