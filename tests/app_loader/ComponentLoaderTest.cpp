#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ComponentLoader.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace SOUI;

namespace {

// Whether a module file is mapped into the process right now.
bool IsLoaded(const fs::path& file) {
    void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    dlclose(h);
    return true;
}

// A module folder of real files, named as the loader expects.
struct ModuleDir {
    testsupport::TempDir dir;
    fs::path Put(const char* pszSource, const char* pszName) {
        fs::copy_file(pszSource, dir / pszName, fs::copy_options::overwrite_existing);
        return dir / pszName;
    }
    std::wstring Wide() const { return dir.path().wstring(); }
};

}  // namespace

TEST(ComponentLoader, ModuleWithoutFactoryFailsAndIsNotLeftLoaded) {
    ModuleDir mods;
    fs::path file = mods.Put(TEST_NOEXPORT_MODULE, "render-cairo.so");
    ComponentLoader loader(mods.Wide());
    IRenderFactory* pFactory = nullptr;
    EXPECT_FALSE(loader.LoadRenderFactory(&pFactory));
    EXPECT_EQ(pFactory, nullptr);
    EXPECT_EQ(loader.m_slotRender.hModule, nullptr);
    EXPECT_EQ(loader.m_slotRender.pfnCreate, nullptr);
    EXPECT_TRUE(loader.m_slotRender.strModulePath.empty());
    EXPECT_FALSE(IsLoaded(file));
}

TEST(ComponentLoader, MissingModuleFailsAndALaterCallTriesAgain) {
    ModuleDir mods;
    ComponentLoader loader(mods.Wide());
    ITranslatorMgr* pTrMgr = nullptr;
    EXPECT_FALSE(loader.LoadTranslatorManager(&pTrMgr));
    EXPECT_EQ(pTrMgr, nullptr);
    EXPECT_EQ(loader.m_slotTranslator.hModule, nullptr);

    mods.Put(TEST_TRANSLATOR_MODULE, "translator.so");
    ASSERT_TRUE(loader.LoadTranslatorManager(&pTrMgr));
    ASSERT_NE(pTrMgr, nullptr);
    EXPECT_EQ(pTrMgr->Tr(L"key", L"ctx"), L"key");
    pTrMgr->Release();
}

TEST(ComponentLoader, SecondLoadUsesTheLoadedModuleAndGivesAnotherObject) {
    ModuleDir mods;
    fs::path file = mods.Put(TEST_RENDER_MODULE, "render-cairo.so");
    ComponentLoader loader(mods.Wide());
    IRenderFactory* pFirst = nullptr;
    IRenderFactory* pSecond = nullptr;
    ASSERT_TRUE(loader.LoadRenderFactory(&pFirst));
    void* hModule = loader.m_slotRender.hModule;
    EXPECT_EQ(loader.m_slotRender.strModulePath, file.wstring());
    ASSERT_TRUE(loader.LoadRenderFactory(&pSecond));
    EXPECT_NE(pFirst, pSecond);
    EXPECT_EQ(loader.m_slotRender.hModule, hModule);

    // A loaded slot keeps its module whatever name it is given later.
    IObjRef* pThird = nullptr;
    EXPECT_TRUE(loader.LoadComponent(loader.m_slotRender, L"no-such-module.so", &pThird));
    ASSERT_NE(pThird, nullptr);
    pThird->Release();
    pFirst->Release();
    pSecond->Release();
}

TEST(ComponentLoader, FactoryRefusalIsReportedAndLeavesOutUntouched) {
    ModuleDir mods;
    mods.Put(TEST_FAILING_MODULE, "translator.so");
    ComponentLoader loader(mods.Wide());
    ITranslatorMgr* pTrMgr = nullptr;
    EXPECT_FALSE(loader.LoadTranslatorManager(&pTrMgr));
    EXPECT_EQ(pTrMgr, nullptr);
    // The module itself was fine: it stays, as any loaded module does.
    EXPECT_NE(loader.m_slotTranslator.hModule, nullptr);
}

