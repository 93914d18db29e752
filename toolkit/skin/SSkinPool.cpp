#include "toolkit/skin/SSkinPool.h"

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/skin/SSkinColorRect.h"
#include "toolkit/skin/SSkinImgFrame.h"
#include "toolkit/skin/SSkinScrollbar.h"

namespace SOUI {

SSkinPool::~SSkinPool() {
    RemoveAll();
}

void SSkinPool::RemoveAll() {
    for (auto& [name, pSkin] : m_mapSkins)
        pSkin->Release();
    m_mapSkins.clear();
}

SSkinObjBase* SSkinPool::CreateSkinByClass(const std::string& strClass) {
    if (strClass == "imglist")
        return new SSkinImgList();
    if (strClass == "imgframe")
        return new SSkinImgFrame();
    if (strClass == "border")
        return new SSkinColorRect(true);
    if (strClass == "colorrect")
        return new SSkinColorRect(false);
    if (strClass == "scrollbar")
        return new SSkinScrollbar();
    return nullptr;
}

int SSkinPool::LoadSkins(pugi::xml_node xmlSkins, const SkinImageLoader& loadImage) {
    int nAdded = 0;
    for (pugi::xml_node xmlSkin : xmlSkins.children()) {
        if (xmlSkin.type() != pugi::node_element)
            continue;
        SSkinObjBase* pSkin = CreateSkinByClass(xmlSkin.name());
        if (!pSkin) {
            SLogA("SSkinPool::LoadSkins: unknown skin class \"%s\" (\"%s\") skipped",
                  xmlSkin.name(), xmlSkin.attribute("name").value());
            continue;
        }
        if (pSkin->InitFromXml(xmlSkin, loadImage)) {
            AddSkin(pSkin);
            ++nAdded;
        }
        pSkin->Release();
    }
    return nAdded;
}

void SSkinPool::AddSkin(ISkinObj* pSkin) {
    if (!pSkin)
        return;
    pSkin->AddRef();
    auto [it, bNew] = m_mapSkins.emplace(ToLowerAscii(pSkin->GetName()), pSkin);
    if (!bNew) {
        it->second->Release();
        it->second = pSkin;
    }
}

ISkinObj* SSkinPool::GetSkin(const std::wstring& strName) const {
    auto it = m_mapSkins.find(ToLowerAscii(strName));
    return it == m_mapSkins.end() ? nullptr : it->second;
}

}  // namespace SOUI
