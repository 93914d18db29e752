// The unattended path of the archive a user downloads, as a fleet rolls it
// out: the example playbook run by ansible-playbook on this machine against
// the demo server, twice.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "DemoServerProcess.h"
#include "InstallerRun.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Output (standard error included) and exit code of a shell command line.
std::string RunShell(const std::string& strCommand, int& nExit) {
    std::string strOut;
    if (FILE* pPipe = popen((strCommand + " 2>&1").c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pPipe)) > 0)
            strOut.append(buf, n);
        int nStatus = pclose(pPipe);
        nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }
    return strOut;
}

TEST(AnsiblePlaybook, InstallsUnattendedOnceAndChangesNothingTheSecondTime) {
    for (const char* pszTool : {"/usr/bin/makeself", "/usr/bin/ansible-playbook"})
        if (!fs::exists(pszTool))
            GTEST_SKIP() << pszTool << " is missing (scripts/install-deps.sh)";
    testsupport::TempDir tmp;
    workflowtest::CDemoServerProcess server;
    ASSERT_TRUE(server.Start(tmp.path())) << server.Log();
    testsupport::WriteFile(tmp / "Install.ini", desktoptest::InstallIni(&server));
    int nExit = -1;
    std::string strOut =
        RunShell("BUILD_DIR='" TOVADOC_BUILD_DIR "' '" TOVADOC_SOURCE_DIR
                 "/scripts/package.sh' --no-build --ini '" +
                     (tmp / "Install.ini").string() + "' --out '" + (tmp / "dist").string() + "'",
                 nExit);
    ASSERT_EQ(nExit, 0) << strOut;
    const fs::path archive = fs::directory_iterator(tmp / "dist")->path();
    const std::string strEnv = "TOVADOC_CACHE_HOME='" + (tmp / "cache").string() +
                               "' TOVADOC_REGISTRY_ROOT='" + (tmp / "registry").string() + "' ";

    // Straight from the archive: the licence, and no install without accepting it.
    strOut =
        RunShell(strEnv + "sh '" + archive.string() + "' -- --show-licence --language 2", nExit);
    EXPECT_EQ(nExit, 0) << strOut;
    EXPECT_NE(strOut.find("Tovadoc End User Licence Agreement"), std::string::npos) << strOut;
    strOut = RunShell(strEnv + "sh '" + archive.string() + "' -- --unattended", nExit);
    EXPECT_EQ(nExit, 3) << strOut;
    EXPECT_NE(strOut.find("--accept-licence"), std::string::npos) << strOut;

    const std::string strPlay =
        strEnv + "ANSIBLE_HOME='" + (tmp / "ansible").string() + "' ANSIBLE_LOCAL_TEMP='" +
        (tmp / "ansible").string() + "' ANSIBLE_REMOTE_TMP='" + (tmp / "ansible").string() +
        "' ANSIBLE_NOCOLOR=1 ansible-playbook -c local -i localhost, '" +
        TOVADOC_SOURCE_DIR "/packaging/ansible/tovadoc.yml' -e ansible_python_interpreter=" +
        "/usr/bin/python3 -e tovadoc_become=false -e tovadoc_archive='" + archive.string() +
        "' -e tovadoc_install_dir='" + (tmp / "opt").string() + "' -e tovadoc_remote_dir='" +
        tmp.path().string() + "'";
    fs::create_directories(tmp / "opt");
    // Without the licence accepted the play stops before it copies anything.
    strOut = RunShell(strPlay, nExit);
    EXPECT_NE(nExit, 0) << strOut;
    EXPECT_FALSE(fs::exists(tmp / archive.filename()));

    struct Round {
        const char* pszRecap;
        size_t nRecords;
    } rounds[] = {{"changed=2", 1}, {"changed=0", 1}};
    for (const Round& round : rounds) {
        strOut = RunShell(strPlay + " -e tovadoc_accept_licence=true", nExit);
        EXPECT_EQ(nExit, 0) << strOut;
        EXPECT_NE(strOut.find(round.pszRecap), std::string::npos) << strOut;
        EXPECT_TRUE(fs::exists(tmp / "opt" / "Tovadoc" / "Tovadoc.exe")) << strOut;
        EXPECT_EQ(server.Records().size(), round.nRecords);
    }
    EXPECT_NE(testsupport::ReadFile(tmp / "tovadoc-install.log").find("InstallCli::main"),
              std::string::npos);
}

}  // namespace
