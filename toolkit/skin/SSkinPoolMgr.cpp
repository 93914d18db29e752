#include "toolkit/skin/SSkinPoolMgr.h"

namespace SOUI {

ISkinObj* SSkinPoolMgr::GetSkin(const std::wstring& strName) const {
    if (ISkinObj* p = m_userPool.GetSkin(strName))
        return p;
    return m_sysPool.GetSkin(strName);
}

}  // namespace SOUI
