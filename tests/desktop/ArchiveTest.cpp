// The one file a user downloads: the self-extracting archive made by
// scripts/package.sh, run under Xvfb with scripted clicks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "DesktopSession.h"
#include "InstallerRun.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace desktoptest;

namespace {

std::string Shell(const std::string& strCommand, int* pnExit = nullptr) {
    std::string strOut;
    if (FILE* pPipe = popen((strCommand + " 2>&1").c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pPipe)) > 0)
            strOut.append(buf, n);
        int nStatus = pclose(pPipe);
        if (pnExit)
            *pnExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }
    return strOut;
}

bool WaitForFile(const fs::path& file, int nTimeoutMs = 120000) {
    for (int i = 0; i < nTimeoutMs / 100 && !fs::exists(file); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return fs::exists(file);
}

// Inode and modification time of every file of a folder: what an unpacking
// would change.
std::map<std::string, std::pair<ino_t, timespec>> Stamps(const fs::path& dir) {
    std::map<std::string, std::pair<ino_t, timespec>> stamps;
    for (const auto& entry : fs::directory_iterator(dir)) {
        struct stat st {};
        stat(entry.path().c_str(), &st);
        stamps[entry.path().filename().string()] = {st.st_ino, st.st_mtim};
    }
    return stamps;
}

class InstallerArchive : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* pszTool : {"/usr/bin/makeself", "/usr/bin/Xvfb", "/usr/bin/xdotool"})
            if (!fs::exists(pszTool))
                GTEST_SKIP() << pszTool << " is missing (scripts/install-deps.sh)";
    }
    // Makes the archive with the settings given; its path.
    fs::path Package(const std::string& strIni) {
        testsupport::WriteFile(m_tmp / "Install.ini", strIni);
        int nExit = -1;
        std::string strOut = Shell("BUILD_DIR='" TOVADOC_BUILD_DIR "' '" TOVADOC_SOURCE_DIR
                                   "/scripts/package.sh' --no-build --ini '" +
                                       (m_tmp / "Install.ini").string() + "' --out '" +
                                       (m_tmp / "dist").string() + "'",
                                   &nExit);
        EXPECT_EQ(nExit, 0) << strOut;
        std::string strPath = strOut.substr(strOut.rfind('\n', strOut.size() - 2) + 1);
        while (!strPath.empty() && strPath.back() == '\n')
            strPath.pop_back();
        return strPath;
    }
    // Runs the archive on the display, installs into folder with clicks as a
    // user would, presses the start button and returns the exit code.
    int InstallWithClicks(const CXvfb& x, const fs::path& archive, const fs::path& folder,
                          const fs::path& log) {
        fs::create_directories(folder);
        testsupport::CChildProcess run;
        EXPECT_TRUE(run.Start(
            {"/bin/sh", archive.string(), "--", "ignored-argument"},
            InstallerEnv(m_tmp / "registry", {{"DISPLAY", x.Display()},
                                              {"WAYLAND_DISPLAY", std::nullopt},
                                              {"TOVADOC_CACHE_HOME", (m_tmp / "cache").string()}}),
            log));
        std::string strId;
        WindowBox box;
        if (!FindWindow(x, kTitle, strId, box))
            return -1;
        auto at = [&](WindowPoint pt) {
            return std::to_string(box.x + pt.x) + " " + std::to_string(box.y + pt.y);
        };
        x.XDoTool("mousemove " + at(kFolderEdit) + " click 1 sleep 0.2 key ctrl+a type '" +
                  folder.string() + "'");
        x.XDoTool("mousemove " + at(kInstallButton) + " sleep 0.1 click 1");
        if (!WaitForFile(folder / "Tovadoc" / "user.ini")) {
            ADD_FAILURE() << "no user.ini\n" << testsupport::ReadFile(log);
            return -1;
        }
        // Page 2 follows once the bar has counted up to 100.
        for (int i = 0; i < 100 && run.IsRunning(); ++i)
            x.XDoTool("mousemove " + at(kStartButton) + " click 1 sleep 0.3");
        return run.Wait(30000);
    }

    testsupport::TempDir m_tmp;
};

