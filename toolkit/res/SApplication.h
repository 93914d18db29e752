#pragma once
#include <pugixml.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/SMessageLoop.h"
#include "toolkit/core/SNamedID.h"
#include "toolkit/render/IRenderFactory.h"
#include "toolkit/res/ISystemObjectRegister.h"
#include "toolkit/res/SResProviderMgr.h"
#include "toolkit/skin/SSkinPoolMgr.h"
#include "toolkit/translator/ITranslatorMgr.h"

namespace SOUI {

// The process-wide toolkit application: renderer, resources, skins, named
// IDs, translator, default font. Create it once on the window thread after
// the component modules are loaded; delete it before they are unloaded.
class SApplication : public SResProviderMgr {
public:
    // Keeps a reference to pRenderFactory and takes pSysObjRegister over
    // (may be null). hInst and the host class name are kept for callers.
    SApplication(IRenderFactory* pRenderFactory, void* hInst,
                 const wchar_t* pszHostClassName = L"SOUIHOST",
                 ISystemObjectRegister* pSysObjRegister = nullptr);
    ~SApplication() override;

    static SApplication* getSingletonPtr();
    static SApplication& getSingleton();

    IRenderFactory* GetRenderFactory() const { return m_pRenderFactory; }
    void* GetInstance() const { return m_hInst; }
    const std::wstring& GetHostClassName() const { return m_strHostClassName; }
    SObjectFactoryMgr& GetWindowFactory() { return m_windowFactory; }

    // Loads the toolkit's own skins ("_skin.sys.*") from a provider: its
    // SKIN/SYS_SKINS table. The data are copied; the provider may go after.
    bool LoadSystemNamedResource(IResProvider* pResProvider);

    // Control names -> IDs. The table is copied; bSorted says it is in
    // code-unit order already (otherwise it is sorted here).
    void InitXmlNamedID(const SNamedID* pNames, int nCount, bool bSorted);
    // 0 when the name is not in the table.
    int NameToID(const std::wstring& strName) const;
    // Empty when no name has the ID.
    std::wstring IDToName(int nID) const;

    // Loads and parses an XML resource; false with a log line when it is
    // absent or malformed.
    bool LoadXmlDocment(pugi::xml_document& doc, const std::wstring& strName,
                        const std::wstring& strType);
    bool LoadXmlDocment(pugi::xml_document& doc, const std::wstring& strRef);  // "TYPE:name"

    // Keeps a reference (null clears it).
    void SetTranslator(ITranslatorMgr* pTrMgr);
    ITranslatorMgr* GetTranslator() const { return m_pTrMgr; }
    // The translation of strSrc in strCtx, or strSrc itself.
    std::wstring Tr(const std::wstring& strSrc, const std::wstring& strCtx) const;

    // "PNG:name" (any case). Decoded once and cached; returns a new
    // reference, or null with a log line.
    IBitmapS* LoadImage(const std::wstring& strRef);

    // Skins of the loaded tables, then the system skins. No reference added.
    ISkinObj* GetSkin(const std::wstring& strName) const { return m_skinPoolMgr.GetSkin(strName); }

    // Default font of the initial definitions ("宋体", 15 until one is read).
    const SFontDesc& GetDefFontDesc() const { return m_defFont; }
    // A font from a descriptor relative to the default font ("adding:-2",
    // "face:微软雅黑,size:14"); cached by descriptor, new reference. Null when
    // the descriptor is malformed.
    IFontS* CreateFontFromDesc(const std::wstring& strDesc);

    // String and colour tables; false when the name is absent.
    bool GetString(const std::wstring& strName, std::wstring& strValue) const;
    bool GetColor(const std::wstring& strName, SColor& cr) const;
    // A style class of the initial definitions; empty node when unknown.
    pugi::xml_node GetStyle(const std::wstring& strName) const;

    // Runs the message loop until Quit (the main window calls it when it is
    // destroyed); returns the code given to Quit. hMainWnd is not used.
    int Run(void* hMainWnd);
    // Ends Run with nCode; a Quit before Run makes Run return at once.
    void Quit(int nCode = 0);

protected:
    bool LoadUIDef(IResProvider* pResProvider, pugi::xml_node xmlUidef) override;

private:
    bool LoadValues(pugi::xml_node xmlValues, const wchar_t* pszDefault);
    void LoadValueTable(pugi::xml_node xmlTable);
    void LoadSkinTable(pugi::xml_node xmlSkins, SSkinPool& pool);
    SkinImageLoader MakeImageLoader();

    static SApplication* s_pSingleton;

    IRenderFactory* m_pRenderFactory = nullptr;
    void* m_hInst = nullptr;
    std::wstring m_strHostClassName;
    std::unique_ptr<ISystemObjectRegister> m_pSysObjRegister;
    SObjectFactoryMgr m_windowFactory;
    std::vector<SNamedID> m_namedIDs;
    std::vector<std::wstring> m_namedIDNames;  // owns the names of m_namedIDs
    ITranslatorMgr* m_pTrMgr = nullptr;
    std::map<std::wstring, IBitmapS*> m_mapImages;  // key: lower-case ref
    std::map<std::wstring, IFontS*> m_mapFonts;
    SSkinPoolMgr m_skinPoolMgr;
    SFontDesc m_defFont;
    std::map<std::wstring, std::wstring> m_mapStrings;
    std::map<std::wstring, SColor> m_mapColors;
    pugi::xml_document m_docStyles;
    SMessageLoop* m_pLoop = nullptr;
    bool m_bQuitPending = false;
    int m_nQuitCode = 0;
};

}  // namespace SOUI
