#pragma once
// Builds a control tree from layout XML: one window per element, created by
// its element name, attributes applied in document order, the element's
// text as the window's text.
#include <pugixml.hpp>

#include <functional>
#include <string>

namespace SOUI {

class SWindow;
class SObjectFactoryMgr;

class SLayoutBuilder {
public:
    using NameToID = std::function<int(const std::wstring&)>;
    // Deeper nesting than this is malformed input, not a layout.
    static constexpr int kMaxDepth = 128;

    SLayoutBuilder(const SObjectFactoryMgr& factory, NameToID nameToID)
        : m_factory(factory), m_nameToID(std::move(nameToID)) {}

    // Applies xmlNode's attributes and text to pWnd (while loading).
    void InitWindow(SWindow* pWnd, pugi::xml_node xmlNode) const;
    // Creates a child of pParent for every element child of xmlParent,
    // recursively. An unknown element is logged and skipped with its
    // subtree. Returns the number of windows created, or -1 (with a log
    // line) when elements nest deeper than kMaxDepth below xmlParent.
    int CreateChildren(SWindow* pParent, pugi::xml_node xmlParent) const;

private:
    int CreateLevel(SWindow* pParent, pugi::xml_node xmlParent, int nDepth, bool& bTooDeep) const;

    const SObjectFactoryMgr& m_factory;
    NameToID m_nameToID;
};

}  // namespace SOUI