TEST_F(InstallerArchive, RunsFromItsCacheFolderAndInstallsAgainFromTheKeptPackage) {
    CXvfb x;
    ASSERT_TRUE(x.Start(1280, 1024, m_tmp / "xvfb.log"));
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(m_tmp.path())) << server.Log();
    const fs::path archive = Package(InstallIni(&server));
    ASSERT_TRUE(fs::exists(archive)) << archive;
    EXPECT_EQ(archive.filename().string().rfind("TovadocInstaller-2.2.3.3-linux-", 0), 0u);

    // makeself's own options.
    int nExit = -1;
    std::string strOut = Shell("sh '" + archive.string() + "' --check", &nExit);
    EXPECT_EQ(nExit, 0) << strOut;
    EXPECT_NE(strOut.find("SHA256 checksums are OK"), std::string::npos) << strOut;
    strOut = Shell("sh '" + archive.string() + "' --list", &nExit);
    for (const char* pszFile : {"TovadocInstaller", "install-cli", "render-cairo.so",
                                "imgdecoder-png.so", "translator.so", "sys-resource.so",
                                "Install.ini", "launch.sh"})
        EXPECT_NE(strOut.find(pszFile), std::string::npos) << pszFile << "\n" << strOut;
    strOut = Shell("sh '" + archive.string() + "' --info", &nExit);
    EXPECT_NE(strOut.find("TovadocInstaller 2.2.3.3"), std::string::npos) << strOut;
    {
        // One byte changed in the payload: the check says so.
        fs::copy_file(archive, m_tmp / "damaged.run");
        std::fstream f(m_tmp / "damaged.run", std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(-100, std::ios::end);
        char c = char(f.get());
        f.seekp(-100, std::ios::end);
        f.put(char(c ^ 0xff));
        f.close();
        Shell("sh '" + (m_tmp / "damaged.run").string() + "' --check", &nExit);
        EXPECT_NE(nExit, 0);
    }

    // First run: everything downloaded beside the program in the cache; an
    // older version's folder goes, a newer one's and anything else stay.
    const fs::path cache = m_tmp / "cache" / "tovadoc-installer" / "2.2.3.3";
    for (const char* pszOther : {"2.2.3.2", "2.10.0.0", "notes"})
        fs::create_directories(m_tmp / "cache" / "tovadoc-installer" / pszOther / "sub");
    EXPECT_EQ(InstallWithClicks(x, archive, m_tmp / "first", m_tmp / "first.log"), 0)
        << testsupport::ReadFile(m_tmp / "first.log");
    EXPECT_FALSE(fs::exists(m_tmp / "cache" / "tovadoc-installer" / "2.2.3.2"));
    EXPECT_TRUE(fs::exists(m_tmp / "cache" / "tovadoc-installer" / "2.10.0.0" / "sub"));
    EXPECT_TRUE(fs::exists(m_tmp / "cache" / "tovadoc-installer" / "notes" / "sub"));
    // The terminal stays quiet: the diagnostics are in the log, for the owner only.
    EXPECT_EQ(testsupport::ReadFile(m_tmp / "first.log").find("CMainDlg::OnInstall"),
              std::string::npos)
        << testsupport::ReadFile(m_tmp / "first.log");
    EXPECT_NE(testsupport::ReadFile(cache / "installer.log").find("CMainDlg::OnInstall installing"),
              std::string::npos);
    // makeself runs the launcher under umask 077; others can still use the product.
    struct Mode {
        fs::path path;
        mode_t nOthers;
    } modes[] = {{cache / "installer.log", 0},
                 {m_tmp / "first" / "Tovadoc", 05},
                 {m_tmp / "first" / "Tovadoc" / "user.ini", 04}};
    for (const Mode& m : modes) {
        struct stat st {};
        ASSERT_EQ(stat(m.path.c_str(), &st), 0) << m.path;
        EXPECT_EQ(st.st_mode & 07, m.nOthers) << m.path;
    }
    for (const char* pszFile :
         {"TovadocInstaller", "translator.so", "Install.ini", "TovadocSetup.exe", "net4.exe"})
        EXPECT_TRUE(fs::exists(cache / pszFile)) << pszFile;
    EXPECT_NE(testsupport::ReadFile(cache / "Install.ini").find("desktop-test"), std::string::npos);
    EXPECT_TRUE(fs::exists(m_tmp / "first" / "Tovadoc" / "Tovadoc.exe"));
    const auto stamps = Stamps(cache);

    // Second run without a server: the kept package installs, and the
    // cache folder is left exactly as it was.
    server.Stop();
    EXPECT_EQ(InstallWithClicks(x, archive, m_tmp / "second", m_tmp / "second.log"), 0)
        << testsupport::ReadFile(m_tmp / "second.log");
    EXPECT_TRUE(fs::exists(m_tmp / "second" / "Tovadoc" / "Tovadoc.exe"));
    EXPECT_NE(testsupport::ReadFile(m_tmp / "second" / "Tovadoc" / "user.ini").find("desktop-test"),
              std::string::npos);
    const auto after = Stamps(cache);
    ASSERT_EQ(after.size(), stamps.size());
    for (const auto& [name, stamp] : stamps) {
        if (name == "installer.log")
            continue;  // each run's own
        EXPECT_EQ(after.at(name).first, stamp.first) << name;
        EXPECT_EQ(after.at(name).second.tv_sec, stamp.second.tv_sec) << name;
        EXPECT_EQ(after.at(name).second.tv_nsec, stamp.second.tv_nsec) << name;
    }

    // The launcher hands every argument over as it is and gives back the
    // program's exit code (a stand-in program here, in a cache of its own).
    Shell("sh '" + archive.string() + "' --noexec --target '" + (m_tmp / "unpacked").string() + "'",
          &nExit);
    ASSERT_EQ(nExit, 0);
    testsupport::WriteFile(m_tmp / "unpacked" / "TovadocInstaller",
                           "#!/bin/sh\nprintf '<%s>' \"$@\"\nexit 7\n");
    fs::permissions(m_tmp / "unpacked" / "TovadocInstaller", fs::perms::owner_all);
    strOut = Shell("(TOVADOC_CACHE_HOME='" + (m_tmp / "other-cache").string() + "' sh '" +
                       (m_tmp / "unpacked" / "launch.sh").string() + "' 'a b' '' '*' \"it's\" 2>'" +
                       (m_tmp / "launcher.err").string() + "')",
                   &nExit);
    EXPECT_EQ(nExit, 7) << strOut;
    EXPECT_EQ(strOut, "<a b><><*><it's>");
    // A failure says, in one line, where the log is.
    EXPECT_EQ(
        testsupport::ReadFile(m_tmp / "launcher.err"),
        "TovadocInstaller: stopped with code 7; what happened is in " +
            (m_tmp / "other-cache" / "tovadoc-installer" / "2.2.3.3" / "installer.log").string() +
            "\n");

    // The installer's own exit code comes back through the archive: without
    // a display it fails.
    testsupport::CChildProcess headless;
    ASSERT_TRUE(headless.Start({"/bin/sh", archive.string()},
                               {{"DISPLAY", std::nullopt},
                                {"WAYLAND_DISPLAY", std::nullopt},
                                {"ASAN_OPTIONS", "detect_leaks=0"},
                                {"TOVADOC_CACHE_HOME", (m_tmp / "cache").string()}},
                               m_tmp / "headless.log"));
    EXPECT_EQ(headless.Wait(60000), 1) << testsupport::ReadFile(m_tmp / "headless.log");
}

