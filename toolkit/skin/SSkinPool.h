#pragma once
#include <pugixml.hpp>

#include <map>
#include <string>

#include "toolkit/skin/SSkinObjBase.h"

namespace SOUI {

// Skins by name (case-insensitive), each holding one reference.
class SSkinPool {
public:
    SSkinPool() = default;
    SSkinPool(const SSkinPool&) = delete;
    SSkinPool& operator=(const SSkinPool&) = delete;
    ~SSkinPool();

    // Creates a skin for every child element of xmlSkins whose element name
    // is a known skin class (imglist, imgframe, border, colorrect, scrollbar);
    // a bad entry is logged and skipped. Returns the number added. A name
    // already present is replaced.
    int LoadSkins(pugi::xml_node xmlSkins, const SkinImageLoader& loadImage);
    // Takes its own reference.
    void AddSkin(ISkinObj* pSkin);
    // No reference added; null when unknown.
    ISkinObj* GetSkin(const std::wstring& strName) const;
    size_t GetCount() const { return m_mapSkins.size(); }
    void RemoveAll();

    // New skin object of a class name, one reference; null when unknown.
    static SSkinObjBase* CreateSkinByClass(const std::string& strClass);

private:
    std::map<std::wstring, ISkinObj*> m_mapSkins;  // keys lower-case
};

}  // namespace SOUI
