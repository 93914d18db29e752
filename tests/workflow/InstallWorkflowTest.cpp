#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "WorkflowFixture.h"
#include "platform/MacAddress.h"
#include "platform/TextConvert.h"
#include "support/ProcessWatch.h"
#include "support/StderrCapture.h"
#include "toolkit/core/SRunLoopUntil.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;
using workflowtest::CRecordedEvent;
using workflowtest::HasRelease;
using workflowtest::RegisterReleases;

namespace {

class InstallWorkflow : public workflowtest::WorkflowFixture {
protected:
    // Percentages never go down, and progress stays inside its step's range.
    void ExpectSteadyProgress() const {
        int nLast = 0;
        for (const CRecordedEvent& ev : m_pRun->Events()) {
            EXPECT_GE(ev.nPercent, nLast) << WideToAnsi(ev.strMessage);
            EXPECT_NE(workflowtest::EventRow(ev), 0)
                << "not in the table: " << ev.nPercent << "," << ev.nState << ","
                << WideToAnsi(ev.strMessage);
            nLast = ev.nPercent;
        }
    }
    // Rows without the optional progress rows.
    std::vector<int> WithoutProgress(std::vector<int> rows) const {
        std::erase_if(rows, [](int r) { return r == 4 || r == 10; });
        return rows;
    }
    // The record this run posted; earlier runs on the same server came first.
    Json::Value WaitForRecord(size_t nIndex = 0) {
        // The post runs on its own thread; its answer event says it is done.
        EXPECT_TRUE(m_pRun->WaitHttpAnswers(1));
        std::vector<std::string> records = m_server.Records();
        Json::Value record;
        if (records.size() <= nIndex) {
            ADD_FAILURE() << "no record " << nIndex << "; server said:\n" << m_server.Log();
            return record;
        }
        std::istringstream in(records[nIndex]);
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &record, &errors));
        return record;
    }
    // The pid the hanging package leaves beside itself for its helper; 0 if
    // it never appears.
    pid_t WaitForPackageHelper() const {
        const fs::path file = m_installerDir / "TovadocSetup.exe.helper";
        for (int i = 0; i < 1000; ++i) {
            std::string text = fs::exists(file) ? ReadFile(file) : "";
            if (text.ends_with("\n"))
                return static_cast<pid_t>(std::stol(text));
            SOUI::RunLoopFor(10);
        }
        return 0;
    }
    bool HasTempFiles() const {
        for (const auto& entry : fs::directory_iterator(m_installerDir))
            if (entry.path().extension() == ".temp")
                return true;
        return false;
    }
};

}  // namespace

TEST_F(InstallWorkflow, CleanMachineInstallsFrameworkAndPackageAndReports) {
    StartServer({"--slow-ms", "2"});
    auto pMgr = MakeManager();
    EXPECT_EQ(RunInstall(*pMgr), (std::vector<int>{1, 2, 3, 4, 6, 7, 9, 10, 12, 13, 15, 16}));
    ExpectSteadyProgress();

    // Files left behind: both installers beside the installer, no partial
    // downloads, the product in its folder, user.ini with the defaults.
    EXPECT_EQ(fs::file_size(m_installerDir / "net4.exe"),
              fs::file_size(workflowtest::BinDir() / "NETFramework4.exe"));
    EXPECT_EQ(fs::file_size(m_installerDir / "TovadocSetup.exe"),
              fs::file_size(workflowtest::BinDir() / "TovadocSetup.exe"));
    EXPECT_FALSE(HasTempFiles());
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    EXPECT_EQ(ReadFile(m_installDir / "user.ini"), "[Config]\nchannel=10\nlanguage=1\n");
    EXPECT_TRUE(HasRelease("v4"));

    Json::Value record = WaitForRecord();
    EXPECT_EQ(record["channel"].asString(), "10");
    EXPECT_EQ(record["version"].asString(), "0.0.0.0");
    EXPECT_EQ(record["lang"].asString(), "zh_cn");
    EXPECT_EQ(record["mac_id"].asString(), WideToAnsi(GetMacAddressText()));
    EXPECT_EQ(record.size(), 4u);
}

