#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

#include "RenderEnv.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"
#include "toolkit/core/SAutoRefPtr.h"
#include "toolkit/core/SMessageLoop.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/res/SResProviderModule.h"
#ifdef TEST_HAVE_UI_RESOURCES
#include "ui/resources/NamedIds.h"
#include "ui/resources/TovadocResources.h"
#endif

using namespace SOUI;

namespace {

// A small resource table built in the test.
struct TestTable {
    std::vector<std::string> texts;
    std::vector<SResEntry> entries;
    SResTable table{};
    void Add(const char* pszType, const char* pszName, std::string content) {
        texts.push_back(std::move(content));
        names.emplace_back(pszType, pszName);
    }
    const SResTable& Build() {
        entries.clear();
        for (size_t i = 0; i < texts.size(); ++i)
            entries.push_back({names[i].first.c_str(), names[i].second.c_str(),
                               reinterpret_cast<const unsigned char*>(texts[i].data()),
                               texts[i].size()});
        table = {entries.data(), entries.size()};
        return table;
    }
    std::vector<std::pair<std::string, std::string>> names;
};

SAutoRefPtr<IResProvider> Provider(const SResTable& table) {
    IObjRef* pObj = nullptr;
    EXPECT_TRUE(CreateResProvider(RES_PE, &pObj));
    auto* pProvider = static_cast<IResProvider*>(pObj);
    EXPECT_TRUE(pProvider->Init(reinterpret_cast<uintptr_t>(&table), 0));
    SAutoRefPtr<IResProvider> p;
    p.Attach(pProvider);
    return p;
}

// A fresh renderer per application, so default-font changes stay local.
SAutoRefPtr<IRenderFactory> NewFactory() {
    IRenderFactory* p = nullptr;
    EXPECT_TRUE(RenderEnv::Get().Loader().LoadRenderFactory(&p));
    if (p)
        p->SetImgDecoderFactory(RenderEnv::Get().Decoder());
    SAutoRefPtr<IRenderFactory> f;
    f.Attach(p);
    return f;
}

std::string PngOf(std::vector<uint32_t> cells, int w, int h) {
    cairo_surface_t* pSurface = MakeCells(cells, w, h);
    std::vector<char> png = EncodePng(pSurface);
    cairo_surface_destroy(pSurface);
    return std::string(png.begin(), png.end());
}

}  // namespace

TEST(ResProvider, LooksUpTypeAndNameInAnyCase) {
    TestTable t;
    t.Add("LAYOUT", "XML_MAINWND", "<SOUI/>");
    t.Add("RTF", "RTF_PROTOCOL_RTF", "{\\rtf1}");
    auto p = Provider(t.Build());
    EXPECT_TRUE(p->HasResource(L"layout", L"xml_mainwnd"));
    EXPECT_TRUE(p->HasResource(L"LAYOUT", L"XML_MainWnd"));
    EXPECT_FALSE(p->HasResource(L"layout", L"xml_msgbox_dlg"));
    EXPECT_FALSE(p->HasResource(L"rtf", L"xml_mainwnd"));
    EXPECT_EQ(p->GetRawBufferSize(L"rtf", L"rtf_protocol_rtf"), 7u);
    EXPECT_EQ(p->GetRawBufferSize(L"rtf", L"none"), 0u);
    std::vector<char> buf = {'x'};
    ASSERT_TRUE(p->GetRawBuffer(L"Rtf", L"rtf_protocol_rtf", buf));
    EXPECT_EQ(std::string(buf.begin(), buf.end()), "{\\rtf1}");
    buf = {'x'};
    EXPECT_FALSE(p->GetRawBuffer(L"rtf", L"none", buf));
    EXPECT_EQ(buf.size(), 1u);
}

TEST(ResProvider, BadSetUpIsRefused) {
    IObjRef* pObj = nullptr;
    testsupport::StderrCapture capture;
    EXPECT_FALSE(CreateResProvider(BUILTIN_RESTYPE(7), &pObj));
    EXPECT_EQ(pObj, nullptr);
    ASSERT_TRUE(CreateResProvider(RES_PE, &pObj));
    auto* p = static_cast<IResProvider*>(pObj);
    EXPECT_FALSE(p->Init(0, 0));
    EXPECT_FALSE(p->HasResource(L"a", L"b"));
    p->Release();
    EXPECT_NE(capture.Text().find("SResProviderModule::Init"), std::string::npos);
}

