#include "toolkit/res/SApplication.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <utility>

#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/res/SLazyBitmap.h"
#include "toolkit/res/SResID.h"

namespace SOUI {

SApplication* SApplication::s_pSingleton = nullptr;

namespace {

bool NamedIDLess(const SNamedID& a, const SNamedID& b) {
    return std::wcscmp(a.strName, b.strName) < 0;
}

using RawFetch = std::function<bool(const std::wstring& strType, const std::wstring& strName,
                                    std::vector<char>& buf)>;

// Artwork may come twice: NAME, and NAME_2X rendered at twice the size for
// scale-2 screens. The twin is optional, and decoded only when drawn.
void AttachDoubleRes(IRenderFactory* pFactory, IBitmapS* pBmp, const SResID& id,
                     const RawFetch& fetch) {
    std::vector<char> buf;
    if (!fetch(id.strType, id.strName + L"_2x", buf))
        return;
    std::wstring strWhat = id.strType + L":" + id.strName + L"_2x";
    if (SLazyBitmap* pTwin = SLazyBitmap::FromPng(pFactory, std::move(buf), strWhat)) {
        pBmp->SetDoubleRes(pTwin);
        pTwin->Release();
    }
}

}  // namespace

SApplication::SApplication(IRenderFactory* pRenderFactory, void* hInst,
                           const wchar_t* pszHostClassName, ISystemObjectRegister* pSysObjRegister)
    : m_pRenderFactory(pRenderFactory),
      m_hInst(hInst),
      m_strHostClassName(pszHostClassName ? pszHostClassName : L""),
      m_pSysObjRegister(pSysObjRegister) {
    if (s_pSingleton)
        SLog(L"%s: a second application replaces the first", L"SApplication::SApplication");
    s_pSingleton = this;
    if (m_pRenderFactory) {
        m_pRenderFactory->AddRef();
        m_defFont = m_pRenderFactory->GetDefaultFont();
    } else {
        SLog(L"%s: no render factory; nothing can be drawn", L"SApplication::SApplication");
    }
    if (m_pSysObjRegister)
        m_pSysObjRegister->RegisterWindows(m_windowFactory);
}

SApplication::~SApplication() {
    // Objects made by the renderer go before the renderer itself.
    m_skinPoolMgr.GetUserPool().RemoveAll();
    m_skinPoolMgr.GetSystemPool().RemoveAll();
    for (auto& [key, p] : m_mapImages)
        p->Release();
    m_mapImages.clear();
    for (auto& [key, p] : m_mapFonts)
        p->Release();
    m_mapFonts.clear();
    SetTranslator(nullptr);
    if (m_pRenderFactory)
        m_pRenderFactory->Release();
    if (s_pSingleton == this)
        s_pSingleton = nullptr;
}

SApplication* SApplication::getSingletonPtr() {
    return s_pSingleton;
}

SApplication& SApplication::getSingleton() {
    return *s_pSingleton;
}

bool SApplication::LoadSystemNamedResource(IResProvider* pResProvider) {
    if (!pResProvider) {
        SLog(L"%s: no provider", L"SApplication::LoadSystemNamedResource");
        return false;
    }
    std::vector<char> buf;
    pugi::xml_document doc;
    if (!pResProvider->GetRawBuffer(L"SKIN", L"SYS_SKINS", buf)) {
        SLog(L"%s: the provider has no system skin table",
             L"SApplication::LoadSystemNamedResource");
        return false;
    }
    if (!ParseXml(buf, doc, L"SKIN:SYS_SKINS"))
        return false;
    // The images come from this provider alone and are copied, so the
    // provider (and its module) may go right after.
    SkinImageLoader loadImage = [this, pResProvider](const std::wstring& strSrc) -> IBitmapS* {
        SResID id = SResID::Parse(strSrc);
        std::vector<char> img;
        IBitmapS* pBmp = nullptr;
        if (!m_pRenderFactory || !pResProvider->GetRawBuffer(id.strType, id.strName, img) ||
            !m_pRenderFactory->CreateBitmapFromMemory(img.data(), img.size(), &pBmp))
            return nullptr;
        AttachDoubleRes(m_pRenderFactory, pBmp, id,
                        [pResProvider](const std::wstring& strType, const std::wstring& strName,
                                       std::vector<char>& buf) {
                            return pResProvider->GetRawBuffer(strType, strName, buf);
                        });
        return pBmp;
    };
    return m_skinPoolMgr.GetSystemPool().LoadSkins(doc.child("skin"), loadImage) > 0;
}

void SApplication::InitXmlNamedID(const SNamedID* pNames, int nCount, bool bSorted) {
    m_namedIDs.clear();
    m_namedIDNames.clear();
    if (!pNames || nCount <= 0)
        return;
    m_namedIDNames.reserve(size_t(nCount));
    for (int i = 0; i < nCount; ++i)
        m_namedIDNames.emplace_back(pNames[i].strName ? pNames[i].strName : L"");
    for (int i = 0; i < nCount; ++i)
        m_namedIDs.push_back({m_namedIDNames[size_t(i)].c_str(), pNames[i].nID});
    // A table said to be sorted but not in order would make look-ups miss.
    if (bSorted && !std::is_sorted(m_namedIDs.begin(), m_namedIDs.end(), NamedIDLess)) {
        SLog(L"%s: the named-ID table is not in order; sorting it",
             L"SApplication::InitXmlNamedID");
        bSorted = false;
    }
    if (!bSorted)
        std::stable_sort(m_namedIDs.begin(), m_namedIDs.end(), NamedIDLess);
}

int SApplication::NameToID(const std::wstring& strName) const {
    SNamedID key{strName.c_str(), 0};
    auto it = std::lower_bound(m_namedIDs.begin(), m_namedIDs.end(), key, NamedIDLess);
    if (it == m_namedIDs.end() || strName != it->strName)
        return 0;
    return it->nID;
}

std::wstring SApplication::IDToName(int nID) const {
    for (const SNamedID& n : m_namedIDs)
        if (n.nID == nID)
            return n.strName;
    return {};
}

bool SApplication::LoadXmlDocment(pugi::xml_document& doc, const std::wstring& strName,
                                  const std::wstring& strType) {
    std::vector<char> buf;
    std::wstring strRef = strType + L":" + strName;
    if (!GetRawBuffer(strType, strName, buf)) {
        SLog(L"%s: resource \"%s\" not found", L"SApplication::LoadXmlDocment", strRef.c_str());
        return false;
    }
    return ParseXml(buf, doc, strRef);
}

bool SApplication::LoadXmlDocment(pugi::xml_document& doc, const std::wstring& strRef) {
    SResID id = SResID::Parse(strRef);
    return LoadXmlDocment(doc, id.strName, id.strType);
}

void SApplication::SetTranslator(ITranslatorMgr* pTrMgr) {
    if (pTrMgr)
        pTrMgr->AddRef();
    if (m_pTrMgr)
        m_pTrMgr->Release();
    m_pTrMgr = pTrMgr;
}

std::wstring SApplication::Tr(const std::wstring& strSrc, const std::wstring& strCtx) const {
    return m_pTrMgr ? m_pTrMgr->Tr(strSrc, strCtx) : strSrc;
}

IBitmapS* SApplication::LoadImage(const std::wstring& strRef) {
    std::wstring strKey = ToLowerAscii(strRef);
    auto it = m_mapImages.find(strKey);
    if (it != m_mapImages.end()) {
        it->second->AddRef();
        return it->second;
    }
    std::vector<char> buf;
    if (!GetRawBuffer(strRef, buf)) {
        SLog(L"%s: image \"%s\" not found", L"SApplication::LoadImage", strRef.c_str());
        return nullptr;
    }
    IBitmapS* pBmp = nullptr;
    if (!m_pRenderFactory ||
        !m_pRenderFactory->CreateBitmapFromMemory(buf.data(), buf.size(), &pBmp)) {
        SLog(L"%s: image \"%s\" cannot be decoded", L"SApplication::LoadImage", strRef.c_str());
        return nullptr;
    }
    AttachDoubleRes(m_pRenderFactory, pBmp, SResID::Parse(strRef),
                    [this](const std::wstring& strType, const std::wstring& strName,
                           std::vector<char>& buf) { return GetRawBuffer(strType, strName, buf); });
    m_mapImages.emplace(strKey, pBmp);
    pBmp->AddRef();
    return pBmp;
}

SkinImageLoader SApplication::MakeImageLoader() {
    return [this](const std::wstring& strSrc) { return LoadImage(strSrc); };
}

IFontS* SApplication::CreateFontFromDesc(const std::wstring& strDesc) {
    SFontDesc desc;
    if (!SFontDesc::Parse(strDesc, m_defFont, desc)) {
        SLog(L"%s: malformed font \"%s\"", L"SApplication::CreateFontFromDesc", strDesc.c_str());
        return nullptr;
    }
    std::wstring strKey = desc.ToString();
    auto it = m_mapFonts.find(strKey);
    if (it == m_mapFonts.end()) {
        IFontS* pFont = nullptr;
        if (!m_pRenderFactory || !m_pRenderFactory->CreateFont(desc, &pFont))
            return nullptr;
        it = m_mapFonts.emplace(strKey, pFont).first;
    }
    it->second->AddRef();
    return it->second;
}

bool SApplication::GetString(const std::wstring& strName, std::wstring& strValue) const {
    auto it = m_mapStrings.find(strName);
    if (it == m_mapStrings.end())
        return false;
    strValue = it->second;
    return true;
}

bool SApplication::GetColor(const std::wstring& strName, SColor& cr) const {
    auto it = m_mapColors.find(strName);
    if (it == m_mapColors.end())
        return false;
    cr = it->second;
    return true;
}

pugi::xml_node SApplication::GetStyle(const std::wstring& strName) const {
    std::string strUtf8 = WideToUtf8(strName);
    return m_docStyles.find_child_by_attribute("class", "name", strUtf8.c_str());
}

bool SApplication::LoadUIDef(IResProvider*, pugi::xml_node xmlUidef) {
    bool bOk = true;
    if (pugi::xml_node xmlFont = xmlUidef.child("font")) {
        SFontDesc desc = m_defFont;
        std::wstring strFace = Utf8ToWide(xmlFont.attribute("face").value());
        if (!strFace.empty())
            desc.strFace = strFace;
        desc.nSize = xmlFont.attribute("size").as_int(desc.nSize);
        desc.bBold = xmlFont.attribute("bold").as_bool(desc.bBold);
        desc.bItalic = xmlFont.attribute("italic").as_bool(desc.bItalic);
        desc.bUnderline = xmlFont.attribute("underline").as_bool(desc.bUnderline);
        if (desc.nSize < 1) {
            SLog(L"%s: default font size %d ignored", L"SApplication::LoadUIDef", desc.nSize);
        } else {
            m_defFont = desc;
            if (m_pRenderFactory)
                m_pRenderFactory->SetDefaultFont(desc);
        }
    }
    bOk &= LoadValues(xmlUidef.child("string"), L"string");
    bOk &= LoadValues(xmlUidef.child("color"), L"color");
    bOk &= LoadValues(xmlUidef.child("skin"), L"skin");
    for (pugi::xml_node xmlStyle : xmlUidef.children("style"))
        for (pugi::xml_node xmlClass : xmlStyle.children("class"))
            m_docStyles.append_copy(xmlClass);
    return bOk;
}

// A table element either names its resource (src="values:string") or holds
// the entries itself.
bool SApplication::LoadValues(pugi::xml_node xmlValues, const wchar_t* pszKind) {
    if (!xmlValues)
        return true;
    pugi::xml_document doc;
    pugi::xml_node xmlTable = xmlValues;
    if (pugi::xml_attribute attrSrc = xmlValues.attribute("src")) {
        if (!LoadXmlDocment(doc, Utf8ToWide(attrSrc.value())))
            return false;
        xmlTable = doc.document_element();
    }
    if (std::wstring(pszKind) == L"skin")
        LoadSkinTable(xmlTable, m_skinPoolMgr.GetUserPool());
    else
        LoadValueTable(xmlTable);
    return true;
}

void SApplication::LoadValueTable(pugi::xml_node xmlTable) {
    bool bColor = std::string_view(xmlTable.name()) == "color";
    for (pugi::xml_node xmlEntry : xmlTable.children()) {
        if (xmlEntry.type() != pugi::node_element)
            continue;
        std::wstring strName = Utf8ToWide(xmlEntry.name());
        std::wstring strValue = Utf8ToWide(xmlEntry.attribute("value").value());
        if (!bColor) {
            m_mapStrings[strName] = strValue;
            continue;
        }
        SColor cr;
        if (SColor::Parse(strValue, cr))
            m_mapColors[strName] = cr;
        else
            SLog(L"%s: colour \"%s\" has a malformed value \"%s\"", L"SApplication::LoadValueTable",
                 strName.c_str(), strValue.c_str());
    }
}

void SApplication::LoadSkinTable(pugi::xml_node xmlSkins, SSkinPool& pool) {
    pool.LoadSkins(xmlSkins, MakeImageLoader());
}

int SApplication::Run(void*) {
    if (m_bQuitPending) {
        m_bQuitPending = false;
        return m_nQuitCode;
    }
    SMessageLoop loop;
    SMessageLoop* pOuter = std::exchange(m_pLoop, &loop);
    int nCode = loop.Run();
    m_pLoop = pOuter;
    return nCode;
}

void SApplication::Quit(int nCode) {
    if (m_pLoop) {
        m_pLoop->Quit(nCode);
    } else {
        m_bQuitPending = true;
        m_nQuitCode = nCode;
    }
}

}  // namespace SOUI
