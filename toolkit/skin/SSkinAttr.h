#pragma once
#include <pugixml.hpp>

#include "toolkit/render/CRect.h"
#include "toolkit/render/SColor.h"

namespace SOUI {

// Attribute readers shared by the skins. Each returns false (with a log
// line naming the skin and attribute) when the attribute is present but
// malformed; an absent attribute leaves the value as it was.
namespace SkinAttr {
bool ReadInt(pugi::xml_node xml, const char* pszName, int& nValue);
// A width or margin: an integer of 0 or more.
bool ReadLength(pugi::xml_node xml, const char* pszName, int& nValue);
bool ReadBool(pugi::xml_node xml, const char* pszName, bool& bValue);
bool ReadColor(pugi::xml_node xml, const char* pszName, SColor& cr, bool* pbPresent = nullptr);
// "n", "x,y" or "l,t,r,b" -> widths in a rectangle's four fields.
bool ReadMargin(pugi::xml_node xml, const char* pszName, CRect& rcMargin);
}  // namespace SkinAttr

}  // namespace SOUI