TEST(Application, InitialDefinitionsLoadFontTablesSkinsAndStyles) {
    TestTable t;
    t.Add("UIDEF", "XML_INIT",
          "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><UIDEF>"
          "<font face=\"宋体\" size=\"17\"/><string src=\"values:string\"/>"
          "<skin src=\"values:skin\"/><color src=\"values:color\"/>"
          "<style><class name=\"normalbtn\" colorText=\"#385e8b\"/></style></UIDEF>");
    t.Add("VALUES", "STRING", "<string><title value=\"\"/><ver value=\"1.0\"/></string>");
    t.Add("VALUES", "COLOR",
          "<color><red value=\"rgb(255,0,0)\"/><gray value=\"#808080\"/><bad "
          "value=\"#zz\"/></color>");
    t.Add("VALUES", "SKIN",
          "<skin><imglist name=\"skin.btn_close\" src=\"PNG:image_btn_close_png\" states=\"3\"/>"
          "<border name=\"skin.colorborder\" colorNormal=\"#383838ff\"/></skin>");
    t.Add("PNG", "IMAGE_BTN_CLOSE_PNG", PngOf({0xff0000, 0x00ff00, 0x0000ff}, 30, 20));
    auto provider = Provider(t.Build());
    auto factory = NewFactory();
    {
        testsupport::StderrCapture capture;
        SApplication app(factory.get(), nullptr);
        EXPECT_EQ(SApplication::getSingletonPtr(), &app);
        EXPECT_TRUE(app.AddResProvider(provider.get(), L"uidef:xml_init"));
        EXPECT_EQ(app.GetDefFontDesc().strFace, L"宋体");
        EXPECT_EQ(app.GetDefFontDesc().nSize, 17);
        EXPECT_EQ(factory->GetDefaultFont().nSize, 17);
        std::wstring str = L"x";
        EXPECT_TRUE(app.GetString(L"title", str));
        EXPECT_EQ(str, L"");
        EXPECT_TRUE(app.GetString(L"ver", str));
        EXPECT_EQ(str, L"1.0");
        EXPECT_FALSE(app.GetString(L"nope", str));
        SColor cr;
        EXPECT_TRUE(app.GetColor(L"gray", cr));
        EXPECT_EQ(cr, SColor(0x80, 0x80, 0x80));
        EXPECT_FALSE(app.GetColor(L"bad", cr));
        EXPECT_NE(capture.Text().find("\"bad\""), std::string::npos);
        EXPECT_STREQ(app.GetStyle(L"normalbtn").attribute("colorText").value(), "#385e8b");
        EXPECT_FALSE(app.GetStyle(L"other"));

        ISkinObj* pClose = app.GetSkin(L"skin.btn_close");
        ASSERT_NE(pClose, nullptr);
        EXPECT_EQ(pClose->GetStates(), 3);
        EXPECT_EQ(pClose->GetSkinSize(), CSize(30, 20));
        ASSERT_NE(app.GetSkin(L"skin.colorborder"), nullptr);

        // Images are decoded once; any letter case finds the cached one.
        IBitmapS* pA = app.LoadImage(L"png:image_btn_close_png");
        IBitmapS* pB = app.LoadImage(L"PNG:IMAGE_BTN_CLOSE_PNG");
        ASSERT_NE(pA, nullptr);
        EXPECT_EQ(pA, pB);
        EXPECT_EQ(pA->Size(), CSize(90, 20));
        pA->Release();
        pB->Release();
        EXPECT_EQ(app.LoadImage(L"PNG:missing"), nullptr);

        SAutoRefPtr<IFontS> font;
        font.Attach(app.CreateFontFromDesc(L"face:微软雅黑,adding:-2"));
        ASSERT_TRUE(font);
        EXPECT_EQ(font->GetFace(), L"微软雅黑");
        EXPECT_EQ(font->GetSize(), 15);
        EXPECT_EQ(app.CreateFontFromDesc(L"size:x"), nullptr);
    }
    EXPECT_EQ(SApplication::getSingletonPtr(), nullptr);
}

