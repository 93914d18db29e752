#include "toolkit/skin/SSkinAttr.h"

#include <vector>

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI::SkinAttr {

namespace {

bool Fail(pugi::xml_node xml, const char* pszName) {
    SLogA("SSkinObjBase::InitFromXml: skin \"%s\" has a malformed %s=\"%s\"",
          xml.attribute("name").value(), pszName, xml.attribute(pszName).value());
    return false;
}

}  // namespace

bool ReadInt(pugi::xml_node xml, const char* pszName, int& nValue) {
    pugi::xml_attribute attr = xml.attribute(pszName);
    if (!attr)
        return true;
    return ParseInt(Utf8ToWide(attr.value()), nValue) || Fail(xml, pszName);
}

bool ReadLength(pugi::xml_node xml, const char* pszName, int& nValue) {
    int n = nValue;
    if (!ReadInt(xml, pszName, n))
        return false;
    if (n < 0)
        return Fail(xml, pszName);
    nValue = n;
    return true;
}

bool ReadBool(pugi::xml_node xml, const char* pszName, bool& bValue) {
    int n = bValue ? 1 : 0;
    if (!ReadInt(xml, pszName, n))
        return false;
    bValue = n != 0;
    return true;
}

bool ReadColor(pugi::xml_node xml, const char* pszName, SColor& cr, bool* pbPresent) {
    pugi::xml_attribute attr = xml.attribute(pszName);
    if (pbPresent)
        *pbPresent = bool(attr);
    if (!attr)
        return true;
    return SColor::Parse(Utf8ToWide(attr.value()), cr) || Fail(xml, pszName);
}

bool ReadMargin(pugi::xml_node xml, const char* pszName, CRect& rcMargin) {
    pugi::xml_attribute attr = xml.attribute(pszName);
    if (!attr)
        return true;
    std::wstring str = Utf8ToWide(attr.value());
    std::vector<int> values;
    size_t nStart = 0;
    while (true) {
        size_t comma = str.find(L',', nStart);
        int n = 0;
        if (!ParseInt(std::wstring_view(str).substr(nStart, comma - nStart), n) || n < 0)
            return Fail(xml, pszName);
        values.push_back(n);
        if (comma == std::wstring::npos)
            break;
        nStart = comma + 1;
    }
    if (values.size() == 1)
        rcMargin = CRect(values[0], values[0], values[0], values[0]);
    else if (values.size() == 2)
        rcMargin = CRect(values[0], values[1], values[0], values[1]);
    else if (values.size() == 4)
        rcMargin = CRect(values[0], values[1], values[2], values[3]);
    else
        return Fail(xml, pszName);
    return true;
}

}  // namespace SOUI::SkinAttr
