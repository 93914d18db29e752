#include "app/ComponentLoader.h"

#include <dlfcn.h>

#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

ComponentLoader::ComponentLoader(std::wstring strModuleDir)
    : m_strModuleDir(std::move(strModuleDir)) {
    if (m_strModuleDir.empty())
        m_strModuleDir = GetExeDirectory();
}

ComponentLoader::~ComponentLoader() {
    imageDecoderName.clear();
    for (ComponentSlot* pSlot :
         {&m_slotSysResource, &m_slotTranslator, &m_slotRender, &m_slotImgDecoder}) {
        if (!pSlot->hModule)
            continue;
        WriteLog(L"%s: unloading %s", L"ComponentLoader::~ComponentLoader",
                 pSlot->strModulePath.c_str());
        dlclose(pSlot->hModule);
        *pSlot = ComponentSlot();
    }
}

bool ComponentLoader::LoadComponent(ComponentSlot& slot, const wchar_t* pszModuleFileName,
                                    SOUI::IObjRef** ppObj) {
    if (!slot.pfnCreate) {
        if (!pszModuleFileName || !*pszModuleFileName)
            return false;
        std::wstring strPath = pszModuleFileName;
        if (strPath.find(L'/') == std::wstring::npos)
            strPath = m_strModuleDir + L"/" + strPath;
        std::string strNarrow = WideToAnsi(strPath);
        void* hModule = dlopen(strNarrow.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!hModule) {
            WriteLogA("ComponentLoader::LoadComponent: %s", dlerror());
            return false;
        }
        auto pfnCreate = reinterpret_cast<FnSCreateInstance>(dlsym(hModule, "SCreateInstance"));
        if (!pfnCreate) {
            WriteLogA("ComponentLoader::LoadComponent: %s has no SCreateInstance",
                      strNarrow.c_str());
            dlclose(hModule);
            return false;
        }
        slot.hModule = hModule;
        slot.pfnCreate = pfnCreate;
        slot.strModulePath = strPath;
    }
    if (!ppObj)
        return false;
    return slot.pfnCreate(ppObj) != 0;
}

namespace {

// The module's root object is of the interface its slot stands for.
template <class T>
bool LoadTyped(ComponentLoader& loader, ComponentSlot& slot, const wchar_t* pszFile, T** ppOut) {
    if (!ppOut)
        return false;
    SOUI::IObjRef* pObj = nullptr;
    bool bOk = loader.LoadComponent(slot, pszFile, &pObj);
    if (pObj) {
        if (bOk)
            *ppOut = static_cast<T*>(pObj);
        else
            pObj->Release();
    }
    return bOk && pObj;
}

}  // namespace

bool ComponentLoader::LoadRenderFactory(SOUI::IRenderFactory** ppFactory) {
    return LoadTyped(*this, m_slotRender, L"render-cairo.so", ppFactory);
}

bool ComponentLoader::LoadImageDecoderFactory(SOUI::IImgDecoderFactory** ppFactory) {
    std::wstring strFile = imageDecoderName + L".so";
    return LoadTyped(*this, m_slotImgDecoder, strFile.c_str(), ppFactory);
}

bool ComponentLoader::LoadTranslatorManager(SOUI::ITranslatorMgr** ppTrMgr) {
    return LoadTyped(*this, m_slotTranslator, L"translator.so", ppTrMgr);
}

bool ComponentLoader::LoadSystemResource(SOUI::IResProvider** ppProvider) {
    return LoadTyped(*this, m_slotSysResource, L"sys-resource.so", ppProvider);
}
