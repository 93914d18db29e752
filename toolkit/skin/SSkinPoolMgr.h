#pragma once
#include "toolkit/skin/SSkinPool.h"

namespace SOUI {

// The application's skins and the toolkit's system skins ("_skin.sys.*").
// Look-ups try the application's pool first.
class SSkinPoolMgr {
public:
    SSkinPool& GetUserPool() { return m_userPool; }
    SSkinPool& GetSystemPool() { return m_sysPool; }
    ISkinObj* GetSkin(const std::wstring& strName) const;

private:
    SSkinPool m_userPool;
    SSkinPool m_sysPool;
};

}  // namespace SOUI