TEST(ComponentLoader, ImageDecoderNameChoosesTheModule) {
    ModuleDir mods;
    mods.Put(TEST_DECODER_MODULE, "imgdecoder-png.so");
    mods.Put(TEST_DECODER_MODULE, "imgdecoder-other.so");
    {
        ComponentLoader loader(mods.Wide());
        EXPECT_EQ(loader.imageDecoderName, L"imgdecoder-png");
        IImgDecoderFactory* pDecoder = nullptr;
        ASSERT_TRUE(loader.LoadImageDecoderFactory(&pDecoder));
        EXPECT_EQ(loader.m_slotImgDecoder.strModulePath,
                  (mods.dir / "imgdecoder-png.so").wstring());
        pDecoder->Release();
    }
    ComponentLoader loader(mods.Wide());
    loader.imageDecoderName = L"imgdecoder-other";
    IImgDecoderFactory* pDecoder = nullptr;
    ASSERT_TRUE(loader.LoadImageDecoderFactory(&pDecoder));
    EXPECT_EQ(loader.m_slotImgDecoder.strModulePath, (mods.dir / "imgdecoder-other.so").wstring());
    pDecoder->Release();
    loader.imageDecoderName = L"imgdecoder-none";
    IImgDecoderFactory* pAgain = nullptr;
    // Already loaded: the name no longer matters.
    ASSERT_TRUE(loader.LoadImageDecoderFactory(&pAgain));
    pAgain->Release();
}

TEST(ComponentLoader, DestructionUnloadsExactlyTheLoadedModulesInReverseOrder) {
    ModuleDir mods;
    fs::path decoder = mods.Put(TEST_DECODER_MODULE, "imgdecoder-png.so");
    fs::path render = mods.Put(TEST_RENDER_MODULE, "render-cairo.so");
    fs::path translator = mods.Put(TEST_TRANSLATOR_MODULE, "translator.so");
    fs::path sysres = mods.Put(TEST_SYSRES_MODULE, "sys-resource.so");
    std::string strLog;
    {
        auto pLoader = std::make_unique<ComponentLoader>(mods.Wide());
        // Loaded out of slot order on purpose; the system resources stay unloaded.
        ITranslatorMgr* pTrMgr = nullptr;
        IImgDecoderFactory* pDecoder = nullptr;
        IRenderFactory* pRender = nullptr;
        ASSERT_TRUE(pLoader->LoadTranslatorManager(&pTrMgr));
        ASSERT_TRUE(pLoader->LoadImageDecoderFactory(&pDecoder));
        ASSERT_TRUE(pLoader->LoadRenderFactory(&pRender));
        pRender->SetImgDecoderFactory(pDecoder);
        pTrMgr->Release();
        pRender->Release();
        pDecoder->Release();
        EXPECT_TRUE(IsLoaded(render));
        testsupport::StderrCapture capture;
        pLoader.reset();
        strLog = capture.Text();
    }
    size_t nTr = strLog.find("unloading " + translator.string());
    size_t nRender = strLog.find("unloading " + render.string());
    size_t nDecoder = strLog.find("unloading " + decoder.string());
    ASSERT_NE(nTr, std::string::npos) << strLog;
    ASSERT_NE(nRender, std::string::npos) << strLog;
    ASSERT_NE(nDecoder, std::string::npos) << strLog;
    EXPECT_LT(nTr, nRender);
    EXPECT_LT(nRender, nDecoder);
    EXPECT_EQ(strLog.find(sysres.string()), std::string::npos) << strLog;
    EXPECT_FALSE(IsLoaded(translator));
    EXPECT_FALSE(IsLoaded(decoder));
    EXPECT_FALSE(IsLoaded(render));
    EXPECT_FALSE(IsLoaded(sysres));
}

TEST(ComponentLoader, SystemResourceProviderOutlivesNothingButWorksUntilReleased) {
    ModuleDir mods;
    mods.Put(TEST_SYSRES_MODULE, "sys-resource.so");
    ComponentLoader loader(mods.Wide());
    IResProvider* pProvider = nullptr;
    ASSERT_TRUE(loader.LoadSystemResource(&pProvider));
    EXPECT_TRUE(pProvider->HasResource(L"skin", L"sys_skins"));
    EXPECT_TRUE(pProvider->HasResource(L"PNG", L"SYS_CHECKBOX"));
    EXPECT_GT(pProvider->GetRawBufferSize(L"png", L"sys_checkbox"), 8u);
    pProvider->Release();
}

TEST(ComponentLoader, DefaultFolderIsTheExecutablesFolder) {
    ComponentLoader loader;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    ASSERT_FALSE(ec);
    EXPECT_EQ(loader.GetModuleDir(), exe.parent_path().wstring());
}
