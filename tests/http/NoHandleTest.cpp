#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "ClusterCurlFixture.h"
#include "CurlInitFault.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

// The only way libcurl refuses a handle is running out of memory, so this
// program's own curl_easy_init can be told to fail; otherwise it hands over
// to the library's.
namespace {
std::atomic<bool> g_bFailEasyInit{false};
}

void httptest::FailCurlEasyInit(bool bFail) {
    g_bFailEasyInit = bFail;
}

extern "C" CURL* curl_easy_init() {
    if (g_bFailEasyInit) {
        errno = ENOMEM;
        return nullptr;
    }
    using InitFn = CURL* (*)();
    static InitFn real = reinterpret_cast<InitFn>(dlsym(RTLD_NEXT, "curl_easy_init"));
    return real != nullptr ? real() : nullptr;
}

namespace httptest {
namespace {

TEST_F(ClusterCurl, ClientWithoutHandleFailsEveryTransfer) {
    testsupport::TempDir dir;
    testsupport::StderrCapture log;
    FailCurlEasyInit(true);
    Client client;
    FailCurlEasyInit(false);

    std::string response = "untouched";
    CurlResult get = client.httpGet("http://127.0.0.1:1/", response);
    CurlResult post = client.httpPost("http://127.0.0.1:1/", "a=1", response);
    CurlResult download = client.downloadFile("http://127.0.0.1:1/", "p.exe", dir.path());
    for (const CurlResult& result : {get, post, download}) {
        EXPECT_EQ(-1, result.lResCode);
        EXPECT_EQ("m_pCurl == NULL", result.strMsg);
    }
    EXPECT_EQ("untouched", response);
    EXPECT_FALSE(client.addHeader("X-A", "b"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    std::string text = log.Text();
    EXPECT_NE(std::string::npos,
              text.find("[curl_easy_init() failed: " + std::to_string(ENOMEM) + "]\n"));
    EXPECT_NE(std::string::npos, text.find("[curl_easy_init() failed: m_pCurl == NULL]\n"));
}

}  // namespace
}  // namespace httptest