// The archive's unattended path as a fleet uses it: the example playbook
// run by ansible-playbook on this machine against the demo server, twice.
TEST_F(InstallerArchive, InstallsUnattendedOnceThroughThePlaybookAndChangesNothingTheSecondTime) {
    if (!fs::exists("/usr/bin/ansible-playbook"))
        GTEST_SKIP() << "ansible-playbook is missing (scripts/install-deps.sh)";
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(m_tmp.path())) << server.Log();
    const fs::path archive = Package(InstallIni(&server));
    const std::string strEnv = "TOVADOC_CACHE_HOME='" + (m_tmp / "cache").string() +
                               "' TOVADOC_REGISTRY_ROOT='" + (m_tmp / "registry").string() + "' ";

    // Straight from the archive: the licence (the refusal codes are the
    // headless front end's own tests).
    int nExit = -1;
    std::string strOut =
        Shell(strEnv + "sh '" + archive.string() + "' -- --show-licence --language 2", &nExit);
    EXPECT_EQ(nExit, 0) << strOut;
    EXPECT_NE(strOut.find("Tovadoc End User Licence Agreement"), std::string::npos) << strOut;

    const std::string strAnsible = (m_tmp / "ansible").string();
    const std::string strPlay =
        strEnv + "ANSIBLE_HOME='" + strAnsible + "' ANSIBLE_LOCAL_TEMP='" + strAnsible +
        "' ANSIBLE_REMOTE_TMP='" + strAnsible +
        "' ANSIBLE_NOCOLOR=1 ansible-playbook -c local -i localhost, '" TOVADOC_SOURCE_DIR
        "/packaging/ansible/tovadoc.yml' -e ansible_python_interpreter=/usr/bin/python3"
        " -e tovadoc_become=false -e tovadoc_archive='" +
        archive.string() + "' -e tovadoc_install_dir='" + (m_tmp / "opt").string() +
        "' -e tovadoc_remote_dir='" + m_tmp.path().string() + "'";
    fs::create_directories(m_tmp / "opt");
    // Without the licence accepted the play stops before it copies anything.
    strOut = Shell(strPlay, &nExit);
    EXPECT_NE(nExit, 0) << strOut;
    EXPECT_FALSE(fs::exists(m_tmp / archive.filename()));

    // Installed once; the second run changes nothing and posts no second record.
    for (const char* pszRecap : {"changed=2", "changed=0"}) {
        strOut = Shell(strPlay + " -e tovadoc_accept_licence=true", &nExit);
        EXPECT_EQ(nExit, 0) << strOut;
        EXPECT_NE(strOut.find(pszRecap), std::string::npos) << strOut;
        EXPECT_TRUE(fs::exists(m_tmp / "opt" / "Tovadoc" / "Tovadoc.exe")) << strOut;
        EXPECT_EQ(server.Records().size(), 1u);
    }
    EXPECT_NE(testsupport::ReadFile(m_tmp / "tovadoc-install.log").find("InstallCli::main"),
              std::string::npos);
}

}  // namespace
