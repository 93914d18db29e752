#pragma once
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "toolkit/core/SResTable.h"

namespace uires {

// The entry stored under the given type and name, or null.
const SOUI::SResEntry* FindResource(const SOUI::SResTable& table, const char* pszType,
                                    const char* pszName);

// The bytes of an installer resource; fails the current test when absent.
std::string ResourceBytes(const char* pszType, const char* pszName);

// Parses an installer resource as XML; fails the current test on error.
bool LoadXml(pugi::xml_document& doc, const char* pszType, const char* pszName);

struct PngInfo {
    unsigned nWidth = 0;
    unsigned nHeight = 0;
    int nBitDepth = 0;
    int nColorType = -1;  // 3 palette, 6 RGBA
};
bool ReadPngHeader(const std::string& bytes, PngInfo& info);

// Decodes to 8-bit RGBA rows (width * 4 bytes each).
bool DecodePngRgba(const std::string& bytes, unsigned& nWidth, unsigned& nHeight,
                   std::vector<unsigned char>& pixels);

// Plain text of an RTF document, with each \par as '\n'; runs of \'hh bytes
// are decoded from GBK through GLib. The text of bold runs is collected too.
struct RtfText {
    std::string strText;
    std::vector<std::string> boldRuns;
    bool bValid = false;  // balanced groups, every byte run decoded
};
RtfText ExtractRtf(const std::string& rtf);

}  // namespace uires