TEST_F(InstallWorkflow, SecondRunFindsFrameworkAndPackageAndDownloadsNothing) {
    StartServer();
    auto pFirst = MakeManager();
    RunInstall(*pFirst);
    ASSERT_TRUE(m_pRun->Finished());
    WaitForRecord(0);
    pFirst.reset();

    // The server would now refuse both downloads; the second run needs neither.
    m_server.Stop();
    m_pRun.reset();
    m_pRun = std::make_unique<workflowtest::CWorkflowRun>();
    StartServer({"--net", "missing", "--pack", "missing"});
    fs::remove_all(m_installDir);
    auto pSecond = MakeManager();
    EXPECT_EQ(RunInstall(*pSecond), (std::vector<int>{1, 2, 12, 13, 15, 16}));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    WaitForRecord(1);
    EXPECT_EQ(m_server.Log().find("GET "), std::string::npos) << m_server.Log();
}

TEST_F(InstallWorkflow, FrameworkPresentGoesFromTenToFifty) {
    RegisterReleases({"v2.0.50727", "v3.5", "v4"});
    StartServer();
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)), (std::vector<int>{1, 2, 9, 12, 13, 15, 16}));
    ExpectSteadyProgress();
    EXPECT_FALSE(fs::exists(m_installerDir / "net4.exe"));
    WaitForRecord();
}

TEST_F(InstallWorkflow, PackageBesideInstallerIsRunWithoutDownload) {
    fs::copy_file(workflowtest::BinDir() / "TovadocSetup.exe", m_installerDir / "TovadocSetup.exe");
    // Without execute permission, as a file copied by hand may come.
    fs::permissions(m_installerDir / "TovadocSetup.exe",
                    fs::perms::owner_read | fs::perms::owner_write);
    StartServer({"--pack", "missing"});
    auto pMgr = MakeManager();
    // No framework: 40 goes straight to 80.
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)),
              (std::vector<int>{1, 2, 3, 6, 7, 12, 13, 15, 16}));
    ExpectSteadyProgress();
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    EXPECT_EQ(m_server.Log().find("tvdoc2.0.exe"), std::string::npos);
    WaitForRecord();
}

TEST_F(InstallWorkflow, FrameworkDownloadFailingGoesOnWithThePackage) {
    StartServer({"--net", "missing"});
    testsupport::StderrCapture capture;
    auto pMgr = MakeManager();
    std::vector<int> rows = WithoutProgress(RunInstall(*pMgr));
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 5, 9, 12, 13, 15, 16}));
    // The log names the answer, not the library's "No error".
    EXPECT_NE(capture.Text().find("CInstallMgr::DownNetFile error 下载net包失败 reason=the server "
                                  "answered 404 (http-status, 404)"),
              std::string::npos)
        << capture.Text();
    // (40,-1) is followed directly by the start of the package download.
    const auto& events = m_pRun->Events();
    for (size_t i = 0; i + 1 < events.size(); ++i) {
        if (events[i].strMessage == L"down_net_error") {
            EXPECT_EQ(events[i].nPercent, 40);
            EXPECT_EQ(events[i].strReason, L"reason_not_found");
            EXPECT_EQ(events[i + 1].nPercent, 50);
            EXPECT_EQ(events[i + 1].strMessage, L"正在下载安装包...");
        }
    }
    EXPECT_FALSE(fs::exists(m_installerDir / "net4.exe"));
    EXPECT_FALSE(HasTempFiles());
    EXPECT_FALSE(HasRelease("v4"));
    WaitForRecord();
}

TEST_F(InstallWorkflow, FrameworkInstallerFailingGoesOnWithThePackage) {
    StartServer({"--net", "fail"});
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)),
              (std::vector<int>{1, 2, 3, 6, 8, 9, 12, 13, 15, 16}));
    EXPECT_TRUE(fs::exists(m_installerDir / "net4.exe"));  // kept after a failed install
    EXPECT_FALSE(HasRelease("v4"));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    WaitForRecord();
}

