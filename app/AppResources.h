#pragma once
#include <cstdint>

#include "toolkit/res/IResProvider.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/translator/ITranslatorMgr.h"

class ComponentLoader;

// What both entries (the window and the headless front end) take from the
// installer's resources: the bundle itself and the translation table, so
// they speak with the same words.

// A provider over the resources compiled into the program (one reference);
// null with a log line when they cannot be opened.
SOUI::IResProvider* CreateOwnResources();

// Sets the translator module's manager on the application (*ppTrMgr keeps a
// reference for the caller to release) and installs the table of nLanguage:
// 1 Chinese, 2 English. Any other language, or no translator module, leaves
// every text showing its key (log line).
void InstallTranslation(ComponentLoader& loader, SOUI::SApplication& app, uint32_t nLanguage,
                        SOUI::ITranslatorMgr** ppTrMgr);
