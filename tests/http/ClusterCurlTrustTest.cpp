// What makes a download trustworthy: the pinned SHA-256, HTTPS verified
// against a test authority, and proxies (a real tinyproxy).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "ClusterCurlFixture.h"
#include "HttpMgrFixture.h"
#include "TestAuthority.h"
#include "platform/TextConvert.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"
#include "support/TinyProxy.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::StderrCapture;
using testsupport::TempDir;
using testsupport::TinyProxy;
using testsupport::WriteFile;

namespace httptest {
namespace {

constexpr const char* kCaVariable = "TOVADOC_TEST_CAINFO";

// The digest by the coreutils program, not by the code under test.
std::string Sha256sum(const std::string& bytes) {
    TempDir dir;
    WriteFile(dir / "bytes", bytes);
    std::string command = "sha256sum '" + (dir / "bytes").string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char line[128] = {};
    if (pipe == nullptr || fgets(line, sizeof(line), pipe) == nullptr)
        ADD_FAILURE() << "sha256sum did not run";
    if (pipe != nullptr)
        pclose(pipe);
    return std::string(line).substr(0, 64);
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// ---- pinned SHA-256 ---------------------------------------------------------

TEST_F(ClusterCurl, PinnedDownloadsAreKeptOnlyWhenTheirBytesMatch) {
    m_server.Http().Get("/empty", [this](const httplib::Request&, httplib::Response& res) {
        ++m_nRequests;
        res.set_content("", "application/octet-stream");
    });
    m_server.Http().Get("/counted", [this](const httplib::Request&, httplib::Response& res) {
        ++m_nRequests;
        res.set_content(m_body, "application/octet-stream");
    });
    const std::string right = Sha256sum(m_body);
    const std::string other = Sha256sum(m_body + "!");
    struct Case {
        const char* szName;
        std::string strPath;
        std::string strPin;
        TransferFailure eFailure;  // None: the download is kept
        int nRequests;
    } cases[] = {
        {"no pin", "/counted", "", TransferFailure::None, 1},
        {"right pin", "/counted", right, TransferFailure::None, 1},
        {"right pin in capitals", "/counted", Upper(right), TransferFailure::None, 1},
        {"right pin, size never announced", "/chunked", right, TransferFailure::None, 0},
        {"pin of nothing, empty body", "/empty", Sha256sum(""), TransferFailure::None, 1},
        {"pin of other bytes", "/counted", other, TransferFailure::HashMismatch, 1},
        {"63 digits", "/counted", right.substr(1), TransferFailure::BadPin, 0},
        {"65 digits", "/counted", right + "0", TransferFailure::BadPin, 0},
        {"not hexadecimal", "/counted", "g" + right.substr(1), TransferFailure::BadPin, 0},
        {"blank inside", "/counted", right.substr(0, 32) + " " + right.substr(33),
         TransferFailure::BadPin, 0},
    };
    for (const Case& c : cases) {
        m_nRequests = 0;
        WriteFile(m_dir / "p.exe", "old");
        StderrCapture log;
        Client client;
        client.m_nRetries = 3;  // a mismatch is not worth another attempt
        client.setExpectedSha256(c.strPin);
        CurlResult result = client.downloadFile(m_server.Url(c.strPath), "p.exe", m_dir.path());
        EXPECT_EQ(c.eFailure, result.eFailure)
            << c.szName << ": " << TransferFailureName(result.eFailure);
        EXPECT_EQ(c.nRequests, m_nRequests.load()) << c.szName;
        EXPECT_FALSE(fs::exists(m_dir / "p.exe.temp")) << c.szName;
        if (c.eFailure == TransferFailure::None) {
            EXPECT_EQ(200, result.lResCode) << c.szName;
            EXPECT_NE("old", ReadFile(m_dir / "p.exe")) << c.szName;
            continue;
        }
        EXPECT_EQ(-1, result.lResCode) << c.szName;
        EXPECT_EQ("old", ReadFile(m_dir / "p.exe")) << c.szName;
        EXPECT_NE(std::string::npos, log.Text().find("[" + result.strMsg + "]")) << c.szName;
    }
    // The mismatch names both digests, the one found by the same program.
    Client client;
    client.setExpectedSha256(other);
    CurlResult result = client.downloadFile(m_server.Url("/counted"), "p.exe", m_dir.path());
    EXPECT_NE(std::string::npos, result.strMsg.find("expected=[" + other + "] got=[" + right + "]"))
        << result.strMsg;
}

// ---- HTTPS against a test authority -------------------------------------------

class ClusterCurlHttps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_authority.Make());
        ASSERT_TRUE(m_authority.Issue("loopback", "IP:127.0.0.1"));
        ASSERT_TRUE(m_authority.Issue("elsewhere", "DNS:tovadoc.invalid"));
    }

    TempDir m_dir;
    TestAuthority m_authority{m_dir.path()};
};

