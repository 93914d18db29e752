// Downloads against servers that fail on purpose: cut connections, busy
// answers, no ranges, a resource that changes between attempts.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ClusterCurlFixture.h"
#include "platform/CCancelToken.h"
#include "platform/Sha256.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::StderrCapture;
using testsupport::WriteFile;

namespace httptest {
namespace {

constexpr size_t kSize = 1000000;
constexpr const char* kLastModified = "Wed, 21 Oct 2015 07:28:00 GMT";
constexpr const char* kAnswerDate = "Wed, 21 Oct 2015 09:00:00 GMT";

// What the server does; every answer counts from the first request (0).
struct Behaviour {
    bool bRanges = true;         // says "Accept-Ranges: bytes" and serves ranges
    bool bETag = true;           // a strong ETag
    bool bLastModified = false;  // a Last-Modified date
    size_t nCutAt = 0;           // each cut answer sends this many bytes, then drops
    int nCutAnswers = 0;         // the first answers that are cut
    int nBusyAnswers = 0;        // the first answers that are nBusyStatus instead
    int nBusyStatus = 503;
    int nRetryAfter = 0;              // seconds, sent with the busy answers; 0: none
    bool bChangesAfterFirst = false;  // other bytes and ETag from the second answer on
    bool bWrongPart = false;          // a range is answered from byte 0 on
    // Hostile to resuming: only this answer is the other version; a range
    // is served whatever If-Range names, refused with 416, or taken from a
    // resource of twice the size; the first version's own ETag and Date.
    int nChangedAnswer = -1;
    bool bIgnoresIfRange = false;
    bool bRefusesRanges = false;
    bool bOtherSize = false;
    std::string strETag = "\"v1\"";
    const char* szDate = kAnswerDate;
};

Behaviour Busy(int nStatus) {
    Behaviour b;
    b.nBusyAnswers = 9;
    b.nBusyStatus = nStatus;
    return b;
}

Behaviour CutEveryAnswer() {
    Behaviour b;
    b.nCutAt = 1000;
    b.nCutAnswers = 9;
    return b;
}

struct Asked {
    std::string strRange;
    std::string strIfRange;
};

std::string Sha256Of(const std::string& bytes) {
    CSha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.FinishHex();
}

class Receiver : public CLibcurlDownCallback {
public:
    void OnDownProgress(int, int, double dTotal, double dNow) override {
        m_reports.emplace_back(dTotal, dNow);
    }
    void OnUpProgress(int, double, double) override {}
    std::vector<std::pair<double, double>> m_reports;
};

class ClusterCurlRetry : public ::testing::Test {
protected:
    void SetUp() override {
        m_v1 = Pattern(kSize);
        m_v2 = m_v1;
        std::reverse(m_v2.begin(), m_v2.end());
        m_double = m_v1 + m_v1;
        m_server.Http().Get("/flaky", [this](const httplib::Request& req, httplib::Response& res) {
            Answer(req, res);
        });
        ASSERT_TRUE(m_server.Start());
    }

