#pragma once
// The installer's folder as it is shipped (program, modules, Install.ini) in
// a temporary tree, and the places of its controls.
#include <filesystem>
#include <string>

#include "DemoServerProcess.h"
#include "support/ChildProcess.h"

namespace desktoptest {

// Centres of controls in window units of the main window's layout: the
// caption's close button, a bare spot of the caption, the folder edit, the
// Install button and the licence link of page 0, the start button of page
// 2; and the close button of the licence dialog in its own.
struct WindowPoint {
    int x, y;
};
constexpr WindowPoint kCloseButton{783, 18};
constexpr WindowPoint kCaptionSpot{200, 12};
constexpr WindowPoint kFolderEdit{390, 364};
constexpr WindowPoint kInstallButton{403, 325};
constexpr WindowPoint kStartButton{403, 294};
constexpr WindowPoint kLicenceLink{206, 446};
constexpr WindowPoint kLicenceClose{630, 20};
constexpr int kWindowWidth = 806;
constexpr int kWindowHeight = 488;
// The English title, for finding the window.
constexpr const char* kTitle = "^Tovadoc install program$";

// Settings for the demo server (null: addresses nothing answers), English.
std::string InstallIni(const workflowtest::CDemoServerProcess* pServer);

class CInstallerFolder {
public:
    // Copies the program and its modules into dir, with the settings.
    CInstallerFolder(const std::filesystem::path& dir, const std::string& strIni);
    const std::filesystem::path& Dir() const { return m_dir; }
    // Starts it; ASAN's leak check is off (GTK keeps caches for the
    // process's life) and the registry hive is the test's.
    bool Start(testsupport::CChildProcess& process, const testsupport::EnvChanges& env,
               const std::filesystem::path& log) const;

private:
    std::filesystem::path m_dir;
};

// The environment every installer run of these tests gets on top of env.
testsupport::EnvChanges InstallerEnv(const std::filesystem::path& registry,
                                     testsupport::EnvChanges env);

}  // namespace desktoptest