TEST_F(ClusterCurlHttps, OnlyAPeerTheTrustedAuthorityNamedIsAccepted) {
    const std::string body = Pattern(300000);
    struct Case {
        const char* szName;
        const char* szCert;
        bool bTrustAuthority;
        TransferFailure eFailure;
    } cases[] = {
        {"signed for this address", "loopback", true, TransferFailure::None},
        {"signed for another name", "elsewhere", true, TransferFailure::Certificate},
        {"authority not trusted", "loopback", false, TransferFailure::Certificate},
    };
    for (const Case& c : cases) {
        LoopbackServer server(m_authority.CertFile(c.szCert), m_authority.KeyFile(c.szCert));
        server.Http().Get("/pack", [&body](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, "application/octet-stream");
        });
        ASSERT_TRUE(server.Start());
        ScopedEnv ca(kCaVariable, c.bTrustAuthority ? m_authority.CaFile().c_str() : nullptr);
        TempDir saveDir;
        Client client;
        client.setExpectedSha256(Sha256sum(body));
        CurlResult result = client.downloadFile(server.Url("/pack"), "p.exe", saveDir.path());
        EXPECT_EQ(c.eFailure, result.eFailure)
            << c.szName << ": " << TransferFailureName(result.eFailure) << " " << result.strMsg;
        if (c.eFailure == TransferFailure::None) {
            EXPECT_TRUE(ReadFile(saveDir / "p.exe") == body) << c.szName;
        } else {
            EXPECT_TRUE(fs::is_empty(saveDir.path())) << c.szName;
        }
    }
}

// The bundled TLS library finds the machine's certificates at run time:
// SSL_CERT_FILE / SSL_CERT_DIR first, the well-known places otherwise
// (whose authorities do not include the test's). No store: HTTPS is refused
// before the server hears anything.
TEST_F(ClusterCurlHttps, TheMachinesCertificatesAreFoundAtRunTime) {
    fs::create_directory(m_dir / "hashed");
    fs::copy_file(m_authority.CaFile(), m_dir / "hashed" / "test-ca.pem");
    ASSERT_EQ(0, std::system(("openssl rehash '" + (m_dir / "hashed").string() + "'").c_str()));
    const std::string strHashed = (m_dir / "hashed").string();
    const std::string strCa = m_authority.CaFile();
    struct Case {
        const char* szName;
        const char* szFile;
        const char* szDir;
        TransferFailure eFailure;
        int nRequests;
    } cases[] = {
        {"SSL_CERT_FILE", strCa.c_str(), nullptr, TransferFailure::None, 1},
        {"SSL_CERT_DIR", nullptr, strHashed.c_str(), TransferFailure::None, 1},
        {"the system's store", nullptr, nullptr, TransferFailure::Certificate, 0},
        {"SSL_CERT_FILE names nothing", "/nonexistent/ca.pem", nullptr,
         TransferFailure::NoTrustStore, 0},
    };
    for (const Case& c : cases) {
        LoopbackServer server(m_authority.CertFile("loopback"), m_authority.KeyFile("loopback"));
        std::atomic<int> nRequests{0};
        server.Http().Get("/pack", [&nRequests](const httplib::Request&, httplib::Response& res) {
            ++nRequests;
            res.set_content("bytes", "application/octet-stream");
        });
        ASSERT_TRUE(server.Start());
        ScopedEnv ca(kCaVariable, nullptr);
        ScopedEnv file("SSL_CERT_FILE", c.szFile);
        ScopedEnv dir("SSL_CERT_DIR", c.szDir);
        TempDir saveDir;
        Client client;
        CurlResult result = client.downloadFile(server.Url("/pack"), "p.exe", saveDir.path());
        EXPECT_EQ(c.eFailure, result.eFailure)
            << c.szName << ": " << TransferFailureName(result.eFailure) << " " << result.strMsg;
        EXPECT_EQ(c.nRequests, nRequests.load()) << c.szName;
    }
}

TEST_F(HttpMgr, StatisticsPostTravelsOverHttpsToTheTrustedAuthoritysServer) {
    TempDir dir;
    TestAuthority authority(dir.path());
    ASSERT_TRUE(authority.Make());
    ASSERT_TRUE(authority.Issue("loopback", "IP:127.0.0.1"));
    LoopbackServer server(authority.CertFile("loopback"), authority.KeyFile("loopback"));
    std::string strSeen;
    std::mutex seenLock;
    server.Http().Post("/stats", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(seenLock);
        strSeen = req.body;
        res.set_content("{\"code\":0}", "application/json");
    });
    ASSERT_TRUE(server.Start());
    ScopedEnv ca(kCaVariable, authority.CaFile().c_str());
    CHttpMgr::GetInstance()->PostAsync(AnsiToWide(server.Url("/stats")), L"info=eyJhIjoxfQ==", 0);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(L"{\"code\":0}", m_events[0].strResponse);
    ASSERT_TRUE(WaitForThreadsToEnd());
    std::lock_guard<std::mutex> lock(seenLock);
    EXPECT_EQ("info=eyJhIjoxfQ==", strSeen);
}

// ---- proxies ------------------------------------------------------------------

