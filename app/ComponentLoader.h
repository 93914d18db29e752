#pragma once
#include <string>

#include "app/ComponentSlot.h"
#include "toolkit/core/SString.h"
#include "toolkit/render/IImgDecoderFactory.h"
#include "toolkit/render/IRenderFactory.h"
#include "toolkit/res/IResProvider.h"
#include "toolkit/translator/ITranslatorMgr.h"

// Loads the toolkit's component modules from one folder (the executable's),
// each at most once, and unloads them in reverse order when destroyed.
// Every object a module made must be released before the loader goes.
class ComponentLoader {
public:
    // An empty folder means the executable's own folder.
    explicit ComponentLoader(std::wstring strModuleDir = {});
    ~ComponentLoader();
    ComponentLoader(const ComponentLoader&) = delete;
    ComponentLoader& operator=(const ComponentLoader&) = delete;

    // Loads the slot's module if it has none yet, then calls its factory
    // with ppObj. False when the module or its export cannot be had (ppObj
    // untouched; the slot stays empty and a later call tries again);
    // otherwise the factory's result. A loaded slot keeps its module
    // whatever file name a later call gives.
    bool LoadComponent(ComponentSlot& slot, const wchar_t* pszModuleFileName,
                       SOUI::IObjRef** ppObj);

    bool LoadRenderFactory(SOUI::IRenderFactory** ppFactory);
    // Module imageDecoderName + ".so".
    bool LoadImageDecoderFactory(SOUI::IImgDecoderFactory** ppFactory);
    bool LoadTranslatorManager(SOUI::ITranslatorMgr** ppTrMgr);
    // The toolkit's system resources ("sys-resource.so"): a provider to hand
    // to SApplication::LoadSystemNamedResource. The module stays loaded until
    // the loader goes, so the provider can be released at any time before.
    bool LoadSystemResource(SOUI::IResProvider** ppProvider);

    const std::wstring& GetModuleDir() const { return m_strModuleDir; }

    // Slots in loading order; unloaded in the reverse order.
    ComponentSlot m_slotImgDecoder;
    ComponentSlot m_slotRender;
    ComponentSlot m_slotTranslator;
    ComponentSlot m_slotSysResource;
    SOUI::SStringW imageDecoderName = L"imgdecoder-png";

private:
    std::wstring m_strModuleDir;
};
