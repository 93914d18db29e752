// Whole installations with pinned downloads, retries, a proxy and a full
// disk, against the demo server.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "WorkflowFixture.h"
#include "platform/Sha256.h"
#include "support/StderrCapture.h"
#include "support/TinyProxy.h"
#include "toolkit/core/SRunLoopUntil.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;
using workflowtest::BinDir;
using workflowtest::CRecordedEvent;
using workflowtest::RegisterReleases;

namespace {

std::string Sha256OfFile(const fs::path& file) {
    std::string hex;
    int nErr = 0;
    EXPECT_TRUE(CSha256::HashFile(file.string(), hex, nErr)) << file << " errno " << nErr;
    return hex;
}

constexpr const char* kPipe = "<pipe>";

class InstallWorkflowDownloads : public workflowtest::WorkflowFixture {
protected:
    // A fresh installer folder, install folder, server and run, for one row
    // of a table; files to lie beside the installer are laid there first
    // (kPipe as the content makes a pipe).
    // strPackUrls, when given, replaces the package's address; "{pack}" and
    // "{net}" in it stand for the server's package and framework.
    std::vector<int> RunFresh(const std::vector<std::string>& vecModes,
                              const std::string& strConfig,
                              const std::vector<std::pair<std::string, std::string>>& besides = {},
                              const std::string& strPackUrls = "") {
        m_pRun.reset();
        m_server.Stop();
        fs::remove_all(m_installerDir);
        fs::remove_all(m_installDir);
        fs::create_directories(m_installerDir);
        for (const auto& [name, content] : besides) {
            if (content == kPipe)
                EXPECT_EQ(0, mkfifo((m_installerDir / name).c_str(), 0600)) << name;
            else
                WriteFile(m_installerDir / name, content);
        }
        m_pRun = std::make_unique<workflowtest::CWorkflowRun>();
        StartServer(vecModes, strConfig);
        if (!strPackUrls.empty()) {
            std::string ini = ReadFile(m_installerDir / "Install.ini");
            const std::string pack = m_server.Url("/software/install_pack/tvdoc2.0.exe");
            std::string urls = strPackUrls;
            for (auto [key, value] :
                 {std::pair<std::string, std::string>{"{pack}", pack},
                  {"{net}", m_server.Url("/software/third_party/NETFramework4.5.exe")}})
                for (size_t at; (at = urls.find(key)) != std::string::npos;)
                    urls.replace(at, key.size(), value);
            ini.replace(ini.find(pack), pack.size(), urls);
            WriteFile(m_installerDir / "Install.ini", ini);
        }
        auto pMgr = MakeManager();
        std::vector<int> rows = RunInstall(*pMgr);
        return rows;
    }
    std::vector<int> WithoutProgress(std::vector<int> rows) const {
        std::erase_if(rows, [](int r) { return r == 4 || r == 10; });
        return rows;
    }
    bool HasTempFiles() const {
        for (const auto& entry : fs::directory_iterator(m_installerDir))
            if (entry.path().extension() == ".temp")
                return true;
        return false;
    }
    bool Fetched(const std::string& strFile) const {
        return m_server.Log().find("GET " + strFile) != std::string::npos ||
               m_server.Log().find(strFile + " ->") != std::string::npos;
    }
    void ExpectNeverBackwards(const char* szCase) const {
        int nLast = 0;
        for (const CRecordedEvent& ev : m_pRun->Events()) {
            EXPECT_GE(ev.nPercent, nLast) << szCase;
            nLast = ev.nPercent;
        }
    }
};

const std::vector<int> kInstalledWithoutFramework = {1, 2, 9, 12, 13, 15, 16};

}  // namespace