    void Answer(const httplib::Request& req, httplib::Response& res) {
        int k = 0;
        Behaviour b;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            k = static_cast<int>(m_asked.size());
            m_asked.push_back({req.get_header_value("Range"), req.get_header_value("If-Range")});
            b = m_behaviour;
        }
        if (k < b.nBusyAnswers) {
            res.status = b.nBusyStatus;
            if (b.nRetryAfter > 0)
                res.set_header("Retry-After", std::to_string(b.nRetryAfter));
            res.set_content("come back later", "text/plain");
            return;
        }
        const bool bNew = (b.bChangesAfterFirst && k > 0) || k == b.nChangedAnswer;
        const std::string* pBody = bNew ? &m_v2 : &m_v1;
        const std::string strTag = bNew ? "\"v2\"" : b.strETag;
        if (b.bETag)
            res.set_header("ETag", strTag);
        if (b.bLastModified) {
            res.set_header("Last-Modified", kLastModified);
            res.set_header("Date", b.szDate);
        }
        if (b.bRanges)
            res.set_header("Accept-Ranges", "bytes");
        // A server without ranges, or an If-Range naming another version,
        // sends the whole body (the library would otherwise cut the range).
        const std::string strIfRange = req.get_header_value("If-Range");
        const std::string strCurrent = b.bETag ? strTag : kLastModified;
        if (b.bRefusesRanges && !req.ranges.empty()) {
            res.status = 416;
            return;
        }
        if (!b.bRanges || (!b.bIgnoresIfRange && !strIfRange.empty() && strIfRange != strCurrent)) {
            const_cast<httplib::Request&>(req).ranges.clear();
            res.status = 200;
        } else if (b.bWrongPart && !req.ranges.empty()) {
            const_cast<httplib::Request&>(req).ranges = {{0, -1}};
        }
        if (b.bOtherSize && !req.ranges.empty())
            pBody = &m_double;
        const size_t nFirst = req.ranges.empty() ? 0 : static_cast<size_t>(req.ranges[0].first);
        const size_t nStop = k < b.nCutAnswers ? nFirst + b.nCutAt : pBody->size();
        res.set_content_provider(
            pBody->size(), "application/octet-stream",
            [this, pBody, nStop](size_t offset, size_t length, httplib::DataSink& sink) {
                if (offset >= nStop)
                    return false;  // drops the connection
                size_t n = std::min({length, size_t{65536}, nStop - offset});
                m_nBytesSent += n;
                return sink.write(pBody->data() + offset, n);
            });
    }

    // Between downloads: what the next one meets.
    void Behave(const Behaviour& b) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_behaviour = b;
        m_asked.clear();
        m_nBytesSent = 0;
    }
    std::vector<Asked> AskedSoFar() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_asked;
    }
    // The ranges and If-Range validators the server was asked for, in order.
    void ExpectAsked(const std::vector<Asked>& expected, const char* szName) {
        std::vector<Asked> asked = AskedSoFar();
        ASSERT_EQ(expected.size(), asked.size()) << szName;
        for (size_t i = 0; i < asked.size(); ++i) {
            EXPECT_EQ(expected[i].strRange, asked[i].strRange) << szName << " #" << i;
            EXPECT_EQ(expected[i].strIfRange, asked[i].strIfRange) << szName << " #" << i;
        }
    }

    std::string m_v1, m_v2, m_double;
    Behaviour m_behaviour;
    std::mutex m_mutex;
    std::vector<Asked> m_asked;
    std::atomic<size_t> m_nBytesSent{0};
    LoopbackServer m_server;
    testsupport::TempDir m_dir;
};

