// The installer's process entry: brings up libcurl and the toolkit, shows the
// main window, runs the message loop until it is gone and takes everything
// down again in reverse order.
#include <glib-unix.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/AppShutdown.h"
#include "app/ComponentLoader.h"
#include "http/ClusterCurl.h"
#include "platform/CFileLock.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"
#include "toolkit/core/SMessages.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/host/SGtkHost.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/res/SResProviderModule.h"
#include "ui/CMainDlg.h"
#include "ui/CMsgBoxDlg.h"
#include "ui/UiText.h"
#include "ui/resources/NamedIds.h"
#include "ui/resources/TovadocResources.h"

using namespace SOUI;

namespace {

// Installs the table the language setting names; without one every text
// shows its key.
void InstallTranslation(ComponentLoader& loader, SApplication& app, ITranslatorMgr** ppTrMgr) {
    if (!loader.LoadTranslatorManager(ppTrMgr)) {
        WriteLog(L"%s no translator module; texts show their keys", L"main::InstallTranslation");
        return;
    }
    app.SetTranslator(*ppTrMgr);
    const uint32_t nLanguage = ReadLanguage(GetInstallIniPath());
    const wchar_t* pszTable = nLanguage == 1 ? L"lang_cn" : nLanguage == 2 ? L"lang_en" : nullptr;
    if (!pszTable) {
        WriteLog(L"%s language %u has no table; texts show their keys", L"main::InstallTranslation",
                 nLanguage);
        return;
    }
    pugi::xml_document doc;
    if (!app.LoadXmlDocment(doc, pszTable, L"translator")) {
        return;
    }
    ITranslator* pTr = nullptr;
    if (!(*ppTrMgr)->CreateTranslator(&pTr)) {
        return;
    }
    pugi::xml_node xmlLang = doc.child("language");
    if (!pTr->Load(&xmlLang, LD_XML) || !(*ppTrMgr)->InstallTranslator(pTr)) {
        WriteLog(L"%s translation table [%s] not installed", L"main::InstallTranslation", pszTable);
    }
    pTr->Release();
}

// The installer's own resources; null with a log line when they cannot be had.
IResProvider* CreateOwnResources() {
    IObjRef* pObj = nullptr;
    CreateResProvider(RES_PE, &pObj);
    auto* pRes = static_cast<IResProvider*>(pObj);
    if (pRes && pRes->Init(reinterpret_cast<uintptr_t>(&TovadocResources()), 0)) {
        return pRes;
    }
    WriteLog(L"%s the installer's resources cannot be opened", L"main::CreateOwnResources");
    if (pRes) {
        pRes->Release();
    }
    return nullptr;
}

// A request to end (SIGTERM, SIGINT, SIGHUP) closes the installer as its
// close button does, from the main loop, so the usual teardown runs.
gboolean CloseOnSignal(gpointer pMainDlg) {
    WriteLogA("main: asked to end by a signal; closing\n");
    static_cast<CMainDlg*>(pMainDlg)->SendMessage(WM_CLOSE);
    return G_SOURCE_CONTINUE;
}

// Two installers started from one folder would download into the same
// files: the second says so and ends. A folder where no lock file can be
// made (read-only) is not shared that way, so the run goes on there.
bool TakeFolderLock(CFileLock& lock) {
    const std::string strPath = WideToAnsi(GetExeDirectory()) + "/TovadocInstaller.lock";
    if (lock.TryLock(strPath) != CFileLock::Result::Busy) {
        return true;
    }
    WriteLogA("main: another installation is running from this folder [%s]\n", strPath.c_str());
    CMsgBoxDlg dlg(Tr(L"install_running", L"install_tip"), 2);
    dlg.DoModal(nullptr);
    return false;
}

int RunInstaller(ComponentLoader& loader, IRenderFactory* pRender) {
    auto* pApp = new SApplication(pRender, nullptr, L"SOUIHOST", new SObjectDefaultRegister());
    IResProvider* pSys = nullptr;
    if (loader.LoadSystemResource(&pSys)) {
        pApp->LoadSystemNamedResource(pSys);
        pSys->Release();
    }
    IResProvider* pRes = CreateOwnResources();
    if (!pRes) {
        delete pApp;
        return 1;
    }
    pApp->InitXmlNamedID(g_TovadocNamedIds, static_cast<int>(g_nTovadocNamedIds), true);
    pApp->AddResProvider(pRes, L"uidef:xml_init");
    ITranslatorMgr* pTrMgr = nullptr;
    InstallTranslation(loader, *pApp, &pTrMgr);

    auto* pCenter = new SNotifyCenter;
    int nRet = 1;
    CFileLock folderLock;
    if (TakeFolderLock(folderLock)) {
        CMainDlg dlgMain;
        if (dlgMain.Create(nullptr)) {
            dlgMain.SendMessage(WM_INITDIALOG);
            dlgMain.CenterWindow(nullptr);
            dlgMain.ShowWindow(SW_SHOWNORMAL);
            guint nSignalSources[3];
            int nSource = 0;
            for (int nSignal : {SIGTERM, SIGINT, SIGHUP}) {
                nSignalSources[nSource++] = g_unix_signal_add(nSignal, CloseOnSignal, &dlgMain);
            }
            nRet = pApp->Run(nullptr);
            for (guint nId : nSignalSources) {
                g_source_remove(nId);
            }
        } else {
            WriteLog(L"%s the main window cannot be created", L"main::RunInstaller");
        }
    }
    // The worker went with the window; the statistics post may still run.
    EndRequests();
    delete pCenter;
    delete pApp;
    if (pTrMgr) {
        pTrMgr->Release();
    }
    pRes->Release();
    return nRet;
}

}  // namespace