TEST_F(InstallWorkflowDownloads, ThePackageIsInstalledOnlyWhenItsBytesMatchThePin) {
    RegisterReleases({"v4"});
    const std::string pack = Sha256OfFile(BinDir() / "TovadocSetup.exe");
    const std::string other = std::string(64, 'b');
    struct Case {
        const char* szName;
        std::string strPin;
        std::vector<std::pair<std::string, std::string>> besides;
        std::vector<int> rows;
        const wchar_t* szReason;  // of the last event; nullptr when it succeeded
        bool bDownloaded;
    } cases[] = {
        {"downloaded, right pin", pack, {}, kInstalledWithoutFramework, nullptr, true},
        {"downloaded, wrong pin", other, {}, {1, 2, 9, 18}, L"reason_hash_mismatch", true},
        {"pin no digest", "12345", {}, {1, 2, 9, 18}, L"reason_bad_pin", false},
        {"beside, matching", pack, {}, {1, 2, 12, 13, 15, 16}, nullptr, false},
        {"beside, not matching: fetched again",
         pack,
         {{"TovadocSetup.exe", "#!/bin/sh\nexit 0\n"}},
         kInstalledWithoutFramework,
         nullptr,
         true},
        {"beside, pin no digest: not run",
         "12345",
         {{"TovadocSetup.exe", "#!/bin/sh\nexit 0\n"}},
         {1, 2, 9, 18},
         L"reason_bad_pin",
         false},
    };
    for (Case& c : cases) {
        if (std::string(c.szName) == "beside, matching")
            c.besides = {{"TovadocSetup.exe", ReadFile(BinDir() / "TovadocSetup.exe")}};
        std::vector<int> rows =
            WithoutProgress(RunFresh({}, "install_pack_sha256=" + c.strPin + "\n", c.besides));
        EXPECT_EQ(rows, c.rows) << c.szName;
        EXPECT_EQ(c.bDownloaded, Fetched("/software/install_pack/tvdoc2.0.exe")) << c.szName << "\n"
                                                                                 << m_server.Log();
        EXPECT_FALSE(HasTempFiles()) << c.szName;
        const CRecordedEvent& last = m_pRun->Events().back();
        if (c.szReason == nullptr) {
            EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe")) << c.szName;
            EXPECT_EQ(Sha256OfFile(m_installerDir / "TovadocSetup.exe"), pack) << c.szName;
            continue;
        }
        EXPECT_EQ(last.strMessage, L"down_pack_hash_error") << c.szName;
        EXPECT_EQ(last.strReason, c.szReason) << c.szName;
        EXPECT_FALSE(fs::exists(m_installDir / "Tovadoc.exe")) << c.szName;
        // What could not be verified is never run; what was there stays.
        if (c.besides.empty()) {
            EXPECT_FALSE(fs::exists(m_installerDir / "TovadocSetup.exe")) << c.szName;
        } else {
            EXPECT_EQ(ReadFile(m_installerDir / "TovadocSetup.exe"), c.besides[0].second)
                << c.szName;
        }
    }
}

TEST_F(InstallWorkflowDownloads, TheFrameworkInstallerIsReusedOrRefusedByItsPin) {
    const std::string netfx = Sha256OfFile(BinDir() / "NETFramework4.exe");
    // Downloaded under a wrong pin: refused, and the run goes on with the package.
    std::vector<int> rows = WithoutProgress(RunFresh({}, "net45_sha256=" + std::string(64, 'c')));
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 17, 9, 12, 13, 15, 16}));
    EXPECT_FALSE(fs::exists(m_installerDir / "net4.exe"));
    EXPECT_FALSE(workflowtest::HasRelease("v4"));

    // Left by an earlier run and matching: installed without a download.
    rows = WithoutProgress(RunFresh({}, "net45_sha256=" + netfx + "\n",
                                    {{"net4.exe", ReadFile(BinDir() / "NETFramework4.exe")}}));
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 6, 7, 9, 12, 13, 15, 16}));
    EXPECT_FALSE(Fetched("/software/third_party/NETFramework4.5.exe")) << m_server.Log();
    EXPECT_TRUE(workflowtest::HasRelease("v4"));
}

TEST_F(InstallWorkflowDownloads, ACutDownloadResumesAndTheBarNeverMovesBack) {
    RegisterReleases({"v4"});
    const std::string pack = Sha256OfFile(BinDir() / "TovadocSetup.exe");
    std::vector<int> rows =
        RunFresh({"--pack", "cut-once", "--slow-ms", "1"}, "install_pack_sha256=" + pack + "\n");
    EXPECT_EQ(WithoutProgress(rows), kInstalledWithoutFramework);
    const std::string strHalf = std::to_string(fs::file_size(BinDir() / "TovadocSetup.exe") / 2);
    EXPECT_NE(m_server.Log().find("-> 206 (from byte " + strHalf + ")"), std::string::npos)
        << m_server.Log();
    ExpectNeverBackwards("cut-once");
    EXPECT_EQ(Sha256OfFile(m_installerDir / "TovadocSetup.exe"), pack);
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
}

