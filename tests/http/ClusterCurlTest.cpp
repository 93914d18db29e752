#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ClusterCurlFixture.h"
#include "platform/CCancelToken.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::StderrCapture;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace httptest {
namespace {

struct Report {
    int nType;
    int nTaskId;
    double dTotal;
    double dNow;
};

class RecordingReceiver : public CLibcurlDownCallback {
public:
    void OnDownProgress(int nType, int nTaskId, double dTotal, double dNow) override {
        m_reports.push_back({nType, nTaskId, dTotal, dNow});
        if (m_onReport)
            m_onReport(m_reports.back());
    }
    void OnUpProgress(int, double, double) override { ++m_nUpCalls; }

    std::vector<Report> m_reports;
    std::function<void(const Report&)> m_onReport;
    int m_nUpCalls = 0;
};

// Everything in a folder, for "nothing touched" checks.
std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- httpGet / httpPost ------------------------------------------------------

TEST_F(ClusterCurl, GetAppendsBodyOfOkAnswer) {
    Client client;
    std::string response = "kept:";
    CurlResult result = client.httpGet(m_server.Url("/small"), response);
    EXPECT_EQ(200, result.lResCode);
    EXPECT_EQ(TransferFailure::None, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_EQ(curl_easy_strerror(CURLE_OK), result.strMsg);
    EXPECT_EQ("kept:hello installer", response);
}

TEST_F(ClusterCurl, GetOfErrorPageKeepsStatusBodyAndLogs) {
    StderrCapture log;
    Client client;
    std::string response;
    CurlResult result = client.httpGet(m_server.Url("/missing"), response);
    EXPECT_EQ(404, result.lResCode);
    EXPECT_EQ(TransferFailure::HttpStatus, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_EQ("No error", result.strMsg);
    EXPECT_EQ("<html>no such package</html>", response);
    EXPECT_NE(std::string::npos,
              log.Text().find("[curl send msg error: pRes=No error, lResCode=404 ]\n"));
}

TEST_F(ClusterCurl, PostSendsBodyByteForByteWithOneContentTypeLine) {
    std::string body = std::string("info=a%2Bb&x=") + '\0' + "\xff\x01 end";
    Client client;
    std::string response;
    CurlResult result = client.httpPost(m_server.Url("/echo"), body, response);
    EXPECT_EQ(200, result.lResCode);
    EXPECT_EQ(body, response);
    const PostSeen post = LastPost();
    EXPECT_EQ("application/x-www-form-urlencoded", post.strType);
    EXPECT_EQ(1u, post.nContentTypeLines);
    EXPECT_EQ(std::to_string(body.size()), post.strLength);
}

TEST_F(ClusterCurl, PostWithEmptyBodySendsNoContent) {
    Client client;
    std::string response = "x";
    CurlResult result = client.httpPost(m_server.Url("/echo"), "", response);
    EXPECT_EQ(200, result.lResCode);
    EXPECT_EQ("x", response);
    EXPECT_EQ("application/x-www-form-urlencoded", LastPost().strType);
    EXPECT_EQ("0", LastPost().strLength);
}

TEST_F(ClusterCurl, AddHeaderRefusesEmptyNameAndSendsValue) {
    m_server.Http().Get("/header", [this](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strSeen = req.get_header_value("X-Channel");
        res.set_content("ok", "text/plain");
    });
    Client client;
    EXPECT_FALSE(client.addHeader("", "value"));
    EXPECT_TRUE(client.addHeader("X-Channel", "web 01"));
    EXPECT_TRUE(client.addHeader("X-Empty", ""));
    std::string response;
    EXPECT_EQ(200, client.httpGet(m_server.Url("/header"), response).lResCode);
    std::lock_guard<std::mutex> lock(m_mutex);
    EXPECT_EQ("web 01", m_strSeen);
}

TEST_F(ClusterCurl, RedirectsAreFollowedUpToThirtyHops) {
    std::string response;
    Client shortChain;
    EXPECT_EQ(200, shortChain.httpGet(m_server.Url("/hop/5"), response).lResCode);
    EXPECT_EQ("arrived", response);

    response.clear();
    Client longest;
    EXPECT_EQ(200, longest.httpGet(m_server.Url("/hop/30"), response).lResCode);

    Client tooLong;
    CurlResult result = tooLong.httpGet(m_server.Url("/hop/31"), response);
    EXPECT_EQ(CURLE_TOO_MANY_REDIRECTS, result.lResCode);
    EXPECT_EQ(TransferFailure::Other, result.eFailure) << TransferFailureName(result.eFailure);
}

TEST_F(ClusterCurl, RedirectLoopEndsWithTooManyRedirectsNotTimeout) {
    Client client;
    client.m_nTimeout = 20;
    std::string response;
    auto start = std::chrono::steady_clock::now();
    CurlResult result = client.httpGet(m_server.Url("/loop"), response);
    EXPECT_EQ(CURLE_TOO_MANY_REDIRECTS, result.lResCode);
    EXPECT_EQ(curl_easy_strerror(CURLE_TOO_MANY_REDIRECTS), result.strMsg);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

TEST_F(ClusterCurl, RefusedConnectionGivesLibraryCode) {
    Client client;
    std::string response;
    CurlResult result =
        client.httpGet("http://127.0.0.1:" + std::to_string(RefusedPort()) + "/", response);
    EXPECT_EQ(CURLE_COULDNT_CONNECT, result.lResCode);
    EXPECT_EQ(TransferFailure::Unreachable, result.eFailure)
        << TransferFailureName(result.eFailure);
    EXPECT_EQ(curl_easy_strerror(CURLE_COULDNT_CONNECT), result.strMsg);
}

TEST_F(ClusterCurl, ServerThatNeverAnswersTimesOut) {
    SilentListener silent;
    ASSERT_GT(silent.Port(), 0);
    StderrCapture log;
    Client client;
    client.m_nTimeout = 1;
    std::string response;
    CurlResult result =
        client.httpPost("http://127.0.0.1:" + std::to_string(silent.Port()) + "/", "a=1", response);
    EXPECT_EQ(CURLE_OPERATION_TIMEDOUT, result.lResCode);
    EXPECT_EQ(TransferFailure::TimedOut, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_TRUE(response.empty());
    EXPECT_NE(std::string::npos, log.Text().find("lResCode=28 ]\n"));
}

TEST_F(ClusterCurl, SelfSignedCertificateFailsVerification) {
    TempDir dir;
    std::string cert = (dir / "cert.pem").string();
    std::string key = (dir / "key.pem").string();
    std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
        "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key + "' -out '" + cert + "' >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(command.c_str()));
    LoopbackServer server(cert, key);
    server.Http().Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("secret", "text/plain");
    });
    ASSERT_TRUE(server.Start());

    // The server itself works: a client that skips verification gets the page.
    CURL* raw = curl_easy_init();
    std::string direct;
    curl_easy_setopt(raw, CURLOPT_URL, server.Url("/").c_str());
    curl_easy_setopt(raw, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(raw, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(
        raw, CURLOPT_WRITEFUNCTION, +[](char* d, size_t s, size_t n, void* t) -> size_t {
            static_cast<std::string*>(t)->append(d, s * n);
            return s * n;
        });
    curl_easy_setopt(raw, CURLOPT_WRITEDATA, &direct);
    ASSERT_EQ(CURLE_OK, curl_easy_perform(raw));
    curl_easy_cleanup(raw);
    ASSERT_EQ("secret", direct);

    Client client;
    std::string response;
    CurlResult result = client.httpGet(server.Url("/"), response);
    EXPECT_EQ(CURLE_PEER_FAILED_VERIFICATION, result.lResCode);
    EXPECT_EQ(TransferFailure::Certificate, result.eFailure)
        << TransferFailureName(result.eFailure);
    EXPECT_TRUE(response.empty());

    TempDir saveDir;
    Client downloader;
    EXPECT_EQ(CURLE_PEER_FAILED_VERIFICATION,
              downloader.downloadFile(server.Url("/"), "x.bin", saveDir.path()).lResCode);
    EXPECT_TRUE(fs::is_empty(saveDir.path()));
}

// ---- downloadFile: success and progress ------------------------------------

TEST_F(ClusterCurl, DownloadReplacesExistingTargetAndLeavesNoTemp) {
    WriteFile(m_dir / "pack.exe", "old package");
    RecordingReceiver receiver;
    Client client;
    client.setDownCallback(&receiver);
    CurlResult result = client.downloadFile(m_server.Url("/file"), "pack.exe", m_dir.path());
    EXPECT_EQ(200, result.lResCode);
    EXPECT_EQ(TransferFailure::None, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_EQ(curl_easy_strerror(CURLE_OK), result.strMsg);
    EXPECT_EQ(m_body, ReadFile(m_dir / "pack.exe"));
    EXPECT_FALSE(fs::exists(m_dir / "pack.exe.temp"));
    EXPECT_EQ(0, receiver.m_nUpCalls);
}

TEST_F(ClusterCurl, LinksAtTargetOrTempNameAreNeverWrittenThrough) {
    TempDir outside;
    WriteFile(outside / "victim", "precious");
    fs::create_symlink(outside / "victim", m_dir / "p.exe");
    fs::create_symlink(outside / "victim", m_dir / "p.exe.temp");
    Client client;
    ASSERT_EQ(200, client.downloadFile(m_server.Url("/small"), "p.exe", m_dir.path()).lResCode);
    EXPECT_EQ("precious", ReadFile(outside / "victim"));
    EXPECT_FALSE(fs::is_symlink(m_dir / "p.exe"));
    EXPECT_EQ("hello installer", ReadFile(m_dir / "p.exe"));
}

TEST_F(ClusterCurl, ReportsAreThinnedToOnePerPercent) {
    RecordingReceiver receiver;
    Client client;
    client.setDownCallback(&receiver);
    ASSERT_EQ(200, client.downloadFile(m_server.Url("/file"), "f.bin", m_dir.path()).lResCode);

    ASSERT_FALSE(receiver.m_reports.empty());
    double last = 0;
    int known = 0;
    for (const Report& r : receiver.m_reports) {
        EXPECT_EQ(1, r.nType);
        EXPECT_EQ(0, r.nTaskId);
        if (r.dTotal == 0) {
            EXPECT_EQ(0, known) << "size became unknown again";
        } else {
            EXPECT_EQ(1000000.0, r.dTotal);
            EXPECT_GE(r.dNow - last, 10000.0);
            ++known;
        }
        last = r.dNow;
    }
    EXPECT_GT(known, 0);
    EXPECT_LE(known, 100);
}

TEST_F(ClusterCurl, UnknownSizeReportsEveryCallWithZeroTotal) {
    // 100 pieces of 1000 bytes, spaced so that each arrives on its own.
    m_server.Http().Get("/trickle", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(
            "application/octet-stream", [](size_t offset, httplib::DataSink& sink) {
                if (offset >= 100000) {
                    sink.done();
                    return true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                return sink.write(std::string(1000, 't').data(), 1000);
            });
    });
    RecordingReceiver receiver;
    Client client;
    client.setDownCallback(&receiver);
    ASSERT_EQ(200, client.downloadFile(m_server.Url("/trickle"), "c.bin", m_dir.path()).lResCode);
    EXPECT_EQ(100000u, fs::file_size(m_dir / "c.bin"));
    ASSERT_FALSE(receiver.m_reports.empty());
    double last = 0;
    int nSmallAdvances = 0;
    for (const Report& r : receiver.m_reports) {
        EXPECT_EQ(0.0, r.dTotal);
        EXPECT_GE(r.dNow, last);
        if (r.dNow - last < 1000.0)
            ++nSmallAdvances;
        last = r.dNow;
    }
    // Thinning to one per percent of the final size would allow at most 100
    // reports, each at least 1000 bytes on; unthinned, calls without new data
    // are reported as well.
    EXPECT_GT(nSmallAdvances, 0);
    EXPECT_GE(receiver.m_reports.size(), 50u);
    EXPECT_EQ(100000.0, receiver.m_reports.back().dNow);
}

TEST_F(ClusterCurl, LargeChunkedBodyArrivesWhole) {
    Client client;
    ASSERT_EQ(200, client.downloadFile(m_server.Url("/chunked"), "c.bin", m_dir.path()).lResCode);
    EXPECT_EQ(m_body, ReadFile(m_dir / "c.bin"));
}

TEST_F(ClusterCurl, SaveFolderWithTrailingSlashWorks) {
    Client client;
    std::string dir = m_dir.path().string() + "/";
    ASSERT_EQ(200, client.downloadFile(m_server.Url("/small"), "s.txt", dir).lResCode);
    EXPECT_EQ("hello installer", ReadFile(m_dir / "s.txt"));
}

TEST_F(ClusterCurl, RedirectedDownloadLandsAtTarget) {
    Client client;
    ASSERT_EQ(200, client.downloadFile(m_server.Url("/hop/3"), "r.txt", m_dir.path()).lResCode);
    EXPECT_EQ("arrived", ReadFile(m_dir / "r.txt"));
}

// ---- downloadFile: failures -------------------------------------------------

TEST_F(ClusterCurl, MissingSaveFolderTouchesNothing) {
    StderrCapture log;
    WriteFile(m_dir / "keep.txt", "k");
    std::string missing = (m_dir / "nope").string();
    Client client;
    CurlResult result = client.downloadFile(m_server.Url("/small"), "keep.txt", missing);
    std::string expected = "save dir=" + missing + " is not exsit\xEF\xBC\x81";
    EXPECT_EQ(-1, result.lResCode);
    EXPECT_EQ(TransferFailure::LocalFile, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_EQ(expected, result.strMsg);
    EXPECT_NE(std::string::npos, log.Text().find("[" + expected + "]"));
    EXPECT_EQ(std::vector<std::string>{"keep.txt"}, Listing(m_dir.path()));
}

TEST_F(ClusterCurl, FailedDownloadsDeleteTheirTempAndKeepTheOldTarget) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(RefusedPort()) + "/x";
    struct Case {
        std::string url;
        long lCode;
        TransferFailure eFailure;
    } cases[] = {
        {m_server.Url("/missing"), 404, TransferFailure::HttpStatus},
        {refused, CURLE_COULDNT_CONNECT, TransferFailure::Unreachable},
        {m_server.Url("/cut"), CURLE_PARTIAL_FILE, TransferFailure::CutOff},
    };
    for (const Case& c : cases) {
        WriteFile(m_dir / "p.exe", "old");
        WriteFile(m_dir / "p.exe.temp", "stale partial");
        StderrCapture log;
        Client client;
        CurlResult result = client.downloadFile(c.url, "p.exe", m_dir.path());
        EXPECT_EQ(c.lCode, result.lResCode) << c.url;
        EXPECT_EQ(c.eFailure, result.eFailure) << TransferFailureName(result.eFailure);
        // The package of an earlier run is worth more than nothing.
        EXPECT_EQ(std::vector<std::string>{"p.exe"}, Listing(m_dir.path())) << c.url;
        EXPECT_EQ("old", ReadFile(m_dir / "p.exe")) << c.url;
        EXPECT_NE(std::string::npos, log.Text().find("lResCode=" + std::to_string(c.lCode)))
            << c.url;
    }
}

TEST_F(ClusterCurl, StallAfterOkStatusIsFailureAndNothingIsRenamed) {
    StderrCapture log;
    Client client;
    client.m_nTimeout = 2;
    CurlResult result = client.downloadFile(m_server.Url("/stall"), "p.exe", m_dir.path());
    m_server.Release();
    EXPECT_EQ(CURLE_OPERATION_TIMEDOUT, result.lResCode);
    EXPECT_EQ(TransferFailure::TimedOut, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_EQ(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT), result.strMsg);
    EXPECT_TRUE(fs::is_empty(m_dir.path()));
    EXPECT_NE(std::string::npos, log.Text().find("lResCode=28 ]\n"));
}

TEST_F(ClusterCurl, UncreatableTempFileReportsTargetPath) {
    // A folder squatting on the temporary name cannot be opened as a file,
    // whoever runs the test.
    fs::create_directory(m_dir / "p.exe.temp");
    WriteFile(m_dir / "p.exe", "old");
    StderrCapture log;
    Client client;
    CurlResult result = client.downloadFile(m_server.Url("/small"), "p.exe", m_dir.path());
    std::string expected = "downloadFile open file error(" + std::to_string(EISDIR) + "), " +
                           (m_dir / "p.exe").string();
    EXPECT_EQ(-1, result.lResCode);
    EXPECT_EQ(TransferFailure::LocalFile, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_EQ(expected, result.strMsg);
    EXPECT_NE(std::string::npos, log.Text().find("[" + expected + "]"));
    EXPECT_EQ("old", ReadFile(m_dir / "p.exe"));
}

TEST_F(ClusterCurl, ReadOnlyFolderCannotTakeTempFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    fs::path ro = m_dir / "ro";
    fs::create_directory(ro);
    chmod(ro.c_str(), 0555);
    Client client;
    CurlResult result = client.downloadFile(m_server.Url("/small"), "p.exe", ro.string());
    chmod(ro.c_str(), 0755);
    EXPECT_EQ(-1, result.lResCode);
    EXPECT_EQ(
        "downloadFile open file error(" + std::to_string(EACCES) + "), " + (ro / "p.exe").string(),
        result.strMsg);
}

TEST_F(ClusterCurl, FileReappearingAtTargetIsNeverReplaced) {
    StderrCapture log;
    RecordingReceiver receiver;
    fs::path target = m_dir / "p.exe";
    receiver.m_onReport = [&](const Report&) {
        if (!fs::exists(target))
            WriteFile(target, "someone else's file");
    };
    Client client;
    client.setDownCallback(&receiver);
    CurlResult result = client.downloadFile(m_server.Url("/file"), "p.exe", m_dir.path());
    std::string expected = "rename error lasterror=[" + std::to_string(EEXIST) + "]";
    EXPECT_EQ(-1, result.lResCode);
    EXPECT_EQ(expected, result.strMsg);
    EXPECT_EQ("someone else's file", ReadFile(target));
    EXPECT_EQ(m_body, ReadFile(m_dir / "p.exe.temp"));
    // One line after the last of the immediate attempts, not one per attempt.
    std::string text = log.Text();
    EXPECT_EQ(text.find("[" + expected + "]"), text.rfind("[" + expected + "]"));
    EXPECT_NE(std::string::npos, text.find("[" + expected + "]"));
}

TEST_F(ClusterCurl, StopFlagEndsReportsAndSkipsRename) {
    RecordingReceiver receiver;
    receiver.m_onReport = [](const Report&) { g_bAppExit = 1; };
    Client client;
    client.setDownCallback(&receiver);
    CurlResult result = client.downloadFile(m_server.Url("/file"), "p.exe", m_dir.path());
    g_bAppExit = 0;
    // The transfer itself ran to its end; only the first report got through.
    EXPECT_EQ(200, result.lResCode);
    EXPECT_EQ(1u, receiver.m_reports.size());
    EXPECT_FALSE(fs::exists(m_dir / "p.exe"));
    EXPECT_EQ(m_body, ReadFile(m_dir / "p.exe.temp"));
}

// No receiver is needed for the stop flag to count.
TEST_F(ClusterCurl, StopFlagHoldsWithoutAReceiver) {
    g_bAppExit = 1;
    Client client;
    CurlResult result = client.downloadFile(m_server.Url("/file"), "p.exe", m_dir.path());
    g_bAppExit = 0;
    EXPECT_EQ(200, result.lResCode);
    EXPECT_FALSE(fs::exists(m_dir / "p.exe"));
    EXPECT_EQ(m_body, ReadFile(m_dir / "p.exe.temp"));
}

TEST_F(ClusterCurl, ThrowingReceiverEndsDownloadWithExceptionMessage) {
    StderrCapture log;
    RecordingReceiver receiver;
    receiver.m_onReport = [](const Report& r) {
        if (r.dNow > 0)
            throw std::runtime_error("receiver broke");
    };
    Client client;
    client.setDownCallback(&receiver);
    CurlResult result = client.downloadFile(m_server.Url("/file"), "p.exe", m_dir.path());
    EXPECT_EQ(-1, result.lResCode);
    EXPECT_EQ(0u, result.strMsg.find("downloadFile api exception("));
    EXPECT_NE(std::string::npos, log.Text().find("[downloadFile api exception("));
    EXPECT_FALSE(fs::exists(m_dir / "p.exe"));
    EXPECT_TRUE(fs::exists(m_dir / "p.exe.temp"));
}

// ---- full disk ----------------------------------------------------------------

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit{bytes, m_old.rlim_max};
        m_bActive = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool Active() const { return m_bActive; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_bActive = false;
};

// A tmpfs of nBytes at dir, where this process may mount one; unmounted
// (lazily, so an open file cannot keep it) when the object goes away.
class SmallFileSystem {
public:
    SmallFileSystem(const fs::path& dir, size_t nBytes) : m_dir(dir) {
        fs::create_directories(dir);
        std::string options = "size=" + std::to_string(nBytes);
        m_bMounted =
            mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (m_bMounted)
            umount2(m_dir.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_bMounted; }

private:
    fs::path m_dir;
    bool m_bMounted = false;
};

TEST_F(ClusterCurl, FullDiskFailsAsDiskFullKeepsTheOldFileAndIsNotRetried) {
    m_server.Http().Get(
        R"(/sized/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
            ++m_nRequests;
            res.set_content(Pattern(std::stoul(req.matches[1])), "application/octet-stream");
        });
    struct Case {
        const char* szName;
        size_t nBody;
        rlim_t nSizeLimit;  // 0: a small file system instead
    } cases[] = {
        {"size limit, whole body in one write", 1500, 1000},
        {"size limit, many writes", 1000000, 100000},
        {"64 KiB tmpfs", 1000000, 0},
    };
    for (const Case& c : cases) {
        fs::path dir = m_dir / "disk";
        std::unique_ptr<SmallFileSystem> pSmall;
        if (c.nSizeLimit == 0) {
            pSmall = std::make_unique<SmallFileSystem>(dir, 64 * 1024);
            if (!pSmall->Mounted()) {
                std::cout << "skipped (" << c.szName << "): cannot mount here\n";
                continue;
            }
        }
        fs::create_directories(dir);
        WriteFile(dir / "p.exe", "old package");
        m_nRequests = 0;
        CurlResult result;
        {
            std::unique_ptr<FileSizeLimit> pLimit;
            if (c.nSizeLimit != 0) {
                pLimit = std::make_unique<FileSizeLimit>(c.nSizeLimit);
                ASSERT_TRUE(pLimit->Active());
            }
            Client client;
            client.m_nRetries = 3;
            client.m_nRetryPauseMs = 10;
            result = client.downloadFile(m_server.Url("/sized/" + std::to_string(c.nBody)), "p.exe",
                                         dir.string());
        }
        EXPECT_EQ(CURLE_WRITE_ERROR, result.lResCode) << c.szName;
        EXPECT_EQ(TransferFailure::DiskFull, result.eFailure)
            << c.szName << ": " << TransferFailureName(result.eFailure);
        EXPECT_EQ(1, m_nRequests.load()) << c.szName;
        EXPECT_EQ(std::vector<std::string>{"p.exe"}, Listing(dir)) << c.szName;
        EXPECT_EQ("old package", ReadFile(dir / "p.exe")) << c.szName;
        pSmall.reset();
        fs::remove_all(dir);
    }
}

// ---- cancellation -----------------------------------------------------------

// Cancels from another thread while the transfer is under way.
std::thread CancelLater(CCancelToken& token) {
    return std::thread([&token] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        token.Cancel();
    });
}

TEST_F(ClusterCurl, CancelAbortsStalledDownloadPromptly) {
    CCancelToken token;
    Client client;
    client.setCancelToken(&token);
    std::thread canceller = CancelLater(token);
    auto start = std::chrono::steady_clock::now();
    CurlResult result = client.downloadFile(m_server.Url("/stall"), "p.exe", m_dir.path());
    auto elapsed = std::chrono::steady_clock::now() - start;
    canceller.join();
    m_server.Release();
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK, result.lResCode);
    EXPECT_EQ(TransferFailure::Cancelled, result.eFailure) << TransferFailureName(result.eFailure);
    EXPECT_TRUE(fs::is_empty(m_dir.path()));
    // Hang guard only: the default time-out is an hour.
    EXPECT_LT(elapsed, std::chrono::seconds(30));
}

TEST_F(ClusterCurl, CancelledTokenKeepsTransfersFromStarting) {
    CCancelToken token;
    token.Cancel();
    WriteFile(m_dir / "p.exe", "old");
    Client downloader;
    downloader.setCancelToken(&token);
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK,
              downloader.downloadFile(m_server.Url("/file"), "p.exe", m_dir.path()).lResCode);
    EXPECT_EQ("old", ReadFile(m_dir / "p.exe"));

    Client poster;
    poster.setCancelToken(&token);
    std::string response;
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK,
              poster.httpPost(m_server.Url("/echo"), "a=1", response).lResCode);
    EXPECT_TRUE(LastPost().strType.empty());
}

TEST_F(ClusterCurl, CancelAbortsStalledGet) {
    CCancelToken token;
    Client client;
    client.setCancelToken(&token);
    std::thread canceller = CancelLater(token);
    std::string response;
    CurlResult result = client.httpGet(m_server.Url("/stall"), response);
    canceller.join();
    m_server.Release();
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK, result.lResCode);
}

}  // namespace
}  // namespace httptest