// Records the Via header of every request the loopback server answers.
class ClusterCurlProxy : public ::testing::Test {
protected:
    void SetUp() override {
        m_server.Http().Get("/pack", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_vias.push_back(req.get_header_value("Via"));
            res.set_content(Pattern(200000), "application/octet-stream");
        });
        ASSERT_TRUE(m_server.Start());
        m_pProxy = std::make_unique<TinyProxy>(m_dir.path());
        if (!m_pProxy->Start())
            GTEST_SKIP() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    }
    std::vector<std::string> Vias() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_vias;
    }

    TempDir m_dir;
    LoopbackServer m_server;
    std::unique_ptr<TinyProxy> m_pProxy;
    std::mutex m_mutex;
    std::vector<std::string> m_vias;
};

TEST_F(ClusterCurlProxy, EnvironmentProxiesWorkAndTheSettingOverridesThem) {
    const std::string dead = "http://127.0.0.1:" + std::to_string(RefusedPort());
    const std::string proxy = m_pProxy->Url();
    struct Case {
        const char* szName;
        const char* szHttpProxy;  // environment; nullptr: unset
        const char* szNoProxy;
        std::string strSetting;  // the proxy key
        bool bThroughProxy;
        TransferFailure eFailure;
    } cases[] = {
        {"http_proxy", proxy.c_str(), nullptr, "", true, TransferFailure::None},
        {"no_proxy names the host", proxy.c_str(), "127.0.0.1", "", false, TransferFailure::None},
        {"setting beats a dead http_proxy and no_proxy", dead.c_str(), "127.0.0.1", proxy, true,
         TransferFailure::None},
        {"setting without scheme", nullptr, nullptr, proxy.substr(7), true, TransferFailure::None},
        {"dead setting", nullptr, nullptr, dead, false, TransferFailure::Unreachable},
    };
    for (const Case& c : cases) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_vias.clear();
        }
        ScopedEnv httpProxy("http_proxy", c.szHttpProxy);
        ScopedEnv noProxy("no_proxy", c.szNoProxy);
        ScopedEnv allProxy("all_proxy", nullptr);
        TempDir saveDir;
        Client client;
        client.m_strProxy = c.strSetting;
        CurlResult result = client.downloadFile(m_server.Url("/pack"), "p.exe", saveDir.path());
        EXPECT_EQ(c.eFailure, result.eFailure)
            << c.szName << ": " << TransferFailureName(result.eFailure) << " " << result.strMsg;
        std::vector<std::string> vias = Vias();
        if (c.eFailure != TransferFailure::None) {
            EXPECT_TRUE(vias.empty()) << c.szName;
            continue;
        }
        ASSERT_EQ(1u, vias.size()) << c.szName;
        EXPECT_EQ(c.bThroughProxy, vias[0].find(TinyProxy::kViaName) != std::string::npos)
            << c.szName << ": Via [" << vias[0] << "]";
    }
}

TEST_F(ClusterCurlProxy, HttpsGoesThroughTheEnvironmentsHttpsProxyAsATunnel) {
    TestAuthority authority(m_dir.path());
    ASSERT_TRUE(authority.Make());
    ASSERT_TRUE(authority.Issue("loopback", "IP:127.0.0.1"));
    // Declared first, so the server and its threads go before the body it serves.
    const std::string body = Pattern(100000);
    LoopbackServer server(authority.CertFile("loopback"), authority.KeyFile("loopback"));
    server.Http().Get("/pack", [&body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "application/octet-stream");
    });
    ASSERT_TRUE(server.Start());
    ScopedEnv ca(kCaVariable, authority.CaFile().c_str());
    ScopedEnv httpsProxy("https_proxy", m_pProxy->Url().c_str());
    ScopedEnv noProxy("no_proxy", nullptr);
    TempDir saveDir;
    Client client;
    ASSERT_EQ(200, client.downloadFile(server.Url("/pack"), "p.exe", saveDir.path()).lResCode);
    EXPECT_TRUE(ReadFile(saveDir / "p.exe") == body);
    // The proxy only saw the tunnel being asked for; the peer was still verified.
    EXPECT_NE(std::string::npos,
              m_pProxy->Log().find("CONNECT 127.0.0.1:" + std::to_string(server.Port())))
        << m_pProxy->Log();
}

TEST_F(HttpMgr, StatisticsPostGoesThroughTheProxyItIsGiven) {
    TempDir dir;
    TinyProxy proxy(dir.path());
    if (!proxy.Start())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    std::string strVia;
    std::mutex viaLock;
    LoopbackServer server;
    server.Http().Post("/via", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(viaLock);
        strVia = req.get_header_value("Via");
        res.set_content("ok", "text/plain");
    });
    ASSERT_TRUE(server.Start());
    CHttpMgr::GetInstance()->PostAsync(AnsiToWide(server.Url("/via")), L"info=x", 0,
                                       AnsiToWide(proxy.Url()));
    ASSERT_TRUE(WaitForEvents(1));
    ASSERT_TRUE(WaitForThreadsToEnd());
    EXPECT_EQ(L"ok", m_events[0].strResponse);
    std::lock_guard<std::mutex> lock(viaLock);
    EXPECT_NE(std::string::npos, strVia.find(TinyProxy::kViaName)) << strVia;
}

}  // namespace
}  // namespace httptest