TEST_F(InstallWorkflowDownloads, ABusyServerIsWaitedForUnlessRetriesAreOff) {
    RegisterReleases({"v4"});
    // Retries off: the first 503 ends the run, with its status for the user.
    std::vector<int> rows = RunFresh({"--pack", "busy"}, "download_retries=0\n");
    EXPECT_EQ(WithoutProgress(rows), (std::vector<int>{1, 2, 9, 11}));
    EXPECT_EQ(m_pRun->Events().back().strReason, L"reason_http_status");
    EXPECT_EQ(m_pRun->Events().back().nReasonValue, 503);

    // Retries on: closing during the 30 s pause the server asked for ends
    // the run at once and quietly.
    m_pRun.reset();
    m_server.Stop();
    m_pRun = std::make_unique<workflowtest::CWorkflowRun>();
    StartServer({"--pack", "busy"});
    testsupport::StderrCapture log;
    auto pMgr = MakeManager();
    pMgr->BeginInstallThread();
    ASSERT_TRUE(SOUI::RunLoopUntil(
        [&] { return log.Text().find("retry 1 of 3 in 30000 ms") != std::string::npos; }, 30000))
        << log.Text();
    auto closed = std::async(std::launch::async, [&pMgr] { pMgr.reset(); });
    // Hang guard only: the pause alone would last 30 s.
    ASSERT_EQ(closed.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const size_t nSeen = m_pRun->Events().size();
    m_pRun->Drain();
    SOUI::RunLoopFor(50);
    for (size_t i = nSeen; i < m_pRun->Events().size(); ++i)
        EXPECT_EQ(m_pRun->Events()[i].nState, 0) << i;
    EXPECT_FALSE(m_pRun->Finished());
    EXPECT_FALSE(HasTempFiles());
    EXPECT_FALSE(fs::exists(m_installerDir / "TovadocSetup.exe"));
}

TEST_F(InstallWorkflowDownloads, TheProxySettingCarriesDownloadsAndTheReport) {
    testsupport::TinyProxy proxy(m_pRoot->path());
    if (!proxy.Start())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    // The setting wins over the environment's proxies, no_proxy included.
    testsupport::ScopedEnv httpProxy("http_proxy", "http://127.0.0.1:9");
    testsupport::ScopedEnv noProxy("no_proxy", "127.0.0.1");
    std::vector<int> rows = RunFresh({}, "proxy=" + proxy.Url() + "\n");
    EXPECT_EQ(WithoutProgress(rows), (std::vector<int>{1, 2, 3, 6, 7, 9, 12, 13, 15, 16}));
    EXPECT_TRUE(m_pRun->WaitHttpAnswers(1));
    ASSERT_EQ(m_server.Records().size(), 1u) << m_server.Log();
    const std::string strLog = proxy.Log();
    for (const char* path :
         {"/software/third_party/NETFramework4.5.exe", "/software/install_pack/tvdoc2.0.exe",
          "/Soft/Sys/InstallationPackage"})
        EXPECT_NE(strLog.find(path), std::string::npos) << path << "\n" << strLog;
}

TEST_F(InstallWorkflowDownloads, AFullDiskFailsTheDownloadsAndKeepsWhatWasThere) {
    // The installer's folder on a file system too small for either download.
    fs::create_directories(m_installerDir);
    if (mount("tmpfs", m_installerDir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    struct Unmount {
        fs::path dir;
        ~Unmount() { umount2(dir.c_str(), MNT_DETACH); }
    } unmount{m_installerDir};
    WriteFile(m_installerDir / "net4.exe", "an earlier framework installer");
    StartServer();
    auto pMgr = MakeManager();
    std::vector<int> rows = WithoutProgress(RunInstall(*pMgr));
    pMgr.reset();
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 5, 9, 11}));
    for (const CRecordedEvent& ev : m_pRun->Events()) {
        if (ev.nState == -1) {
            EXPECT_EQ(ev.strReason, L"reason_disk_full") << ev.nPercent;
        }
    }
    EXPECT_EQ(ReadFile(m_installerDir / "net4.exe"), "an earlier framework installer");
    EXPECT_FALSE(fs::exists(m_installerDir / "TovadocSetup.exe"));
    EXPECT_FALSE(HasTempFiles());
}

TEST_F(InstallWorkflowDownloads, MirrorsUnstartablePackagesAndPipesAtItsNames) {
    RegisterReleases({"v4"});
    const std::string pack = Sha256OfFile(BinDir() / "TovadocSetup.exe");
    const std::string kNoProgram = "MZ\x90 no program for this system\n";
    // clang-format off
    struct Case {
        const char* szName;
        std::string strUrls;
        std::string strConfig;
        std::vector<std::pair<std::string, std::string>> besides;
        std::vector<int> rows;
        const wchar_t* szReason;  // of the last event; nullptr when it succeeded
        bool bPackageAfter;       // TovadocSetup.exe is there afterwards
    } cases[] = {
        {"a refused address, then the package",
         "http://127.0.0.1:9/p {pack}", "download_retries=0\n", {},
         kInstalledWithoutFramework, nullptr, true},
        {"the pin holds each address: another file, then the package",
         "{net}\t {pack}", "download_retries=0\ninstall_pack_sha256=" + pack + "\n", {},
         kInstalledWithoutFramework, nullptr, true},
        {"every address refused: the last one's failure",
         "http://127.0.0.1:9/a http://127.0.0.1:9/b", "download_retries=0\n", {},
         {1, 2, 9, 11}, L"reason_unreachable", false},
        {"a package that is no program is deleted", "", "", {{"TovadocSetup.exe", kNoProgram}},
         {1, 2, 12, 14}, L"reason_cannot_start", false},
        {"a pipe at the name, pinned: refused at once", "", "install_pack_sha256=" + pack + "\n",
         {{"TovadocSetup.exe", kPipe}}, {1, 2, 9, 11}, L"reason_local_file", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<int> rows = WithoutProgress(RunFresh({}, c.strConfig, c.besides, c.strUrls));
        EXPECT_EQ(rows, c.rows) << c.szName;
        EXPECT_FALSE(HasTempFiles()) << c.szName;
        EXPECT_EQ(c.bPackageAfter,
                  fs::exists(fs::symlink_status(m_installerDir / "TovadocSetup.exe")))
            << c.szName;
        if (c.szReason == nullptr) {
            EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe")) << c.szName;
            EXPECT_EQ(Sha256OfFile(m_installerDir / "TovadocSetup.exe"), pack) << c.szName;
        } else {
            EXPECT_EQ(m_pRun->Events().back().strReason, c.szReason) << c.szName;
        }
    }
}
