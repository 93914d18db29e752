#pragma once
#include <functional>
#include <map>
#include <string>

namespace SOUI {

class IObject;

// Creates objects by their layout class name ("imgbtn", "imglist").
class SObjectFactoryMgr {
public:
    using Creator = std::function<IObject*()>;
    // Replaces an earlier registration of the same name.
    void Register(const std::wstring& strClass, Creator fnCreate) {
        m_map[strClass] = std::move(fnCreate);
    }
    bool IsRegistered(const std::wstring& strClass) const { return m_map.count(strClass) != 0; }
    // New object with one reference, null when the class is unknown.
    IObject* Create(const std::wstring& strClass) const {
        auto it = m_map.find(strClass);
        return it == m_map.end() ? nullptr : it->second();
    }

private:
    std::map<std::wstring, Creator> m_map;
};

// Fills the application's window factory when the application is built.
struct ISystemObjectRegister {
    virtual ~ISystemObjectRegister() = default;
    virtual void RegisterWindows(SObjectFactoryMgr& windows) = 0;
};

// The toolkit's default register. Its window part is installed by the
// window layer (SetWindowRegistrar) so this layer does not depend on it.
class SObjectDefaultRegister : public ISystemObjectRegister {
public:
    using Registrar = void (*)(SObjectFactoryMgr& windows);
    static void SetWindowRegistrar(Registrar fn);
    void RegisterWindows(SObjectFactoryMgr& windows) override;
};

}  // namespace SOUI