TEST_F(ClusterCurlRetry, TransientFailuresAreRetriedAndResumedOnlyWhereSafe) {
    const std::string kV1 = "\"v1\"";
    struct Case {
        const char* szName;
        Behaviour b;
        // Range and If-Range of each request, in order.
        std::vector<Asked> asked;
        bool bSecondVersion;
        size_t nBytesSent;  // body bytes the server sent in all; 0: not checked
    };
    auto with = [](auto change) {
        Behaviour b;
        change(b);
        return b;
    };
    const Case cases[] = {
        {"cut once: the rest is asked for",
         with([](Behaviour& b) { b.nCutAt = 400000, b.nCutAnswers = 1; }),
         {{"", ""}, {"bytes=400000-", kV1}},
         false,
         kSize},
        {"cut twice: resumed twice",
         with([](Behaviour& b) { b.nCutAt = 300000, b.nCutAnswers = 2; }),
         {{"", ""}, {"bytes=300000-", kV1}, {"bytes=600000-", kV1}},
         false,
         kSize},
        {"no ranges offered: starts over",
         with([](Behaviour& b) { b.nCutAt = 400000, b.nCutAnswers = 1, b.bRanges = false; }),
         {{"", ""}, {"", ""}},
         false,
         kSize + 400000},
        {"no version to name, but the pin checks: resumed",
         with([](Behaviour& b) { b.nCutAt = 400000, b.nCutAnswers = 1, b.bETag = false; }),
         {{"", ""}, {"bytes=400000-", ""}},
         false,
         kSize},
        {"a date names the version",
         with([](Behaviour& b) {
             b.nCutAt = 400000, b.nCutAnswers = 1, b.bETag = false, b.bLastModified = true;
         }),
         {{"", ""}, {"bytes=400000-", kLastModified}},
         false,
         kSize},
        {"changed between attempts: the new whole, never spliced",
         with([](Behaviour& b) {
             b.nCutAt = 400000, b.nCutAnswers = 1, b.bChangesAfterFirst = true;
         }),
         {{"", ""}, {"bytes=400000-", kV1}},
         true,
         kSize + 400000},
        {"503, then the file",
         with([](Behaviour& b) { b.nBusyAnswers = 1; }),
         {{"", ""}, {"", ""}},
         false,
         kSize},
        {"429 twice",
         with([](Behaviour& b) { b.nBusyAnswers = 2, b.nBusyStatus = 429; }),
         {{"", ""}, {"", ""}, {"", ""}},
         false,
         kSize},
        {"408",
         with([](Behaviour& b) { b.nBusyAnswers = 1, b.nBusyStatus = 408; }),
         {{"", ""}, {"", ""}},
         false,
         kSize},
    };
    for (const Case& c : cases) {
        Behave(c.b);
        fs::remove(m_dir / "p.exe");
        const std::string& expected = c.bSecondVersion ? m_v2 : m_v1;
        Receiver receiver;
        Client client;
        client.setDownCallback(&receiver);
        client.m_nRetries = 3;
        client.m_nRetryPauseMs = 20;
        // The digest must come out right across resumed and restarted attempts.
        client.setExpectedSha256(Sha256Of(expected));
        CurlResult result = client.downloadFile(m_server.Url("/flaky"), "p.exe", m_dir.path());
        EXPECT_EQ(200, result.lResCode) << c.szName << ": " << result.strMsg;
        EXPECT_TRUE(ReadFile(m_dir / "p.exe") == expected) << c.szName;
        EXPECT_FALSE(fs::exists(m_dir / "p.exe.temp")) << c.szName;
        ExpectAsked(c.asked, c.szName);
        if (c.nBytesSent != 0) {
            EXPECT_EQ(c.nBytesSent, m_nBytesSent.load()) << c.szName;
        }

        // The bar never goes back, not even when an attempt starts over.
        double dLastFraction = 0;
        bool bSizeKnown = false;
        for (auto [dTotal, dNow] : receiver.m_reports) {
            if (bSizeKnown) {
                EXPECT_GT(dTotal, 0) << c.szName << ": size unknown again";
            }
            if (dTotal > 0) {
                bSizeKnown = true;
                EXPECT_GE(dNow / dTotal, dLastFraction) << c.szName;
                dLastFraction = dNow / dTotal;
            }
        }
        ASSERT_FALSE(receiver.m_reports.empty()) << c.szName;
        // Reports are thinned to one per percent: the last may be short of the end.
        EXPECT_EQ(kSize, receiver.m_reports.back().first) << c.szName;
        EXPECT_GE(receiver.m_reports.back().second, kSize * 0.99) << c.szName;
    }
}

