#include "toolkit/control/SLayoutBuilder.h"

#include <memory>

#include "toolkit/control/SWindow.h"
#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/res/ISystemObjectRegister.h"

namespace SOUI {

void SLayoutBuilder::InitWindow(SWindow* pWnd, pugi::xml_node xmlNode) const {
    // The name comes first so later log lines and the ID can use it.
    if (pugi::xml_attribute attrName = xmlNode.attribute("name")) {
        pWnd->SetAttribute(L"name", Utf8ToWide(attrName.value()), true);
    }
    for (pugi::xml_attribute attr : xmlNode.attributes()) {
        if (std::string(attr.name()) == "name") {
            continue;
        }
        pWnd->SetAttribute(Utf8ToWide(attr.name()), Utf8ToWide(attr.value()), true);
    }
    if (!xmlNode.attribute("id") && !pWnd->GetNameStr().empty() && m_nameToID) {
        if (int nID = m_nameToID(pWnd->GetNameStr())) {
            pWnd->SetID(nID);
        }
    }
    // Only the element's own text: children elements are windows.
    std::wstring strText;
    for (pugi::xml_node child : xmlNode.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            strText += Utf8ToWide(child.value());
        }
    }
    if (!strText.empty()) {
        pWnd->SetWindowText(strText);
    }
}

int SLayoutBuilder::CreateChildren(SWindow* pParent, pugi::xml_node xmlParent) const {
    bool bTooDeep = false;
    int nCreated = CreateLevel(pParent, xmlParent, 1, bTooDeep);
    if (bTooDeep) {
        SLog(L"SLayoutBuilder::CreateChildren windows nested deeper than %d levels", kMaxDepth);
        return -1;
    }
    return nCreated;
}

int SLayoutBuilder::CreateLevel(SWindow* pParent, pugi::xml_node xmlParent, int nDepth,
                                bool& bTooDeep) const {
    int nCreated = 0;
    for (pugi::xml_node xmlChild : xmlParent.children()) {
        if (xmlChild.type() != pugi::node_element) {
            continue;
        }
        // Checked before creating, so the recursion (and the tree's own
        // recursive walks later) stay bounded.
        if (nDepth > kMaxDepth) {
            bTooDeep = true;
            return nCreated;
        }
        std::wstring strClass = Utf8ToWide(xmlChild.name());
        IObject* pObj = m_factory.Create(strClass);
        SWindow* pNew = dynamic_cast<SWindow*>(pObj);
        if (!pNew) {
            SLog(L"SLayoutBuilder::CreateChildren unknown window class [%s], skipped",
                 strClass.c_str());
            if (pObj) {
                pObj->Release();
            }
            continue;
        }
        SWindow* pChild = pParent->InsertChild(std::unique_ptr<SWindow>(pNew));
        InitWindow(pChild, xmlChild);
        ++nCreated;
        nCreated += CreateLevel(pChild, xmlChild, nDepth + 1, bTooDeep);
        if (bTooDeep) {
            return nCreated;
        }
    }
    return nCreated;
}

}  // namespace SOUI
