#include "toolkit/skin/SSkinObjBase.h"

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"

namespace SOUI {

bool SSkinObjBase::InitFromXml(pugi::xml_node xmlSkin, const SkinImageLoader&) {
    m_strName = Utf8ToWide(xmlSkin.attribute("name").value());
    if (m_strName.empty()) {
        SLogA("SSkinObjBase::InitFromXml: a %s skin without a name", xmlSkin.name());
        return false;
    }
    return true;
}

}  // namespace SOUI