// A part is joined only to its own file: servers that ignore If-Range or
// answer another byte, size or version, refuse the range, or name their
// version unsafely. A control character in an ETag is never sent back.
TEST_F(ClusterCurlRetry, APartIsJoinedOnlyToItsOwnFile) {
    const std::string r = "bytes=400000-", kV1 = "\"v1\"";
    struct Case {
        const char* szName;
        Behaviour b;  // cut once at 400000, plus what the row changes
        bool bPinned;
        int nRetries;
        std::vector<Asked> asked;
        long lCode;
        TransferFailure eFailure;
        const std::string* pFile;  // what p.exe holds afterwards; nullptr: absent
    };
    auto with = [](auto change) {
        Behaviour b;
        b.nCutAt = 400000, b.nCutAnswers = 1;
        change(b);
        return b;
    };
    const TransferFailure kOk = TransferFailure::None;
    // clang-format off
    const Case cases[] = {
        {"206 of the new version despite If-Range: starts over",
         with([](Behaviour& b) { b.nChangedAnswer = 1, b.bIgnoresIfRange = true; }),
         false, 3, {{"", ""}, {r, kV1}, {"", ""}}, 200, kOk, &m_v1},
        {"206 from another byte: starts over", with([](Behaviour& b) { b.bWrongPart = true; }),
         false, 3, {{"", ""}, {r, kV1}, {"", ""}}, 200, kOk, &m_v1},
        {"206 of another size: starts over", with([](Behaviour& b) { b.bOtherSize = true; }),
         false, 3, {{"", ""}, {r, kV1}, {"", ""}}, 200, kOk, &m_v1},
        {"416: the next attempt asks for the whole",
         with([](Behaviour& b) { b.bRefusesRanges = true; }),
         false, 3, {{"", ""}, {r, kV1}, {"", ""}}, 200, kOk, &m_v1},
        {"416 with no retry left names the refusal",
         with([](Behaviour& b) { b.bRefusesRanges = true; }),
         false, 1, {{"", ""}, {r, kV1}}, 416, TransferFailure::RangeRefused, nullptr},
        {"a wrong part with no retry left names it", with([](Behaviour& b) { b.bWrongPart = true; }),
         false, 1, {{"", ""}, {r, kV1}}, -1, TransferFailure::BadPart, nullptr},
        {"a control character in the ETag: no validator",
         with([](Behaviour& b) { b.strETag = "\"v\x01" "1\""; }),
         false, 3, {{"", ""}, {"", ""}}, 200, kOk, &m_v1},
        {"a date of the answer's own second is no validator",
         with([](Behaviour& b) { b.bETag = false, b.bLastModified = true, b.szDate = kLastModified; }),
         false, 3, {{"", ""}, {"", ""}}, 200, kOk, &m_v1},
        {"no validator and no pin: starts over", with([](Behaviour& b) { b.bETag = false; }),
         false, 3, {{"", ""}, {"", ""}}, 200, kOk, &m_v1},
        {"joined against the pin: fetched whole once more",
         with([](Behaviour& b) { b.bETag = false, b.nChangedAnswer = 1; }),
         true, 3, {{"", ""}, {r, ""}, {"", ""}}, 200, kOk, &m_v1},
        {"still not the pinned file whole: fails, only once more",
         with([](Behaviour& b) { b.bETag = false, b.bChangesAfterFirst = true; }),
         true, 3, {{"", ""}, {r, ""}, {"", ""}}, -1, TransferFailure::HashMismatch, nullptr},
    };
    // clang-format on
    for (const Case& c : cases) {
        Behave(c.b);
        fs::remove(m_dir / "p.exe");
        Client client;
        client.m_nRetries = c.nRetries;
        client.m_nRetryPauseMs = 10;
        if (c.bPinned)
            client.setExpectedSha256(Sha256Of(m_v1));
        CurlResult result = client.downloadFile(m_server.Url("/flaky"), "p.exe", m_dir.path());
        EXPECT_EQ(c.lCode, result.lResCode) << c.szName << ": " << result.strMsg;
        EXPECT_EQ(c.eFailure, result.eFailure) << c.szName;
        EXPECT_EQ(c.pFile != nullptr, fs::exists(m_dir / "p.exe")) << c.szName;
        EXPECT_TRUE(c.pFile == nullptr || ReadFile(m_dir / "p.exe") == *c.pFile) << c.szName;
        EXPECT_FALSE(fs::exists(m_dir / "p.exe.temp")) << c.szName;
        ExpectAsked(c.asked, c.szName);
    }
}

