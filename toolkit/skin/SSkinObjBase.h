#pragma once
#include <pugixml.hpp>

#include <functional>
#include <string>

#include "toolkit/core/SObjectImpl.h"
#include "toolkit/skin/ISkinObj.h"

namespace SOUI {

// Gives a skin its image: "PNG:name" -> a bitmap with one reference, or null.
using SkinImageLoader = std::function<IBitmapS*(const std::wstring& strSrc)>;

// Common part of the skins: a name and attribute parsing from the skin table.
class SSkinObjBase : public SObjectImpl<ISkinObj> {
public:
    const std::wstring& GetName() const override { return m_strName; }
    // Reads the element's attributes; false (with a log line) when one the
    // skin needs is missing or malformed.
    virtual bool InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader& loadImage);

protected:
    std::wstring m_strName;
};

}  // namespace SOUI