TEST_F(InstallWorkflow, PackageNotFoundEndsTheRunWithoutInstalling) {
    RegisterReleases({"v4"});
    StartServer({"--pack", "missing"});
    testsupport::StderrCapture capture;
    auto pMgr = MakeManager();
    std::vector<int> rows = WithoutProgress(RunInstall(*pMgr));
    pMgr.reset();  // joins the worker, so its last log line is written
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 9, 11}));
    const CRecordedEvent& last = m_pRun->Events().back();
    EXPECT_EQ(last.nPercent, 80);
    EXPECT_EQ(last.nState, -1);
    EXPECT_EQ(last.strMessage, L"down_pack_error");
    EXPECT_EQ(last.strReason, L"reason_not_found");
    EXPECT_EQ(last.nReasonValue, 404);
    EXPECT_FALSE(fs::exists(m_installerDir / "TovadocSetup.exe"));
    EXPECT_FALSE(HasTempFiles());
    EXPECT_FALSE(fs::exists(m_installDir / "Tovadoc.exe"));
    EXPECT_FALSE(fs::exists(m_installDir / "user.ini"));
    std::string log = capture.Text();
    EXPECT_NE(log.find("CInstallMgr::DownInstallFile error  下载安装包失败 reason="),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("CInstallMgr::ThreadInstall 安装完成 线程threadid=["), std::string::npos);
    EXPECT_EQ(log.find("CInstallMgr::AfterInstall"), std::string::npos);
}

TEST_F(InstallWorkflow, PackageFailingEndsTheRunAndKeepsThePackage) {
    RegisterReleases({"v4"});
    StartServer({"--pack", "fail"});
    testsupport::StderrCapture capture;
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)), (std::vector<int>{1, 2, 9, 12, 14}));
    EXPECT_EQ(m_pRun->Events().back().strReason, L"reason_exit_code");
    EXPECT_EQ(m_pRun->Events().back().nReasonValue, 3);
    pMgr.reset();
    EXPECT_TRUE(fs::exists(m_installerDir / "TovadocSetup.exe"));
    EXPECT_FALSE(fs::exists(m_installDir / "user.ini"));
    std::string log = capture.Text();
    EXPECT_NE(log.find("CInstallMgr::InstallFile install szCmdLine=[\"" + m_installerDir.string() +
                       "/TovadocSetup.exe\" /VERYSILENT /SUPPRESSMSGBOXES /DIR=\"" +
                       m_installDir.string() +
                       "\"] strResult=[TovadocSetup: simulated installation "
                       "failure\\n] exitcode=[3]"),
              std::string::npos)
        << log;
}

TEST_F(InstallWorkflow, PackageHangingPastTheTimeOutIsEnded) {
    RegisterReleases({"v4"});
    StartServer({"--pack", "hang"});
    auto pMgr = MakeManager();
    pMgr->m_nPackInstallTimeoutMs = 1000;
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)), (std::vector<int>{1, 2, 9, 12, 14}));
    // The package's own helper went with it.
    const pid_t helper = WaitForPackageHelper();
    ASSERT_GT(helper, 0);
    EXPECT_TRUE(testsupport::EndsSoon(helper));
    EXPECT_EQ(m_pRun->Events().back().strMessage, L"install_pack_error");
    EXPECT_EQ(m_pRun->Events().back().strReason, L"reason_install_timed_out");
    EXPECT_EQ(m_pRun->Events().back().nReasonValue, 1);  // minutes, rounded up
}

TEST_F(InstallWorkflow, FoldersWithBlanksAndChineseNamesWork) {
    m_installerDir = m_pRoot->path() / "my downloads" / "安装 程序";
    m_installDir = m_pRoot->path() / "Program Files" / "My Tovadoc";
    StartServer();
    auto pMgr = MakeManager();
    // The framework installer runs from a folder with blanks too.
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)),
              (std::vector<int>{1, 2, 3, 6, 7, 9, 12, 13, 15, 16}));
    EXPECT_TRUE(HasRelease("v4"));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    EXPECT_TRUE(fs::exists(m_installDir / "user.ini"));
    WaitForRecord();
}

// An installer unpacked from an archive with GBK names: its folder's name is
// no UTF-8, yet its settings are read and both downloads land there.
TEST_F(InstallWorkflow, FoldersWhoseNamesAreNoUtf8Work) {
    m_installerDir = m_pRoot->path() / "\xB0\xB2\xD7\xB0 \xB3\xCC\xD0\xF2";
    m_installDir = m_pRoot->path() / "\xCE\xC4\xBC\xFE" / "Tovadoc";
    StartServer({}, "channel=\xC7\xFE\xB5\xC0\n");
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)),
              (std::vector<int>{1, 2, 3, 6, 7, 9, 12, 13, 15, 16}));
    EXPECT_TRUE(fs::exists(m_installerDir / "net4.exe"));
    EXPECT_TRUE(fs::exists(m_installerDir / "TovadocSetup.exe"));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    // The channel keeps its bytes in user.ini; the record gets valid UTF-8.
    EXPECT_EQ(ReadFile(m_installDir / "user.ini"),
              "[Config]\nchannel=\xC7\xFE\xB5\xC0\nlanguage=1\n");
    EXPECT_EQ(WaitForRecord()["channel"].asString(), "\uFFFD\uFFFD\uFFFD\uFFFD");
}

