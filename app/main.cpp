// The installer's process entry: brings up libcurl and the toolkit, shows the
// main window, runs the message loop until it is gone and takes everything
// down again in reverse order.
#include <glib-unix.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/AppResources.h"
#include "app/AppShutdown.h"
#include "app/ComponentLoader.h"
#include "http/ClusterCurl.h"
#include "platform/CFileLock.h"
#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "settings/InstallSettings.h"
#include "toolkit/core/SLog.h"
#include "toolkit/core/SMessages.h"
#include "toolkit/core/SNotifyCenter.h"
#include "toolkit/host/SGtkHost.h"
#include "toolkit/res/SApplication.h"
#include "toolkit/res/SResProviderModule.h"
#include "ui/CFolderPicker.h"
#include "ui/CMainDlg.h"
#include "ui/CMsgBoxDlg.h"
#include "ui/UiText.h"
#include "ui/resources/NamedIds.h"

using namespace SOUI;

namespace {

// A request to end (SIGTERM, SIGINT, SIGHUP) closes the installer as its
// close button does, from the main loop, so the usual teardown runs.
gboolean CloseOnSignal(gpointer pMainDlg) {
    WriteLogA("main: asked to end by a signal; closing\n");
    // The folder chooser's loop runs inside a handler of the window: the
    // chooser goes first, and the window only once that handler is done.
    if (EndFolderPicker()) {
        g_idle_add(
            [](gpointer p) -> gboolean {
                static_cast<CMainDlg*>(p)->SendMessage(WM_CLOSE);
                return G_SOURCE_REMOVE;
            },
            pMainDlg);
        return G_SOURCE_CONTINUE;
    }
    static_cast<CMainDlg*>(pMainDlg)->SendMessage(WM_CLOSE);
    return G_SOURCE_CONTINUE;
}

// Two installers started from one folder would download into the same
// files: the second says so and ends. The folder itself is locked, so no
// file planted in it can defeat the lock; where no lock can be taken at all
// the run goes on.
bool TakeFolderLock(CFileLock& lock) {
    const std::string strPath = WideToAnsi(GetExeDirectory());
    if (lock.TryLockFolder(strPath) != CFileLock::Result::Busy) {
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
    InstallTranslation(loader, *pApp, ReadLanguage(GetInstallIniPath()), &pTrMgr);

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
    // The toolkit's diagnostics belong in the installer's debug log.
    SetLogSink(&WriteLogV, &WriteLogAV);
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