TEST_F(ClusterCurlRetry, PermanentFailuresAndExhaustedRetriesEndTheDownload) {
    struct Case {
        const char* szName;
        Behaviour b;
        int nRetries;
        int nRequests;
        long lCode;
        TransferFailure eFailure;
    } cases[] = {
        {"404 is final", Busy(404), 3, 1, 404, TransferFailure::HttpStatus},
        {"403 is final", Busy(403), 3, 1, 403, TransferFailure::HttpStatus},
        {"500 four times", Busy(500), 3, 4, 500, TransferFailure::HttpStatus},
        {"cut every time", CutEveryAnswer(), 2, 3, CURLE_PARTIAL_FILE, TransferFailure::CutOff},
        {"retries off", CutEveryAnswer(), 0, 1, CURLE_PARTIAL_FILE, TransferFailure::CutOff},
    };
    for (const Case& c : cases) {
        Behave(c.b);
        WriteFile(m_dir / "p.exe", "old");
        Client client;
        client.m_nRetries = c.nRetries;
        client.m_nRetryPauseMs = 10;
        CurlResult result = client.downloadFile(m_server.Url("/flaky"), "p.exe", m_dir.path());
        EXPECT_EQ(c.lCode, result.lResCode) << c.szName;
        EXPECT_EQ(c.eFailure, result.eFailure) << c.szName;
        EXPECT_EQ(static_cast<size_t>(c.nRequests), AskedSoFar().size()) << c.szName;
        EXPECT_EQ("old", ReadFile(m_dir / "p.exe")) << c.szName;
        EXPECT_FALSE(fs::exists(m_dir / "p.exe.temp")) << c.szName;
    }
}

TEST_F(ClusterCurlRetry, PausesGrowAndFollowRetryAfterUpToTheirLimit) {
    struct Case {
        const char* szName;
        int nRetryAfter;
        int nBusy;
        std::vector<std::string> pauses;
    } cases[] = {
        {"growing",
         0,
         3,
         {"retry 1 of 3 in 20 ms", "retry 2 of 3 in 40 ms", "retry 3 of 3 in 80 ms"}},
        {"as the server asks", 1, 1, {"retry 1 of 3 in 1000 ms"}},
    };
    for (const Case& c : cases) {
        Behaviour b;
        b.nBusyAnswers = c.nBusy;
        b.nRetryAfter = c.nRetryAfter;
        Behave(b);
        StderrCapture log;
        Client client;
        client.m_nRetries = 3;
        client.m_nRetryPauseMs = 20;
        EXPECT_EQ(200, client.downloadFile(m_server.Url("/flaky"), "p.exe", m_dir.path()).lResCode)
            << c.szName;
        const std::string text = log.Text();
        for (const std::string& pause : c.pauses)
            EXPECT_NE(std::string::npos, text.find(pause)) << c.szName << "\n" << text;
        EXPECT_EQ(c.pauses.size() + 1, AskedSoFar().size()) << c.szName;
    }
}

TEST_F(ClusterCurlRetry, ALongRetryAfterIsCappedAndItsPauseEndsAtCancel) {
    Behaviour b = Busy(503);
    b.nRetryAfter = 120;
    Behave(b);
    WriteFile(m_dir / "p.exe", "old");
    StderrCapture log;
    CCancelToken token;
    Client client;
    client.setCancelToken(&token);
    client.m_nRetries = 3;
    std::thread canceller([&token] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        token.Cancel();
    });
    auto start = std::chrono::steady_clock::now();
    CurlResult result = client.downloadFile(m_server.Url("/flaky"), "p.exe", m_dir.path());
    auto elapsed = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK, result.lResCode);
    EXPECT_EQ(TransferFailure::Cancelled, result.eFailure);
    EXPECT_NE(std::string::npos, log.Text().find("retry 1 of 3 in 30000 ms")) << log.Text();
    EXPECT_EQ(1u, AskedSoFar().size());
    EXPECT_EQ("old", ReadFile(m_dir / "p.exe"));
    EXPECT_FALSE(fs::exists(m_dir / "p.exe.temp"));
    // Hang guard only: the pause alone would take 30 s.
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}

TEST_F(ClusterCurlRetry, NoRetryOutlastsTheWholeTransferTimeOut) {
    Behaviour b = Busy(503);
    b.nRetryAfter = 10;
    Behave(b);
    StderrCapture log;
    Client client;
    client.m_nRetries = 3;
    client.m_nTimeout = 5;
    CurlResult result = client.downloadFile(m_server.Url("/flaky"), "p.exe", m_dir.path());
    EXPECT_EQ(503, result.lResCode);
    EXPECT_EQ(1u, AskedSoFar().size());
    EXPECT_NE(std::string::npos,
              log.Text().find("ClusterCurl::downloadFile no time left for another attempt"));
}

}  // namespace
}  // namespace httptest
