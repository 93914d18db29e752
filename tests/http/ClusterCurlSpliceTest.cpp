// Resumed downloads against servers that answer a range wrongly on purpose:
// a part of another version, size or byte, a refused range, validators that
// cannot be trusted. Each connection gets the next scripted answer, byte for
// byte as written, so that answers no well-behaved server library would
// send (a bare CR inside a header) can be sent.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ClusterCurlFixture.h"
#include "platform/Sha256.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;

namespace httptest {
namespace {

constexpr size_t kSize = 1000000;
constexpr size_t kCut = 400000;
constexpr const char* kModified = "Wed, 21 Oct 2015 07:28:00 GMT";
constexpr const char* kDayLater = "Thu, 22 Oct 2015 07:28:00 GMT";

// Serves one scripted answer per connection, in order, and records the
// head of every request. Past the script it closes at once.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<std::string> answers) : m_answers(std::move(answers)) {
        m_nFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t nLen = sizeof(addr);
        if (bind(m_nFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
            listen(m_nFd, 8) == 0 &&
            getsockname(m_nFd, reinterpret_cast<sockaddr*>(&addr), &nLen) == 0)
            m_nPort = ntohs(addr.sin_port);
        if (pipe(m_stop) == 0)
            m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedServer() {
        if (m_thread.joinable()) {
            ssize_t ignored = write(m_stop[1], "x", 1);
            (void)ignored;
            m_thread.join();
            close(m_stop[0]);
            close(m_stop[1]);
        }
        close(m_nFd);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort) + "/p"; }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void Serve() {
        for (size_t i = 0;; ++i) {
            pollfd fds[2] = {{m_nFd, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0 || fds[1].revents != 0)
                return;
            const int nConn = accept4(m_nFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (nConn < 0)
                continue;
            std::string head;
            char buf[4096];
            while (head.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = read(nConn, buf, sizeof(buf));
                if (n <= 0)
                    break;
                head.append(buf, static_cast<size_t>(n));
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.push_back(head);
            }
            if (i < m_answers.size()) {
                const std::string& answer = m_answers[i];
                for (size_t nSent = 0; nSent < answer.size();) {
                    const ssize_t n =
                        send(nConn, answer.data() + nSent, answer.size() - nSent, MSG_NOSIGNAL);
                    if (n <= 0)
                        break;
                    nSent += static_cast<size_t>(n);
                }
            }
            close(nConn);
        }
    }

    std::vector<std::string> m_answers;
    int m_nFd = -1;
    int m_nPort = -1;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
};

// A header's value in a recorded request; empty when absent.
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

// Bytes nFirst to the end of a body of nTotal, taken from body at nFrom.
std::string Part(const std::string& body, size_t nFirst, size_t nTotal, const std::string& headers,
                 size_t nFrom) {
    const std::string bytes = body.substr(nFrom, nTotal - nFirst);
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(nFirst) + "-" +
           std::to_string(nTotal - 1) + "/" + std::to_string(nTotal) +
           "\r\nContent-Length: " + std::to_string(bytes.size()) + "\r\n" + headers +
           "Connection: close\r\n\r\n" + bytes;
}

std::string Refused416() {
    return "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */1000000\r\n"
           "Content-Length: 0\r\nConnection: close\r\n\r\n";
}

std::string Sha256Of(const std::string& bytes) {
    CSha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.FinishHex();
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
    // clang-format off
    const Case cases[] = {
        {"206 of the new version despite If-Range: starts over",
         {Whole(v1, tag1, kCut), Part(v2, kCut, kSize, tag2, kCut), Whole(v2, tag2)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v2},
        {"206 from another byte: starts over",
         {Whole(v1, tag1, kCut), Part(v1, 0, kSize, tag1, 0), Whole(v1, tag1)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"206 of another size: starts over",
         {Whole(v1, tag1, kCut), Part(v1 + v1, kCut, 2 * kSize, tag1, kCut), Whole(v1, tag1)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"416: the next attempt asks for the whole",
         {Whole(v1, tag1, kCut), Refused416(), Whole(v1, tag1)},
         false, 3, {{"", ""}, {r, "\"v1\""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"416 with no retry left names the refusal",
         {Whole(v1, tag1, kCut), Refused416()},
         false, 1, {{"", ""}, {r, "\"v1\""}}, 416, TransferFailure::RangeRefused, nullptr},
        {"a wrong part with no retry left names it",
         {Whole(v1, tag1, kCut), Part(v2, kCut, kSize, tag2, kCut)},
         false, 1, {{"", ""}, {r, "\"v1\""}}, -1, TransferFailure::BadPart, nullptr},
        {"a bare CR in the ETag is never sent back",
         {Whole(v1, "ETag: \"v\r1\"\r\n", kCut), Whole(v1, tag1)},
         false, 3, {{"", ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"a date a day older than the answer names the version",
         {Whole(v1, dated, kCut), Part(v1, kCut, kSize, dated, kCut)},
         false, 3, {{"", ""}, {r, kModified}}, 200, TransferFailure::None, &v1},
        {"a date of the answer's own second is no validator",
         {Whole(v1, sameSecond, kCut), Whole(v1, sameSecond)},
         false, 3, {{"", ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"no validator and no pin: starts over",
         {Whole(v1, "", kCut), Whole(v1, "")},
         false, 3, {{"", ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"no validator but a pin: resumed",
         {Whole(v1, "", kCut), Part(v1, kCut, kSize, "", kCut)},
         true, 3, {{"", ""}, {r, ""}}, 200, TransferFailure::None, &v1},
        {"joined against the pin: fetched whole once more",
         {Whole(v1, "", kCut), Part(v2, kCut, kSize, "", kCut), Whole(v1, "")},
         true, 3, {{"", ""}, {r, ""}, {"", ""}}, 200, TransferFailure::None, &v1},
        {"still not the pinned file whole: fails, only once more",
         {Whole(v1, "", kCut), Part(v2, kCut, kSize, "", kCut), Whole(v2, "", kCut),
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
        if (c.bPinned)
            client.setExpectedSha256(Sha256Of(v1));
        const CurlResult result = client.downloadFile(server.Url(), "p.exe", dir.path());
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
            // No lone CR or other control character ever reaches a request head.
            const std::string head = requests[i];
            for (size_t k = 0; k < head.size(); ++k) {
                const unsigned char ch = static_cast<unsigned char>(head[k]);
                const bool bLineEnd = (ch == '\r' && k + 1 < head.size() && head[k + 1] == '\n') ||
                                      (ch == '\n' && k > 0 && head[k - 1] == '\r');
                EXPECT_TRUE(bLineEnd || (ch >= 0x20 && ch != 0x7F)) << c.szName << " #" << i;
            }
        }
    }
}

}  // namespace
}  // namespace httptest