TEST(Application, ImagesTakeTheirDoubleSizeTwinsDecodedOnlyWhenDrawn) {
    TestTable t;
    t.Add("PNG", "PLAIN", PngOf({0xff0000}, 4, 4));
    t.Add("PNG", "TWINNED", PngOf({0xff0000}, 4, 4));
    t.Add("PNG", "TWINNED_2X", PngOf({0x00ff00}, 8, 8));
    t.Add("PNG", "WRONG", PngOf({0xff0000}, 4, 4));
    t.Add("PNG", "WRONG_2X", PngOf({0x00ff00}, 6, 8));
    t.Add("PNG", "BROKEN", PngOf({0xff0000}, 4, 4));
    // A twin whose header is sound and whose pixels are not.
    std::string strBroken = PngOf({0x00ff00}, 8, 8);
    t.Add("PNG", "BROKEN_2X", strBroken.substr(0, 33) + std::string(40, '\x5a'));
    t.Add("PNG", "NOPNG", PngOf({0xff0000}, 4, 4));
    t.Add("PNG", "NOPNG_2X", "not an image");
    auto provider = Provider(t.Build());
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr, L"T", nullptr);
    app.AddResProvider(provider.get(), nullptr);
    testsupport::StderrCapture capture;
    auto load = [&](const wchar_t* pszRef) {
        SAutoRefPtr<IBitmapS> p;
        p.Attach(app.LoadImage(pszRef));
        return p;
    };
    EXPECT_EQ(load(L"PNG:plain")->GetDoubleRes(), nullptr);
    EXPECT_EQ(load(L"PNG:wrong")->GetDoubleRes(), nullptr);
    EXPECT_EQ(load(L"PNG:nopng")->GetDoubleRes(), nullptr);
    EXPECT_NE(capture.Text().find("nopng_2x\" is no PNG"), std::string::npos) << capture.Text();

    auto twinned = load(L"PNG:twinned");
    IBitmapS* pTwin = twinned->GetDoubleRes();
    ASSERT_NE(pTwin, nullptr);
    EXPECT_EQ(pTwin->Size(), CSize(8, 8));
    EXPECT_EQ(PixelAt(pTwin->GetSurface(), 7, 7), Opaque(0x00ff00));
    // Its pixels are wanted only now: a broken one says so and draws nothing.
    auto broken = load(L"PNG:broken");
    ASSERT_NE(broken->GetDoubleRes(), nullptr);
    EXPECT_EQ(capture.Text().find("SLazyBitmap::GetSurface"), std::string::npos);
    EXPECT_EQ(PixelAt(broken->GetDoubleRes()->GetSurface(), 3, 3), 0u);
    EXPECT_NE(capture.Text().find("SLazyBitmap::GetSurface"), std::string::npos);
}

TEST(Application, MissingOrBrokenDefinitionsAreReported) {
    TestTable t;
    t.Add("UIDEF", "XML_INIT", "<UIDEF><font face=\"x\"");
    t.Add("UIDEF", "OTHER", "<NOTUIDEF/>");
    auto provider = Provider(t.Build());
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr);
    testsupport::StderrCapture capture;
    EXPECT_FALSE(app.AddResProvider(provider.get(), L"uidef:xml_init"));
    EXPECT_FALSE(app.AddResProvider(provider.get(), L"uidef:missing"));
    EXPECT_FALSE(app.AddResProvider(provider.get(), L"uidef:other"));
    std::string strLog = capture.Text();
    EXPECT_NE(strLog.find("not well-formed"), std::string::npos);
    EXPECT_NE(strLog.find("\"uidef:missing\" not found"), std::string::npos);
    EXPECT_NE(strLog.find("no UIDEF element"), std::string::npos);
    // Resources of the provider are still reachable.
    EXPECT_TRUE(app.HasResource(L"uidef", L"other"));
    pugi::xml_document doc;
    EXPECT_FALSE(app.LoadXmlDocment(doc, L"UIDEF:XML_INIT"));
    EXPECT_TRUE(app.LoadXmlDocment(doc, L"other", L"uidef"));
    EXPECT_STREQ(doc.document_element().name(), "NOTUIDEF");
    EXPECT_FALSE(app.LoadXmlDocment(doc, L"LAYOUT:XML_MAINWND"));
}

