#pragma once
#include <cstddef>

#include "toolkit/core/SNamedID.h"

// Every control name the installer's code looks up, with its fixed ID,
// sorted by name in code-unit order so the toolkit can take it as already
// sorted.
extern const SOUI::SNamedID g_TovadocNamedIds[];
extern const size_t g_nTovadocNamedIds;