// Quotes, backslashes (one at the end too) and tabs in folder names reach the
// framework installer and the package as exactly those folders.
TEST_F(InstallWorkflow, FoldersWithQuotesAndBackslashesAreTakenExactly) {
    m_installerDir = m_pRoot->path() / "in\"st";
    m_installDir = m_pRoot->path() / "my \"x\" dir" / "Tovadoc";
    StartServer();
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)),
              (std::vector<int>{1, 2, 3, 6, 7, 9, 12, 13, 15, 16}));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    EXPECT_TRUE(fs::exists(m_installDir / "user.ini"));
    EXPECT_FALSE(fs::exists(m_pRoot->path() / "my x dir"));
    WaitForRecord();
}

TEST_F(InstallWorkflow, FolderEndingInABackslashWithATabIsTakenExactly) {
    RegisterReleases({"v4"});
    m_installerDir = m_pRoot->path() / "back\\slash\\";
    m_installDir = m_pRoot->path() / "tab\tand trailing\\";
    StartServer();
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)), (std::vector<int>{1, 2, 9, 12, 13, 15, 16}));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_pRoot->path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    // The server's own files aside, nothing was made under another name.
    EXPECT_TRUE(std::find(names.begin(), names.end(), "tab\tand trailing\\") != names.end());
    for (const std::string& name : names)
        EXPECT_EQ(name.find("tab\tand trailing\""), std::string::npos) << name;
    WaitForRecord();
}

// Run as root, the installer writes into folders others may write to: links
// planted at every name it writes or replaces leave their targets alone.
TEST_F(InstallWorkflow, LinksPlantedAtItsFileNamesAreNeverWrittenThrough) {
    StartServer();
    const fs::path outside = m_pRoot->path() / "outside";
    fs::create_directories(outside);
    fs::create_directories(m_installDir);
    const std::pair<fs::path, std::string> planted[] = {
        {m_installDir / "user.ini", "passwd"},
        {m_installerDir / "net4.exe", "net"},
        {m_installerDir / "net4.exe.temp", "net-temp"},
        {m_installerDir / "TovadocSetup.exe.temp", "pack-temp"},
    };
    for (const auto& [link, name] : planted) {
        WriteFile(outside / name, "root:x:0:0:" + name + "\n");
        fs::permissions(outside / name, fs::perms::owner_read | fs::perms::owner_write);
        fs::create_symlink(outside / name, link);
    }
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)),
              (std::vector<int>{1, 2, 3, 6, 7, 9, 12, 13, 15, 16}));
    WaitForRecord();
    for (const auto& [link, name] : planted) {
        EXPECT_EQ(ReadFile(outside / name), "root:x:0:0:" + name + "\n") << name;
        EXPECT_EQ(fs::status(outside / name).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write)
            << name;
    }
    EXPECT_FALSE(fs::is_symlink(m_installDir / "user.ini"));
    EXPECT_EQ(ReadFile(m_installDir / "user.ini"), "[Config]\nchannel=10\nlanguage=1\n");
    EXPECT_FALSE(fs::is_symlink(m_installerDir / "net4.exe"));
    EXPECT_TRUE(fs::exists(m_installDir / "Tovadoc.exe"));
}