TEST(Application, NamedIdsAreFoundEvenFromAnUnsortedTable) {
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr);
    const SNamedID kTable[] = {{L"btn_min", 65536},
                               {L"agree", 65546},
                               {L"check_agree", 65539},
                               {L"check_Launcher", 65545},
                               {L"btn_close", 65537}};
    testsupport::StderrCapture capture;
    app.InitXmlNamedID(kTable, 5, true);
    EXPECT_NE(capture.Text().find("not in order"), std::string::npos);
    for (const SNamedID& n : kTable)
        EXPECT_EQ(app.NameToID(n.strName), n.nID)
            << testing::PrintToString(std::wstring(n.strName));
    EXPECT_EQ(app.NameToID(L"Check_agree"), 0);
    EXPECT_EQ(app.NameToID(L"nothing"), 0);
    EXPECT_EQ(app.IDToName(65545), L"check_Launcher");
    EXPECT_EQ(app.IDToName(1), L"");
}

TEST(Application, TranslatorIsHeldAndUsed) {
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr);
    EXPECT_EQ(app.Tr(L"page1_install", L"dlg_main"), L"page1_install");
    ITranslatorMgr* pTrMgr = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Loader().LoadTranslatorManager(&pTrMgr));
    app.SetTranslator(pTrMgr);
    pTrMgr->Release();  // the application keeps its own reference
    ASSERT_EQ(app.GetTranslator(), pTrMgr);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(R"(<language guid="{1}"><context name="dlg_main">
        <message><source>page1_install</source><translation>Install</translation></message></context></language>)"));
    ITranslator* pTr = nullptr;
    ASSERT_TRUE(app.GetTranslator()->CreateTranslator(&pTr));
    pugi::xml_node xmlLang = doc.child("language");
    ASSERT_TRUE(pTr->Load(&xmlLang, LD_XML));
    app.GetTranslator()->InstallTranslator(pTr);
    pTr->Release();
    EXPECT_EQ(app.Tr(L"page1_install", L"dlg_main"), L"Install");
    EXPECT_EQ(app.Tr(L"page1_install", L"dlg_msgbox"), L"page1_install");
}

TEST(Application, SystemSkinsComeFromTheSystemModule) {
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr);
    IResProvider* pSys = nullptr;
    ASSERT_TRUE(RenderEnv::Get().Loader().LoadSystemResource(&pSys));
    EXPECT_TRUE(app.LoadSystemNamedResource(pSys));
    pSys->Release();
    ISkinObj* pCheck = app.GetSkin(L"_skin.sys.checkbox");
    ASSERT_NE(pCheck, nullptr);
    EXPECT_EQ(pCheck->GetStates(), 8);
    EXPECT_EQ(pCheck->GetSkinSize(), CSize(16, 16));
    // Unchecked normal is a light box, checked normal a dark filled one.
    auto rt = NewTarget(32, 16);
    pCheck->Draw(rt, CRect(0, 0, 16, 16), 0);
    pCheck->Draw(rt, CRect(16, 0, 32, 16), 4);
    uint32_t unchecked = PixelAt(rt, 8, 4), checked = PixelAt(rt, 16 + 3, 12);
    EXPECT_EQ(unchecked >> 24, 0xffu);
    EXPECT_GT(unchecked & 0xff, 0xe0u);
    EXPECT_LT((checked >> 16) & 0xff, 0x80u);
    rt->Release();
    EXPECT_FALSE(app.LoadSystemNamedResource(nullptr));
}

