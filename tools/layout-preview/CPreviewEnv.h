#pragma once
// The toolkit as the installer sets it up, without a screen: the component
// modules from beside the executable, the application object, the
// installer's resources, named IDs and a translation table.
#include <memory>
#include <string>

class ComponentLoader;

namespace SOUI {
class SApplication;
struct IRenderFactory;
struct IImgDecoderFactory;
struct ITranslatorMgr;
}  // namespace SOUI

enum class PreviewLang { Chinese, English, None };

class CPreviewEnv {
public:
    CPreviewEnv();
    ~CPreviewEnv();
    CPreviewEnv(const CPreviewEnv&) = delete;
    CPreviewEnv& operator=(const CPreviewEnv&) = delete;

    // False with a log line when a module or the resources cannot be had.
    // strModuleDir: where the modules are (empty: the executable's folder).
    bool Init(PreviewLang lang, const std::wstring& strModuleDir = {});
    // Installs the table of the language (None: no table).
    bool SetLanguage(PreviewLang lang);
    SOUI::SApplication* GetApp() const { return m_pApp.get(); }

private:
    std::unique_ptr<ComponentLoader> m_pLoader;
    SOUI::IRenderFactory* m_pRender = nullptr;
    SOUI::IImgDecoderFactory* m_pDecoder = nullptr;
    SOUI::ITranslatorMgr* m_pTrMgr = nullptr;
    std::unique_ptr<SOUI::SApplication> m_pApp;
};
