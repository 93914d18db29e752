#pragma once

namespace SOUI {

// Opens the display and makes host windows native GTK windows. Returns false,
// after telling the user on standard error, when there is no usable display;
// the program should then exit non-zero. Safe to call more than once.
bool InstallGtkHost();

}  // namespace SOUI
