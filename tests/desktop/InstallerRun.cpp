#include "InstallerRun.h"

#include "DesktopSession.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace desktoptest {

std::string InstallIni(const workflowtest::CDemoServerProcess* pServer) {
    auto url = [&](const std::string& strPath) {
        return pServer ? pServer->Url(strPath) : "http://127.0.0.1:9" + strPath;
    };
    return "[Config]\nchannel=desktop-test\nlanguage=2\nnet40_url=" +
           url("/software/third_party/NETFramework4.0.exe") +
           "\nnet45_url=" + url("/software/third_party/NETFramework4.5.exe") +
           "\ninstall_pack_url=" + url("/software/install_pack/tvdoc2.0.exe") +
           "\ninstall_statistics_url=" + url("/Soft/Sys/InstallationPackage") + "\n";
}

CInstallerFolder::CInstallerFolder(const fs::path& dir, const std::string& strIni) : m_dir(dir) {
    fs::create_directories(m_dir);
    for (const char* pszFile : {"TovadocInstaller", "render-cairo.so", "imgdecoder-png.so",
                                "translator.so", "sys-resource.so"})
        fs::copy_file(BinDir() / pszFile, m_dir / pszFile, fs::copy_options::overwrite_existing);
    testsupport::WriteFile(m_dir / "Install.ini", strIni);
}

bool CInstallerFolder::Start(testsupport::CChildProcess& process,
                             const testsupport::EnvChanges& env, const fs::path& log) const {
    return process.Start({(m_dir / "TovadocInstaller").string()}, env, log);
}

testsupport::EnvChanges InstallerEnv(const fs::path& registry, testsupport::EnvChanges env) {
    env.emplace_back("ASAN_OPTIONS", "detect_leaks=0");
    env.emplace_back("TOVADOC_REGISTRY_ROOT", registry.string());
    return env;
}

}  // namespace desktoptest
