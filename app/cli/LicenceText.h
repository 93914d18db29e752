#pragma once
#include <cstdint>
#include <string>

#include "toolkit/res/SResProviderMgr.h"

// The licence of a language as plain UTF-8 text, one line per paragraph:
// the text the licence dialog shows for that language setting (English for
// 2, Chinese otherwise), read from its rich-text resource. Empty, with a log
// line, when the resource is missing or not rich text.
std::string LicenceText(const SOUI::SResProviderMgr& res, uint32_t nLanguage);