TEST(Application, SystemSkinsOutliveTheSystemModule) {
    testsupport::TempDir dir;
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr);
    {
        // A copy of its own, so no other loader keeps it mapped.
        std::filesystem::copy_file(std::filesystem::path(TEST_MODULE_DIR) / "sys-resource.so",
                                   dir / "sys-resource.so");
        ComponentLoader sysLoader(dir.path().wstring());
        IResProvider* pSys = nullptr;
        ASSERT_TRUE(sysLoader.LoadSystemResource(&pSys));
        EXPECT_TRUE(app.LoadSystemNamedResource(pSys));
        pSys->Release();
    }
    void* h = dlopen((dir / "sys-resource.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(h, nullptr) << "the module is still loaded";
    if (h)
        dlclose(h);
    ISkinObj* pCheck = app.GetSkin(L"_skin.sys.checkbox");
    ASSERT_NE(pCheck, nullptr);
    auto rt = NewTarget(16, 16);
    pCheck->Draw(rt, CRect(0, 0, 16, 16), 4);
    EXPECT_EQ(PixelAt(rt, 8, 1) >> 24, 0xffu);
    rt->Release();
}

TEST(Application, RunEndsWithTheCodeGivenToQuit) {
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr);
    app.Quit(3);
    EXPECT_EQ(app.Run(nullptr), 3);
    SMessageLoop::PostTask([&app] { app.Quit(7); });
    EXPECT_EQ(app.Run(nullptr), 7);
}

#ifdef TEST_HAVE_UI_RESOURCES
TEST(Application, InstallerBundleRegisters) {
    auto factory = NewFactory();
    SApplication app(factory.get(), nullptr, L"SOUIHOST");
    auto provider = Provider(TovadocResources());
    app.InitXmlNamedID(g_TovadocNamedIds, int(g_nTovadocNamedIds), true);
    EXPECT_TRUE(app.AddResProvider(provider.get(), L"uidef:xml_init"));
    EXPECT_EQ(app.GetDefFontDesc().strFace, L"宋体");
    EXPECT_EQ(app.GetDefFontDesc().nSize, 15);
    EXPECT_EQ(app.NameToID(L"btn_close"), 65537);
    EXPECT_EQ(app.NameToID(L"_name_start"), 65535);
    EXPECT_EQ(app.NameToID(L"check_Launcher"), 65545);
    EXPECT_EQ(app.NameToID(L"win_border"), 65541);
    struct {
        const wchar_t* pszSkin;
        int nStates;
        CSize size;
    } const kSkins[] = {{L"skin.btn_minimize", 3, {30, 20}}, {L"skin.btn_close", 3, {30, 20}},
                        {L"skin.btn", 4, {128, 32}},         {L"skin.shadow", 1, {210, 143}},
                        {L"skin.openfile", 2, {11, 11}},     {L"skin.gbk", 1, {800, 480}},
                        {L"skin.progress", 1, {10, 10}},     {L"skin_scrollbar", 4, {16, 16}}};
    for (const auto& s : kSkins) {
        ISkinObj* pSkin = app.GetSkin(s.pszSkin);
        ASSERT_NE(pSkin, nullptr) << testing::PrintToString(std::wstring(s.pszSkin));
        EXPECT_EQ(pSkin->GetStates(), s.nStates) << testing::PrintToString(std::wstring(s.pszSkin));
        EXPECT_EQ(pSkin->GetSkinSize(), s.size) << testing::PrintToString(std::wstring(s.pszSkin));
    }
    ASSERT_NE(app.GetSkin(L"skin.colorborder"), nullptr);
    // The large button's four states are four different pictures.
    ISkinObj* pBtn = app.GetSkin(L"skin.btn");
    std::vector<uint32_t> centres;
    for (int i = 0; i < 4; ++i) {
        IRenderTarget* pRT = NewTarget(130, 32);
        pBtn->Draw(pRT, CRect(0, 0, 130, 32), i);
        centres.push_back(PixelAt(pRT, 65, 16));
        EXPECT_EQ(PixelAt(pRT, 65, 16) >> 24, 0xffu) << i;
        pRT->Release();
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_NE(centres[size_t(i)], centres[size_t(j)]) << i << " " << j;
    for (const wchar_t* pszLayout : {L"XML_MAINWND", L"XML_MSGBOX_DLG", L"XML_PROTOCOLDLG_WND"}) {
        pugi::xml_document doc;
        ASSERT_TRUE(app.LoadXmlDocment(doc, pszLayout, L"LAYOUT"));
        EXPECT_STREQ(doc.document_element().name(), "SOUI");
    }
    pugi::xml_document lang;
    ASSERT_TRUE(app.LoadXmlDocment(lang, L"lang_cn", L"translator"));
    EXPECT_TRUE(lang.child("language"));
}
#endif