TEST_F(InstallWorkflow, ChineseChannelTravelsAsUtf8AndUserIniKeepsOtherKeys) {
    RegisterReleases({"v4"});
    StartServer({}, "channel=渠道测试\nlanguage=2\nversion=2.2.3.3\n");
    fs::create_directories(m_installDir);
    WriteFile(m_installDir / "user.ini", "[Config]\nchannel=old\ntheme=dark\n[Other]\nkey=value\n");
    testsupport::StderrCapture capture;
    auto pMgr = MakeManager();
    EXPECT_EQ(WithoutProgress(RunInstall(*pMgr)), (std::vector<int>{1, 2, 9, 12, 13, 15, 16}));
    Json::Value record = WaitForRecord();
    pMgr.reset();
    EXPECT_EQ(record["channel"].asString(), "渠道测试");
    EXPECT_EQ(record["lang"].asString(), "en_us");
    EXPECT_EQ(record["version"].asString(), "2.2.3.3");
    EXPECT_EQ(ReadFile(m_installDir / "user.ini"),
              "[Config]\nchannel=渠道测试\ntheme=dark\nlanguage=2\n[Other]\nkey=value\n");

    // The body in the log is ASCII Base64 of the UTF-8 styled text.
    std::string log = capture.Text();
    size_t pos = log.find(" ret=info=");
    ASSERT_NE(pos, std::string::npos) << log;
    std::string b64 = log.substr(pos + 10, log.find('\n', pos) - pos - 10);
    EXPECT_EQ(b64.size() % 4, 0u);
    EXPECT_EQ(
        b64.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
        std::string::npos);
}

TEST_F(InstallWorkflow, AfterInstallAlwaysSucceedsAndNeverWritesOutsideTheFolder) {
    StartServer();
    const bool bRootHadUserIni = fs::exists("/user.ini");
    {
        // No install folder: nothing is written at the file system's root.
        auto pMgr = MakeManager();
        pMgr->m_strInstallDir.clear();
        EXPECT_TRUE(pMgr->AfterInstall());
        EXPECT_TRUE(m_pRun->WaitHttpAnswers(1));
    }
    if (!bRootHadUserIni) {
        EXPECT_FALSE(fs::exists("/user.ini"));
    }
    {
        // A folder that cannot hold user.ini: logged, the step still succeeds.
        WriteFile(m_pRoot->path() / "not-a-folder", "x");
        auto pMgr = MakeManager();
        pMgr->m_strInstallDir = AnsiToWide((m_pRoot->path() / "not-a-folder").string());
        testsupport::StderrCapture capture;
        EXPECT_TRUE(pMgr->AfterInstall());
        EXPECT_TRUE(m_pRun->WaitHttpAnswers(2));
        EXPECT_NE(capture.Text().find("CInstallMgr::AfterInstall user.ini not written"),
                  std::string::npos);
    }
    m_pRun->Drain();
    EXPECT_EQ(m_pRun->Rows(), (std::vector<int>{15, 16, 15, 16}));
    EXPECT_EQ(m_server.Records().size(), 2u);
}

TEST_F(InstallWorkflow, ClosingDuringADownloadStopsTheRunQuietly) {
    RegisterReleases({"v4"});
    StartServer({"--slow-ms", "300"});  // the package takes many seconds to arrive
    auto pMgr = MakeManager();
    pMgr->BeginInstallThread();
    ASSERT_TRUE(m_pRun->WaitForMessage(L"正在下载安装包..."));
    pMgr.reset();  // cancels and joins
    size_t nSeen = m_pRun->Events().size();
    m_pRun->Drain();
    SOUI::RunLoopFor(100);
    // Nothing arrives from a cancelled run, and no partial package is left.
    for (size_t i = nSeen; i < m_pRun->Events().size(); ++i)
        EXPECT_EQ(m_pRun->Events()[i].strMessage, L"正在下载安装包...") << i;
    EXPECT_FALSE(m_pRun->Finished());
    EXPECT_FALSE(fs::exists(m_installerDir / "TovadocSetup.exe"));
    EXPECT_FALSE(HasTempFiles());
    EXPECT_FALSE(fs::exists(m_installDir / "Tovadoc.exe"));
}

TEST_F(InstallWorkflow, ClosingDuringThePackageRunEndsThePackage) {
    RegisterReleases({"v4"});
    StartServer({"--pack", "hang"});
    auto pMgr = MakeManager();  // the 5-minute limit stays: only the close ends the wait
    pMgr->BeginInstallThread();
    ASSERT_TRUE(m_pRun->WaitForMessage(L"install_pack_ing"));
    const pid_t helper = WaitForPackageHelper();
    ASSERT_GT(helper, 0);
    EXPECT_TRUE(testsupport::IsRunning(helper));
    pMgr.reset();
    m_pRun->Drain();
    EXPECT_EQ(m_pRun->Events().back().strMessage, L"install_pack_ing");
    // Nothing the package started outlives the close.
    EXPECT_TRUE(testsupport::EndsSoon(helper));
}