int main() {
    // What the installer makes is for every user of the machine (folders
    // 0755, files 0644), whatever umask it was started with: the archive's
    // unpacker runs it under 077. Child processes inherit this too.
    umask(022);
    // Started by the archive's launcher: the log goes to the file it names,
    // and to standard error as well only with TOVADOC_DEBUG=1.
    if (const char* pszLog = getenv("TOVADOC_LOG_FILE")) {
        const std::string strLog = pszLog;
        unsetenv("TOVADOC_LOG_FILE");
        const char* pszDebug = getenv("TOVADOC_DEBUG");
        OpenLogFile(strLog.c_str(), pszDebug && std::string(pszDebug) == "1");
    }
    if (!ClusterCurl::globalInit()) {
        WriteLog(L"%s libcurl set-up failed; downloads will fail", L"main::main");
    }
    // Opens the display first: without one the user is told and nothing else starts.
    if (!InstallGtkHost()) {
        ClusterCurl::globalCleanup();
        return 1;
    }
    auto* pLoader = new ComponentLoader;
    // A relative install folder means one in the installer's own folder.
    const std::string strExeDir = WideToAnsi(GetExeDirectory());
    if (chdir(strExeDir.c_str()) != 0) {
        WriteLog(L"%s cannot change into [%s]", L"main::main", AnsiToWide(strExeDir).c_str());
    }
    IRenderFactory* pRender = nullptr;
    IImgDecoderFactory* pDecoder = nullptr;
    int nRet = 1;
    // Without a renderer and its image decoder nothing can be drawn.
    if (!pLoader->LoadRenderFactory(&pRender) || !pLoader->LoadImageDecoderFactory(&pDecoder)) {
        fprintf(stderr, "TovadocInstaller: the drawing modules beside the program are missing\n");
    } else {
        pRender->SetImgDecoderFactory(pDecoder);
        nRet = RunInstaller(*pLoader, pRender);
    }
    if (pRender) {
        pRender->Release();
    }
    if (pDecoder) {
        pDecoder->Release();
    }
    EndTransfers();
    delete pLoader;
    return nRet;
}
