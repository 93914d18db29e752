#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "RenderEnv.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SAutoRefPtr.h"
#include "toolkit/res/SResProviderModule.h"
#ifdef TEST_HAVE_UI_RESOURCES
#include "ui/resources/TovadocResources.h"
#endif

using namespace SOUI;

namespace {

SAutoRefPtr<ITranslatorMgr> NewMgr() {
    ITranslatorMgr* p = nullptr;
    EXPECT_TRUE(RenderEnv::Get().Loader().LoadTranslatorManager(&p));
    SAutoRefPtr<ITranslatorMgr> mgr;
    mgr.Attach(p);
    return mgr;
}

// Loads translator XML text into a new table installed in mgr.
bool Install(ITranslatorMgr* pMgr, const char* pszXml) {
    pugi::xml_document doc;
    if (!doc.load_string(pszXml))
        return false;
    ITranslator* pTr = nullptr;
    if (!pMgr->CreateTranslator(&pTr))
        return false;
    pugi::xml_node xmlLang = doc.child("language");
    bool bOk = pTr->Load(&xmlLang, LD_XML) && pMgr->InstallTranslator(pTr);
    pTr->Release();
    return bOk;
}

const char kSample[] = R"(<language name="Sample" guid="{AAAA}">
  <context/>
  <context name="dlg_msgbox">
    <message><source>title</source><translation>Notice</translation></message>
    <message><source>ok</source><translation>OK</translation></message>
    <message><source>ok</source><translation>second ok</translation></message>
  </context>
  <context name="dlg_main">
    <message><source>title</source><translation>Main title</translation></message>
    <message><source>empty</source><translation/></message>
  </context>
</language>)";

}  // namespace

TEST(Translator, LooksUpByContextAndGivesTheKeyWhenMissing) {
    auto mgr = NewMgr();
    ASSERT_TRUE(Install(mgr.get(), kSample));
    EXPECT_EQ(mgr->Tr(L"title", L"dlg_msgbox"), L"Notice");
    EXPECT_EQ(mgr->Tr(L"title", L"dlg_main"), L"Main title");
    EXPECT_EQ(mgr->Tr(L"ok", L"dlg_main"), L"ok");
    EXPECT_EQ(mgr->Tr(L"nothing", L"dlg_main"), L"nothing");
    EXPECT_EQ(mgr->Tr(L"title", L"no_such_context"), L"title");
    EXPECT_EQ(mgr->Tr(L"title", L""), L"title");
    // The first entry of a repeated key is the one in force.
    EXPECT_EQ(mgr->Tr(L"ok", L"dlg_msgbox"), L"OK");
    // An entry with an empty translation is still an entry.
    EXPECT_EQ(mgr->Tr(L"empty", L"dlg_main"), L"");
}

TEST(Translator, EmptyManagerAndBadInputGiveKeys) {
    auto mgr = NewMgr();
    EXPECT_EQ(mgr->Tr(L"page1_install", L"dlg_main"), L"page1_install");
    ITranslator* pTr = nullptr;
    ASSERT_TRUE(mgr->CreateTranslator(&pTr));
    testsupport::StderrCapture capture;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<notlanguage/>"));
    pugi::xml_node xmlWrong = doc.child("notlanguage");
    EXPECT_FALSE(pTr->Load(&xmlWrong, LD_XML));
    EXPECT_FALSE(pTr->Load(&xmlWrong, 2));
    EXPECT_FALSE(pTr->Load(nullptr, LD_XML));
    EXPECT_NE(capture.Text().find("STranslator::Load"), std::string::npos);
    EXPECT_FALSE(mgr->InstallTranslator(nullptr));
    pTr->Release();
}

TEST(Translator, TablesStackAndTheSameGuidReplaces) {
    auto mgr = NewMgr();
    ASSERT_TRUE(Install(mgr.get(), kSample));
    ASSERT_TRUE(Install(mgr.get(), R"(<language name="B" guid="{BBBB}"><context name="dlg_main">
        <message><source>title</source><translation>B title</translation></message>
        <message><source>only_b</source><translation>from B</translation></message></context></language>)"));
    EXPECT_EQ(mgr->Tr(L"title", L"dlg_main"), L"Main title");
    EXPECT_EQ(mgr->Tr(L"only_b", L"dlg_main"), L"from B");
    // A new table under A's GUID (any letter case) replaces A.
    ASSERT_TRUE(Install(mgr.get(), R"(<language name="A2" guid="{aaaa}"><context name="dlg_main">
        <message><source>x</source><translation>y</translation></message></context></language>)"));
    EXPECT_EQ(mgr->Tr(L"title", L"dlg_main"), L"B title");
    EXPECT_EQ(mgr->Tr(L"x", L"dlg_main"), L"y");
    EXPECT_TRUE(mgr->UninstallTranslator(L"{BBBB}"));
    EXPECT_FALSE(mgr->UninstallTranslator(L"{BBBB}"));
    EXPECT_EQ(mgr->Tr(L"title", L"dlg_main"), L"title");
}

#ifdef TEST_HAVE_UI_RESOURCES
namespace {

SAutoRefPtr<ITranslatorMgr> MgrWithTable(const wchar_t* pszName) {
    auto mgr = NewMgr();
    auto* pProvider = new SResProviderModule();
    EXPECT_TRUE(pProvider->Init(reinterpret_cast<uintptr_t>(&TovadocResources()), 0));
    std::vector<char> buf;
    EXPECT_TRUE(pProvider->GetRawBuffer(L"translator", pszName, buf));
    pProvider->Release();
    buf.push_back('\0');
    EXPECT_TRUE(Install(mgr.get(), buf.data()));
    return mgr;
}

}  // namespace

TEST(Translator, InstallerTablesTranslateByContext) {
    auto cn = MgrWithTable(L"lang_cn");
    EXPECT_EQ(cn->Tr(L"title", L"dlg_msgbox"), L"提示");
    EXPECT_EQ(cn->Tr(L"title", L"dlg_main"), L"Tovadoc安装程序");
    EXPECT_EQ(cn->Tr(L"page1_install", L"dlg_main"), L"安装");
    EXPECT_EQ(cn->Tr(L"down_pack_error", L"msg_tip"), L"下载安装包失败");
    EXPECT_EQ(cn->Tr(L"page1_install", L"dlg_msgbox"), L"page1_install");
    EXPECT_EQ(cn->Tr(L"快速启动栏", L"dlg_main"), L"快速启动栏");

    auto en = MgrWithTable(L"lang_en");
    EXPECT_EQ(en->Tr(L"title", L"dlg_msgbox"), L"Notice");
    EXPECT_EQ(en->Tr(L"title", L"dlg_main"), L"Tovadoc install program");
    EXPECT_EQ(en->Tr(L"page1_install", L"dlg_main"), L"Install");
    EXPECT_EQ(en->Tr(L"cut", L"editmenu"), L"Shear");
    EXPECT_EQ(en->Tr(L"快速启动栏", L"dlg_main"), L"快速启动栏");
}
#endif
