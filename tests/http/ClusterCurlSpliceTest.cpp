// Resumed downloads against servers that answer a range wrongly on purpose.
// Each connection gets the next scripted answer byte for byte, so that what
// no server library would send (a bare CR inside a header) can be sent.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "ClusterCurlFixture.h"
#include "platform/Sha256.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;

namespace httptest {
namespace {

constexpr size_t kSize = 1000000;
constexpr size_t kCut = 400000;
constexpr const char* kModified = "Wed, 21 Oct 2015 07:28:00 GMT";
constexpr const char* kDayLater = "Thu, 22 Oct 2015 07:28:00 GMT";

// One scripted answer per connection; the request heads are kept. It ends
// after the script, or when no connection comes for 10 s.
class ScriptedServer {
public:
    explicit ScriptedServer(const std::vector<std::string>& answers) {
        m_nFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t nLen = sizeof(addr);
        const timeval wait{10, 0};
        setsockopt(m_nFd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
        bind(m_nFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        listen(m_nFd, 8);
        getsockname(m_nFd, reinterpret_cast<sockaddr*>(&addr), &nLen);
        m_strUrl = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/p";
        m_thread = std::thread([this, answers] {
            for (const std::string& answer : answers) {
                const int nConn = accept4(m_nFd, nullptr, nullptr, SOCK_CLOEXEC);
                if (nConn < 0)
                    return;
                std::string head;
                char buf[4096];
                ssize_t n = 1;
                while (head.find("\r\n\r\n") == std::string::npos && n > 0) {
                    n = recv(nConn, buf, sizeof(buf), 0);
                    head.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
                }
                m_requests.push_back(head);
                for (size_t nSent = 0, nPart = 0; nSent < answer.size(); nSent += nPart) {
                    const ssize_t w =
                        send(nConn, answer.data() + nSent, answer.size() - nSent, MSG_NOSIGNAL);
                    nPart = w > 0 ? static_cast<size_t>(w) : answer.size();
                }
                close(nConn);
            }
        });
    }
    ~ScriptedServer() { close(m_nFd); }
    // Every request head, once the script has run (or given up).
    std::vector<std::string> Requests() {
        m_thread.join();
        return m_requests;
    }
    std::string m_strUrl;

private:
    int m_nFd = -1;
    std::thread m_thread;
    std::vector<std::string> m_requests;
};

// A header's value in a request head, up to its CR LF; empty when absent.
std::string RequestHeader(const std::string& head, const std::string& name) {
    const size_t nAt = head.find("\r\n" + name + ": ");
    if (nAt == std::string::npos)
        return std::string();
    const size_t nBegin = nAt + name.size() + 4;
    return head.substr(nBegin, head.find("\r\n", nBegin) - nBegin);
}

// The whole body announced, only its first nSend bytes sent.
std::string Whole(const std::string& body, const std::string& headers, size_t nSend = kSize) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nAccept-Ranges: bytes\r\n" + headers + "Connection: close\r\n\r\n" +
           body.substr(0, nSend);
}

// A part from byte nFirst to the end of a resource of nTotal bytes, with
// body's bytes from nFirst on.
std::string Part(const std::string& body, size_t nFirst, size_t nTotal,
                 const std::string& headers) {
    const std::string bytes = body.substr(nFirst, nTotal - nFirst);
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(nFirst) + "-" +
           std::to_string(nTotal - 1) + "/" + std::to_string(nTotal) +
           "\r\nContent-Length: " + std::to_string(bytes.size()) + "\r\n" + headers +
           "Connection: close\r\n\r\n" + bytes;
}

TEST(ClusterCurlSplice, APartIsJoinedOnlyToItsOwnFile) {
    const std::string v1 = Pattern(kSize);
    std::string v2 = v1;
    std::reverse(v2.begin(), v2.end());
    const std::string tag1 = "ETag: \"v1\"\r\n";
    const std::string tag2 = "ETag: \"v2\"\r\n";
    const std::string dated =
        std::string("Last-Modified: ") + kModified + "\r\nDate: " + kDayLater + "\r\n";
    const std::string sameSecond =
        std::string("Last-Modified: ") + kModified + "\r\nDate: " + kModified + "\r\n";
    struct Case {
        const char* szName;
        std::vector<std::string> answers;
        bool bPinned;  // the pin is the expected file's
        int nRetries;
        // Range and If-Range of each request, in order.
        std::vector<std::pair<std::string, std::string>> asked;
        long lCode;
        TransferFailure eFailure;
        const std::string* pFile;  // what p.exe holds afterwards; nullptr: absent
    };
    const std::string r = "bytes=400000-";
    const std::string k416 = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n";
    // clang-format off
    const Case cases[] = {
        {"206 of the new version despite If-Range: starts over",
         {Whole(v1, tag1, kCut), Part(v2, kCut, kSize, tag2), Whole(v2, tag2)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v2},
        {"206 from another byte: starts over",
         {Whole(v1, tag1, kCut), Part(v1, 0, kSize, tag1), Whole(v1, tag1)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"206 of another size: starts over",
         {Whole(v1, tag1, kCut), Part(v1 + v1, kCut, 2 * kSize, tag1), Whole(v1, tag1)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"416: the next attempt asks for the whole",
         {Whole(v1, tag1, kCut), k416, Whole(v1, tag1)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"416 with no retry left names the refusal",
         {Whole(v1, tag1, kCut), k416},
         false, 1, {{"", ""}, {r, "\"v1\""}}, 416, TransferFailure::RangeRefused, nullptr},
        {"a wrong part with no retry left names it",
         {Whole(v1, tag1, kCut), Part(v2, kCut, kSize, tag2)},
         false, 1, {{"", ""}, {r, "\"v1\""}}, -1, TransferFailure::BadPart, nullptr},
        {"a bare CR in the ETag is never sent back",
         {Whole(v1, "ETag: \"v\r1\"\r\n", kCut), Whole(v1, tag1)},
         false, 3, {{"", ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"a date a day older than the answer names the version",
         {Whole(v1, dated, kCut), Part(v1, kCut, kSize, dated)},
         false, 3, {{"", ""}, {r, kModified}}, 200, TransferFailure::None, &v1},
        {"a date of the answer's own second is no validator",
         {Whole(v1, sameSecond, kCut), Whole(v1, sameSecond)},
         false, 3, {{"", ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"no validator and no pin: starts over",
         {Whole(v1, "", kCut), Whole(v1, "")},
         false, 3, {{"", ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"no validator but a pin: resumed",
         {Whole(v1, "", kCut), Part(v1, kCut, kSize, "")},
         true, 3, {{"", ""}, {r, ""}}, 200, TransferFailure::None, &v1},
        {"joined against the pin: fetched whole once more",
         {Whole(v1, "", kCut), Part(v2, kCut, kSize, ""), Whole(v1, "")},
         true, 3, {{"", ""}, {r, ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"still not the pinned file whole: fails, only once more",
         {Whole(v1, "", kCut), Part(v2, kCut, kSize, ""), Whole(v2, "", kCut),
          Whole(v2, "")},
         true, 3, {{"", ""}, {r, ""}, {"", ""}, {"", ""}}, -1, TransferFailure::HashMismatch,
         nullptr},
    };
    // clang-format on
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        ScriptedServer server(c.answers);
        Client client;
        client.m_nRetries = c.nRetries;
        client.m_nRetryPauseMs = 10;
        client.m_nTimeout = 30;  // a request beyond the script is never answered
        if (c.bPinned) {
            CSha256 hash;
            hash.Update(v1.data(), v1.size());
            client.setExpectedSha256(hash.FinishHex());
        }
        const CurlResult result = client.downloadFile(server.m_strUrl, "p.exe", dir.path());
        EXPECT_EQ(c.lCode, result.lResCode) << c.szName << ": " << result.strMsg;
        EXPECT_EQ(c.eFailure, result.eFailure) << c.szName;
        if (c.pFile != nullptr) {
            EXPECT_TRUE(ReadFile(dir / "p.exe") == *c.pFile) << c.szName;
        } else {
            EXPECT_FALSE(fs::exists(dir / "p.exe")) << c.szName;
        }
        EXPECT_FALSE(fs::exists(dir / "p.exe.temp")) << c.szName;
        const std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(c.asked.size(), requests.size()) << c.szName;
        for (size_t i = 0; i < requests.size(); ++i) {
            EXPECT_EQ(c.asked[i].first, RequestHeader(requests[i], "Range"))
                << c.szName << " #" << i;
            EXPECT_EQ(c.asked[i].second, RequestHeader(requests[i], "If-Range"))
                << c.szName << " #" << i;
        }
    }
}

}  // namespace
}  // namespace httptest
