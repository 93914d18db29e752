#pragma once
#include "toolkit/core/SResTable.h"

// The installer's own resources (layouts, tables, artwork, licence texts),
// compiled into the program.
const SOUI::SResTable& TovadocResources();
